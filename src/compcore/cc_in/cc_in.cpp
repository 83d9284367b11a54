#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_lines.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace tsw {

char *InputCursor = nullptr;
char *LineBase = nullptr;
uint16_t InputColumn = 0;
uint16_t EndOfInput = 0;
uint16_t SingleLineMode = 0;
uint16_t SourceLanguageMode = kLangC;

namespace {
constexpr char kModule[] = "compcore\\cc_in";

struct InputData {
  LogicalLineBuffer line;
  // The line before the current one, kept for its storage: reading a line
  // into it and swapping costs no allocation once the buffers have grown.
  LogicalLineBuffer spare;
  std::optional<LogicalLineBuffer> heldBack;
  // The pending physical line.
  bool pending = false;
  std::string physical;
  size_t index = 0;
  uint16_t keptLine = 0; // 1-based line of the pending physical line
  uint16_t columnBase = 0;
  uint16_t nextSkip = 0;
  bool skipReported = false;
  uint16_t lastLine = 1, lastColumn = 1;
  std::string fileName;
  std::bitset<256> leadBytes;
  DiagnosticSwitches switches;
  bool errorOccurred = false;
  bool fatalRaised = false;
};

// Constant-initialised, so that the per-character reader reaches it without
// a guard and no other module's start-up can see it unconstructed.
constinit InputData gInput;
InputData &State() { return gInput; }

struct SourceChar {
  char c;
  uint16_t line;
  uint16_t column;
};

// False at the end of the input.
[[gnu::noinline]] bool TakePhysicalLine(InputData &s) {
  s.skipReported = false;
  const char *text = GetNextSourceLine();
  if (!text) {
    EndOfInput = 1;
    return false;
  }
  s.physical = text;
  while (!s.physical.empty() && IsBlankChar(s.physical.back()))
    s.physical.pop_back();
  s.keptLine = uint16_t(CurrentLine() + 1);
  s.columnBase = s.skipReported ? s.nextSkip : 0;
  s.index = 0;
  s.pending = true;
  return true;
}

inline SourceChar NextSourceChar() {
  InputData &s = State();
  if (!s.pending && !TakePhysicalLine(s))
    return {0, s.lastLine, s.lastColumn};
  char c = s.index < s.physical.size() ? s.physical[s.index] : 0;
  SourceChar r{c, s.keptLine, uint16_t(s.columnBase + s.index + 1)};
  s.lastLine = r.line;
  s.lastColumn = r.column;
  if (c == 0)
    s.pending = false;
  else
    ++s.index;
  return r;
}

[[noreturn, gnu::noinline]] void LineTooLong() { CompileErrorHere<kMsgLineTooLong>(); }

inline void Append(LogicalLineBuffer &b, char c, uint16_t line, uint16_t column) {
  if (b.text.size() + 2 >= kMaxLineBytes / 2) [[unlikely]]
    LineTooLong();
  b.text.push_back(c);
  b.lines.push_back(line);
  b.columns.push_back(column);
}
void Append(LogicalLineBuffer &b, const SourceChar &r) { Append(b, r.c, r.line, r.column); }

// A character the logical-line reader copies as it stands, whatever stands
// next to it.
bool IsPlainSourceChar(char c) {
  return c != '/' && c != '"' && c != '\'' && c != '\\' && c != ';' && c != 0 && !IsBlankChar(c);
}

// Copies the run of plain characters at the pending physical line's cursor
// in one step (most of a line is one) and gives its last character, or 0 when
// none stands there. A run that would reach the line limit is left to the
// character-by-character copy, which reports it where it is reached.
char AppendPlainRun(InputData &s, LogicalLineBuffer &b) {
  if (!s.pending)
    return 0;
  const size_t from = s.index;
  size_t to = from;
  while (to < s.physical.size() && IsPlainSourceChar(s.physical[to]))
    ++to;
  const size_t n = to - from;
  if (n == 0 || b.text.size() + n + 1 >= kMaxLineBytes / 2)
    return 0;
  b.text.append(s.physical, from, n);
  b.lines.insert(b.lines.end(), n, s.keptLine);
  for (size_t i = from; i < to; ++i)
    b.columns.push_back(uint16_t(s.columnBase + i + 1));
  s.index = to;
  s.lastLine = s.keptLine;
  s.lastColumn = b.columns.back();
  return s.physical[to - 1];
}

bool BeginsCLine(const std::string &text) {
  return text.size() >= 1 && (text[0] == 'C' || text[0] == 'c') && (text.size() == 1 || !IsIdentChar(text[1]));
}

// Copies a literal; false when the physical line ended inside it, which ends
// the logical line too.
bool ReadLiteral(LogicalLineBuffer &b, SourceChar quote) {
  Append(b, quote);
  for (;;) {
    SourceChar r = NextSourceChar();
    if (r.c == 0)
      return false;
    if (r.c == '\\') {
      SourceChar next = NextSourceChar();
      if (next.c == 0) {
        if (EndOfInput)
          return false;
        continue; // a backslash at the line end continues the literal
      }
      Append(b, r);
      Append(b, next);
      continue;
    }
    Append(b, r);
    if (r.c == quote.c)
      return true;
  }
}

} // namespace

LogicalLineBuffer &CurrentLogicalLine() { return State().line; }

bool CursorInExpandedText() { return CursorIndex() < State().line.expandedEnd; }

size_t CursorIndex() { return InputCursor && LineBase ? size_t(InputCursor - LineBase) : 0; }

void InstallLogicalLine(LogicalLineBuffer line, size_t cursorIndex) {
  State().line = std::move(line);
  LineBase = State().line.text.data();
  InputCursor = LineBase + std::min(cursorIndex, State().line.text.size());
}

void HoldBackLogicalLine(LogicalLineBuffer line) { State().heldBack = std::move(line); }

InputState SaveInputState() {
  InputState state;
  state.line = State().line;
  state.cursor = CursorIndex();
  state.column = InputColumn;
  state.endOfInput = EndOfInput;
  state.next = NextLinePosition();
  return state;
}

bool RestoreInputState(const InputState &state) {
  ForgetPendingInput();
  if (!ResumeAt(state.next))
    return false;
  InstallLogicalLine(state.line, state.cursor);
  InputColumn = state.column;
  EndOfInput = state.endOfInput;
  return true;
}

void ForgetPendingInput() {
  State().heldBack.reset();
  State().pending = false;
}

void ReadLogicalLine() {
  InputData &s = State();
  if (s.heldBack) {
    LogicalLineBuffer held = std::move(*s.heldBack);
    s.heldBack.reset();
    InstallLogicalLine(std::move(held), 0);
    return;
  }
  LogicalLineBuffer &b = s.spare;
  b.text.clear();
  b.lines.clear();
  b.columns.clear();
  b.expandedEnd = 0;
  char previous = ' ';
  for (;;) {
    if (char last = AppendPlainRun(s, b))
      previous = last;
    SourceChar r = NextSourceChar();
    if (r.c == 0)
      break;
    if (r.c == '/') {
      SourceChar next = NextSourceChar();
      if (next.c == '*') {
        // The bracket checker reports a comment that never closes.
        CheckBracketNesting(kCommentOpen, r.line, r.column);
        Append(b, ' ', next.line, next.column);
        previous = ' ';
        SourceChar last{0, 0, 0};
        for (;;) {
          SourceChar in = NextSourceChar();
          if (in.c == 0 && EndOfInput)
            break;
          if (last.c == '*' && in.c == '/') {
            CheckBracketNesting(kCommentClose, last.line, last.column);
            break;
          }
          last = in;
        }
        continue;
      }
      if (next.c == '/') {
        Append(b, ' ', next.line, next.column);
        while (NextSourceChar().c != 0) {
        }
        break;
      }
      Append(b, r);
      if (next.c == 0)
        break;
      Append(b, next);
      previous = next.c;
      continue;
    }
    if ((r.c == '"' || r.c == '\'') && previous != '\\') {
      if (!ReadLiteral(b, r))
        break;
      previous = r.c;
      continue;
    }
    if (r.c == ';' && SourceLanguageMode == kLangAsm && !BeginsCLine(b.text)) {
      while (NextSourceChar().c != 0) {
      }
      break;
    }
    if (r.c == '\\') {
      SourceChar next = NextSourceChar();
      if (next.c == 0) {
        if (EndOfInput)
          break;
        continue; // continuation: the next physical line goes on
      }
      Append(b, r);
      Append(b, next);
      previous = next.c;
      continue;
    }
    if (IsBlankChar(r.c)) {
      if (IsBlankChar(previous))
        continue;
      Append(b, ' ', r.line, r.column);
      previous = ' ';
      continue;
    }
    Append(b, r);
    previous = r.c;
  }
  std::swap(s.line, s.spare);
  LineBase = s.line.text.data();
  InputCursor = LineBase;
}

void SetInputPointer(char *p) { InputCursor = LineBase = p; }

void SkipInputChars(size_t n) {
  InputCursor += n;
  InputColumn = uint16_t(InputColumn + n);
}

InputMark MarkInput() { return {InputCursor, InputColumn}; }

void ReturnToInputMark(const InputMark &mark) {
  InputCursor = mark.cursor;
  InputColumn = mark.column;
}

void DiscardCurrentLine() {
  InputData &s = State();
  s.line.text.clear();
  s.line.lines.clear();
  s.line.columns.clear();
  InstallLogicalLine(std::move(s.line), 0);
}

char *ReadNextLineAndRewind() {
  ProcessConditionalDirective();
  InputCursor = LineBase;
  return LineBase;
}

int SkipBlanksAcrossLines() {
  for (;;) {
    while (*InputCursor && static_cast<unsigned char>(*InputCursor) <= ' ')
      ++InputCursor;
    if (*InputCursor || SingleLineMode || EndOfInput)
      return 0;
    ProcessConditionalDirective();
    if (EndOfInput)
      return 0;
    ProcessDirective();
  }
}

char NextInputChar() {
  if (!*InputCursor) {
    if (SingleLineMode || EndOfInput)
      return 0;
    SkipBlanksAcrossLines();
    if (!*InputCursor)
      return 0;
  }
  TrackBracketHook(*InputCursor, CurrentSourceLine(), CurrentSourceColumn());
  ++InputColumn;
  return *InputCursor++;
}

char PeekNextChar() { return *InputCursor ? InputCursor[1] : 0; }

bool MatchWordAtInput(std::string_view word) {
  size_t n = word.size();
  if (n == 0 || std::strncmp(InputCursor, word.data(), n) != 0)
    return false;
  if (IsIdentChar(word.back()) && IsIdentChar(InputCursor[n]))
    return false;
  InputCursor += n;
  InputColumn = uint16_t(InputColumn + n);
  return true;
}

char SkipSpaces() {
  while (*InputCursor == ' ' || *InputCursor == '\t') {
    ++InputCursor;
    ++InputColumn;
  }
  return *InputCursor;
}

size_t ReadIdentifier(std::string &name) {
  name.clear();
  if (!IsIdentStart(*InputCursor))
    return 0;
  const char *start = InputCursor;
  while (IsIdentChar(*InputCursor)) {
    // A trail byte belongs to its character whatever its class.
    size_t step = IsLeadByte(*InputCursor) && InputCursor[1] ? 2 : 1;
    InputCursor += step;
    InputColumn = uint16_t(InputColumn + step);
  }
  std::string_view whole(start, size_t(InputCursor - start));
  name.assign(whole.substr(0, WholeCharacterPrefix(whole, kIdentifierLength)));
  return name.size();
}

void SetLeadBytes(const std::bitset<256> &leadBytes) { State().leadBytes = leadBytes; }
bool IsLeadByte(char c) { return State().leadBytes[static_cast<unsigned char>(c)]; }

size_t WholeCharacterPrefix(std::string_view text, size_t limit) {
  // No character can be cut when the whole text fits.
  if (text.size() <= limit)
    return text.size();
  size_t kept = 0;
  while (kept < text.size()) {
    size_t step = IsLeadByte(text[kept]) && kept + 1 < text.size() ? 2 : 1;
    if (kept + step > limit)
      break;
    kept += step;
  }
  return kept;
}

size_t LastCharacterLength(std::string_view text) {
  size_t at = 0, last = 0;
  while (at < text.size()) {
    last = IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
    at += last;
  }
  return last;
}

int32_t ReadConstantValue(ConstantSeverity severity) {
  SkipSpaces();
  char *end = InputCursor;
  unsigned long value = IsIdentStart(*InputCursor) ? 0 : std::strtoul(InputCursor, &end, 0);
  if (end == InputCursor) {
    switch (severity) {
    case ConstantSeverity::kFatal: CompileErrorHere<kMsgNotConstant>();
    case ConstantSeverity::kError: CompileError<kMsgNotConstant>(); break;
    case ConstantSeverity::kTrivialWarning:
      CompileWarningTrivial<kMsgNotConstant>();
      break;
    }
    return 0;
  }
  while (*end == 'L' || *end == 'l' || *end == 'U' || *end == 'u')
    ++end;
  InputColumn = uint16_t(InputColumn + (end - InputCursor));
  InputCursor = end;
  return int32_t(uint32_t(value));
}

uint16_t CurrentSourceLine() {
  const LogicalLineBuffer &b = State().line;
  if (!LineBase || b.lines.empty())
    return LineBase && !b.text.empty() ? 1 : (State().lastLine ? State().lastLine : 1);
  size_t i = std::min(CursorIndex(), b.lines.size() - 1);
  return b.lines[i];
}

uint16_t CurrentSourceColumn() {
  const LogicalLineBuffer &b = State().line;
  if (!LineBase || b.columns.empty())
    return 1;
  size_t i = std::min(CursorIndex(), b.columns.size() - 1);
  return b.columns[i];
}

void ReportLinePosition(uint16_t, uint16_t skip) {
  State().nextSkip = skip;
  State().skipReported = true;
}

void SetCurrentSourceFileName(const std::string &name) { State().fileName = name; }
const std::string &CurrentSourceFileName() { return State().fileName; }

namespace {
BracketTracker gTracker = nullptr;
}
void SetBracketTracker(BracketTracker tracker) { gTracker = tracker; }
void TrackBracketHook(char c, uint16_t line, uint16_t column) {
  if (gTracker)
    gTracker(c, line, column);
}

DiagnosticSwitches &Diagnostics() { return State().switches; }
bool ErrorOccurred() { return State().errorOccurred; }

std::string DiagnosticText(std::string text) {
  if (text.size() >= kDiagnosticTextSize)
    text.resize(kDiagnosticTextSize - 1);
  return text;
}

void RaiseError(unsigned message, uint16_t line, uint16_t column, std::string text) {
  InputData &s = State();
  if (!s.switches.enabled)
    return;
  s.errorOccurred = true;
  if (s.switches.throwAll)
    throw xWatch(text, kModule, __LINE__);
  DiagnosticSink *sink = CurrentDiagnosticSink();
  if (sink && sink->RecordError(message, line, column, text))
    throw xCCErrOvflo(kModule, __LINE__);
}

void RaiseFatal(unsigned message, uint16_t line, uint16_t column, std::string text) {
  InputData &s = State();
  s.errorOccurred = true;
  if (s.switches.throwAll)
    throw xWatch(text, kModule, __LINE__);
  DiagnosticSink *sink = CurrentDiagnosticSink();
  if (!s.fatalRaised && sink) {
    s.fatalRaised = true;
    sink->RecordError(message, line, column, text);
  }
  throw xCCErrOvflo(kModule, __LINE__);
}

void RaiseWarning(unsigned message, int level, std::string text) {
  RaiseWarningAt(message, level, CurrentSourceLine(), CurrentSourceColumn(), std::move(text));
}

void RaiseWarningAt(unsigned message, int level, uint16_t line, uint16_t column, std::string text) {
  InputData &s = State();
  if (!s.switches.enabled || (level ? !s.switches.serious : !s.switches.trivial))
    return;
  if (s.switches.throwAll)
    throw xWatch(text, kModule, __LINE__);
  if (DiagnosticSink *sink = CurrentDiagnosticSink())
    sink->RecordWarning(message, level, line, column, text);
}

void ResetSourceInputModule() {
  State() = InputData();
  InstallLogicalLine({}, 0);
  InputColumn = 0;
  EndOfInput = 0;
  SingleLineMode = 0;
  SourceLanguageMode = kLangC;
}

} // namespace tsw
