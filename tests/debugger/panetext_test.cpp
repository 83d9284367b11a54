#include "debugger/panetext.h"
#include "debugger/registerframe.h"

#include "fakes/fake_texts.h"
#include "foundation/memorymap.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <numeric>

namespace tsw {
namespace {

using ::testing::ElementsAre;
using tsw::testing::InstalledTexts;

TEST(RegisterFrameCodec, WordsLittleEndianInTargetOrderWithXpcAndPad) {
  std::array<uint8_t, kRegisterFrameByteCount> bytes;
  std::iota(bytes.begin(), bytes.end(), uint8_t(1));
  TargetRegisterFrame f = DecodeRegisterFrame(bytes.data());
  EXPECT_EQ(f.af, 0x0201);
  EXPECT_EQ(f.hl, 0x0807);
  EXPECT_EQ(f.pc, 0x0C0B);
  EXPECT_EQ(f.xpc, 0x0D);
  EXPECT_EQ(f.ix, 0x100F);
  EXPECT_EQ(f.hl_, 0x1A19);

  std::array<uint8_t, kRegisterFrameByteCount> back{};
  EncodeRegisterFrame(f, back.data());
  bytes[13] = 0; // the pad byte is not part of the frame
  EXPECT_EQ(back, bytes);
}

TEST(PaneText, RegisterLines) {
  TargetRegisterFrame f;
  f.af = 0x1241;
  f.xpc = 0x0E;
  f.bc = 0x0102, f.de = 0x0304, f.hl = 0x0506, f.sp = 0x8FF0, f.pc = 0x4000;
  f.ix = 0xABCD, f.iy = 0x00EF;
  f.af_ = 0xFFFF, f.bc_ = 0x1111, f.de_ = 0x2222, f.hl_ = 0x3333;
  EXPECT_THAT(RegisterLines(f),
              ElementsAre(" Z     C  XPC 0E", "A   12    AF' FFFF", "BC  0102  BC' 1111", "DE  0304  DE' 2222",
                          "HL  0506  HL' 3333", "IX  ABCD  IY  00EF", "PC  4000  SP  8FF0"));
  f.af = 0xFF;
  EXPECT_EQ(FlagsLine(f), "SZXHXVNC  XPC 0E");
}

TEST(PaneText, StackLinesReadWordsUpFromSp) {
  const uint8_t words[] = {0x34, 0x12, 0xCD, 0xAB};
  EXPECT_THAT(StackLines(0x8FF0, words, 2), ElementsAre("8FF0: 1234", "8FF2: ABCD"));
  EXPECT_THAT(StackLines(0xFFFE, words, 2), ElementsAre("FFFE: 1234", "0000: ABCD"));
}

TEST(PaneText, LocationLinesNameTheSourceOrTheAddress) {
  ResetMemoryMapModule();
  InstalledTexts texts({{kMsgPcSourcePosition, "%s(%d)"}});
  EXPECT_THAT(PcLocationLines(MakeAddr24(0x0E, 0x4000), std::nullopt), ElementsAre("----------", "PC@4000"));
  EXPECT_THAT(PcLocationLines(MakeAddr24(0x0E, 0xE000), std::nullopt), ElementsAre("----------", "PC@0e:e000"));
  EXPECT_THAT(PcLocationLines(MakeAddr24(0, 0x4000), SourceLocation{"main.c", 12, 3}),
              ElementsAre("----------", "main.c(12)"));
}

TEST(PaneText, DumpLinesInEachAddressForm) {
  ResetMemoryMapModule();
  std::array<uint8_t, 32> bytes{};
  bytes[0] = 0x41, bytes[1] = 0x00, bytes[2] = 0xC1, bytes[3] = 0x7E, bytes[4] = 0x7F, bytes[5] = 0x20;
  const std::string firstBytes = "41 00 C1 7E 7F 20 00 00 00 00 00 00 00 00 00 00 ";
  const std::string secondBytes = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ";
  const std::string firstChars = std::string("A  ~") + char(0x7F) + std::string(11, ' ');
  const std::string blanks(16, ' ');

  struct Case {
    const char *name;
    DumpAddressing at;
    uint32_t readPhysical;
    std::string first, second;
  };
  const Case cases[] = {
      {"logical", {false, 0, MakeAddr24(0, 0x8FF0), false}, 0x8FF0, "8ff0 ", "9000 "},
      {"physical", {true, 0x7FFF0, {}, false}, 0x7FFF0, "07fff0 ", "080000 "},
      {"segment:offset", {false, 0, MakeAddr24(0x10, 0x1230), true}, 0x11230, "10:1230 ", "10:1240 "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Addr24ToPhysical(DumpReadAddress(c.at)), c.readPhysical);
    EXPECT_THAT(DumpLines(c.at, bytes.data(), bytes.size()),
                ElementsAre(c.first + firstBytes + firstChars, c.second + secondBytes + blanks));
  }
}

} // namespace
} // namespace tsw
