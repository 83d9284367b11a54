#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "runner/intel_hex.h"
#include "runner/process.h"
#include "runner/simulator.h"
#include "runner/symbols.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::AssembleImage;
using tsw::testing::TempDir;

TEST(ProcessTest, CapturesOutputAndExitCode) {
  ProcessOutcome outcome = RunProcess({"sh", "-c", "echo out; echo err >&2; exit 3"}, std::chrono::seconds(10));
  EXPECT_TRUE(outcome.started);
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(outcome.exitCode, 3);
  EXPECT_NE(outcome.output.find("out"), std::string::npos);
  EXPECT_NE(outcome.output.find("err"), std::string::npos);
}

TEST(ProcessTest, KillsTheWholeGroupAtTheTimeLimit) {
  // The background child holds the output pipe open: only killing the group
  // ends the wait.
  auto begin = std::chrono::steady_clock::now();
  ProcessOutcome outcome = RunProcess({"sh", "-c", "sleep 30 & sleep 30"}, std::chrono::milliseconds(200));
  EXPECT_TRUE(outcome.timedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
}

TEST(ProcessTest, AMissingProgramIsNotStarted) {
  ProcessOutcome outcome = RunProcess({"tsw-no-such-program"}, std::chrono::seconds(10));
  EXPECT_FALSE(outcome.started);
}

TEST(SymbolsTest, ReadsCNamesFromSdccSymbolFile) {
  SymbolTable symbols = ReadSdccSymbols("DEF .__.ABS. 0x0\n"
                                        "DEF l__DATA 0x7\n"
                                        "DEF s__DATA 0x8000\n"
                                        "DEF _main 0x100\n"
                                        "DEF __mullong 0x3E8\n"
                                        "DEF _r_wide 0x8004\n"
                                        "DEF _broken 0xZZ\n"
                                        "LOAD prog.ihx\n");
  EXPECT_EQ(SymbolAddress(symbols, "main"), 0x100u);
  EXPECT_EQ(SymbolAddress(symbols, "_mullong"), 0x3E8u);
  EXPECT_EQ(SymbolAddress(symbols, "r_wide"), 0x8004u);
  EXPECT_EQ(SymbolAddress(symbols, "broken"), std::nullopt);
  EXPECT_EQ(SymbolAddress(symbols, "DATA"), std::nullopt);
  EXPECT_EQ(symbols.size(), 3u);
}

// The rows of the function and global-data sections give addresses; the
// other sections (segments, frame offsets, macros) and the column heads do
// not, even where a row there looks alike.
TEST(SymbolsTest, ReadsNamesFromTheCompilersMapFile) {
  SymbolTable symbols = ReadMapFileSymbols(
      "//Segment           Origin     Size\n"
      "Root Code           00:0100    000040\n"
      "// Function mapping and source reference.\n"
      "// * The size of labels is indeterminate and so is denoted with an asterisk.\n"
      "//  Addr     Size   Function                        File                         Line Num\n"
      "    0100       12   main                            /tmp/p.c                         3\n"
      "    0112        *   start_label                     /tmp/p.c                         9\n"
      " 0e:e000       30   far_one                         /tmp/p.c                        12\n"
      "// Global/static data symbol mapping and source reference.\n"
      "//  Addr     Size   Symbol                          File                         Line Num  Type\n"
      "    fefe        2   r_a                             /tmp/p.c                         1  int\n"
      "    fefa        4   r_b                             /tmp/p.c                         2  long\n"
      "    fef0        2   r_a                             /tmp/q.c                         1  int\n"
      "    zz00        2   broken                          /tmp/p.c                         4  int\n"
      "// Parameter and local auto symbol mapping and source reference.\n"
      "//Offset Rel. to     Size   Symbol                          File                         Line Num  Type\n"
      "       2      SP        2   i                               /tmp/p.c                         5  int\n"
      "    0200        2   looks_alike                     /tmp/p.c                         6  int\n"
      "// Macro listing and source reference.\n"
      "//  Name                           File                         Line Num\n"
      "   LIMIT                           /tmp/p.c                         1\n");
  const std::map<std::string, uint32_t> expected = {
      {"main", 0x100}, {"start_label", 0x112}, {"far_one", 0xE000}, {"r_a", 0xFEFE}, {"r_b", 0xFEFA}};
  const std::map<std::string, uint32_t> read(symbols.begin(), symbols.end());
  EXPECT_EQ(read, expected);
}

TEST(SymbolsTest, ReadsTheFunctionRowsWithTheirSizes) {
  std::vector<MapFunction> functions = ReadMapFunctions(
      "// Function mapping and source reference.\n"
      "//  Addr     Size   Function                        File                         Line Num\n"
      "    0100       12   main                            /tmp/p.c                         3\n"
      "    0112        *   start_label                     /tmp/p.c                         9\n"
      "// Global/static data symbol mapping and source reference.\n"
      "    fefe        2   r_a                             /tmp/p.c                         1  int\n");
  ASSERT_EQ(functions.size(), 2u);
  EXPECT_EQ(functions[0].name, "main");
  EXPECT_EQ(functions[0].address, 0x100u);
  EXPECT_EQ(functions[0].size, 12u);
  EXPECT_EQ(functions[1].name, "start_label");
  EXPECT_EQ(functions[1].size, 0u);
  std::vector<MapFunction> data = ReadMapDataObjects(
      "// Global/static data symbol mapping and source reference.\n"
      "    fefe        2   r_a                             /tmp/p.c                         1  int\n");
  ASSERT_EQ(data.size(), 1u);
  EXPECT_EQ(data[0].address, 0xFEFEu);
  EXPECT_EQ(data[0].size, 2u);
}

TEST(IntelHexTest, ReadsWhatItWritesAtEveryAddress) {
  // Runs that cross a record's length, a gap and a 64 KiB boundary.
  ImageBytes image;
  for (uint32_t i = 0; i < 40; ++i)
    image[0x0100 + i] = uint8_t(i * 7);
  image[0x0200] = 0xC3;
  image[0xFFFF] = 0x11;
  image[0x10000] = 0x22;
  std::string text = WriteIntelHex(image);
  EXPECT_EQ(ReadIntelHex(text), image) << text;
  EXPECT_TRUE(text.ends_with(":00000001FF\n")) << text;
}

TEST(IntelHexTest, ReadsOtherWritersRecordsAndRefusesBrokenOnes) {
  struct Case {
    const char *text;
    std::optional<ImageBytes> image;
  };
  const Case cases[] = {
      {":020000020000FC\r\n:03001000C3000129\r\n:00000001FF\r\n",
       ImageBytes{{0x10, 0xC3}, {0x11, 0x00}, {0x12, 0x01}}},
      // Extended segment and extended linear bases.
      {":020000021000EC\n:01000000AA55\n:00000001FF\n", ImageBytes{{0x10000, 0xAA}}},
      {":020000040001F9\n:01000000AA55\n", ImageBytes{{0x10000, 0xAA}}},
      // Records after the end record are not read.
      {":00000001FF\n:01000000AA55\n", ImageBytes{}},
      {":03001000C3000128\n", std::nullopt}, // checksum
      {":04001000C3000128\n", std::nullopt}, // count
      {"03001000C3000129\n", std::nullopt},  // no colon
  };
  for (const Case &c : cases)
    EXPECT_EQ(ReadIntelHex(c.text), c.image) << c.text;
}

class SimulatorTest : public ::testing::Test {
protected:
  SimulatorRun Run(const std::string &body, uint64_t cycleLimit = kDefaultCycleLimit,
                   std::vector<MemoryRange> dumps = {}) {
    SimulatorRequest request;
    request.hexImage = AssembleImage(dir_, "prog", body);
    request.cycleLimit = cycleLimit;
    request.dumps = std::move(dumps);
    return RunOnSimulator(request);
  }
  TempDir dir_;
};

TEST_F(SimulatorTest, RunsToHaltAndDumpsMemory) {
  // Twenty bytes over two dump lines, the second one short; the text column
  // of the dump shows "ab" for 0x61 0x62, which must not be read as a byte.
  SimulatorRun run = Run("\tld hl,#0x6261\n\tld (0x9000),hl\n\tld a,#0xa5\n\tld (0x9013),a\n\thalt\n",
                         kDefaultCycleLimit, {{0x9000, 20}});
  ASSERT_EQ(run.stop, SimStop::Halted) << run.log;
  EXPECT_EQ(run.Read(0x9000, 2), (std::vector<uint8_t>{0x61, 0x62}));
  EXPECT_EQ(run.Read(0x9010, 4), (std::vector<uint8_t>{0, 0, 0, 0xa5}));
  EXPECT_EQ(run.Read(0x9013, 2), std::nullopt) << "beyond the dump";
}

TEST_F(SimulatorTest, ExecutesTheZ180sOwnInstructions) {
  // MLT exists only on the Z180: a simulator of another processor stops on
  // it. The internal I/O registers read back 0 whatever was written: the
  // simulator has no MMU and 64 KiB of flat memory.
  SimulatorRun run = Run("\tld bc,#0x0c0d\n\tmlt bc\n\tld (0x8000),bc\n"
                         "\tld a,#0x12\n\tout0 (0x38),a\n\tld a,#0xff\n\tin0 a,(0x38)\n\tld (0x8002),a\n\thalt\n",
                         kDefaultCycleLimit, {{0x8000, 3}});
  ASSERT_EQ(run.stop, SimStop::Halted) << run.log;
  EXPECT_EQ(run.Read(0x8000, 3), (std::vector<uint8_t>{156, 0, 0}));
}

TEST_F(SimulatorTest, CountsClockCycles) {
  // The simulator charges a NOP four cycles (the Z80's count, not the three
  // of a real Z180), so ten more of them cost exactly forty.
  SimulatorRun none = Run("\thalt\n");
  SimulatorRun ten = Run("\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\tnop\n\thalt\n");
  ASSERT_EQ(none.stop, SimStop::Halted) << none.log;
  ASSERT_EQ(ten.stop, SimStop::Halted) << ten.log;
  EXPECT_EQ(ten.ticks - none.ticks, 40u);
}

TEST_F(SimulatorTest, StopsARunawayAtTheCycleLimit) {
  auto begin = std::chrono::steady_clock::now();
  SimulatorRun run = Run("spin:\tjr spin\n", 100'000);
  EXPECT_EQ(run.stop, SimStop::CycleLimit) << run.log;
  EXPECT_GE(run.ticks, 100'000u);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

TEST_F(SimulatorTest, AHaltAfterTheCycleLimitIsNotAHalt) {
  // About 256 * 13 cycles of loop before the halt.
  SimulatorRun run = Run("\tld b,#0\nloop:\tdjnz loop\n\thalt\n", 1'000);
  EXPECT_EQ(run.stop, SimStop::CycleLimit) << run.log;
}

TEST_F(SimulatorTest, KillsTheSimulatorAtTheTimeLimit) {
  SimulatorRequest request;
  request.hexImage = AssembleImage(dir_, "spin", "spin:\tjr spin\n");
  request.cycleLimit = UINT64_C(1) << 40;
  request.timeLimit = std::chrono::milliseconds(300);
  SimulatorRun run = RunOnSimulator(request);
  EXPECT_EQ(run.stop, SimStop::TimeLimit) << run.log;
}

TEST_F(SimulatorTest, AMissingImageIsNotRun) {
  SimulatorRequest request;
  request.hexImage = dir_ / "absent.ihx";
  EXPECT_EQ(RunOnSimulator(request).stop, SimStop::NotRun);
}

TEST_F(SimulatorTest, ReadsVariablesThroughTheMap) {
  SimulatorRun run = Run("\tld hl,#0x1234\n\tld (0x8002),hl\n\thalt\n", kDefaultCycleLimit, {{0x8000, 4}});
  SymbolTable symbols = {{"r_word", 0x8002}, {"r_outside", 0x8100}};
  EXPECT_EQ(ReadVariable(run, symbols, "r_word", 2), (std::vector<uint8_t>{0x34, 0x12}));
  EXPECT_EQ(ReadVariable(run, symbols, "r_outside", 2), std::nullopt);
  EXPECT_EQ(ReadVariable(run, symbols, "r_unknown", 2), std::nullopt);
}

} // namespace
} // namespace tsw::target
