#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "runner/program_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::kProgramsDir;
using testing::kSdccStartup;

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

INSTANTIATE_TEST_SUITE_P(Programs, DifferentialTableTest, ::testing::ValuesIn(ListPrograms()), TestName);

} // namespace
} // namespace tsw::target
