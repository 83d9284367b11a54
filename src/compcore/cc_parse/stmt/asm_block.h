#pragma once

#include <cstddef>
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

// Makes the current line's text from `position` on one compound statement:
// '{' replaces the character there and '}' is appended, both placed where
// the line's last character stands. A line with no room left for the '}'
// ends the compile as too long.
void WrapLineAsCompoundStatement(size_t position);

// Lets the assembler hand a "c" line to the statement compiler, keeping the
// assembler host installed before (the map file's) for everything else.
void InstallAsmCLines();

} // namespace tsw
