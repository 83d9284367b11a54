#include "compcore/byte_road_fixture.h"

namespace tsw::testing {
namespace {

using AddrDirectoryTest = ByteRoadTest;

TEST_F(AddrDirectoryTest, LookupsMapOnlyEnteredAddressesOnTheCorvid) {
  const ADDR24 entry = MakeAddr24(0, 0x2000), body = MakeAddr24(0x14, 0xE010);
  EnterXmemFunction(entry, body);
  struct Case {
    TargetCpu cpu;
    ADDR24 (*lookup)(ADDR24);
    ADDR24 in, out;
  };
  const Case cases[] = {
      {TargetCpu::Corvid, LookupRoot, entry, body},
      {TargetCpu::Corvid, LookupXmem, body, entry},
      {TargetCpu::Corvid, LookupRoot, body, body},   // not a root address
      {TargetCpu::Corvid, LookupXmem, entry, entry}, // not a window address
      {TargetCpu::Corvid, LookupRoot, MakeAddr24(0, 0x2001), MakeAddr24(0, 0x2001)},
      {TargetCpu::Z180, LookupRoot, entry, entry},
      {TargetCpu::Z180, LookupXmem, body, body},
  };
  for (const Case &c : cases) {
    CodeGenSetup().cpu = c.cpu;
    EXPECT_EQ(Addr24ToLong(c.lookup(c.in)), Addr24ToLong(c.out));
  }
}

TEST_F(AddrDirectoryTest, NoProgramCompileSeesAnotherProgramCompilesPairs) {
  CodeGenSetup().cpu = TargetCpu::Corvid;
  const ADDR24 biosEntry = MakeAddr24(0, 0x0100), programEntry = MakeAddr24(0, 0x3000);
  EnterXmemFunction(biosEntry, MakeAddr24(0x10, 0xE000)); // the BIOS compile
  ResetByteRoadForCompile(false);
  EnterXmemFunction(programEntry, MakeAddr24(0x20, 0xE000)); // a first program compile
  ResetByteRoadForCompile(false);
  EnterXmemFunction(programEntry, MakeAddr24(0x21, 0xE000)); // the function moved
  EXPECT_EQ(LookupRoot(programEntry).segment, 0x21);
  EXPECT_EQ(RootAddressDirectory().Count(), 2u);
  EXPECT_EQ(LookupRoot(biosEntry).segment, 0x10);
  ResetByteRoadForCompile(true);
  EXPECT_EQ(RootAddressDirectory().Count(), 0u);
  EXPECT_EQ(XmemAddressDirectory().Count(), 0u);
}

} // namespace
} // namespace tsw::testing
