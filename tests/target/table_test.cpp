#include <gtest/gtest.h>

#include <algorithm>

#include "runner/program_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::kProgramsDir;
using testing::ListPrograms;
using testing::PendingPrograms;
using testing::ProgramTestName;
using testing::kSdccStartup;
using testing::OurBuildRequest;

// Every program of the differential table builds with SDCC, halts on the
// simulator and gives the values its comments state.
class DifferentialTableTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DifferentialTableTest, AgreesWithStatedValuesOnTheOracle) {
  tsw::testing::TempDir dir;
  std::vector<std::string> problems =
      CheckProgramWithSdcc(kProgramsDir + "/" + GetParam() + ".c", kSdccStartup, dir.path());
  for (const std::string &problem : problems)
    ADD_FAILURE() << problem;
}

// Our compiler's build of every program runs to the oracle's results. A
// pending program must still fail, so that one that starts to agree is
// noticed and leaves the list.
TEST_P(DifferentialTableTest, OurCompilerAgreesWithTheOracle) {
  tsw::testing::TempDir dir;
  std::vector<std::string> problems =
      CompareWithOracle(kProgramsDir + "/" + GetParam() + ".c", kSdccStartup, OurBuildRequest(), dir.path());
  if (PendingPrograms("PENDING").contains(GetParam())) {
    EXPECT_FALSE(problems.empty()) << GetParam() << " agrees now: take it off programs/PENDING";
    return;
  }
  for (const std::string &problem : problems)
    ADD_FAILURE() << problem;
}

TEST(DifferentialTablePendingTest, NamesOnlyProgramsOfTheTable) {
  const std::vector<std::string> programs = ListPrograms();
  for (const std::string &name : PendingPrograms("PENDING"))
    EXPECT_TRUE(std::binary_search(programs.begin(), programs.end(), name)) << name << " is no program of the table";
}

INSTANTIATE_TEST_SUITE_P(Programs, DifferentialTableTest, ::testing::ValuesIn(ListPrograms()), ProgramTestName);

} // namespace
} // namespace tsw::target
