#include "compcore/cc_er/cc_er.h"

#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <unordered_map>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_er";
constexpr size_t kSplitBound = 1023;
constexpr char kBel = 7;
constexpr uint16_t kDefaultMaxWarnings = 10;

struct ErrorListState {
  sError *head = nullptr;
  sError *tail = nullptr;
  // The highest line listed per file (by its case-folded name): a record
  // past it goes last without a walk through the list.
  std::unordered_map<std::string, uint16_t> lastLines;
  // Bracket reports pass the record limit: 16 bits would wrap.
  uint32_t records = 0;
  uint16_t dropped = 0;
  uint16_t warnings = 0;
  uint16_t serious = 0;
  uint16_t trivial = 0;
  uint32_t errorCount = 0;
  uint16_t suppression = 0;
  bool bracketReport = false;
  bool watch = false;
  bool quiet = false;
  std::string fileName;
  uint8_t fileKind = 1;
  ErrorFileRecord *firstFile = nullptr;
  ErrorFileRecord *lastFile = nullptr;
  uint16_t maxSerious = kDefaultMaxWarnings;
  uint16_t maxTrivial = kDefaultMaxWarnings;
  MessageOutput *output = nullptr;
};

ErrorListState &State() {
  static ErrorListState s;
  return s;
}

void FreeRecords() {
  ErrorListState &s = State();
  while (s.head) {
    std::unique_ptr<sError> gone(s.head);
    s.head = gone->next;
  }
  s.tail = nullptr;
  s.lastLines.clear();
}

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char &c : folded)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

// The file name without drive and directory, as messages show it.
std::string BareFileName(std::string_view path) {
  size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// Message `id` with the file name and the message as its two strings.
std::string LineText(unsigned id, std::string_view message) {
  std::string format = GetResourceString(id);
  return plat::FormatText(format, BareFileName(State().fileName), std::string(message));
}

int Dropped() {
  ErrorListState &s = State();
  if (s.dropped < UINT16_MAX)
    ++s.dropped;
  return 1;
}

[[noreturn]] void ThrowWatch(const std::string &text) {
  std::string message;
  SplitHelpText(text, message, nullptr);
  throw xWatch(message, kModule, __LINE__);
}

class ErrorListSink : public DiagnosticSink {
public:
  // A drop at the record limit ends the compile: the list's last word says
  // so, past the limit, or the user sees a full list and no reason.
  bool RecordError(unsigned, uint16_t line, uint16_t column, const std::string &text) override {
    if (RecordCompileError(line, column, text) == 0)
      return false;
    if (!State().suppression)
      MakeErrorRecord(kErrorKind, line, column,
                      LineText(kMsgErrorLine, std::string(GetResourceString(kMsgErrorLimit))));
    return true;
  }
  void RecordWarning(unsigned, int level, uint16_t line, uint16_t column, const std::string &text) override {
    RecordCompileWarning(level, line, column, text);
  }
};

} // namespace

void ClearErrorList() {
  ErrorListState &s = State();
  FreeRecords();
  s.records = s.warnings = s.serious = s.trivial = s.dropped = 0;
  s.fileName = GetResourceString(kMsgNoFileName);
  s.fileKind = 1;
  if (s.output)
    s.output->ClearCurrentMessage();
}

void ResetErrorList() { ClearErrorList(); }

void SetErrorFileName(std::string_view name, uint8_t fileKind) {
  ErrorListState &s = State();
  s.fileName = std::string(name.substr(0, kMaxErrorFileName));
  s.fileKind = fileKind;
  auto *node = new ErrorFileRecord{s.fileName, nullptr};
  if (s.lastFile)
    s.lastFile->next = node;
  else
    s.firstFile = node;
  s.lastFile = node;
}

const std::string &CurrentErrorFileName() { return State().fileName; }
const ErrorFileRecord *CurrentErrorFileRecord() { return State().lastFile; }

void ClearErrorFileNames() {
  ErrorListState &s = State();
  while (s.firstFile) {
    std::unique_ptr<ErrorFileRecord> gone(s.firstFile);
    s.firstFile = gone->next;
  }
  s.lastFile = nullptr;
}

void SplitHelpText(std::string_view text, std::string &message, std::string *help) {
  size_t pair = text.find(std::string_view("\a\a", 2));
  size_t stop = std::min({pair, text.size(), kSplitBound});
  message.assign(text.substr(0, stop));
  if (!help)
    return;
  help->clear();
  if (pair == stop && pair != std::string_view::npos && pair + 2 < kSplitBound)
    help->assign(text.substr(pair + 2, std::min(text.size(), kSplitBound) - (pair + 2)));
  if (help->empty())
    *help = kNoHelpText;
}

void InsertErrorRecord(sError *record, std::string_view currentFile) {
  ErrorListState &s = State();
  uint16_t &lastLine = s.lastLines[FoldCase(currentFile)];
  const bool goesLast = plat::EqualNoCase(currentFile, "ERROR") || lastLine < record->line || !s.head;
  sError **link = goesLast ? (s.tail ? &s.tail->next : &s.head) : &s.head;
  if (!goesLast) {
    for (; *link; link = &(*link)->next)
      if (plat::EqualNoCase((*link)->file, currentFile) && (*link)->line >= record->line)
        break;
  }
  record->next = *link;
  *link = record;
  if (!record->next)
    s.tail = record;
  lastLine = std::max(lastLine, record->line);
  ++s.records;
}

int MakeErrorRecord(int16_t kind, int line, int column, std::string_view message) {
  ErrorListState &s = State();
  auto record = std::make_unique<sError>();
  record->line = static_cast<uint16_t>(std::clamp(line, 1, int(UINT16_MAX)));
  record->column = static_cast<uint8_t>(column < 1 ? 1 : column);
  record->flags = s.fileKind & 1;
  record->kind = kind;
  SplitHelpText(message, record->text, &record->help);
  if (record->text.size() > kMaxErrorText)
    record->text.resize(kMaxErrorText);
  record->file = s.fileName;
  InsertErrorRecord(record.release(), s.fileName);
  return 0;
}

int RecordCompileError(int line, int column, std::string_view message) {
  ErrorListState &s = State();
  ++s.errorCount;
  if ((s.records >= kMaxErrorRecords && !s.bracketReport) || s.suppression)
    return Dropped();
  std::string text = LineText(kMsgErrorLine, message);
  if (s.watch)
    ThrowWatch(text);
  return MakeErrorRecord(kErrorKind, line, column, text);
}

int RecordCompileWarning(int level, int line, int column, std::string_view message) {
  ErrorListState &s = State();
  if (s.records >= kMaxErrorRecords || s.suppression)
    return Dropped();
  if (uint32_t(s.maxSerious) + s.maxTrivial + 1 <= s.warnings)
    return 0;
  ++(level ? s.serious : s.trivial);
  ++s.warnings;
  std::string text = LineText(kMsgWarningLine, message);
  if (s.watch)
    ThrowWatch(text);
  return MakeErrorRecord(static_cast<int16_t>(level ? kSeriousWarningKind : kTrivialWarningKind), line, column, text);
}

unsigned ErrorListStatus() {
  const ErrorListState &s = State();
  unsigned bits = 0;
  if (s.head)
    bits |= kListHoldsRecords;
  if (s.records != s.warnings)
    bits |= kListHoldsErrors;
  return bits;
}

const sError *ErrorListHead() { return State().head; }
uint32_t ErrorRecordCount() { return State().records; }
uint16_t WarningCount() { return State().warnings; }
uint16_t SeriousWarningCount() { return State().serious; }
uint16_t TrivialWarningCount() { return State().trivial; }
uint16_t DroppedRecordCount() { return State().dropped; }
uint32_t &CompileErrorCount() { return State().errorCount; }
uint16_t &ErrorSuppression() { return State().suppression; }
bool &BracketReportFlag() { return State().bracketReport; }
bool &WatchCompileFlag() { return State().watch; }

void SetWarningLimits(uint16_t maxSerious, uint16_t maxTrivial) {
  State().maxSerious = maxSerious;
  State().maxTrivial = maxTrivial;
}

void SetMessageOutput(MessageOutput *output) { State().output = output; }

void ShowMessageFV(bool toBox, std::string_view format, const std::vector<plat::FormatArg> &args) {
  ErrorListState &s = State();
  if (s.quiet || !s.output)
    return;
  std::string text = plat::FormatTextV(format, args);
  if (text.size() >= kResourceBufferSize)
    text.resize(kResourceBufferSize - 1);
  if (toBox)
    s.output->ShowBox(GetResourceString(kMsgMessageTitle), text);
  else
    s.output->ShowWaitLine(text);
}

void DisableMessageOutput() { State().quiet = true; }
void EnableMessageOutput() { State().quiet = false; }
bool MessageOutputQuiet() { return State().quiet; }

namespace {
// Outlives the module reset: the compile installs it once.
DiagnosticSink *gDiagnosticSink = nullptr;
} // namespace

void SetDiagnosticSink(DiagnosticSink *sink) { gDiagnosticSink = sink; }
DiagnosticSink *CurrentDiagnosticSink() { return gDiagnosticSink; }

void InstallErrorListSink() {
  static ErrorListSink sink;
  SetDiagnosticSink(&sink);
}

void ResetErrorListModule() {
  FreeRecords();
  ClearErrorFileNames();
  State() = ErrorListState();
}

} // namespace tsw
