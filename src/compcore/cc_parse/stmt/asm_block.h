#pragma once

#include <cstdint>

// Assembly inside a function body: "#asm" up to "#endasm", or "asm" with
// its statements on the rest of the line. The code around it is compiled
// knowing nothing of what the assembly left in the registers or flags.
namespace tsw {

// After "#asm": the options of its line, then the block's lines.
uint16_t CompileAsmBlockStatement();
// After "asm": the rest of the line, its options first.
uint16_t CompileAsmLineStatement();
// "#endasm" where no block is open: reported as the unmatched bracket.
uint16_t CompileStrayEndasm();

} // namespace tsw
