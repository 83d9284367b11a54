#pragma once

// What assembly inside a function body knows of the C around it: the size
// of a C operand after "sizeof", and where the frame's objects lie.
//
// A parameter or auto local named in assembly is its offset as the code
// reaches it (the offsets the map lists): through IX its offset from IX,
// otherwise from the stack pointer as the body starts. "@SP" is what the
// stack holds besides, so "(sp+@SP+name)" reaches the object in either
// frame; "@RETVAL" is the offset of the area a structure result goes to,
// above the arguments; "@LENGTH" the size of the auto locals.
namespace tsw {

// Once per compiler assembly, after the assembler's module reset.
void InstallAsmCompilerServices();

} // namespace tsw
