#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "runner/program_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::kProgramsDir;
using testing::kSdccStartup;
using testing::OurBuildRequest;

std::vector<std::string> ListPrograms() {
  std::vector<std::string> programs;
  for (const auto &entry : std::filesystem::directory_iterator(kProgramsDir))
    if (entry.path().extension() == ".c")
      programs.push_back(entry.path().stem().string());
  std::sort(programs.begin(), programs.end());
  return programs;
}

std::string TestName(const ::testing::TestParamInfo<std::string> &info) {
  std::string name = info.param;
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

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

// The programs our compiler does not yet build to agree with the oracle:
// one name a line in programs/PENDING, '#' starting a comment.
std::set<std::string> PendingPrograms() {
  std::set<std::string> pending;
  std::ifstream in(kProgramsDir + "/PENDING");
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line.substr(0, line.find('#')));
    if (std::string name; fields >> name)
      pending.insert(name);
  }
  return pending;
}

// Our compiler's build of every program runs to the oracle's results. A
// pending program must still fail, so that one that starts to agree is
// noticed and leaves the list.
TEST_P(DifferentialTableTest, OurCompilerAgreesWithTheOracle) {
  tsw::testing::TempDir dir;
  std::vector<std::string> problems =
      CompareWithOracle(kProgramsDir + "/" + GetParam() + ".c", kSdccStartup, OurBuildRequest(), dir.path());
  if (PendingPrograms().contains(GetParam())) {
    EXPECT_FALSE(problems.empty()) << GetParam() << " agrees now: take it off programs/PENDING";
    return;
  }
  for (const std::string &problem : problems)
    ADD_FAILURE() << problem;
}

TEST(DifferentialTablePendingTest, NamesOnlyProgramsOfTheTable) {
  const std::vector<std::string> programs = ListPrograms();
  for (const std::string &name : PendingPrograms())
    EXPECT_TRUE(std::binary_search(programs.begin(), programs.end(), name)) << name << " is no program of the table";
}

INSTANTIATE_TEST_SUITE_P(Programs, DifferentialTableTest, ::testing::ValuesIn(ListPrograms()), TestName);

} // namespace
} // namespace tsw::target
