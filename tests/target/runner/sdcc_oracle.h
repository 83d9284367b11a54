#pragma once

#include <string>

#include "runner/symbols.h"

namespace tsw::target {

// Where SDCC-built programs live on the simulator: the start-up at 0, code
// from here, data above it and the stack below the top of memory.
constexpr uint32_t kSdccCodeStart = 0x0100;
constexpr uint32_t kSdccDataStart = 0x8000;

struct SdccBuildRequest {
  std::string source;        // one C file
  std::string startupObject; // the assembled start-up (sdcc/crt0.s)
  std::string outputDir;     // existing directory for the objects and image
};

struct SdccBuild {
  bool ok = false;
  std::string log; // the compiler's and linker's messages
  std::string hexImage;
  SymbolTable symbols;
};

// Compiles and links one program with SDCC for the Z180: the independent
// oracle whose results our compiler's are compared with.
SdccBuild BuildWithSdcc(const SdccBuildRequest &request);

} // namespace tsw::target
