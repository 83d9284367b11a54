#pragma once

// The directives whose work lies with the statement compiler and the code
// generator rather than the preprocessor. Each starts with the cursor
// behind its keyword.
namespace tsw {

// "#precompile name, name ...": each name's library function is compiled
// with the program, whether or not the program calls it.
void PrecompileDirective();

} // namespace tsw
