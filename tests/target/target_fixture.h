#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

// The programs of the differential table, by name, sorted.
inline std::vector<std::string> ListPrograms() {
  std::vector<std::string> programs;
  for (const auto &entry : std::filesystem::directory_iterator(kProgramsDir))
    if (entry.path().extension() == ".c")
      programs.push_back(entry.path().stem().string());
  std::sort(programs.begin(), programs.end());
  return programs;
}

inline std::string ProgramTestName(const ::testing::TestParamInfo<std::string> &info) {
  std::string name = info.param;
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

// The programs a list file of the table names (one a line, '#' starting a
// comment): those our compiler does not handle yet.
inline std::set<std::string> PendingPrograms(const std::string &listFile) {
  std::set<std::string> pending;
  std::ifstream in(kProgramsDir + "/" + listFile);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line.substr(0, line.find('#')));
    if (std::string name; fields >> name)
      pending.insert(name);
  }
  return pending;
}

} // namespace tsw::target::testing
