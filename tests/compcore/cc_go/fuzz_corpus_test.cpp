#include "fuzz_targets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

namespace fs = std::filesystem;

// Every fuzz target takes every input of its seed corpus, the inputs of the
// faults it once found among them, without crashing or throwing.
TEST(FuzzCorpus, EveryTargetTakesItsSeeds) {
  for (const fuzz::Target &target : fuzz::kTargets) {
    const fs::path folder = fs::path(TSW_FUZZ_CORPUS) / target.name;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::vector<fs::path> inputs(fs::directory_iterator(folder), fs::directory_iterator{});
    EXPECT_FALSE(inputs.empty()) << folder;
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path &input : inputs) {
      std::ifstream in(input, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      EXPECT_NO_THROW(target.run(bytes.data(), bytes.size())) << input;
    }
  }
}

} // namespace
} // namespace tsw::testing
