#include "compcore/cc_stab/cc_bios.h"
#include "foundation/memorymap.h"
#include "foundation/xerr.h"
#include "compcore/compiler_fixture.h"

#include <cstring>

namespace tsw::testing {
namespace {

// Builds a symbol table in the BIOS's encoding.
struct TableBuilder {
  std::vector<uint8_t> bytes;
  TableBuilder &Add(const std::string &name, uint32_t value) {
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
    bytes.push_back(uint8_t(value >> 16));
    for (size_t i = 0; i < name.size(); ++i)
      bytes.push_back(uint8_t(name[i] | (i + 1 == name.size() ? 0x80 : 0)));
    return *this;
  }
};

void PutWord(std::vector<uint8_t> &f, size_t at, uint16_t v) {
  f[at] = uint8_t(v);
  f[at + 1] = uint8_t(v >> 8);
}

// A BIOS information file: header, table, then an image in which the word
// at target address 0x100 is 0x4321.
std::vector<uint8_t> RtiFile(const std::vector<uint8_t> &table, uint8_t ramSize = 8, uint8_t layout = 0xE2) {
  const size_t imageSize = 0x200;
  std::vector<uint8_t> f(kBiosInfoHeaderSize + table.size() + imageSize, 0);
  f[0] = ramSize;
  f[1] = layout;
  f[2] = 0x80;
  PutWord(f, 3, 0x1111);
  PutWord(f, 7, 0x2222);
  PutWord(f, 13, 0x1234);
  PutWord(f, 19, 0xDFFF);
  PutWord(f, 31, uint16_t(table.size()));
  for (size_t i = 0; i < table.size(); ++i)
    f[kBiosInfoHeaderSize + i] = table[i];
  // The image starts one byte after the table: address 0x100 is at 0x101.
  size_t image = kBiosInfoHeaderSize + table.size();
  f[image + 0x101] = 0x21;
  f[image + 0x102] = 0x43;
  return f;
}

class BiosTest : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
  }
};

TEST_F(BiosTest, TableAddsReplacesAndFindsByValue) {
  AddBiosSymbol("A", MakeAddr24(0, 5));
  AddBiosSymbol("A", MakeAddr24(0, 6));
  EXPECT_EQ(LookupBiosSymbol("A", {}).logical, 6);
  EXPECT_EQ(LookupBiosSymbol("a", MakeAddr24(0, 9)).logical, 9);
  EXPECT_EQ(MarkBiosSymbolUsed("A"), 1);
  EXPECT_EQ(MarkBiosSymbolUsed("B"), 0);
  EXPECT_TRUE(BiosSymbolUsed("A"));
  ClearBiosSymbolMarks();
  EXPECT_FALSE(BiosSymbolUsed("A"));
  BiosSymbolsDisabled() = true;
  EXPECT_EQ(LookupBiosSymbol("A", {}).logical, 0);
  BiosSymbolsDisabled() = false;
  EXPECT_STREQ(FindBiosSymbolByValue(MakeAddr24(0, 6)), "A");
  EXPECT_EQ(FindBiosSymbolByValue(MakeAddr24(0, 7)), nullptr);
}

TEST_F(BiosTest, InformationFileIsImported) {
  TableBuilder t;
  t.Add("printf", 0x012345).Add(".lcod_top", 0x8000).Add(".exit", 0x100).Add("OPMODE", 0x50);
  std::vector<uint8_t> file = RtiFile(t.bytes);
  ASSERT_EQ(LoadBiosSymbols(std::span<const uint8_t>(file)), 0);
  EXPECT_EQ(Addr24ToLong(LookupBiosSymbol("printf", {})), 0x012345u);
  EXPECT_EQ(LookupBiosSymbol("FUNC_BREAK_ADDR", {}).logical, 0x1111);
  EXPECT_EQ(LookupBiosSymbol("TRAP_VEC", {}).logical, 0x2222);
  EXPECT_EQ(LookupBiosSymbol(".lcod_top", MakeAddr24(0, 1)).logical, 1); // not entered
  EXPECT_EQ(SpecialBiosSymbol(".lcod_top"), 0x7FFFu);
  EXPECT_EQ(SpecialBiosSymbol(".exit"), 0x4321u);
  const BiosLayout &l = BiosLayoutValues();
  EXPECT_EQ(l.layoutWord1Rounded, 0x1300);
  EXPECT_EQ(l.symbolTableLength, t.bytes.size());
  EXPECT_EQ(MemoryMap().DataTopDefault, 0xDFFF);
  const CompilerSettings &c = CompilerConfig();
  EXPECT_EQ(c.rams, 0x80);
  EXPECT_EQ(c.rame, 0x80 + 16);
  EXPECT_EQ(c.ramg, 0x8000);
  EXPECT_EQ(c.logr, 2);
  EXPECT_EQ(c.logx, 0xE);
  EXPECT_EQ(c.ramx, 0xC);
  EXPECT_EQ(ExtWindowStart, 0xE000);
}

TEST_F(BiosTest, LargeRamCodeAndConfiguredLayout) {
  std::vector<uint8_t> file = RtiFile(TableBuilder().Add("x", 1).bytes, 9, 0xD3);
  ASSERT_EQ(LoadBiosSymbols(std::span<const uint8_t>(file)), 0);
  EXPECT_EQ(CompilerConfig().rame, 0x80 + 9);
  EXPECT_EQ(CompilerConfig().ramg, 0);
  CompilerConfig().ramcfg = 0;
  CompilerConfig().rams = 0x40;
  file = RtiFile(TableBuilder().Add("x", 1).bytes, 8, 0xF1);
  ASSERT_EQ(LoadBiosSymbols(std::span<const uint8_t>(file)), 0);
  EXPECT_EQ(CompilerConfig().rams, 0x40);
  EXPECT_EQ(CompilerConfig().ramx, 0xD - 3); // recomputed from the kept logx/logr
}

TEST_F(BiosTest, MissingShortOrMalformedFileChangesNothing) {
  std::vector<uint8_t> good = RtiFile(TableBuilder().Add("keep", 7).bytes);
  ASSERT_EQ(LoadBiosSymbols(std::span<const uint8_t>(good)), 0);
  CompilerSettings before = CompilerConfig();

  std::vector<uint8_t> longName = RtiFile(TableBuilder().Add(std::string(34, 'n'), 1).bytes);
  std::vector<uint8_t> shortTable(good.begin(), good.begin() + kBiosInfoHeaderSize + 2);
  std::vector<uint8_t> shortHeader(good.begin(), good.begin() + 20);
  for (auto *bad : {&longName, &shortTable, &shortHeader}) {
    (*bad)[1] = 0x11;
    EXPECT_EQ(LoadBiosSymbols(std::span<const uint8_t>(*bad)), 1);
  }
  EXPECT_EQ(LoadBiosSymbols(std::nullopt), 1);
  EXPECT_EQ(LookupBiosSymbol("keep", {}).logical, 7);
  EXPECT_EQ(CompilerConfig().logx, before.logx);
  EXPECT_EQ(CompilerConfig().rame, before.rame);

  // The table's end ends its last name, end bit or not.
  std::vector<uint8_t> cutRecord = RtiFile(TableBuilder().Add("abc", 1).bytes);
  PutWord(cutRecord, 31, uint16_t(3 + 2));
  EXPECT_EQ(LoadBiosSymbols(std::span<const uint8_t>(cutRecord)), 0);
  EXPECT_EQ(LookupBiosSymbol("ab", {}).logical, 1);
}

TEST_F(BiosTest, LastRecordEndingAtTheTableEndIsFine) {
  TableBuilder t;
  t.Add("a", 1).Add("b", 2);
  std::vector<uint8_t> file = RtiFile(t.bytes);
  EXPECT_EQ(LoadBiosSymbols(std::span<const uint8_t>(file)), 0);
  t.bytes.insert(t.bytes.end(), {0, 0, 0}); // a terminating zero record
  file = RtiFile(t.bytes);
  EXPECT_EQ(LoadBiosSymbols(std::span<const uint8_t>(file)), 0);
  EXPECT_EQ(LookupBiosSymbol("b", {}).logical, 2);
}

// A board as a 1 MB memory image addressed physically.
class FakeBoard : public BiosTargetMemory {
public:
  std::vector<uint8_t> memory = std::vector<uint8_t>(0x100000, 0);
  std::vector<int> pulses;
  uint8_t ReadByte(ADDR24 a) override { return memory[Addr24ToPhysical(a) & kPhysicalMask]; }
  uint16_t ReadWord(ADDR24 a) override { return uint16_t(ReadByte(a) | ReadByte(Addr24Add(a, 1)) << 8); }
  void ReadBlock(ADDR24 a, uint8_t *out, size_t n) override {
    for (size_t i = 0; i < n; ++i)
      out[i] = ReadByte(Addr24Add(a, int32_t(i)));
  }
  bool AltLinkMode() override { return false; }
  uint16_t ComAttnValue() override { return 0x77; }
  void PulseKernelFlag(int v) override { pulses.push_back(v); }
  bool IsCorvidTarget() override { return false; }
  uint16_t CompilerSymTab() override { return 0; }
  void Put(uint32_t at, const std::vector<uint8_t> &bytes) { std::memcpy(&memory[at], bytes.data(), bytes.size()); }
  void PutWord(uint32_t at, uint16_t v) { Put(at, {uint8_t(v), uint8_t(v >> 8)}); }
};

TEST_F(BiosTest, BoardImportReadsDirectoryAndTable) {
  FakeBoard board;
  const uint16_t dir = 0x200, table = 0x1000;
  board.PutWord(3, dir);
  board.PutWord(dir + 0x11, table);
  board.PutWord(dir + 0x1F, 0xAAAA);
  board.Put(dir + 0x2B, {8, 0xE2});
  std::vector<uint8_t> t = TableBuilder().Add("sym", 0x300).Add("OPMODE", 0x400).bytes;
  board.PutWord(table, uint16_t(t.size()));
  board.Put(table + 2, t);
  board.Put(0x400, {0x5A});
  ASSERT_EQ(LoadBiosSymbolsFromBios(board), 0);
  EXPECT_EQ(LookupBiosSymbol("sym", {}).logical, 0x300);
  EXPECT_EQ(LookupBiosSymbol("FUNC_BREAK_ADDR", {}).logical, 0xAAAA);
  EXPECT_EQ(LookupBiosSymbol("_comattn", {}).logical, 0x77);
  EXPECT_EQ(BiosLayoutValues().opMode, 0x5A);
  EXPECT_EQ(board.pulses, (std::vector<int>{1, 2}));
  // The information file has no operating mode: a later import from it
  // keeps the board's.
  std::vector<uint8_t> file = RtiFile(TableBuilder().Add("x", 1).bytes);
  ASSERT_EQ(LoadBiosSymbols(std::span<const uint8_t>(file)), 0);
  EXPECT_EQ(BiosLayoutValues().opMode, 0x5A);
  // Nor does a board without a symbol table.
  board.PutWord(dir + 0x11, 0);
  board.Put(0, {0x33});
  ASSERT_EQ(LoadBiosSymbolsFromBios(board), 0);
  EXPECT_EQ(BiosLayoutValues().opMode, 0x5A);
}

TEST_F(BiosTest, BoardTableTooLongOrMalformedThrows) {
  FakeBoard board;
  board.PutWord(3, 0x200);
  board.PutWord(0x200 + 0x11, 0x1000);
  board.PutWord(0x1000, 20001);
  EXPECT_THROW(LoadBiosSymbolsFromBios(board), xTCErr);
  EXPECT_EQ(board.pulses, (std::vector<int>{1, 2}));
  board.PutWord(0x1000, 2); // a record shorter than its value
  EXPECT_THROW(LoadBiosSymbolsFromBios(board), xTCErr);
}

TEST_F(BiosTest, FunctionListFindsByNameAndAddress) {
  CurrentFunctionContext().flagWord = 0x10;
  AddCompiledFunction(7, 3, {}, MakeAddr24(0, 0x100), MakeAddr24(0, 0x1FF), nullptr, "main");
  AddCompiledFunction(8, 4, {}, MakeAddr24(0, 0x200), MakeAddr24(0, 0x200), nullptr, "f");
  EXPECT_EQ(FindFunctionAddressByName("f").logical, 0x200);
  EXPECT_EQ(FindFunctionAddressByName("g").logical, 0);
  uint16_t word = 99;
  uint8_t byte = 99;
  FindFunctionAtAddress(MakeAddr24(0, 0x1FF), word, byte);
  EXPECT_EQ(word, 7);
  EXPECT_EQ(byte, 3);
  word = 99;
  byte = 98;
  FindFunctionAtAddress(MakeAddr24(0, 0x300), word, byte); // a miss writes nothing
  EXPECT_EQ(word, 99);
  EXPECT_EQ(byte, 98);
  EXPECT_EQ(CompiledFunctions()[0].flagWord, 0x10);
  ClearFunctionList();
  EXPECT_TRUE(CompiledFunctions().empty());
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

TEST_F(BiosTest, RootLimitsAreKeptOutOfWatchCompiles) {
  SetRootCodeAndDataLimits(0x6000, 0x9000);
  EXPECT_EQ(RootLimits().codeTop, 0x5FFF);
  EXPECT_EQ(RootLimits().dataStart, 0x9001);
  WatchCompileFlag() = true;
  SetRootCodeAndDataLimits(0x7000, 0x8000);
  WatchCompileFlag() = false;
  EXPECT_EQ(RootLimits().codeTop, 0x5FFF);
  EXPECT_EQ(RootLimits().dataStart, 0x9001);
}

} // namespace
} // namespace tsw::testing
