#include "debugger/enginestate.h"

#include "debugger/registerframe.h"
#include "debugger/stepper.h"
#include "foundation/memorymap.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "platform/format.h"

#include <algorithm>

namespace tsw {
namespace {

constexpr size_t kStepCodeBytes = 6;
constexpr uint8_t kStatusAll = 0xFF;
// A poll tick takes at most this many TCP/IP messages; the rest wait for
// the next tick, so a chatty board cannot hold the interface.
constexpr int kMaxTcpMessagesPerPoll = 32;
constexpr uint8_t kCorvidPriorityBits = 0x03;
constexpr uint8_t kZ180InterruptBit = 0x04;
constexpr uint16_t kXmemWindowForFaults = 0xE000;
constexpr uint8_t kFirstRunTimeError = 228;
constexpr uint8_t kLastRunTimeError = 253;
constexpr size_t kRunTimeErrorTextMax = 127;

constexpr unsigned kRunTimeErrorMessages[] = {
    788, 2093, 789, 790, 791, 792, 793, 794, 795, 796, 797, 798, 799,
    800, 801,  802, 803, 816, 817, 818, 819, 820, 822, 823, 824, 825,
};
static_assert(std::size(kRunTimeErrorMessages) == kLastRunTimeError - kFirstRunTimeError + 1);

bool IsCorvid() { return Products().Cpu() == TargetCpu::Corvid; }
bool IsBreakpointOpcode(uint8_t b) { return b == kTrapRst20 || b == kTrapRst18; }

// A byte in the BIOS is never patched.
bool AboveBios(ADDR24 address) { return address.logical > uint16_t(Products().CodeStart() - 1); }

uint16_t Label(const char *name) { return Products().StartupLabel(name); }

// Plants a trap; the byte it replaced goes to `kept`. A trap that does not
// read back was not planted.
void Plant(ADDR24 address, uint8_t trap, std::optional<uint8_t> known, std::vector<KeptByte> &kept, bool verify) {
  uint8_t original = 0;
  if (known)
    original = *known;
  else
    Link().ReadTargetMemory(1, address, &original);
  Link().WriteTargetMemory(1, address, &trap);
  if (verify) {
    uint8_t back = 0;
    Link().ReadTargetMemory(1, address, &back);
    if (back != trap)
      return;
  }
  kept.push_back({address, original});
}

std::string BaseName(const std::string &path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The start of the function that holds `address`, by the intervals between
// the compile's function starts.
std::optional<ADDR24> FunctionStartOf(ADDR24 address) {
  std::vector<ADDR24> starts = Products().FunctionAddresses();
  if (starts.empty())
    return std::nullopt;
  for (size_t i = 0; i + 1 < starts.size(); ++i)
    if (!Addr24Less(address, starts[i]) && Addr24Less(address, starts[i + 1]))
      return starts[i];
  return starts.back();
}

void ReportRunTimeError() {
  const TargetRegisterFrame &f = Engine().frame;
  Ui().ShowMessageBox(RunTimeErrorText(f.hl, f.hl_));
}

// Takes the execution colour from the marked position in `editorFile`'s
// editor; a breakpoint there gets its own colour back.
void MarkerOff(const std::string &editorFile) {
  ExecutionMarker &marker = Engine().marker;
  if (!marker.marked)
    return;
  Ui().RemoveColorRange(editorFile, marker.position);
  marker.marked = false;
  uint16_t line = uint16_t(marker.position >> 16), column = uint16_t(marker.position);
  if (HasBreakpointAt(uint16_t(line + 1), uint16_t(column + 1), marker.file))
    MarkBreakpointLine(line, column, true, marker.file);
}

// What every run and step command leaves behind in the interface.
void AfterRunCommand() {
  Engine().eventStack.reset();
  Ui().SetRunState(MainRunState::Running);
  if (DebugListingPane *pane = Ui().AssemblyPane())
    pane->ClearColorRanges();
  MarkerOff(Engine().marker.file);
}

void MarkBreakpointsInEditor(const std::string &file) {
  for (const Breakpoint &b : Breakpoints())
    if (b.file == file)
      MarkBreakpointLine(uint16_t(b.line - 1), uint16_t(b.column - 1), true, b.file);
}

int InterruptStateShown(uint8_t flags) { return IsCorvid() ? int(int8_t(flags)) : (flags & kZ180InterruptBit ? 1 : 0); }

void HandleStop(bool serial) {
  EngineState &e = Engine();
  e.runState &= uint8_t(~kRunStateRunning);
  if (!serial) {
    const TargetEvent &event = Link().LastEvent();
    e.frame = DecodeRegisterFrame(event.frame);
    e.listing.eventCode = event.code;
    e.eventStack = event.stack;
  }
  if (e.runState & kRunStateRefreshOnStop)
    RefreshDebugWindows();
  e.listing.eventCode.reset();
  Ui().SetRunState(MainRunState::Stopped);
  if (serial)
    Ui().ShowPriority(InterruptStateShown(ReadKernelByte(e.vars.savedFlagsWord)));
}

void PutBackKeptTraps() {
  if (!Engine().keptTraps.empty())
    RestoreKeptBytes(Engine().keptTraps);
}

} // namespace

std::string RunTimeErrorText(uint16_t hl, uint16_t hlAlternate) {
  uint8_t code = uint8_t(hl);
  if (code < kFirstRunTimeError || code > kLastRunTimeError)
    return plat::FormatText(GetResourceString(kMsgRunTimeErrorCode), code);
  char text[kRunTimeErrorTextMax + 1];
  LoadResourceString(kRunTimeErrorMessages[code - kFirstRunTimeError], text, sizeof text);
  uint8_t segment = hlAlternate >= kXmemWindowForFaults ? uint8_t(hl >> 8) : 0;
  ADDR24 fault = MakeAddr24(segment, hlAlternate);

  // The walk back ends at the start of the function that holds the fault.
  if (std::optional<ADDR24> start = FunctionStartOf(fault)) {
    for (ADDR24 at = fault; !Addr24Less(at, *start); at = Addr24Add(at, -1)) {
      if (std::optional<SourceLocation> where = Products().FindSourceForAddress(at))
        return plat::FormatText(GetResourceString(kMsgRunTimeErrorAt), text, BaseName(where->file), where->line);
      if (Addr24Equal(at, *start))
        break;
    }
  }
  return plat::FormatText(GetResourceString(kMsgRunTimeErrorAddress), text, segment, hlAlternate);
}

int StopBookkeeping() {
  TargetRegisterFrame &f = Engine().frame;
  if (IsHookBreakpointAt(ProgramCounterOf(f)))
    ++f.pc;
  if (f.pc == Label(kLabelExit)) {
    TargetRegisterFrame ended = f;
    ResetTargetProgram();
    Ui().ShowMessageBox(RunTimeErrorText(ended.hl, ended.hl_));
    return 1;
  }
  if (f.pc == Label(kLabelExit2)) {
    ReportRunTimeError();
    // Without a statement under the caret the program stays where it is.
    if (auto caret = Ui().ActiveEditorCaret()) {
      ADDR24 next = StatementAddressAt(caret->first, caret->second);
      if (next.logical != 0) {
        f.pc = next.logical;
        f.xpc = next.segment;
      }
    }
    return 1;
  }
  return 0;
}

void ResetTargetProgram() {
  EngineState &e = Engine();
  if (e.resetDepth > 0)
    return;
  ++e.resetDepth;
  struct Leave {
    int &depth;
    ~Leave() { --depth; }
  } leave{e.resetDepth};

  bool serial = !Link().UsesTcp();
  if (serial)
    PutBackKeptTraps();
  uint16_t codeStart = Products().CodeStart();
  ADDR24 entry = MakeDataAddr24(codeStart);
  e.frame.sp = Products().StackTop();
  e.frame.pc = entry.logical;
  e.frame.xpc = entry.segment;

  Ui().ResetStdioFiles();
  if (!e.marker.file.empty() && Ui().HasEditor(e.marker.file)) {
    Ui().ClearColorRanges(e.marker.file);
    MarkBreakpointsInEditor(e.marker.file);
  }
  if (serial) {
    RunKernelHelperForStepVariables();
    SetKernelRunFlag();
    RunTargetAndWait(e.frame, e.frame);
  } else {
    e.frame = DecodeRegisterFrame(Link().RunTargetTcp(0, codeStart));
  }
  if (e.frame.pc == Label(kLabelExit))
    e.frame.pc = codeStart;
  StopBookkeeping();
}

void StepInstruction(uint8_t trapOpcode, bool stepOverCalls) {
  SelectStepperTables(); // the processor of the compile now loaded
  EngineState &e = Engine();
  ADDR24 pc = ProgramCounterOf(e.frame);
  uint8_t code[kStepCodeBytes] = {};
  Link().ReadTargetMemory(kStepCodeBytes, pc, code);
  if (!stepOverCalls && code[0] == kDebugHook)
    stepOverCalls = true;
  std::optional<uint8_t> liftedOpcode;
  if (IsBreakpointOpcode(code[0])) {
    if (std::optional<uint8_t> saved = RestoreBreakpointByte(pc)) {
      liftedOpcode = code[0];
      code[0] = *saved;
    }
  }

  std::vector<KeptByte> planted;
  uint16_t length = InstructionLength(code, kStepCodeBytes, true);
  ADDR24 fallThrough = Addr24Add(pc, length);
  ADDR24 continuation;
  if (FindCallContinuation(code, kStepCodeBytes, &continuation)) {
    if (AboveBios(continuation))
      Plant(continuation, trapOpcode, std::nullopt, planted, false);
  } else {
    if (AboveBios(fallThrough)) {
      std::optional<uint8_t> known;
      if (length < kStepCodeBytes)
        known = code[length];
      Plant(fallThrough, trapOpcode, known, planted, false);
    }
    ADDR24 second;
    bool hasSecond =
        stepOverCalls ? FindBranchTarget(code, kStepCodeBytes, &second) : FindNextPc(code, kStepCodeBytes, &second);
    if (hasSecond) {
      if (AboveBios(second))
        Plant(second, trapOpcode, std::nullopt, planted, true);
      else if (!(e.runState & kRunStateRunning))
        WriteKernelControlWords();
    }
  }
  if (liftedOpcode)
    planted.insert(planted.begin(), KeptByte{pc, *liftedOpcode});

  try {
    ReadTargetRegisters(e.frame);
    RunTargetAndWait(e.frame, e.frame);
  } catch (const xTCErr &error) {
    if (error.Message() != kMsgKernelNoReturn) {
      // The link failed: nothing more is written; the next reset puts the
      // bytes back.
      e.keptTraps.insert(e.keptTraps.end(), planted.begin(), planted.end());
      throw;
    }
    RestoreKeptBytes(planted);
    throw;
  } catch (...) {
    RestoreKeptBytes(planted);
    throw;
  }
  // The last planted goes back first, the lifted breakpoint opcode last: a
  // trap planted where a breakpoint stands (jr $) must not overwrite it.
  RestoreKeptBytes(planted);
}

void RunFromPc(uint8_t trapOpcode) {
  ADDR24 before = ProgramCounterOf(Engine().frame);
  StepInstruction(trapOpcode, false);
  if (!Addr24Equal(ProgramCounterOf(Engine().frame), before))
    ResumeKernel(Engine().frame);
}

void StartTargetRun() {
  // Over TCP/IP too: a stop must refresh the panes whichever link saw it.
  Engine().runState |= kRunStateRunning | kRunStateRefreshOnStop;
  if (Link().UsesTcp())
    Engine().frame = DecodeRegisterFrame(Link().RunTargetTcp(1, 0));
  else
    RunFromPc(kTrapRst20);
  AfterRunCommand();
}

namespace {

void StepCommand(bool stepOver) {
  EngineState &e = Engine();
  bool instructionLevel = Ui().AssemblyPane() != nullptr;
  e.runState = uint8_t((e.runState & ~kRunStateRunning) | kRunStateRefreshOnStop);
  if (Link().UsesTcp()) {
    uint8_t flag = stepOver ? 1 : 0;
    if (instructionLevel) {
      e.frame = DecodeRegisterFrame(Link().StepInstructionTcp(flag));
    } else {
      Link().StepStatementTcp(flag);
    }
  } else {
    if (instructionLevel) {
      StepInstruction(kTrapRst20, stepOver);
    } else {
      if (stepOver)
        WriteKernelControlWords();
      else
        SetKernelRunFlag();
      RunFromPc(kTrapRst20);
    }
  }
  AfterRunCommand();
}

} // namespace

void StepOverCommand() { StepCommand(true); }
void TraceIntoCommand() { StepCommand(false); }

void StopTargetProgram() {
  if (Link().UsesTcp())
    Link().StopTargetTcp();
  else
    RequestKernelStop();
}

void ToggleTargetInterrupts() {
  uint16_t at = Engine().vars.savedFlagsWord;
  uint8_t flags = ReadKernelByte(at);
  if (IsCorvid())
    flags = flags & kCorvidPriorityBits ? uint8_t(flags & ~kCorvidPriorityBits) : uint8_t(flags | kCorvidPriorityBits);
  else
    flags ^= kZ180InterruptBit;
  WriteKernelByte(at, flags);
}

void PollTargetStatus() {
  if (!Link().UsesTcp()) {
    uint8_t status = Link().QueryTargetStatus(kStatusAll);
    if (status & kStatusNothing)
      return;
    if (status & kStatusStdioWaiting)
      ReadTargetStdio();
    if (status & kStatusStopped)
      HandleStop(true);
    if (status & kStatusWantsInput) {
      if (std::optional<uint8_t> key = Ui().ReadStdioChar()) {
        WriteKernelByte(Engine().vars.stdinByte, *key);
        WriteKernelByte(uint16_t(Engine().vars.stdinByte - 1), 0);
      }
    }
    return;
  }
  for (int i = 0; i < kMaxTcpMessagesPerPoll; ++i) {
    uint8_t status = Link().PollTargetTcp(kStatusAll);
    if (status == 0)
      break;
    if (status & kStatusNothing)
      continue;
    if (status & kStatusStopped)
      HandleStop(false);
    if (status & kStatusWantsInput)
      if (std::optional<uint8_t> key = Ui().ReadStdioChar())
        Link().SendKeyToTargetTcp(*key);
  }
}

void RefreshDebugWindows() {
  EngineState &e = Engine();
  e.runState &= uint8_t(~kRunStateRefreshOnStop);
  bool serial = !Link().UsesTcp();
  if (serial) {
    ClearKernelStepFlag();
    ReadTargetRegisters(e.frame);
  }
  if (Ui().IsWatchPaneOpen()) {
    if (!serial) {
      Link().ReadWatchValuesTcp();
      Ui().StoreWatchValues();
    }
    Ui().ShowWatchValues(ProgramCounterOf(e.frame));
  }
  StopBookkeeping();

  if (DebugListingPane *pane = Ui().AssemblyPane())
    ShowDisassemblyAt(ProgramCounterOf(e.frame), 0, *pane);
  if (Ui().IsDumpPaneOpen())
    Ui().RefillDumpPane();
  if (DebugLinePane *pane = Ui().StackPane())
    FormatStackWindow(*pane, e.frame, kStackPaneWords);
  if (DebugLinePane *pane = Ui().RegisterPane())
    FormatRegisterWindow(*pane, e.frame);

  std::optional<SourceLocation> where = Products().FindSourceForAddress(ProgramCounterOf(e.frame));
  if (!where || where->line == 0 || where->column == 0 || !Ui().OpenEditor(where->file))
    return;
  TextPosition at = MakeTextPosition(uint16_t(where->line - 1), uint16_t(where->column - 1));
  ExecutionMarker &marker = e.marker;
  MarkerOff(where->file);
  marker.marked = true;
  marker.position = at;
  if (!Ui().RefreshFollowsReset())
    Ui().SetEditorCursor(where->file, at);
  marker.file = where->file;
  Ui().RemoveColorRange(where->file, at);
  Ui().AddColorRange(where->file, at, DebugColor::ExecutionCursor);
  Ui().BringEditorToTop(where->file);
}

} // namespace tsw
