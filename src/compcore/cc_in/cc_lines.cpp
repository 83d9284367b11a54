#include "compcore/cc_in/cc_lines.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/restext.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tsw {

namespace {
constexpr uint16_t kProloguePasses = 4;
constexpr uint16_t kProgressInterval = 10;
} // namespace

// ---- streams --------------------------------------------------------------

bool MemoryLineStream::ReadLine(std::string &line) {
  if (pendingEmpty_) {
    pendingEmpty_ = false;
    line.clear();
    return true;
  }
  if (pos_ >= text_.size())
    return false;
  size_t end = text_.find('\n', pos_);
  if (end == std::string::npos) {
    line.assign(text_, pos_, std::string::npos);
    pos_ = uint32_t(text_.size());
  } else {
    line.assign(text_, pos_, end - pos_);
    pos_ = uint32_t(end + 1);
    if (pos_ == text_.size())
      pendingEmpty_ = true; // a file ending in a line feed has one more, empty, line
  }
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

bool MemoryLineStream::Seek(uint32_t offset) {
  if (offset > text_.size())
    return false;
  pos_ = offset;
  pendingEmpty_ = offset == text_.size() && offset > 0 && text_[offset - 1] == '\n';
  return true;
}

namespace {
std::shared_ptr<const std::string> ReadFileText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return nullptr;
  std::ostringstream all;
  all << in.rdbuf();
  return std::make_shared<const std::string>(all.str());
}
} // namespace

std::unique_ptr<LineStream> OpenFileLineStream(const std::string &path) {
  std::shared_ptr<const std::string> text = ReadFileText(path);
  return text ? std::make_unique<MemoryLineStream>(std::move(text)) : nullptr;
}

namespace {
class ProviderLineStream : public LineStream {
public:
  explicit ProviderLineStream(const LineProvider &provider) : provider_(provider) {}
  bool ReadLine(std::string &line) override {
    if (AtEnd())
      return false;
    line = provider_.GetLine(next_++);
    return true;
  }
  uint32_t Tell() const override { return next_; }
  bool Seek(uint32_t offset) override {
    if (offset > provider_.LineCount())
      return false;
    next_ = offset;
    return true;
  }
  bool AtEnd() const override { return next_ >= provider_.LineCount(); }

private:
  const LineProvider &provider_;
  uint32_t next_ = 0;
};
} // namespace

std::unique_ptr<LineStream> MakeProviderLineStream(const LineProvider &provider) {
  return std::make_unique<ProviderLineStream>(provider);
}

// ---- library segments -----------------------------------------------------

namespace {
SourceFileHooks gHooks;

void StartPositions(const std::string &name, uint16_t line, uint16_t column) {
  CodeGen().StartStatementPositions(name, line, column);
}
void FlushPosition() { CodeGen().FlushStatementPosition(CurrentSourceLine(), CurrentSourceColumn()); }
// Diagnostics are filed under the file being read; the error list's list
// of file names grows only when that file changes.
void SetCurrentSourceFile(const std::string &name, bool isProgram) {
  SetCurrentSourceFileName(name);
  if (CurrentErrorFileName() != name)
    SetErrorFileName(name, isProgram ? 1 : 0);
}
void NotifyBegin(const std::string &name, uint16_t firstLine, bool isProgram) {
  SetCurrentSourceFile(name, isProgram);
  StartPositions(name, firstLine, 0);
  if (gHooks.onBegin)
    gHooks.onBegin(name);
}
void NotifyEnd(const std::string &name) {
  FlushPosition();
  // Brackets and comments left open are the file's own faults.
  ReportUnclosedBrackets();
  if (gHooks.onEnd)
    gHooks.onEnd(name);
}
} // namespace

bool ModThread::OpenSegment(const ModuleSegment &segment) {
  stream_.reset();
  segment_ = segment;
  line_ = segment.firstLine;
  if (!text_ || textPath_ != segment.libraryPath) {
    textPath_ = segment.libraryPath;
    text_ = ReadFileText(segment.libraryPath);
  }
  if (text_)
    stream_ = std::make_unique<MemoryLineStream>(text_);
  if (stream_ && !stream_->Seek(segment.start))
    stream_.reset();
  if (!stream_)
    return false;
  NotifyBegin(segment.libraryPath, segment.firstLine, false);
  return true;
}

bool ModThread::ReadLine(std::string &line) {
  if (!stream_)
    return false;
  lineStart_ = stream_->Tell();
  if (lineStart_ >= segment_.end || !stream_->ReadLine(line)) {
    stream_.reset();
    NotifyEnd(segment_.libraryPath);
    return false;
  }
  ++line_;
  return true;
}

SourcePosition ModThread::Position() const {
  return {SourceKind::kLibraryLink, lineStart_, uint16_t(line_ ? line_ - 1 : 0), 0};
}

uint32_t ModThread::NextLineStart() const { return stream_ ? stream_->Tell() : lineStart_; }

bool ModThread::Resume(const SourcePosition &pos) {
  if (!stream_ || !stream_->Seek(pos.streamOffset))
    return false;
  line_ = pos.line;
  return true;
}

void OneLbThread::Begin(std::vector<ModuleSegment> segments) {
  segments_ = std::move(segments);
  next_ = 0;
  mod_.Close(); // each #use reads its library as it stands now
  OpenNext();
}

bool OneLbThread::OpenNext() {
  while (next_ < segments_.size())
    if (mod_.OpenSegment(segments_[next_++]))
      return true;
  return false;
}

int OneLbThread::ReadLine(std::string &line) {
  if (mod_.ReadLine(line))
    return 1;
  while (OpenNext())
    if (mod_.ReadLine(line))
      return 2;
  return 0;
}

// ---- the state machine ----------------------------------------------------

namespace {

enum SourceState : int {
  kProgramState = 0,
  kLineTableState = 1,
  kPrologueState = 2,
  kLinkState = 3,
  kInterleaveState = 4,
  kStackState = 5,
};

struct Program {
  std::string name;
  std::unique_ptr<LineStream> stream;
  std::vector<uint32_t> lineOffsets; // start offset of each 0-based line read
  uint16_t nextLine = 0;
  uint16_t skip = 0; // bytes to skip at the start of the next line
  bool started = false;
};

struct StackItem {
  int savedState;
  uint16_t savedLine;
  std::string savedFile;
  bool savedIsProgram;
  OneLbThread thread;
};

struct LineSources {
  int state = kPrologueState;
  uint16_t prologue = 0;
  PrologueSettings settings;
  Program program;
  std::vector<std::unique_ptr<StackItem>> stack;
  ModThread link;
  bool linkActive = false;
  SourcePosition interleaveResume;
  std::vector<std::string> lineTable;
  uint16_t tableNext = 0;
  uint16_t currentLine = 0;
  std::string currentFile;
  bool currentIsProgram = false;
  uint32_t delivered = 0;
  bool progressEnabled = false;
  uint16_t progressCountdown = 0;
  std::string buffer;
  LibraryIndexLink *index = nullptr;
};

LineSources &State() {
  static LineSources s;
  return s;
}

void Deliver(uint16_t line, const std::string &file, bool isProgram) {
  State().currentLine = line;
  State().currentFile = file;
  State().currentIsProgram = isProgram;
}

bool StartNextLinkModule() {
  LineSources &s = State();
  ModuleSegment body;
  while (s.index && s.index->NextModuleToLink(body))
    if (s.link.OpenSegment(body))
      return true;
  return false;
}

const char *ReadLink() {
  LineSources &s = State();
  for (;;) {
    if (s.link.HasMore() && s.link.ReadLine(s.buffer)) {
      Deliver(uint16_t(s.link.LineNumber() - 1), s.link.Path(), false);
      return s.buffer.c_str();
    }
    if (!StartNextLinkModule())
      return nullptr;
  }
}

const char *ReadProgram() {
  LineSources &s = State();
  Program &p = s.program;
  if (!p.stream || p.stream->AtEnd())
    return nullptr;
  uint32_t start = p.stream->Tell();
  if (!p.stream->ReadLine(s.buffer))
    return nullptr;
  if (p.lineOffsets.size() <= p.nextLine)
    p.lineOffsets.resize(p.nextLine + 1u);
  p.lineOffsets[p.nextLine] = start;
  Deliver(p.nextLine, p.name, true);
  ++p.nextLine;
  uint16_t skip = std::min<uint16_t>(p.skip, uint16_t(s.buffer.size()));
  p.skip = 0;
  ReportLinePosition(s.currentLine, skip);
  return s.buffer.c_str() + skip;
}

void StartProgram() {
  LineSources &s = State();
  s.state = kProgramState;
  if (s.program.started)
    return;
  s.program.started = true;
  s.program.nextLine = 0;
  s.program.skip = 0;
  s.program.lineOffsets.clear();
  if (s.program.stream)
    s.program.stream->Seek(0);
  s.progressCountdown = 0;
  s.progressEnabled = true;
  // What the library headers of the prologue switched off does not reach
  // the program: it starts with debug code on, as after "#debug".
  SetDebugAttributes(Attributes().directiveDefaults, true);
  NotifyBegin(s.program.name, 0, true);
}

const char *PrologueLine() {
  LineSources &s = State();
  static const std::string kEmpty;
  const bool bios = s.settings.biosCompile;
  char text[300];
  switch (s.prologue) {
  case 4:
    --s.prologue;
    if (!bios)
      return kEmpty.c_str();
    std::snprintf(text, sizeof text, "#define ROM %d", s.settings.romOutput ? 0 : 1);
    break;
  case 3:
    --s.prologue;
    if (!bios)
      return kEmpty.c_str();
    std::snprintf(text, sizeof text, "#define CC_VER 0x%x", unsigned(s.settings.packedVersion));
    break;
  case 2:
    --s.prologue;
    if (bios)
      return kEmpty.c_str();
    std::snprintf(text, sizeof text, "#use %s", s.settings.defaultHeader.c_str());
    break;
  default:
    if (s.prologue)
      --s.prologue;
    return nullptr;
  }
  s.buffer = text;
  return s.buffer.c_str();
}

// Each tenth line of the program (the first among them) is reported.
void ReportProgress() {
  LineSources &s = State();
  if (!s.progressEnabled || s.state != kProgramState)
    return;
  if (s.progressCountdown--)
    return;
  s.progressCountdown = kProgressInterval - 1;
  // Line numbers are kept from 0; the editor counts them from 1.
  ShowMessage<kMsgCompilingLine>(false, int(s.currentLine) + 1);
}

const char *NextLineOfAnySource() {
  LineSources &s = State();
  for (;;) {
    switch (s.state) {
    case kPrologueState:
      if (const char *line = PrologueLine()) {
        Deliver(0, s.program.name, true);
        return line;
      }
      if (s.prologue)
        continue;
      StartProgram();
      continue;
    case kProgramState:
      if (const char *line = ReadProgram())
        return line;
      NotifyEnd(s.program.name);
      s.progressEnabled = false;
      s.state = kLinkState;
      if (!s.linkActive) {
        s.linkActive = true;
        StartNextLinkModule();
      }
      continue;
    case kLinkState:
    case kInterleaveState: return ReadLink();
    case kStackState: {
      StackItem &top = *s.stack.back();
      if (top.thread.ReadLine(s.buffer)) {
        const ModThread &m = top.thread.Current();
        Deliver(uint16_t(m.LineNumber() - 1), m.Path(), false);
        return s.buffer.c_str();
      }
      PopLineSource();
      continue;
    }
    case kLineTableState:
      if (s.tableNext >= s.lineTable.size())
        return nullptr;
      s.buffer = s.lineTable[s.tableNext];
      Deliver(s.tableNext++, s.program.name, true);
      return s.buffer.c_str();
    default: return nullptr;
    }
  }
}

} // namespace

void ResetLineSourcesModule() {
  LineSources &s = State();
  LibraryIndexLink *index = s.index;
  s = LineSources();
  s.index = index;
  gHooks = {};
}

void SetLibraryIndexLink(LibraryIndexLink *link) { State().index = link; }
bool ProgressEnabled() { return State().progressEnabled; }
void SetSourceFileHooks(SourceFileHooks hooks) { gHooks = std::move(hooks); }

void SetProgramSource(std::string name, std::unique_ptr<LineStream> stream) {
  State().program.name = std::move(name);
  State().program.stream = std::move(stream);
  State().program.started = false;
}

void ResetLineSources(const PrologueSettings &settings) {
  PopAllLineSources();
  LineSources &s = State();
  s.settings = settings;
  s.state = kPrologueState;
  s.prologue = kProloguePasses;
  s.currentLine = 0;
  s.program.started = false;
  s.link.Close();
  s.linkActive = false;
  s.delivered = 0;
  s.progressEnabled = false;
}

void ResetLineSourcesAt(uint16_t line, uint16_t column) {
  PopAllLineSources();
  LineSources &s = State();
  s.prologue = 0;
  s.program.started = true;
  s.state = kProgramState;
  s.program.nextLine = 0;
  s.program.lineOffsets.clear();
  if (s.program.stream)
    s.program.stream->Seek(0);
  // Find the line by reading up to it, so that its offset is known.
  std::string skipLine;
  while (s.program.stream && s.program.nextLine + 1 < line && !s.program.stream->AtEnd()) {
    s.program.lineOffsets.push_back(s.program.stream->Tell());
    s.program.stream->ReadLine(skipLine);
    ++s.program.nextLine;
  }
  s.program.skip = column ? uint16_t(column - 1) : 0;
  s.progressEnabled = false;
  SetCurrentSourceFile(s.program.name, true);
  StartPositions(s.program.name, s.program.nextLine, s.program.skip);
}

void BeginLineTableSource(std::vector<std::string> lines) {
  State().lineTable = std::move(lines);
  State().tableNext = 0;
  State().state = kLineTableState;
}

const char *GetNextSourceLine() {
  ++State().delivered;
  const char *line = NextLineOfAnySource();
  ReportProgress();
  return line;
}

uint16_t CurrentLine() { return State().currentLine; }
const std::string &CurrentSourceFile() { return State().currentFile; }
bool CurrentSourceIsProgram() { return State().currentIsProgram; }
uint32_t LinesDelivered() { return State().delivered; }
int SourceState() { return State().state; }

void PushLibraryHeaders(const std::string &given) {
  LineSources &s = State();
  std::string name = given;
  for (char &c : name)
    c = char(std::toupper(static_cast<unsigned char>(c)));
  std::string path;
  std::vector<ModuleSegment> headers;
  bool alreadyUsed = false;
  if (!s.index || !s.index->UseLibrary(name, path, headers, alreadyUsed)) {
    CompileError<kMsgUnknownLibrary>(name);
    return;
  }
  if (alreadyUsed)
    return;
  auto item = std::make_unique<StackItem>();
  item->savedState = s.state;
  item->savedLine = s.currentLine;
  item->savedFile = s.currentFile;
  item->savedIsProgram = s.currentIsProgram;
  s.stack.push_back(std::move(item));
  s.state = kStackState;
  s.stack.back()->thread.Begin(std::move(headers));
}

void PopLineSource() {
  LineSources &s = State();
  if (s.stack.empty())
    return;
  StackItem &top = *s.stack.back();
  if (top.thread.HasMore()) {
    top.thread.Current().Close();
    NotifyEnd(top.thread.Current().Path());
  }
  s.state = top.savedState;
  Deliver(top.savedLine, top.savedFile, top.savedIsProgram);
  SetCurrentSourceFile(top.savedFile, top.savedIsProgram);
  StartPositions(top.savedFile, top.savedLine, 0);
  s.stack.pop_back();
}

void PopAllLineSources() {
  while (!State().stack.empty())
    PopLineSource();
}

void CloseAllLineSources() {
  PopAllLineSources();
  State().link.Close();
}

SourcePosition PositionOfLine(uint16_t line1, uint16_t column1) {
  LineSources &s = State();
  // Line numbers wrap past 65535 (#linenum makes that easy): the same
  // arithmetic that numbered the line finds it again.
  uint16_t line0 = uint16_t(line1 - 1);
  uint16_t column0 = column1 ? uint16_t(column1 - 1) : 0;
  switch (s.state) {
  case kProgramState:
  case kLineTableState: {
    const auto &offsets = s.program.lineOffsets;
    uint32_t offset = line0 < offsets.size() ? offsets[line0] : (s.program.stream ? s.program.stream->Tell() : 0);
    return {s.state == kProgramState ? SourceKind::kProgram : SourceKind::kLineTable, offset, line0, column0};
  }
  case kLinkState:
  case kInterleaveState: {
    SourcePosition pos = s.link.Position();
    pos.column = column0;
    return pos;
  }
  case kStackState: {
    SourcePosition pos = s.stack.back()->thread.Current().Position();
    pos.source = SourceKind::kLibraryHeaders;
    pos.column = column0;
    return pos;
  }
  default: return {};
  }
}

SourcePosition NextLinePosition() {
  LineSources &s = State();
  switch (s.state) {
  case kProgramState:
    return {SourceKind::kProgram, s.program.stream ? s.program.stream->Tell() : 0, s.program.nextLine, 0};
  case kLineTableState: return {SourceKind::kLineTable, 0, s.tableNext, 0};
  case kLinkState:
  case kInterleaveState: return {SourceKind::kLibraryLink, s.link.NextLineStart(), s.link.LineNumber(), 0};
  case kStackState: {
    const ModThread &m = s.stack.back()->thread.Current();
    return {SourceKind::kLibraryHeaders, m.NextLineStart(), m.LineNumber(), 0};
  }
  default: return {};
  }
}

bool ResumeAt(const SourcePosition &pos) {
  LineSources &s = State();
  switch (pos.source) {
  case SourceKind::kProgram:
    if (!s.program.stream || !s.program.stream->Seek(pos.streamOffset))
      return false;
    s.program.nextLine = pos.line;
    s.program.skip = pos.column;
    s.state = kProgramState;
    return true;
  case SourceKind::kLineTable: s.tableNext = pos.line; return true;
  case SourceKind::kLibraryLink: return s.link.Resume(pos);
  case SourceKind::kLibraryHeaders: return !s.stack.empty() && s.stack.back()->thread.Current().Resume(pos);
  default: return false;
  }
}

bool BeginInterleave(const SourcePosition &resume) {
  LineSources &s = State();
  if (s.state != kProgramState)
    return false;
  s.interleaveResume = resume;
  s.state = kInterleaveState;
  s.progressEnabled = false;
  s.linkActive = true;
  if (!s.link.HasMore())
    StartNextLinkModule();
  return true;
}

bool LinkHasData() { return State().link.HasMore(); }
size_t PendingLinkNames() { return State().index ? State().index->PendingNameCount() : 0; }
bool InInterleave() { return State().state == kInterleaveState; }

bool EndInterleaveIfDone() {
  LineSources &s = State();
  if (s.state != kInterleaveState || s.link.HasMore())
    return false;
  s.link.Close();
  s.linkActive = false;
  ResumeAt(s.interleaveResume);
  SetCurrentSourceFile(s.program.name, true);
  StartPositions(s.program.name, s.interleaveResume.line, s.interleaveResume.column);
  s.progressEnabled = true;
  return true;
}

void SetLineNumberOfNextLine(uint16_t line1) {
  LineSources &s = State();
  if (s.state == kProgramState)
    s.program.nextLine = line1 ? uint16_t(line1 - 1) : 0;
}

} // namespace tsw
