#pragma once

#include "foundation/msgnumbers.h"
#include "foundation/msgcatalog.h"
#include "foundation/restext.h"
#include "platform/format.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The compile's diagnostics: one list of errors and warnings, kept per
// source file in line order, which the message window shows after the
// compile. Also the small message output (box or please-wait line) with the
// quiet switch used while the BIOS is compiled.
namespace tsw {

// Record kinds. Other subsystems store further (negative) kinds.
enum : int16_t { kErrorKind = 0, kTrivialWarningKind = 1, kSeriousWarningKind = 2 };

struct sError {
  uint16_t line = 1; // long generated sources run past 32767 lines
  uint8_t column = 1;
  uint8_t flags = 0; // bit 0: the file kind (1 program, 0 library)
  int16_t kind = kErrorKind;
  std::string text;
  std::string help;
  std::string file; // empty when no file name was current
  sError *next = nullptr;
};

struct ErrorFileRecord {
  std::string name;
  ErrorFileRecord *next = nullptr;
};

inline constexpr uint16_t kMaxErrorRecords = 1000;
inline constexpr size_t kMaxErrorText = 179;
inline constexpr size_t kMaxErrorFileName = 259;
inline constexpr char kNoHelpText[] = "No further information available.";

void ClearErrorList();
void ResetErrorList();
void SetErrorFileName(std::string_view name, uint8_t fileKind);
const std::string &CurrentErrorFileName();
// The record that stands for the current source file; lives until
// ClearErrorFileNames.
const ErrorFileRecord *CurrentErrorFileRecord();
void ClearErrorFileNames();

// `message` is the finished text (already formatted): it is not formatted
// again, so a '%' in it is shown as written. 1 when dropped.
int RecordCompileError(int line, int column, std::string_view message);
int RecordCompileWarning(int level, int line, int column, std::string_view message);
int MakeErrorRecord(int16_t kind, int line, int column, std::string_view message);
// The same from a format and its arguments, formatted once: a '%' in an
// argument is shown as written.
template <class A0, class... A>
int RecordCompileError(int line, int column, std::string_view format, const A0 &first, const A &...rest) {
  return RecordCompileError(line, column, std::string_view(plat::FormatText(format, first, rest...)));
}
template <class A0, class... A>
int RecordCompileWarning(int level, int line, int column, std::string_view format, const A0 &first, const A &...rest) {
  return RecordCompileWarning(level, line, column, std::string_view(plat::FormatText(format, first, rest...)));
}
template <class A0, class... A>
int MakeErrorRecord(int16_t kind, int line, int column, std::string_view format, const A0 &first, const A &...rest) {
  return MakeErrorRecord(kind, line, column, std::string_view(plat::FormatText(format, first, rest...)));
}
void InsertErrorRecord(sError *record, std::string_view currentFile);

enum : unsigned { kListHoldsRecords = 1, kListHoldsErrors = 2 };
unsigned ErrorListStatus();
void SplitHelpText(std::string_view text, std::string &message, std::string *help);

const sError *ErrorListHead();
uint32_t ErrorRecordCount();
uint16_t WarningCount();
uint16_t SeriousWarningCount();
uint16_t TrivialWarningCount();
// Records the recorders dropped (limit or suppression) since the list was
// last cleared.
uint16_t DroppedRecordCount();

// Counters the compile driver and the per-compile reset manage.
uint32_t &CompileErrorCount();
uint16_t &ErrorSuppression();
// Set by the bracket checker while it reports: its errors pass the limit.
bool &BracketReportFlag();
// While set (a watch expression is compiled), recorders throw xWatch.
bool &WatchCompileFlag();
// The shell's "Max Serious Warnings" and "Max Trivial Warnings".
void SetWarningLimits(uint16_t maxSerious, uint16_t maxTrivial);

// Where ShowMessageF's texts go (the shell provides it).
class MessageOutput {
public:
  virtual ~MessageOutput() = default;
  virtual void ShowBox(const std::string &title, const std::string &text) = 0;
  virtual void ShowWaitLine(const std::string &text) = 0;
  // Tells an open message window it has no current message.
  virtual void ClearCurrentMessage() {}
};
void SetMessageOutput(MessageOutput *output);

void ShowMessageFV(bool toBox, std::string_view format, const std::vector<plat::FormatArg> &args);
template <class... A> void ShowMessageF(bool toBox, std::string_view format, const A &...args) {
  ShowMessageFV(toBox, format, {plat::MakeFormatArg(args)...});
}
// The checked form: a call whose arguments do not fit message `Id`'s
// signature, or whose number is no box, window or please-wait text, does
// not compile: ShowMessage<kMsgReadingBiosSymbols>(false);
template <unsigned Id>
inline constexpr bool kIsShownMessage = CatalogueIndex(Id) != kNoCatalogueEntry &&
                                        (kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kMessageBox ||
                                         kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kMessageWindow ||
                                         kMessageSignatures[CatalogueIndex(Id)].use == MessageUse::kPleaseWait);
template <unsigned Id, class... A>
requires(kIsShownMessage<Id> &&MessageCallFits<Id, A...>()) void ShowMessage(bool toBox, const A &...args) {
  ShowMessageFV(toBox, "%s", {plat::MakeFormatArg(FormatMessage<Id>(args...))});
}
inline void ShowMessage(bool toBox, PlainMessage m) {
  ShowMessageFV(toBox, "%s", {plat::MakeFormatArg(std::string(GetResourceString(m.id)))});
}
void DisableMessageOutput();
void EnableMessageOutput();
bool MessageOutputQuiet();

// Sends the source input's raisers to this list.
// Where the raisers' records go (the diagnostic list).
class DiagnosticSink {
public:
  virtual ~DiagnosticSink() = default;
  // Records an error; true when the error limit is reached.
  virtual bool RecordError(unsigned message, uint16_t line, uint16_t column, const std::string &text) = 0;
  // level 1 serious, 0 trivial.
  virtual void RecordWarning(unsigned message, int level, uint16_t line, uint16_t column, const std::string &text) = 0;
};
void SetDiagnosticSink(DiagnosticSink *sink);
DiagnosticSink *CurrentDiagnosticSink();
void InstallErrorListSink();

void ResetErrorListModule();

} // namespace tsw
