#pragma once

// An #asm block: the lines after "#asm" up to "#endasm", each of its
// statements assembled in turn at the current code address.
namespace tsw::assembler {

// `recordPositions` gives each statement that emits bytes its source
// position; `oneLine` assembles only the rest of the current line.
void CompileAsmBlock(bool recordPositions, bool oneLine = false);

} // namespace tsw::assembler
