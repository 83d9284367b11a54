// The programs of the table compiled for the Corvid: the simulator runs
// only Z180 code, so each program must compile without a diagnostic and
// every byte of its functions must decode as Corvid instructions, none
// unknown and none running past its function's end.
#include <gtest/gtest.h>

#include <algorithm>

#include "corvid_build_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::CheckCorvidBuild;
using testing::kProgramsDir;
using testing::ListPrograms;
using testing::PendingPrograms;
using testing::ProgramTestName;
using tsw::testing::TempDir;

constexpr const char *kPendingList = "PENDING_CORVID";

class CorvidTableTest : public ::testing::TestWithParam<std::string> {};

// A pending program must still fail, so that one that starts to pass is
// noticed and leaves the list.
TEST_P(CorvidTableTest, CompilesCleanAndDecodes) {
  TempDir dir;
  std::vector<std::string> problems = CheckCorvidBuild(kProgramsDir + "/" + GetParam() + ".c", dir);
  if (PendingPrograms(kPendingList).contains(GetParam())) {
    EXPECT_FALSE(problems.empty()) << GetParam() << " passes now: take it off programs/" << kPendingList;
    return;
  }
  for (const std::string &problem : problems)
    ADD_FAILURE() << problem;
}

INSTANTIATE_TEST_SUITE_P(Programs, CorvidTableTest, ::testing::ValuesIn(ListPrograms()), ProgramTestName);

TEST(CorvidTablePendingTest, NamesOnlyProgramsOfTheTable) {
  const std::vector<std::string> programs = ListPrograms();
  for (const std::string &name : PendingPrograms(kPendingList))
    EXPECT_TRUE(std::binary_search(programs.begin(), programs.end(), name)) << name << " is no program of the table";
}

} // namespace
} // namespace tsw::target
