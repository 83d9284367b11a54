// A memory that fills up while the map writer records a compile: the
// compile ends with the memory error for the IDE to report, and nothing of
// the user's is lost: the source stays as it was and the next compile runs
// whole, its map complete.
#include "compcore/cc_rom/map_file.h"
#include "compcore/program_compile_fixture.h"
#include "foundation/xerr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>

namespace tsw::testing {
namespace {

constexpr const char *kProgram = "#define LIMIT 3\nint total;\nint twice(int x) { return x + x; }\n"
                                 "int main(void) { int i; for (i = 0; i < LIMIT; ++i) total = twice(total); return 0; }\n";

// The allocations the map writer made so far, and the one that fails.
int gAllocations = 0;
int gFailingAllocation = 0;

void CountAndFail() {
  if (++gAllocations == gFailingAllocation)
    throw std::bad_alloc();
}

using MapMemory = ProgramCompileTest;

TEST_F(MapMemory, AFullMemoryEndsOnlyTheCompileAndTheNextOneWritesTheWholeMap) {
  gAllocations = 0;
  gFailingAllocation = 0;
  SetMapAllocationProbe(CountAndFail);
  ASSERT_EQ(Compile(kProgram), 0) << ::testing::PrintToString(Records());
  const std::string wholeMap = dir.Read("PROG.map");
  const int allocations = gAllocations;
  ASSERT_GT(allocations, 2);
  ASSERT_NE(wholeMap.find("twice"), std::string::npos);

  for (const int failing : {1, allocations / 2, allocations}) {
    SCOPED_TRACE(failing);
    std::filesystem::remove(dir / "PROG.map");
    gAllocations = 0;
    gFailingAllocation = failing;
    EXPECT_THROW(Compile(kProgram), xNoMem);
    EXPECT_EQ(dir.Read("PROG.C"), kProgram);
    // A compile cut short leaves no map that would look like a whole one.
    EXPECT_NE(dir.Read("PROG.map"), wholeMap);

    gFailingAllocation = 0;
    EXPECT_EQ(Compile(kProgram), 0) << ::testing::PrintToString(Records());
    EXPECT_EQ(dir.Read("PROG.map"), wholeMap);
  }
  SetMapAllocationProbe(nullptr);
}

} // namespace
} // namespace tsw::testing
