// The programs of the table compiled for the Corvid: the simulator runs
// only Z180 code, so each program must compile without a diagnostic and
// every byte of its functions must decode as Corvid instructions, none
// unknown and none running past its function's end.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "compcore/decode_check.h"
#include "runner/intel_hex.h"
#include "runner/process.h"
#include "runner/symbols.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

namespace fs = std::filesystem;
using testing::kProgramsDir;
using testing::ListPrograms;
using testing::OurBuildRequest;
using testing::PendingPrograms;
using testing::ProgramTestName;
using tsw::testing::TempDir;

constexpr const char *kPendingList = "PENDING_CORVID";

std::string ReadText(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The table's initialised globals are inputs, only read: the warnings that
// initialised data lives in flash are the one diagnostic a program may get.
bool OnlyWarningsOnReadOnlyData(const std::string &output) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.find("initialized global is not const") == std::string::npos &&
        line.find("initialized pointer is not const") == std::string::npos)
      return false;
  return true;
}

// What keeps the program's Corvid build from standing: diagnostics, a
// missing image or map, bytes that do not decode.
std::vector<std::string> CheckCorvidBuild(const std::string &source, const TempDir &dir) {
  TswccBuildRequest request = OurBuildRequest();
  const fs::path kernel = fs::path(dir.path()) / "kernel" / fs::path(request.kernel).filename();
  fs::create_directories(kernel.parent_path());
  fs::copy_file(request.kernel, kernel);
  ProcessOutcome compile = RunProcess(
      {request.tswcc, "-cpu", "corvid", "-lib", request.libDir, "-bios", kernel.string(), "-o", dir.path(), source},
      std::chrono::seconds(60));
  if (compile.exitCode != 0 || !OnlyWarningsOnReadOnlyData(compile.output))
    return {fmt::format("the Corvid compile (exit {}) says:\n{}", compile.exitCode, compile.output)};

  const fs::path program = fs::path(dir.path()) / fs::path(source).filename();
  std::optional<ImageBytes> image = ReadIntelHex(ReadText(fs::path(program).replace_extension("hex")));
  std::vector<MapFunction> functions = ReadMapFunctions(ReadText(fs::path(program).replace_extension("map")));
  if (!image)
    return {"no Intel HEX image"};
  std::vector<std::string> problems;
  bool anyCode = false;
  for (const MapFunction &function : functions) {
    if (function.size == 0)
      continue;
    anyCode = true;
    std::vector<uint8_t> bytes;
    for (uint32_t at = function.address; at < function.address + function.size; ++at) {
      auto found = image->find(at);
      bytes.push_back(found == image->end() ? 0 : found->second);
    }
    std::vector<std::string> lines =
        tsw::testing::DecodeAll(tsw::TargetCpu::Corvid, bytes, uint16_t(function.address));
    for (const std::string &line : lines)
      if (line.find("???") != std::string::npos) {
        std::string listing;
        for (const std::string &each : lines)
          listing += "  " + each + "\n";
        problems.push_back(fmt::format("{} ({} bytes at {:04X}: {}) does not decode:\n{}", function.name,
                                       function.size, function.address, tsw::testing::HexBytes(bytes), listing));
        break;
      }
  }
  if (!anyCode)
    problems.push_back("the map names no compiled function");
  return problems;
}

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
