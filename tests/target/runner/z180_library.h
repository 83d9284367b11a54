#pragma once

#include <string>
#include <vector>

namespace tsw::target {

// Every library file (*.LIB) of the Z180 target library directory,
// converted for sdasz80 (asm_convert.h), with stand-ins for the few labels
// a routine reaches outside the library: the program's main and
// _GLOBAL_INIT (premain calls them) and the kernel's exit (the failed run-
// time checks end through it), so that any routine links alone. `problems`
// gets the lines the converter could not read.
std::string Z180LibraryForSimulator(const std::string &libraryDir, std::vector<std::string> *problems = nullptr);

} // namespace tsw::target
