#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_lines.h"
#include "foundation/msgnumbers.h"
#include "foundation/msgcatalog.h"
#include "foundation/restext.h"
#include "platform/format.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Source input: physical lines become logical lines (comments removed,
// blanks folded, continuations joined), every character keeps the source
// line and column it came from, and one cursor serves every parser.
namespace tsw {

// Character classes: a fixed table of our own, no locale.
enum CharClass : uint32_t {
  kClassLeadByte = 0x01, // no double-byte lead bytes in the English module
  kClassLetter = 0x02,
  kClassDigit = 0x04,
  kClassBlank = 0x08,
  kClassLineEnd = 0x10,
  kClassUnderscore = 0x20,
  kClassPeriod = 0x40,
  kClassIdent = 0x27,
  kClassIdentStart = 0x23,
};
constexpr std::array<uint32_t, 256> MakeCharClasses() {
  std::array<uint32_t, 256> classes{};
  for (unsigned c = 0; c < 256; ++c) {
    uint32_t bits = 0;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c > 127 ||
        (c >= 1 && c <= 31 && c != 9 && c != 10 && c != 12 && c != 13 && c != 27))
      bits = kClassLetter;
    else if (c >= '0' && c <= '9')
      bits = kClassDigit;
    else if (c == ' ' || c == 9 || c == 12)
      bits = kClassBlank;
    else if (c == 10 || c == 13)
      bits = kClassLineEnd;
    else if (c == '_')
      bits = kClassUnderscore;
    else if (c == '.')
      bits = kClassPeriod;
    classes[c] = bits;
  }
  return classes;
}
inline constexpr std::array<uint32_t, 256> CharClasses = MakeCharClasses();
inline bool IsIdentChar(char c) { return CharClasses[static_cast<unsigned char>(c)] & kClassIdent; }
inline bool IsIdentStart(char c) { return CharClasses[static_cast<unsigned char>(c)] & kClassIdentStart; }
inline bool IsBlankChar(char c) { return CharClasses[static_cast<unsigned char>(c)] & kClassBlank; }
inline bool IsDigitChar(char c) { return CharClasses[static_cast<unsigned char>(c)] & kClassDigit; }

constexpr char kEsc = 27;
constexpr size_t kMaxLineBytes = 65532; // a logical line or expansion past this ends the compile

// Source languages of the input.
enum : uint16_t { kLangAsm = 0, kLangC = 1, kLangCInAsm = 2 };

// The cursor and the current logical line. The text is terminated; the maps
// hold one entry per character.
extern char *InputCursor;
extern char *LineBase;
extern uint16_t InputColumn;
extern uint16_t EndOfInput;
extern uint16_t SingleLineMode;
extern uint16_t SourceLanguageMode;

// The logical line in force (text and maps), rewritten by macro expansion.
struct LogicalLineBuffer {
  std::string text;
  std::vector<uint16_t> lines;   // 1-based source line of each character
  std::vector<uint16_t> columns; // 1-based source column of each character
  // Characters before this index may be macro text, whose position names
  // the macro rather than where the characters stand in the source.
  size_t expandedEnd = 0;
};
LogicalLineBuffer &CurrentLogicalLine();
// Makes `text` (with its maps) the current line, cursor at `cursorIndex`.
void InstallLogicalLine(LogicalLineBuffer line, size_t cursorIndex);
size_t CursorIndex();
// True while macro text may stand at or after the cursor on this line: the
// source position under the cursor then need not give the same text back
// when it is read again.
bool CursorInExpandedText();

// Reads the next physical lines into the current logical line; the cursor
// goes to its start. When a line is held back (read ahead by the macro
// expander) it is taken instead.
void ReadLogicalLine();
void HoldBackLogicalLine(LogicalLineBuffer line);
// Drops what was read ahead, before the line sources are repositioned.
void ForgetPendingInput();

// Reads the next active line (conditional filter and directives) and puts
// the cursor at its start.
char *ReadNextLineAndRewind();
void SetInputPointer(char *p);
// Steps over characters of the current line without handing them to the
// bracket checker: a skipped token or a file name is not program text.
void SkipInputChars(size_t n);
// A point on the current line to come back to after reading ahead.
struct InputMark {
  char *cursor = nullptr;
  uint16_t column = 0;
};
InputMark MarkInput();
void ReturnToInputMark(const InputMark &mark);
void DiscardCurrentLine();
int SkipBlanksAcrossLines();
char NextInputChar();
char PeekNextChar();
bool MatchWordAtInput(std::string_view word);
char SkipSpaces();
// Identifiers are significant to this many bytes; a name buffer holds one
// more for its terminator.
inline constexpr size_t kIdentifierLength = 32;
inline constexpr size_t kNameBufferSize = kIdentifierLength + 1;

// Reads an identifier at the cursor, keeping its first kIdentifierLength
// bytes and consuming the rest; its kept length.
size_t ReadIdentifier(std::string &name);

// The bytes that begin a double-byte character in the language in use
// (English has none). Identifiers and names are never cut between the two
// bytes of such a character.
void SetLeadBytes(const std::bitset<256> &leadBytes);
bool IsLeadByte(char c);
// The length of the longest prefix of `text` of at most `limit` bytes that
// ends on a character boundary.
size_t WholeCharacterPrefix(std::string_view text, size_t limit);
// The length of the last character of `text` (0 when empty).
size_t LastCharacterLength(std::string_view text);

// How ReadConstantValue reports a missing constant.
enum class ConstantSeverity { kFatal, kError, kTrivialWarning };
// The numeric constant at the cursor (after blanks); 427 and 0 when none
// stands there (an identifier is never taken for one).
int32_t ReadConstantValue(ConstantSeverity severity);

// The input state a statement snapshot or a loop's re-read of its condition
// returns to: the logical line with the cursor, and where the line source
// goes on after it.
struct InputState {
  LogicalLineBuffer line;
  size_t cursor = 0;
  uint16_t column = 0;
  uint16_t endOfInput = 0;
  SourcePosition next;
};
InputState SaveInputState();
// False when the line source cannot be positioned back.
bool RestoreInputState(const InputState &state);

uint16_t CurrentSourceLine();
uint16_t CurrentSourceColumn();
// The line number that source positions use (#linenum changes it).
void ReportLinePosition(uint16_t line0, uint16_t skip);
void SetCurrentSourceFileName(const std::string &name);
const std::string &CurrentSourceFileName();

// ---- diagnostics ---------------------------------------------------------

struct DiagnosticSwitches {
  bool enabled = true;
  bool serious = true;
  bool trivial = true;
  bool throwAll = false; // editor-source (watch) compiles throw every diagnostic
};
DiagnosticSwitches &Diagnostics();
bool ErrorOccurred();

// The shared diagnostic buffer's size: every text is cut to it.
constexpr size_t kDiagnosticTextSize = 1024;
void RaiseError(unsigned message, uint16_t line, uint16_t column, std::string text);
[[noreturn]] void RaiseFatal(unsigned message, uint16_t line, uint16_t column, std::string text);
void RaiseWarning(unsigned message, int level, std::string text);
// The same at a line and column other than the current ones.
void RaiseWarningAt(unsigned message, int level, uint16_t line, uint16_t column, std::string text);

// The checked raisers. Each takes its message number as a template argument
// and the text's arguments after the position, so a call whose arguments do
// not fit the number's signature, or whose number is not a compile error
// (or warning) in the catalogue, does not compile:
//   CompileError<kMsgRedeclared>(name);
//   CompileWarningTrivial<kMsgSomething>();
template <unsigned Id>
inline constexpr bool kIsErrorMessage = CatalogueIndex(Id) != kNoCatalogueEntry &&
                                        (kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kCompileError ||
                                         kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kFatalError ||
                                         kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kAnySeverity);
template <unsigned Id, MessageUse Use>
inline constexpr bool kIsMessageOfUse = CatalogueIndex(Id) != kNoCatalogueEntry &&
                                        (kMessageSignatures[CatalogueIndex(Id)].use == Use ||
                                         kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kAnySeverity);

// The formatted text of a diagnostic, cut to the shared buffer's size.
std::string DiagnosticText(std::string text);

template <unsigned Id, class... A>
requires(kIsErrorMessage<Id> &&MessageCallFits<Id, A...>()) void CompileError(const A &...args) {
  RaiseError(Id, CurrentSourceLine(), CurrentSourceColumn(), DiagnosticText(FormatMessage<Id>(args...)));
}
// Non-fatal error at a given position (the open #if of an unclosed group).
template <unsigned Id, class... A>
requires(kIsErrorMessage<Id> &&MessageCallFits<Id, A...>()) void CompileErrorAtLine(uint16_t line, uint16_t column,
                                                                                    const A &...args) {
  RaiseError(Id, line, column, DiagnosticText(FormatMessage<Id>(args...)));
}
// Fatal: records and ends the compile.
template <unsigned Id, class... A>
requires(kIsErrorMessage<Id> &&MessageCallFits<Id, A...>())
    [[noreturn]] void CompileErrorAt(uint16_t line, uint16_t column, const A &...args) {
  RaiseFatal(Id, line, column, DiagnosticText(FormatMessage<Id>(args...)));
}
template <unsigned Id, class... A>
requires(kIsErrorMessage<Id> &&MessageCallFits<Id, A...>()) [[noreturn]] void CompileErrorHere(const A &...args) {
  CompileErrorAt<Id>(CurrentSourceLine(), CurrentSourceColumn(), args...);
}
template <unsigned Id, class... A>
requires(kIsMessageOfUse<Id, MessageUse::kSeriousWarning> &&MessageCallFits<Id, A...>()) void CompileWarningSerious(
    const A &...args) {
  RaiseWarning(Id, 1, DiagnosticText(FormatMessage<Id>(args...)));
}
template <unsigned Id, class... A>
requires(kIsMessageOfUse<Id, MessageUse::kTrivialWarning> &&MessageCallFits<Id, A...>()) void CompileWarningTrivial(
    const A &...args) {
  RaiseWarning(Id, 0, DiagnosticText(FormatMessage<Id>(args...)));
}

// The same for a message chosen at run time; Plain<N>() checked it.
inline void CompileError(PlainMessage m) {
  RaiseError(m.id, CurrentSourceLine(), CurrentSourceColumn(), DiagnosticText(GetResourceString(m.id)));
}
[[noreturn]] inline void CompileErrorAt(uint16_t line, uint16_t column, PlainMessage m) {
  RaiseFatal(m.id, line, column, DiagnosticText(GetResourceString(m.id)));
}
[[noreturn]] inline void CompileErrorHere(PlainMessage m) {
  CompileErrorAt(CurrentSourceLine(), CurrentSourceColumn(), m);
}
inline void CompileWarningSerious(PlainMessage m) { RaiseWarning(m.id, 1, DiagnosticText(GetResourceString(m.id))); }

// The bracket checker's entry for every consumed character.
using BracketTracker = void (*)(char c, uint16_t line, uint16_t column);
void SetBracketTracker(BracketTracker tracker);
void TrackBracketHook(char c, uint16_t line, uint16_t column);

void ResetSourceInputModule();

} // namespace tsw
