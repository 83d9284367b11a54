#pragma once

// Programs compiled by our compiler onto the kernel that leave their results
// as words at fixed addresses ("marks") above the kernel and the program's
// code, where a run on the simulator reads them back.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runner/process.h"
#include "runner/simulator.h"
#include "target_fixture.h"

namespace tsw::target::testing {

inline constexpr uint32_t kDefaultMarks = 0xC100;

struct MarkedProgram {
  const char *what;
  const char *functions;
  // Statements of main; "MARK(n)" is the n-th result word.
  const char *main;
  std::vector<uint16_t> marks;
};

inline std::string MarkedProgramText(const MarkedProgram &c, uint32_t marksAt = kDefaultMarks) {
  return fmt::format("#define MARK(n) (*(int *)({:#x} + 2 * (n)))\n{}int main(void) {{\n{}  return 0;\n}}\n", marksAt,
                     c.functions, c.main);
}

// Builds `source` with tswcc on the kernel, runs it from reset until it
// halts and expects `marks` in the words from `marksAt` on.
inline void ExpectMarksAfterRun(const std::string &what, const std::string &source, uint32_t marksAt,
                                const std::vector<uint16_t> &marks) {
  tsw::testing::TempDir dir;
  TswccBuildRequest request = OurBuildRequest();
  request.outputDir = dir.path();
  request.source = dir.Write("prog.c", source);
  TswccBuild build = BuildWithTswcc(request);
  ASSERT_TRUE(build.ok) << what << ":\n" << build.log;
  SimulatorRequest run;
  run.hexImage = build.hexImage;
  run.dumps.push_back({marksAt, uint32_t(2 * marks.size())});
  SimulatorRun result = RunOnSimulator(run);
  ASSERT_EQ(result.stop, SimStop::Halted) << what << ":\n" << result.log;
  for (size_t i = 0; i < marks.size(); ++i) {
    auto bytes = result.Read(marksAt + 2 * uint32_t(i), 2);
    ASSERT_TRUE(bytes) << what;
    EXPECT_EQ(uint16_t((*bytes)[0] | (*bytes)[1] << 8), marks[i]) << what << " word " << i;
  }
}

// The simulator runs Z180 code only: on the Corvid a program must compile
// on the kernel without a diagnostic.
inline void ExpectCleanCorvidCompile(const std::string &what, const std::string &source) {
  namespace fs = std::filesystem;
  tsw::testing::TempDir dir;
  const TswccBuildRequest request = OurBuildRequest();
  // The compile writes beside the kernel it reads: a copy of its own.
  const fs::path kernel = fs::path(dir.path()) / "kernel" / fs::path(request.kernel).filename();
  fs::create_directories(kernel.parent_path());
  fs::copy_file(request.kernel, kernel);
  const fs::path out = fs::path(dir.path()) / "out";
  fs::create_directories(out);
  const ProcessOutcome compile = RunProcess({request.tswcc, "-cpu", "corvid", "-lib", request.libDir, "-bios",
                                             kernel.string(), "-o", out.string(), dir.Write("prog.c", source)},
                                            std::chrono::seconds(60));
  EXPECT_EQ(compile.exitCode, 0) << what;
  EXPECT_EQ(compile.output, "") << what;
}

inline void ExpectMarksAfterRun(const MarkedProgram &c, uint32_t marksAt = kDefaultMarks) {
  ExpectMarksAfterRun(c.what, MarkedProgramText(c, marksAt), marksAt, c.marks);
}

} // namespace tsw::target::testing
