#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runner/process.h"
#include "runner/tswcc_build.h"
#include "support/tempdir.h"

namespace tsw::target::testing {

inline const std::string kSdccStartup = TSW_SDCC_STARTUP;
inline const std::string kProgramsDir = TSW_TARGET_PROGRAMS;

// A build by our compiler on the simulator kernel and the Z180 library; the
// caller fills in the source and the output directory.
inline TswccBuildRequest OurBuildRequest() {
  const std::string library = TSW_Z180_LIBRARY;
  TswccBuildRequest request;
  request.tswcc = TSW_TSWCC;
  request.libDir = library + "/LIB.DIR";
  request.kernel = library + "/SIMBIOS.C";
  return request;
}

// Assembles and links a few lines of Z180 assembly (".hd64" admits the
// Z180's own instructions) at address 0 into an
// Intel HEX image, for runs whose exact instructions matter.
inline std::string AssembleImage(const tsw::testing::TempDir &dir, const std::string &name, const std::string &body) {
  std::string source = dir.Write(name + ".s", "\t.hd64\n\t.area _HEADER (ABS)\n\t.org 0\n" + body);
  std::string object = dir / (name + ".rel");
  std::string image = dir / (name + ".ihx");
  ProcessOutcome assembled = RunProcess({"sdasz80", "-g", "-o", object, source}, std::chrono::seconds(30));
  EXPECT_EQ(assembled.exitCode, 0) << assembled.output;
  ProcessOutcome linked = RunProcess({"sdldz80", "-i", image, object}, std::chrono::seconds(30));
  EXPECT_EQ(linked.exitCode, 0) << linked.output;
  return image;
}

} // namespace tsw::target::testing
