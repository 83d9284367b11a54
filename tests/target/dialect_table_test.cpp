// The dialect's own constructs, one program per file in dialect/: no other
// compiler takes them, so each states its results by hand and our build's
// run on the simulator must give them. Each also compiles for the Corvid
// without a diagnostic, and its code decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "corvid_build_check.h"
#include "runner/program_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

namespace fs = std::filesystem;
using testing::kProgramsDir;
using testing::OurBuildRequest;
using testing::ProgramTestName;
using tsw::testing::TempDir;

const fs::path kDialectDir = fs::path(kProgramsDir).parent_path() / "dialect";

std::vector<std::string> ListDialectPrograms() {
  std::vector<std::string> programs;
  for (const auto &entry : fs::directory_iterator(kDialectDir))
    if (entry.path().extension() == ".c")
      programs.push_back(entry.path().stem().string());
  std::sort(programs.begin(), programs.end());
  return programs;
}

// The simulator has 64 KiB and no MMU: every logical address is the
// physical one. With RAM from page 2 to 10000 the extended-memory code and
// data begin on window page 0, at physical E000, so code in extended memory
// runs where its bytes were loaded and the kernel's bank switch, which
// selects page 0, changes nothing the simulator could not show.
constexpr const char *kRamInTheLow64k = "rams  = 2\nrame  = 10\n";

class DialectTableTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DialectTableTest, RunsToItsStatedValues) {
  TempDir dir;
  const fs::path library = fs::path(dir.path()) / "lib";
  fs::create_directories(library);
  for (const auto &entry : fs::directory_iterator(TSW_Z180_LIBRARY))
    if (entry.is_regular_file())
      fs::copy_file(entry.path(), library / entry.path().filename());
  dir.Write("lib/tsw.cfg", kRamInTheLow64k);
  TswccBuildRequest request = OurBuildRequest();
  request.libDir = (library / "LIB.DIR").string();
  request.outputDir = dir / "out";
  fs::create_directories(request.outputDir);
  const fs::path source = kDialectDir / (GetParam() + ".c");
  for (const std::string &problem : CheckProgramWithTswcc(source.string(), request))
    ADD_FAILURE() << problem;
}

TEST_P(DialectTableTest, CompilesCleanAndDecodesForTheCorvid) {
  TempDir dir;
  for (const std::string &problem : testing::CheckCorvidBuild((kDialectDir / (GetParam() + ".c")).string(), dir))
    ADD_FAILURE() << problem;
}

INSTANTIATE_TEST_SUITE_P(Programs, DialectTableTest, ::testing::ValuesIn(ListDialectPrograms()), ProgramTestName);

} // namespace
} // namespace tsw::target
