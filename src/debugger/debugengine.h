#pragma once

#include "debugger/debugseams.h"
#include "debugger/listing.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>
#include "foundation/msgnumbers.h"

// The debugger engine: the debug kernel's variables and flags, run control
// and stop handling, breakpoints, and the panes' contents after a stop. Its
// state is one record, emptied by ResetDebugEngine.
namespace tsw {

// Trap opcodes: the two breakpoint kinds, and the hook that begins each
// statement of debug code.
inline constexpr uint8_t kTrapRst18 = 0xDF;
inline constexpr uint8_t kTrapRst20 = 0xE7;
inline constexpr uint8_t kDebugHook = 0xEF;

// Run-state bits of the engine (not the main window's run state).
inline constexpr uint8_t kRunStateRunning = 0x01;
inline constexpr uint8_t kRunStateRefreshOnStop = 0x02;

inline constexpr const char *kLabelExit = ".exit";
inline constexpr const char *kLabelExit2 = "..exit2";
inline constexpr const char *kLabelBpInit = "..bp_init";


struct Breakpoint {
  ADDR24 address;
  uint16_t line = 0;   // from 1
  uint16_t column = 0; // from 1
  std::string file;
  uint8_t savedByte = 0;
};

struct ExecutionMarker {
  bool marked = false;
  TextPosition position = 0; // 0-based line and column
  std::string file;
};

// ---- kernel access ---------------------------------------------------------

void TargetConnect();
void ReadKernelDirectory();
int CheckKernelSignature();
void SynchronizeDebugKernel();
void ResumeKernel(const TargetRegisterFrame &frame);
void RunTargetAndWait(const TargetRegisterFrame &in, TargetRegisterFrame &out);
void ReadTargetRegisters(TargetRegisterFrame &out);
void SetKernelRunFlag();
void RequestKernelStop();
void RunKernelHelperForStepVariables();
void WriteKernelControlWords();
void ClearKernelStepFlag();
void PulseKernelFlag(uint8_t value);
void PollTargetStdioSerial();
void ReadTargetStdio();
const KernelVariables &KernelVariablesInUse();

// ---- run control -----------------------------------------------------------

void ResetTargetProgram();
void StartTargetRun();
void StepOverCommand();
void TraceIntoCommand();
void StopTargetProgram();
void ToggleTargetInterrupts();
void PollTargetStatus();
void RefreshDebugWindows();
void StepInstruction(uint8_t trapOpcode, bool stepOverCalls);
void RunFromPc(uint8_t trapOpcode);
// 1 when the program stopped at one of its exit labels.
int StopBookkeeping();
// The message a stop at an exit label shows, from the frame's HL and HL'.
std::string RunTimeErrorText(uint16_t hl, uint16_t hlAlternate);

TargetRegisterFrame &ProgramFrame();
uint8_t EngineRunState();
const ExecutionMarker &ExecutionMarkerInUse();

// ---- breakpoints -----------------------------------------------------------

struct EditorCaret {
  std::string file;
  TextPosition caret = 0;
};
int ToggleBreakpointAtCursor(uint8_t opcode, const EditorCaret *editor);
void ToggleBreakpoint(ADDR24 address, uint8_t opcode);
void RemoveBreakpoint(ADDR24 address);
void DiscardBreakpoints();
bool HasBreakpointAt(uint16_t line, uint16_t column, const std::string &file);
bool IsHookBreakpointAt(ADDR24 address);
void RestoreOriginalBytes(ADDR24 start, ADDR24 end, uint8_t *buffer);
// The saved byte, written back to the board; nothing when no breakpoint is
// planted there.
std::optional<uint8_t> RestoreBreakpointByte(ADDR24 address);
void MarkBreakpointLine(uint16_t line, uint16_t column, bool on, const std::string &file);
const std::vector<Breakpoint> &Breakpoints();

// ---- panes -----------------------------------------------------------------

inline constexpr uint8_t kListingForceRead = 0x01;
inline constexpr uint8_t kListingCaretAtAddress = 0x02;
inline constexpr size_t kStackPaneWords = 8;

void ShowDisassemblyAt(ADDR24 address, uint8_t mode, DebugListingPane &pane);
void ShowAssemblyAtPc(DebugListingPane &pane);
int ShowAssemblyAtAddress(ADDR24 address);
int DisassembleAtCursor();
// The next listing reads the board again (every compile).
void ClearListingState();
const Listing &CurrentListing();

// The dump of 128 bytes into the pane, or of `length` bytes (in blocks of
// 128) into `file` when one is given.
void FillDumpWindow(const DumpAddressing &at, DebugLinePane *pane, uint32_t length, std::ostream *file);

void WritePcLocationLines(ADDR24 address, DebugLinePane &pane);
void FormatRegisterWindow(DebugLinePane &pane, const TargetRegisterFrame &frame);
void FormatStackWindow(DebugLinePane &pane, const TargetRegisterFrame &frame, size_t words);

// Installs the seams and the engine's instruction environment.
void SetDebugSeams(DebugLink *link, DebugProducts *products, DebugUi *ui);
// Empties the engine's state (the seams stay).
void ResetDebugEngine();

} // namespace tsw
