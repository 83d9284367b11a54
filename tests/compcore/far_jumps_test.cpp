#include "byte_road_fixture.h"
#include "decode_check.h"

#include "compcore/cc_gen/far_jumps.h"

#include <map>

namespace tsw::testing {
namespace {

constexpr ADDR24 kRootStart = MakeAddr24(0, 0x1000);
constexpr ADDR24 kXmemStart = MakeAddr24(0x10, 0xE000);

TargetCpu DecoderCpu(CodeCpu cpu) { return cpu == CodeCpu::kCorvid ? TargetCpu::Corvid : TargetCpu::Z180; }

class FarJumpTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    Origin("rc 0 0x1000 0x4000 apply", Caches().rootCode);
    Origin("xc 0x10 0xE000 0x1000 apply", Caches().xmemCode, 2);
    UseCpu(CodeCpu::kZ180);
    StartIn(kRootStart);
  }
  void UseCpu(CodeCpu cpu) { CodeGenSetup().cpu = cpu; }
  // Emission goes on at `at` in the cache that holds it.
  void StartIn(ADDR24 at) {
    EmitCache *cache = Addr24InWindow(at) ? Caches().xmemCode : Caches().rootCode;
    Caches().currentCode = cache;
    cache->SetEmitAddress(at);
  }
  // The bytes written from `start` up to where its cache stands now.
  std::vector<uint8_t> CodeFrom(ADDR24 start) {
    EmitCache *cache = Addr24InWindow(start) ? Caches().xmemCode : Caches().rootCode;
    const uint32_t end = Addr24ToPhysical(cache->Current());
    Caches().rootCode->Flush();
    Caches().xmemCode->Flush();
    std::map<uint32_t, uint8_t> image;
    for (const tsw::testing::Run &run : writer.runs)
      for (size_t i = 0; i < run.bytes.size(); ++i)
        image[Addr24ToPhysical(run.address) + uint32_t(i)] = run.bytes[i];
    std::vector<uint8_t> bytes;
    for (uint32_t at = Addr24ToPhysical(start); at < end; ++at)
      bytes.push_back(image[at]);
    return bytes;
  }
};

struct JumpCase {
  const char *name;
  CodeCpu cpu;
  ADDR24 from;
  ADDR24 target;
  uint8_t opcode;
  bool preserveAf;
  std::vector<uint8_t> bytes;
  std::vector<std::string> text;
  uint8_t emitted;
  uint16_t operandOffset;
};

TEST_F(FarJumpTest, JumpsFromOneSideOfTheWindow) {
  const JumpCase cases[] = {
      {"root to root", CodeCpu::kZ180, kRootStart, MakeAddr24(0, 0x2345), kOpJump, false,
       {0xC3, 0x45, 0x23}, {"jp    2345"}, kOpJump, 1},
      {"root to bank", CodeCpu::kZ180, kRootStart, MakeAddr24(0x22, 0xE345), kOpJump, false,
       {0x3E, 0x22, 0xED, 0x39, 0x38, 0xC3, 0x45, 0xE3},
       {"ld    a,22", "out0  (38),a", "jp    E345"}, kOpJump, 6},
      {"root to bank keeping AF", CodeCpu::kZ180, kRootStart, MakeAddr24(0x22, 0xE345), kOpJump, true,
       {0xF5, 0x3E, 0x22, 0xED, 0x39, 0x38, 0xF1, 0xC3, 0x45, 0xE3},
       {"push  af", "ld    a,22", "out0  (38),a", "pop   af", "jp    E345"}, kOpJump, 8},
      {"long jump request on the Z180 is a jump", CodeCpu::kZ180, kRootStart, MakeAddr24(0, 0x2345), kOpLongJump,
       false, {0xC3, 0x45, 0x23}, {"jp    2345"}, kOpJump, 1},
      {"relative jump is always short", CodeCpu::kZ180, kRootStart, MakeAddr24(0x22, 0xE3FE), 0x20, false,
       {0x20, 0xFE}, {"jr    nz,1000"}, 0x20, 1},
  };
  for (const JumpCase &c : cases) {
    SCOPED_TRACE(c.name);
    writer.runs.clear();
    UseCpu(c.cpu);
    StartIn(c.from);
    JumpRecord record = EmitJumpToAddr24(c.target, c.opcode, c.preserveAf);
    std::vector<uint8_t> bytes = CodeFrom(c.from);
    EXPECT_EQ(HexBytes(bytes), HexBytes(c.bytes));
    EXPECT_TRUE(DecodesAs(DecoderCpu(c.cpu), bytes, c.text));
    EXPECT_EQ(record.opcode, c.emitted);
    EXPECT_EQ(Addr24ToLong(record.operand), Addr24ToLong(Addr24Add(c.from, c.operandOffset)));
  }
}

} // namespace
} // namespace tsw::testing
