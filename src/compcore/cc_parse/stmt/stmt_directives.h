#pragma once

// The directives whose work lies with the statement compiler and the code
// generator rather than the preprocessor. Each starts with the cursor
// behind its keyword.
namespace tsw {

// "#precompile name, name ...": each name's library function is compiled
// with the program, whether or not the program calls it.
void PrecompileDirective();

// A section of a function body between its locals and its first statement:
// "#GLOBAL_INIT" or "segchain name", then one statement compiled as a code
// fragment of its own, ending in a return, for that chain. False when no
// section stands at the cursor.
bool CompileInitSection();

} // namespace tsw
