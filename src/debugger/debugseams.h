#pragma once

#include <cstddef> // before the link's records, which use size_t

#include "compcore/link/kernelvars.h"
#include "compcore/link/regframe.h"
#include "compcore/link/targetevent.h"
#include "debugger/insnenv.h"
#include "debugger/panetext.h"
#include "debugger/targetcpu.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the debugger engine needs of the world around it: the link to the
// board, the products of the last compile, and the user interface. Each is
// an interface because the other side lies outside the engine; tests put
// fakes in their place.
namespace tsw {

class DebugLink {
public:
  virtual ~DebugLink() = default;
  // A compile without a board: nothing is sent.
  virtual bool IsOffline() = 0;
  virtual bool UsesTcp() = 0;
  // The setting "Assume Corvid CPU".
  virtual bool AssumeCorvid() = 0;

  virtual void ReadTargetMemory(uint16_t count, ADDR24 address, uint8_t *out) = 0;
  virtual void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) = 0;

  // Serial link.
  virtual bool IsSerialPortOpen() = 0;
  virtual void CloseSerialPort() = 0;
  virtual void OpenSerialPort() = 0;
  // The kernel's status byte, masked.
  virtual uint8_t QueryTargetStatus(uint8_t mask) = 0;

  // TCP/IP link: each run-control operation is one request.
  virtual KernelVariables QueryKernelVariablesTcp() = 0;
  // Flag 0 restarts the program at `codeStart`; 1 runs on. The reply's frame.
  virtual RegisterFrame RunTargetTcp(uint8_t flag, uint16_t codeStart) = 0;
  virtual RegisterFrame StepInstructionTcp(uint8_t stepOver) = 0;
  virtual void StepStatementTcp(uint8_t stepOver) = 0;
  virtual void StopTargetTcp() = 0;
  // The byte the board replaced.
  virtual uint8_t SetBreakpointTcp(ADDR24 address, uint8_t opcode) = 0;
  virtual void ClearBreakpointTcp(ADDR24 address, uint8_t savedByte) = 0;
  virtual void SendKeyToTargetTcp(uint8_t key) = 0;
  // One pending message: the status flags of a stop event, masked; 0 when
  // nothing is pending. The event stays readable in LastEvent.
  virtual uint8_t PollTargetTcp(uint8_t mask) = 0;
  virtual const TargetEvent &LastEvent() = 0;
  virtual void ReadWatchValuesTcp() = 0;
};

// The last compile's products and the compiler's state the engine reads.
class DebugProducts {
public:
  virtual ~DebugProducts() = default;
  virtual std::optional<SourceLocation> FindSourceForAddress(ADDR24 address) = 0;
  // Line and column counted from 1; an address whose 16-bit part is 0 is none.
  virtual ADDR24 FindAddressForSource(const std::string &file, uint16_t line, uint16_t column) = 0;
  // The code start of each function of the compile, in compile order.
  virtual std::vector<ADDR24> FunctionAddresses() = 0;
  // ".exit", "..exit2", "..bp_init", ".watch".
  virtual uint16_t StartupLabel(const char *name) = 0;
  virtual uint16_t CodeStart() = 0;
  virtual uint16_t StackTop() = 0;
  virtual TargetCpu Cpu() = 0;
  virtual std::optional<uint16_t> FindRuntimeRoutine(const char *name) = 0;
  virtual const char *FindBiosSymbolByValue(ADDR24 address) = 0;
  virtual ADDR24 LookupXmem(ADDR24 address) = 0;
  virtual void ForEachSymbol(const std::function<bool(const SymbolView &)> &visit) = 0;
  virtual void ClearBiosSymbols() = 0;
  // 0 when the board's BIOS symbols were read.
  virtual int LoadBiosSymbolsFromBios() = 0;
  virtual uint8_t GetCompileStage() = 0;
  virtual void SetCompileStage(uint8_t stage) = 0;
};

// A text pane that lists lines: register, stack, dump.
class DebugLinePane {
public:
  virtual ~DebugLinePane() = default;
  virtual void Clear() = 0;
  virtual void AppendLine(const std::string &line) = 0;
  // Caret to the pane's home position.
  virtual void CaretHome() = 0;
};

// Text positions: line in the high 16 bits, column in the low 16.
using TextPosition = uint32_t;
constexpr TextPosition MakeTextPosition(uint16_t line, uint16_t column) { return uint32_t(line) << 16 | column; }

// The assembly pane.
class DebugListingPane {
public:
  virtual ~DebugListingPane() = default;
  virtual uint16_t FirstVisibleColumn() = 0;
  virtual void SetKeepCaretInView(bool keep) = 0;
  // Also empties the clock-count list.
  virtual void Clear() = 0;
  virtual void AppendLine(const std::string &line, int16_t clockCount) = 0;
  virtual TextPosition Cursor() = 0;
  virtual void SetCursor(TextPosition at) = 0;
  virtual void ClearColorRanges() = 0;
  // Lines [fromLine, toLine) in the execution-cursor colours.
  virtual void MarkExecutionLines(uint16_t fromLine, uint16_t toLine) = 0;
};

// The memory dump pane, whose addressing it shares with the dump dialog.
class DebugDumpPane {
public:
  virtual ~DebugDumpPane() = default;
  virtual DumpAddressing &Addressing() = 0;
  virtual void Clear() = 0;
  // One line down: the pane reads and shows the 128 bytes from there.
  virtual void ScrollLineDown() = 0;
};

enum class DebugColor { ExecutionCursor, Breakpoint };
enum class MainRunState : uint8_t { NotDebugging = 0, Stopped = 1, Running = 2 };

class DebugUi {
public:
  virtual ~DebugUi() = default;
  // Please-wait dialog.
  virtual void ShowPleaseWait(unsigned message) = 0;
  // Keeps the interface alive during a wait; may throw xUserCancel.
  virtual void Pump() = 0;

  // Source editors, by file name. OpenEditor opens or activates one; false
  // when the file has none.
  virtual bool OpenEditor(const std::string &file) = 0;
  virtual bool HasEditor(const std::string &file) = 0;
  // A range from `at` to the next character position.
  virtual void AddColorRange(const std::string &file, TextPosition at, DebugColor color) = 0;
  virtual void RemoveColorRange(const std::string &file, TextPosition at) = 0;
  virtual void ClearColorRanges(const std::string &file) = 0;
  virtual void SetEditorCursor(const std::string &file, TextPosition at) = 0;
  virtual void BringEditorToTop(const std::string &file) = 0;
  // The active editor's file and caret; nothing when no editor is active.
  virtual std::optional<std::pair<std::string, TextPosition>> ActiveEditorCaret() = 0;
  // The line a compiled position stands on in the editor's current text.
  virtual uint16_t EditorLineOf(const std::string &file, uint16_t line) = 0;
  // The main window marks a refresh that follows a reset.
  virtual bool RefreshFollowsReset() = 0;

  virtual void SetRunState(MainRunState state) = 0;
  virtual void ShowPriority(int value) = 0;
  virtual void ShowMessageBox(const std::string &text) = 0;

  // Panes: null when closed. ShowAssemblyPane opens it.
  virtual DebugListingPane *AssemblyPane() = 0;
  virtual DebugListingPane *ShowAssemblyPane() = 0;
  virtual DebugLinePane *RegisterPane() = 0;
  virtual DebugLinePane *StackPane() = 0;
  virtual bool IsDumpPaneOpen() = 0;
  // Opens the dump pane or brings it to the front; null when it cannot be
  // shown.
  virtual DebugDumpPane *ShowDumpPane() { return nullptr; }
  virtual void RefillDumpPane() = 0;
  virtual bool IsWatchPaneOpen() = 0;
  virtual void StoreWatchValues() = 0;
  virtual void ShowWatchValues(ADDR24 pc) = 0;

  // Standard input and output of the program.
  virtual void WriteStdioBlock(const uint8_t *bytes, size_t count) = 0;
  virtual std::optional<uint8_t> ReadStdioChar() = 0;
  virtual void ResetStdioFiles() = 0;
};

} // namespace tsw
