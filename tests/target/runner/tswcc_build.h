#pragma once

#include <string>

#include "runner/symbols.h"

namespace tsw::target {

struct TswccBuildRequest {
  std::string tswcc;     // our command-line compile driver
  std::string libDir;    // the library directory file (z180/LIB.DIR)
  std::string kernel;    // the kernel source the program starts on (z180/SIMBIOS.C)
  std::string source;    // one C file
  std::string outputDir; // existing directory for the images, maps and copies
};

struct TswccBuild {
  bool ok = false;
  std::string log;      // the diagnostics of both compiles
  std::string hexImage; // kernel and program in one image for the simulator
  SymbolTable symbols;  // read from the program's map file
};

// Compiles the kernel alone to its image, then the program on that kernel,
// both with our compiler, and lays the two images into one: the kernel's
// bytes up to its end, the program's from there on, as a board holds its
// BIOS in flash below the program.
TswccBuild BuildWithTswcc(const TswccBuildRequest &request);

} // namespace tsw::target
