#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Assembles the byte road of the compiler: the fixed emit caches, where
// their runs go, the label tables' services and every participant of the
// statement snapshot. The compiler's assembly builds it with every reset and
// installs its code generator and pending-label list.
namespace tsw {

class CodeGenerator;
class PendingLabelNames;

// Every module of the byte road back to its start, the caches built afresh
// and the snapshot's participants registered.
void ResetByteRoad();
// Before each compile: the label tables emptied, the directories and the
// shadow image as a BIOS compile starts them or as the BIOS left them.
void ResetByteRoadForCompile(bool biosCompile);

// The one code generator of the compiler, as far as the byte road serves it.
CodeGenerator &ByteRoadCodeGenerator();
PendingLabelNames &ByteRoadPendingLabels();

// Both label tables emptied silently, then the watch expression's entry
// defined: each compile's label state.
void ResetLabelsForCompile();

// The byte road's share of the start of one compile: the outputs that
// `mode` asks for (1 files, 0 the board) decided and the listing opened
// before the program text; the compile driver writes what follows it.
void BeginByteRoadPass(const std::string &programPath, bool biosCompile, uint16_t mode);

// The debugger's instruction tables follow the processor whenever a compile
// selects one; null leaves them to the debugger.
void SetDebuggerTableSelectors(std::function<void()> disassembler, std::function<void()> stepper);

// The IDE's settings the code and the image files follow.
struct ShellCodeSettings {
  bool noBouncers = true;
  bool includeTimeStamp = true;
  bool zeroPadBin = false;
};
// Where each compile reads them; null leaves the settings as they stand
// (a compile without the IDE, or a test that sets them itself).
void SetShellCodeSettings(std::function<ShellCodeSettings()> source);
// At the start of each compile, before anything reads them.
void ApplyShellCodeSettings();

} // namespace tsw
