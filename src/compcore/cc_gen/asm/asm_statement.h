#pragma once

#include "compcore/cc_gen/asm/asm_tables.h"
#include "foundation/msgcatalog.h"

#include <cstdint>
#include <string_view>

// One statement of an #asm line assembled into bytes at the current code
// address: labels, prefixes, the instruction, its operands and their
// fixups. The bytes go out one by one through the code-byte emitter, so the
// caches, the listing and the I/O-prefix check see them like any other code.
namespace tsw::assembler {

// What the assembler needs of the compiler above the code generator.
// Until the statement compiler installs itself, a C line is an internal
// error rather than a statement silently left out; the map file records
// nothing.
class AsmHost {
public:
  virtual ~AsmHost() = default;
  // A line that begins with "c": its rest is one C statement.
  virtual void CompileCStatement(std::string_view text);
  // A global label closes the previous function of the map file and opens
  // its own.
  virtual void EnterMapFunction(std::string_view name) { (void)name; }
  // A call names its target: an edge of the map's call graph.
  virtual void NoteMapCall(std::string_view callee) { (void)callee; }
};
void SetAsmHost(AsmHost *host);
AsmHost &CurrentAsmHost();

// The instruction set of the target processor; called whenever the target
// processor is chosen.
void SelectAsmCpuTables();
AsmCpu SelectedAsmCpu();

// Assembles one statement of `line` from `position`. The answer is 1 when
// the statement ended at "$" (the position then stands after it), else 0.
// `recordPositions` asks for a source position per statement that emitted
// bytes. `line0`/`firstColumn` place the text in the source for positions
// and diagnostics.
uint16_t AssembleLine(std::string_view line, size_t &position, bool recordPositions, uint16_t firstColumn = 0);

// The emitter's question before its next byte: an instruction reading or
// writing through (hl) right after an I/O-prefixed statement needs a NOP
// first. Asking clears the question.
bool NeedsNopBefore(uint8_t opcode);

// Fatal at the current line, at the token being read.
[[noreturn]] void AsmError(PlainMessage message);

// A compile starts with no NOP pending from the one before.
void StartAssemblerPass();
void ResetAssemblerModule();

} // namespace tsw::assembler
