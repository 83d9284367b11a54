#pragma once

#include <cstdint>
#include <string>

// One whole compile of the BIOS or of a program: the target chosen, the
// compiler prepared, the outputs decided, the program text through the
// compile loop, then the source positions, the listing and the image files
// or the board. The compile request (CompileFile) runs it once, or twice
// when the BIOS is compiled first.
namespace tsw {

inline constexpr uint16_t kCompileModeBoard = 0;
inline constexpr uint16_t kCompileModeFiles = 1;

// The status word of the diagnostic list, with the failed bit added when
// the compile failed for any reason. A fault of the compiler itself passes
// on after the clean-up.
uint16_t CompileProgram(const std::string &programPath, uint16_t mode);

} // namespace tsw
