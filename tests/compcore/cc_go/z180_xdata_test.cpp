#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/program_compile_fixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Extended-memory data on the Z180, which places it by no directive: the
// bytes go to the first extended-memory page in RAM, the name holds their
// physical address.
namespace tsw::testing {
namespace {

class Z180Xdata : public ProgramCompileTest {
protected:
  static std::string Hex(ADDR24 at, uint32_t n) {
    std::vector<uint8_t> bytes(n);
    if (!ReadEmittedBytes(at, n, bytes.data()))
      return "unread";
    std::string hex;
    for (uint8_t b : bytes)
      hex += fmt::format("{}{:02X}", hex.empty() ? "" : " ", b);
    return hex;
  }
  // The four bytes the name holds.
  static std::string NameBytes(const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Hex(Addr24FromLong(symbol->address), 4) : "no symbol";
  }
};

// With the default RAM from 80000 to A0000, the window's first page in RAM
// is the one that logical E000 shows in segment 80 - 2.
constexpr uint32_t kXmemStart = 0x8C000;

TEST_F(Z180Xdata, DataGoesToExtendedMemoryInRamAndTheNameHoldsItsAddress) {
  const uint16_t status = Compile("#nodebug\nxdata t { 1, 0x12345L };\nxstring x { \"hi\" };\n");
  ASSERT_EQ(status, 0) << ::testing::PrintToString(Records());
  EXPECT_EQ(Hex(PhysicalToAddr24(kXmemStart), 6), "01 00 45 23 01 00");
  EXPECT_EQ(NameBytes("t"), "00 C0 08 00");
  // The string, then the table of its address, which the name holds.
  EXPECT_EQ(Hex(PhysicalToAddr24(kXmemStart + 6), 7), "68 69 00 06 C0 08 00");
  EXPECT_EQ(NameBytes("x"), "09 C0 08 00");
}

// RAM that ends below the window's first page in it leaves no room.
TEST_F(Z180Xdata, WithoutExtendedRamThereIsNoRoom) {
  dir.Write("tsw.cfg", "rame  = 80\n");
  Compile("#nodebug\nxdata t { 1 };\n");
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_NE(Records()[0].find("[433]"), std::string::npos) << Records()[0];
}

} // namespace
} // namespace tsw::testing
