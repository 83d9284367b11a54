#pragma once

// "#pragma": the target processor, the switch between BIOS and program
// code, and the data-wait-states flag.
namespace tsw {

// The cursor stands after the word "#pragma".
void PragmaDirective();
bool DataWaitsUsed();

// The end of the BIOS compile: with a program loaded on the board, the jump
// that "CompileProgram" left is patched to the current code address.
void PatchProgramStartJump();

void ResetPragmaModule();

} // namespace tsw
