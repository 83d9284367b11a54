#include "debugger/disasm.h"
#include "debugger/opcodes.h"
#include "debugger/steptables.h"

#include "debugger/fake_target.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace tsw {
namespace {

using tsw::testing::FakeTarget;

struct DecodeCase {
  TargetCpu cpu;
  uint16_t address;
  std::vector<uint8_t> bytes;
  const char *text;
  uint16_t length;
};

std::string Hex(const std::vector<uint8_t> &bytes) {
  std::string s;
  for (uint8_t b : bytes)
    s += fmt::format("{:02X} ", b);
  return s;
}

TEST(Disassembler, DecodesEachProcessorsInstructions) {
  constexpr auto Z = TargetCpu::Z180;
  constexpr auto C = TargetCpu::Corvid;
  const DecodeCase cases[] = {
      {Z, 0x1000, {0x21, 0x34, 0x12}, "ld    hl,1234", 3},
      {Z, 0x1000, {0xDD, 0x36, 0x05, 0x7F}, "ld    (ix+5),7F", 4},
      {Z, 0x1000, {0xCD, 0x00, 0x20}, "call  main", 3},
      {Z, 0x1000, {0xC2, 0x00, 0x20}, "jp    nz,2000", 3}, // conditional jumps show numbers
      {Z, 0x4000, {0x18, 0xFE}, "jr    4000", 2},
      {Z, 0x1000, {0xDD, 0xCB, 0x05, 0x46}, "bit   0,(ix+5)", 4},
      {Z, 0x1000, {0xFD, 0x7E, 0xFD}, "ld    a,(iy-3)", 3},
      {Z, 0x1000, {0xDD, 0xE9}, "jp    (ix)", 2},
      {Z, 0x1000, {0xFD, 0x21, 0x00, 0x80}, "ld    iy,8000", 4},
      {Z, 0x1000, {0x76}, "halt  ", 1},
      {Z, 0x1000, {0xD3, 0x12}, "out   (12),a", 2},
      {Z, 0x1000, {0xDB, 0x12}, "in    a,(12)", 2},
      {Z, 0x1000, {0xF7, 0x0E, 0x00, 0xE0}, "rst   30h,0E:E000", 4},
      {Z, 0x1000, {0xED, 0x47}, "ld    eir,a", 2},
      {Z, 0x1000, {0xED, 0x5F}, "ld    a,iir", 2},
      {Z, 0x1000, {0xED, 0x30, 0x05}, "in0   (hl),(05)", 3},
      {Z, 0x1000, {0xED, 0x5E}, "im    2", 2},
      {Z, 0x1000, {0xED, 0x6C}, "mlt   hl", 2},
      {Z, 0x1000, {0xED, 0x80}, "???   ", 2},
      {Z, 0x1000, {0xCB, 0x30}, "???   ", 2},
      {Z, 0x1000, {0x08}, "ex    af,af'", 1},
      {C, 0x1000, {0x76, 0x7F}, "ld    a',a", 2},
      {C, 0x1000, {0x76, 0x80}, "add`  a,b", 2},
      {C, 0x1000, {0x76, 0xEB}, "ex    de,hl'", 2},
      {C, 0x1000, {0x76, 0x77}, "ld    (hl),a'", 2},
      {C, 0x1000, {0x76, 0x36, 0x05}, "altd  ld    (hl),05", 3},
      {C, 0x1000, {0x76, 0xE3}, "ex    de',hl'", 2},
      {C, 0x1000, {0x76, 0xE4, 0xFD}, "ld    hl',(ix-3)", 3},
      {C, 0x1000, {0x76, 0xA0}, "and`  b", 2},
      {C, 0x1000, {0xCF, 0x00, 0xE0, 0x0E}, "lcall 0EE000", 4},
      {C, 0x1000, {0xC7, 0x00, 0x20, 0x00}, "ljp   main", 4},
      {C, 0x1000, {0xD3, 0x77}, "ioi ld    (hl),a", 2},
      {C, 0x1000, {0xDB, 0x3A, 0x00, 0xC0}, "ioe ld    a,(C000)", 4},
      {C, 0x1000, {0xDD, 0xE4, 0x05}, "ld    hl,(hl+5)", 3},
      {C, 0x1000, {0xFD, 0xE4, 0x05}, "ld    hl,(iy+5)", 3},
      {C, 0x1000, {0xF4, 0x02}, "ld    (ix+2),hl", 2},
      {C, 0x1000, {0xC4, 0x05}, "ld    hl,(sp+5)", 2},
      {C, 0x1000, {0xDD, 0xD4, 0x07}, "ld    (sp+7),ix", 3},
      {C, 0x1000, {0x27, 0x05}, "add   sp,05", 2},
      {C, 0x1000, {0xE0}, "ret   lz", 1},
      {C, 0x1000, {0xEA, 0x00, 0x30}, "jp    lo,3000", 3},
      {C, 0x1000, {0xF7}, "mul   ", 1},
      {C, 0x1000, {0xED, 0x45}, "lret  ", 2},
      {C, 0x1000, {0xED, 0x4E}, "ipset 2", 2},
      {C, 0x1000, {0xED, 0x67}, "ld    xpc,a", 2},
      {C, 0x1000, {0xED, 0x61}, "ld    hl',de", 2},
      {C, 0x1000, {0xED, 0x76}, "push  ip", 2},
      {C, 0x1000, {0xDD, 0x64}, "ldp   (ix),hl", 2},
      {C, 0x1000, {0xFD, 0x6D, 0x00, 0x40}, "ldp   iy,(4000)", 4},
      {C, 0x1000, {0xED, 0x80}, "???   ", 2},
  };
  for (const DecodeCase &c : cases) {
    FakeTarget target(c.cpu);
    target.symbols.push_back({"main", 0x2000, MakeAddr24(0, 0x2000), 2, 2});
    uint16_t length = 0;
    std::string text;
    DisassembleOne(MakeAddr24(0, c.address), c.bytes.data(), c.bytes.size(), &length, &text);
    EXPECT_EQ(text, c.text) << Hex(c.bytes);
    EXPECT_EQ(length, c.length) << Hex(c.bytes);
  }
}

TEST(Disassembler, SimpleFlagIsClearWheneverHlOrMemoryMayChange) {
  struct Case {
    std::vector<uint8_t> bytes;
    uint8_t simple;
  } cases[] = {
      {{0x47}, 1},             // ld b,a
      {{0x7E}, 1},             // ld a,(hl) reads only
      {{0xA6}, 1},             // and (hl)
      {{0x01, 0, 0}, 1},       // ld bc,nn
      {{0x21, 0, 0}, 0},       // ld hl,nn
      {{0x23}, 0},             // inc hl
      {{0x2B}, 0},             // dec hl
      {{0x66}, 0},             // ld h,(hl)
      {{0x36, 5}, 0},          // ld (hl),n writes memory
      {{0x32, 0, 0}, 0},       // ld (nn),a
      {{0xEB}, 0},             // ex de,hl
      {{0xE1}, 0},             // pop hl
      {{0xED, 0x6B, 0, 0}, 0}, // ld hl,(nn)
      {{0xED, 0x6C}, 0},       // mlt hl
      {{0xED, 0x4C}, 1},       // mlt bc
      {{0xED, 0xA1}, 0},       // cpi moves hl
      {{0xED, 0xB2}, 0},       // inir
      {{0xED, 0x6F}, 0},       // rld writes (hl)
      {{0xCD, 0, 0}, 0},       // call
      {{0xCB, 0xC7}, 1},       // set 0,a
      {{0xCB, 0xC6}, 0},       // set 0,(hl)
  };
  FakeTarget target;
  for (const Case &c : cases) {
    uint16_t length;
    std::string text;
    EXPECT_EQ(DisassembleOne(MakeAddr24(0, 0), c.bytes.data(), c.bytes.size(), &length, &text), c.simple)
        << Hex(c.bytes) << text;
  }
}

TEST(Disassembler, NeverReadsPastTheBytesItIsGiven) {
  struct Case {
    TargetCpu cpu;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {TargetCpu::Z180, {0x21, 0x34}},
      {TargetCpu::Z180, {0xDD, 0xCB, 0x05}},
      {TargetCpu::Corvid, {0x76}},
      {TargetCpu::Corvid, {0x76, 0x21, 0x00}},
      {TargetCpu::Corvid, std::vector<uint8_t>(64, 0x76)},
      {TargetCpu::Corvid, std::vector<uint8_t>(64, 0xD3)},
  };
  for (const Case &c : cases) {
    FakeTarget target(c.cpu);
    // The bytes live in a vector of exactly their size, so the sanitizer
    // catches any read beyond.
    std::vector<uint8_t> exact(c.bytes);
    uint16_t length = 0;
    std::string text;
    DisassembleOne(MakeAddr24(0, 0), exact.data(), exact.size(), &length, &text);
    EXPECT_LE(length, exact.size()) << Hex(c.bytes);
    if (c.bytes.size() < 4) {
      EXPECT_EQ(text, "???   ") << Hex(c.bytes);
    }
  }
}

TEST(Disassembler, SymbolLookupOrder) {
  struct Bios : FakeTarget {
    const char *FindBiosSymbolByValue(ADDR24 a) override { return Addr24Logical(a) == 0x0100 ? "bioscall" : nullptr; }
  } bios;
  bios.symbols = {
      {"skipped", 0, MakeAddr24(0, 0), 1, 2},
      {"label", 0x3000, MakeAddr24(0, 0), 253, 0},
      {"xmemfn", 0, MakeAddr24(0x12, 0xE100), 2, 11},
      {"byaddress", 0, MakeAddr24(0, 0x0100), 1, 2},
  };
  EXPECT_STREQ(FindSymbolForAddress(MakeAddr24(0, 0x0100)), "bioscall");
  EXPECT_STREQ(FindSymbolForAddress(MakeAddr24(0, 0x3000)), "label");
  EXPECT_STREQ(FindSymbolForAddress(MakeAddr24(0x12, 0xE100)), "xmemfn");
  EXPECT_EQ(FindSymbolForAddress(MakeAddr24(0x13, 0xE100)), nullptr);
  EXPECT_EQ(FindSymbolForAddress(MakeAddr24(0, 0)), nullptr);
}

// The bytes an instruction's operands read, from the decoder's own tables,
// against the step analyser's independent length tables.
size_t BytesTheOperandsRead(TargetCpu cpu, const std::vector<uint8_t> &code) {
  const OpcodeTables &t = OpcodeTablesFor(cpu);
  bool prefixed = code[0] == 0xDD || code[0] == 0xFD;
  size_t at = prefixed ? 1 : 0;
  if (code[at] == 0xCB)
    return prefixed ? 4 : 2;
  InstructionTableEntry e;
  size_t op = at;
  if (!prefixed && code[0] == 0xED) {
    e = t.ed[code[1]];
    op = 1;
  } else if (prefixed) {
    e = t.index[code[at]];
    if (e.mnemonic == kMnNotIndexed)
      e = t.main[code[at]];
  } else {
    e = t.main[code[at]];
  }
  size_t displacement = 0, operands = 0;
  for (uint16_t operand : {e.first, e.second}) {
    uint16_t kind = operand & kOpKindMask;
    bool indexable = prefixed && (operand & kOpIndexable);
    switch (kind) {
    case kOpByte:
    case kOpIndByte:
    case kOpRelative:
    case kOpSPOffset: operands = std::max<size_t>(operands, 1); break;
    case kOpWord: operands = cpu == TargetCpu::Corvid && (code[op] == 0xC7 || code[op] == 0xCF) ? 3 : 2; break;
    case kOpIndWord: operands = 2; break;
    case kOpSegAddr: operands = 3; break;
    case kOpIndexed:
    case kOpSwappedIndexed: displacement = 1; break;
    case kOpReg543: displacement |= indexable && ((code[op] >> 3) & 7) == 6; break;
    case kOpReg210: displacement |= indexable && (code[op] & 7) == 6; break;
    case kOpIndPairSS: displacement |= indexable; break;
    default: break;
    }
  }
  return op + 1 + displacement + operands;
}

TEST(Disassembler, DecoderAndStepperAgreeOnEveryLength) {
  for (TargetCpu cpu : {TargetCpu::Z180, TargetCpu::Corvid}) {
    FakeTarget target(cpu);
    const StepperTables &steps = StepperTablesFor(cpu);
    std::vector<std::vector<uint8_t>> patterns;
    for (int a = 0; a < 256; ++a) {
      if (a == 0xDD || a == 0xFD) {
        for (int b = 0; b < 256; ++b)
          if (steps.index[b] && b != 0xCB) // the prefix alone is one byte of its own
            patterns.push_back({uint8_t(a), uint8_t(b), 0, 0});
      } else if (a == 0xED) {
        for (int b = 0; b < 256; ++b)
          patterns.push_back({uint8_t(a), uint8_t(b), 0, 0});
      } else {
        patterns.push_back({uint8_t(a), 0, 0, 0});
      }
    }
    for (const auto &code : patterns) {
      uint16_t length = 0;
      std::string text;
      DisassembleOne(MakeAddr24(0, 0x1000), code.data(), code.size(), &length, &text);
      if (cpu == TargetCpu::Corvid && (code[0] == 0x76 || code[0] == 0xD3 || code[0] == 0xDB))
        continue; // prefixes: their length includes what follows
      EXPECT_EQ(length, BytesTheOperandsRead(cpu, code)) << int(cpu) << ": " << Hex(code) << text;
    }
  }
}

} // namespace
} // namespace tsw
