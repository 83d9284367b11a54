#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/decode_check.h"
#include "compcore/statement_compile_fixture.h"
#include "foundation/memorymap.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Cofunction definitions compiled by the product and decoded: the
// descriptor ahead of the entry, the prolog that hands the frame to the
// stepping routines, the epilog every return reaches, on each processor
// and placement.
namespace tsw::testing {
namespace {

// The library's task buffer type, as small as the tests need it, and its
// stepping routines at 1000-1004 ahead of the code, so that each call
// names the routine it reaches.
constexpr const char *kFuncBlk = "typedef struct { char bytes[13]; } FuncBlk;\n";
constexpr const char *kSteppingRoutines = "#asm\ncofprolog_::\n ret\ncofepilog_::\n ret\nscofprolog_::\n ret\n"
                                          "scofepilog_::\n ret\n__scofabandon::\n ret\n#endasm\n";
const std::string kLibrary = std::string(kFuncBlk) + kSteppingRoutines;
constexpr uint16_t kPrologRoutine = 0x1000;
constexpr uint16_t kEpilogRoutine = 0x1001;
constexpr uint16_t kSingleUserPrologRoutine = 0x1002;
constexpr uint16_t kSingleUserEpilogRoutine = 0x1003;
constexpr uint16_t kAbandonRoutine = 0x1004;
constexpr uint16_t kCodeStart = 0x1005;
constexpr const char *kCorvidXmem = "#xcodorg xc 0x10 0xE000 0x1000 apply\n";
// Root data grows down from here in the Corvid programs.
constexpr uint16_t kRootDataTop = 0x4000;
// The buffer of a lone instance without locals or parameters.
constexpr uint16_t kLoneBuffer = kRootDataTop - 19 + 6;

class CofunctionCompile : public StatementCompileTest {
protected:
  uint16_t CompileCorvid(const std::string &program) {
    return CompileAlone(std::string("#nodebug\n") + kLibrary + program);
  }
  // A Z180 program alone: its root code follows the start-up area, each
  // byte at its own address in the image.
  uint16_t CompileZ180(const std::string &program) {
    TearDown();
    SetUp();
    Output().zeroPadBin = true;
    return Compile(program + "\n");
  }
  std::vector<uint8_t> Bytes(ADDR24 at, size_t n) {
    std::vector<uint8_t> bytes(n);
    if (!ReadEmittedBytes(at, uint32_t(n), bytes.data()))
      return {};
    return bytes;
  }
  std::vector<uint8_t> RootBytes(uint16_t from, uint16_t to) { return Bytes(MakeAddr24(0, from), size_t(to - from)); }
};

std::vector<std::string> &operator+=(std::vector<std::string> &lines, const std::vector<std::string> &more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

// The entry and the end of a cofunction whose body emits nothing, as the
// decoder shows them.
struct CofunctionForm {
  uint16_t entry = 0;
  uint16_t descriptor = 0;
  uint16_t everytime = 0;
  // What the prolog reserves, and its bytes.
  std::vector<std::string> reserve;
  uint16_t reserveBytes = 0;
  // The code that loads the buffer, twice in the epilog.
  std::vector<std::string> buffer;
  uint16_t bufferBytes = 0;
  std::vector<std::string> release;
  std::string exit = "ret";
  uint16_t prolog = kPrologRoutine;
  uint16_t epilog = kEpilogRoutine;
};

std::vector<std::string> CofunctionListing(const CofunctionForm &f) {
  constexpr uint16_t kFixedPrologBytes = 2 + 4 + 4 + 3;
  constexpr uint16_t kJumpBytes = 3;
  // exx, ld a,18h, then the buffer's marks.
  constexpr uint16_t kBodyDoneBytes = 3 + 4;
  const uint16_t resume =
      uint16_t(f.entry + kFixedPrologBytes + f.reserveBytes + kJumpBytes + kBodyDoneBytes + f.bufferBytes);
  std::vector<std::string> lines = {"push  ix"};
  lines += f.reserve;
  lines += {fmt::format("ld    de,{:04X}", f.everytime), "push  de", fmt::format("ld    de,{:04X}", f.descriptor),
            "push  de", fmt::format("call  {:04X}", f.prolog), fmt::format("jp    {:04X}", resume), "exx",
            "ld    a,18"};
  lines += f.buffer;
  lines += {"set   0,(hl)", "set   1,(hl)"};
  lines += f.buffer;
  lines += {fmt::format("call  {:04X}", f.epilog)};
  lines += f.release;
  lines += {"pop   ix", f.exit};
  return lines;
}

std::vector<std::string> ConstantBuffer(uint16_t address) { return {fmt::format("ld    hl,{:04X}", address)}; }

TEST_F(CofunctionCompile, ARootCofunctionHandsItsFrameToTheSteppingRoutines) {
  ASSERT_EQ(CompileCorvid("cofunc void f(void) { }"), 0) << ::testing::PrintToString(Records());
  // One instance of 19 bytes: its frame base, then its buffer 6 bytes in.
  const uint16_t instance = kRootDataTop - 19;
  EXPECT_EQ(HexBytes(RootBytes(kCodeStart, kCodeStart + 7)),
            fmt::format("01 00 00 00 00 {:02X} {:02X}", instance & 0xFF, instance >> 8));
  CofunctionForm form;
  form.entry = kCodeStart + 7;
  form.descriptor = kCodeStart;
  form.reserve = {"add   sp,FD"};
  form.reserveBytes = 2;
  form.buffer = ConstantBuffer(kLoneBuffer);
  form.bufferBytes = 3;
  form.release = {"add   sp,07"};
  const std::vector<uint8_t> image = Image();
  ASSERT_GT(image.size(), size_t(form.entry - 0x1000));
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, {image.begin() + (form.entry - 0x1000), image.end()},
                        CofunctionListing(form), {}, form.entry));
  const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(Addr24FromLong(f->address).logical, form.entry);
}

TEST_F(CofunctionCompile, TheDescriptorCountsTheFrameAndListsEveryInstance) {
  struct Case {
    const char *what;
    const char *program;
    std::vector<uint8_t> descriptor;
  };
  // Blocks of locals + parameters + 19 bytes, the instances' frame bases
  // above their locals, in one area reserved below the top.
  const Case cases[] = {
      {"a parameter and a local", "cofunc int f(int a) { int x; return a; }",
       {0x01, 0x02, 0x00, 0x02, 0x00, 0xEB, 0x3F}},
      {"three instances", "cofunc void f[3](void) { }",
       {0x03, 0x00, 0x00, 0x00, 0x00, 0xC7, 0x3F, 0xDA, 0x3F, 0xED, 0x3F}},
      {"two instances with a long parameter", "cofunc void f[2](long a) { }",
       {0x02, 0x04, 0x00, 0x00, 0x00, 0xD2, 0x3F, 0xE9, 0x3F}},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(CompileCorvid(c.program), 0) << c.what << ": " << ::testing::PrintToString(Records());
    EXPECT_EQ(HexBytes(RootBytes(kCodeStart, uint16_t(kCodeStart + c.descriptor.size()))), HexBytes(c.descriptor))
        << c.what;
  }
}

TEST_F(CofunctionCompile, AnIndexedCofunctionFindsItsBufferInTheRunningFrame) {
  ASSERT_EQ(CompileCorvid("cofunc void f[2](int a, int b) { }"), 0) << ::testing::PrintToString(Records());
  CofunctionForm form;
  // Behind a descriptor of two instances.
  form.entry = kCodeStart + 9;
  form.descriptor = kCodeStart;
  form.reserve = {"add   sp,FD"};
  form.reserveBytes = 2;
  // The buffer lies 6 bytes above the parameters, from IX.
  form.buffer = {"push  bc", "push  ix", "pop   hl", "ld    bc,000A", "add   hl,bc", "pop   bc"};
  form.bufferBytes = 9;
  form.release = {"add   sp,07"};
  const std::vector<uint8_t> image = Image();
  ASSERT_GT(image.size(), size_t(form.entry - 0x1000));
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, {image.begin() + (form.entry - 0x1000), image.end()},
                        CofunctionListing(form), {}, form.entry));
}

// Extended memory on the Corvid: the prolog reserves what the way in did
// not push, and the epilog leaves by a long return.
TEST_F(CofunctionCompile, AnExtendedMemoryCofunctionIsLeftByALongReturn) {
  const ADDR24 body = MakeAddr24(0x10, 0xE000);
  struct Case {
    bool noBouncers;
    std::vector<std::string> reserve;
    const char *release;
  };
  const Case cases[] = {
      {true, {"add   sp,FE"}, "add   sp,06"},
      {false, {}, "add   sp,04"},
  };
  for (const Case &c : cases) {
    TearDown();
    SetUp();
    CodeGenSetup().noBouncers = c.noBouncers;
    ASSERT_EQ(Compile(std::string(kCorvidRootProgram) + kCorvidXmem + "#nodebug\n" + kLibrary +
                      "xmem cofunc void f(void) { }\n"),
              0)
        << ::testing::PrintToString(Records());
    CofunctionForm form;
    form.entry = body.logical + 7;
    form.descriptor = body.logical;
    form.reserve = c.reserve;
    form.reserveBytes = uint16_t(2 * c.reserve.size());
    form.buffer = ConstantBuffer(kLoneBuffer);
    form.bufferBytes = 3;
    form.release = {c.release};
    form.exit = "lret";
    const std::vector<std::string> listing = CofunctionListing(form);
    const std::vector<uint8_t> code = Bytes(Addr24Add(body, 7), 2 + form.reserveBytes + 11 + 3 + 10 + 12);
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, code, listing, {}, form.entry)) << c.noBouncers;
  }
}

// The Z180 has no add sp,d and no long return: a cofunction goes to root
// code, xmem asked or not, and SP moves a byte at a time.
TEST_F(CofunctionCompile, AZ180CofunctionStaysInRootAndStepsTheStackPointer) {
  // The stepping routines behind the function, which keeps its place.
  ASSERT_EQ(CompileZ180(std::string("#nodebug\n") + kFuncBlk + "xmem cofunc void f(void) { }\n" + kSteppingRoutines), 0)
      << ::testing::PrintToString(Records());
  const SymbolRecord *f = LookupSymbol("f", false, SymbolTableId::kGlobal);
  ASSERT_NE(f, nullptr);
  const ADDR24 entry = Addr24FromLong(f->address);
  EXPECT_EQ(entry.segment, 0);
  CofunctionForm form;
  form.entry = entry.logical;
  form.descriptor = uint16_t(entry.logical - 7);
  form.reserve = {"dec   sp", "dec   sp", "dec   sp"};
  form.reserveBytes = 3;
  // Where the buffer is depends on the Z180's root data: read it from the
  // instance address in the descriptor.
  const std::vector<uint8_t> descriptor = RootBytes(form.descriptor, entry.logical);
  ASSERT_EQ(descriptor.size(), 7u);
  form.buffer = ConstantBuffer(uint16_t((descriptor[5] | descriptor[6] << 8) + 6));
  form.bufferBytes = 3;
  form.release.assign(7, "inc   sp");
  form.prolog = LabelAddress("cofprolog_");
  form.epilog = LabelAddress("cofepilog_");
  const std::vector<uint8_t> code = RootBytes(entry.logical, uint16_t(entry.logical + 16 + 3 + 16 + 10));
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, code, CofunctionListing(form), {}, entry.logical));
}

TEST_F(CofunctionCompile, EverytimeAndAbandonRunAsRoutinesOfTheirOwnAheadOfTheDescriptor) {
  ASSERT_EQ(CompileCorvid("int g;\ncofunc void f(void) { everytime { g = 1; } abandon { g = 2; } }"), 0)
      << ::testing::PrintToString(Records());
  // Each section: ld hl,n; ld (g),hl; ret.
  constexpr uint16_t kSectionBytes = 7;
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, RootBytes(kCodeStart, kCodeStart + 2 * kSectionBytes),
                        {"ld    hl,0001", "ld    (3FFE),hl", "ret", "ld    hl,0002", "ld    (3FFE),hl", "ret"}, {},
                        kCodeStart));
  // The prolog hands over the everytime block's start.
  const uint16_t descriptor = kCodeStart + 2 * kSectionBytes;
  const uint16_t entry = descriptor + 7;
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, RootBytes(entry, entry + 12),
                        {"push  ix", "add   sp,FD", fmt::format("ld    de,{:04X}", kCodeStart), "push  de",
                         fmt::format("ld    de,{:04X}", descriptor), "push  de"},
                        {}, entry));
}

TEST_F(CofunctionCompile, TheDescriptorIsNamedInTheBody) {
  ASSERT_EQ(CompileCorvid("char *p;\ncofunc void f(void) { p = &__cofunc; }"), 0)
      << ::testing::PrintToString(Records());
  // The body follows the prolog's 15 bytes and its jump.
  const uint16_t body = kCodeStart + 7 + 15 + 3;
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, RootBytes(body, body + 6),
                        {fmt::format("ld    hl,{:04X}", kCodeStart), "ld    (3FFE),hl"}, {}, body));
}

// A single-user cofunction's buffer is started by the start-up table, and
// its loop's chains give up its caller and take its lock.
TEST_F(CofunctionCompile, ASingleUserCofunctionHasATableEntryAndLoopFragments) {
  ASSERT_EQ(CompileCorvid("scofunc void f(void) { abandon { } }\ncofunc void g(void) { }"), 0)
      << ::testing::PrintToString(Records());
  const uint16_t instance = kRootDataTop - 19;
  const uint16_t buffer = instance + 6;
  const std::vector<CostateInitEntry> table = CostateTableEntries();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].address.logical, buffer);
  EXPECT_EQ(table[0].state, CostateStart::kAlwaysOn);

  // The abandon block (a lone ret) comes first, then the descriptor.
  const uint16_t abandon = kCodeStart;
  CofunctionForm form;
  form.descriptor = abandon + 1;
  form.entry = form.descriptor + 7;
  form.reserve = {"add   sp,FD"};
  form.reserveBytes = 2;
  form.buffer = ConstantBuffer(buffer);
  form.bufferBytes = 3;
  form.release = {"add   sp,07"};
  form.prolog = kSingleUserPrologRoutine;
  form.epilog = kSingleUserEpilogRoutine;
  std::vector<std::string> listing = CofunctionListing(form);
  listing += {fmt::format("ld    hl,{:04X}", instance), "push  hl", fmt::format("ld    hl,{:04X}", abandon), "push  hl",
              "ld    hl,0000", "push  hl", fmt::format("ld    hl,{:04X}", buffer), "push  hl",
              fmt::format("call  {:04X}", kAbandonRoutine), "add   sp,08", "ret"};
  listing += {fmt::format("ld    hl,{:04X}", buffer), "dec   hl", "ld    (hl),FF", "ret"};
  // Prolog and jump, epilog, the two fragments.
  const uint16_t end = uint16_t(form.entry + 18 + 21 + 22 + 7);
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, RootBytes(form.entry, end), listing, {}, form.entry));
}

TEST_F(CofunctionCompile, MistakesInACofunctionAreReportedByNumber) {
  struct Case {
    const char *what;
    std::string program;
    const char *number;
    size_t times;
  };
  const Case cases[] = {
      // Without the type the frame has no buffer: each load of it in the
      // epilog has nothing to load.
      {"no FuncBlk type", "cofunc void f(void) { }", "480", 1},
      {"no FuncBlk type, the buffer loads", "cofunc void f(void) { }", "636", 2},
      {"everytime without a block", std::string(kFuncBlk) + "cofunc void f(void) { everytime ; }", "2031", 1},
      {"two everytime blocks", std::string(kFuncBlk) + "cofunc void f(void) { everytime { } everytime { } }",
       "2032", 1},
      {"two abandon blocks", std::string(kFuncBlk) + "cofunc void f(void) { abandon { } abandon { } }", "2033", 1},
      {"a return in the everytime block", std::string(kFuncBlk) + "cofunc void f(void) { everytime { return; } }",
       "2043", 1},
      {"a costate in an indexed cofunction", std::string(kFuncBlk) + "cofunc void f[2](void) { costate { } }",
       "2042", 1},
      {"a goto in the everytime block",
       std::string(kFuncBlk) + "cofunc void f(void) { everytime { goto x; x: ; } }", "2043", 1},
  };
  for (const Case &c : cases) {
    CompileAlone("#nodebug\n" + c.program);
    EXPECT_EQ(Reported(c.number), c.times) << c.what << ": " << ::testing::PrintToString(Records());
  }
}

// Label numbers must not repeat within the program on the board, which
// several compiles build up.
TEST_F(CofunctionCompile, TheCofunctionNumbersGoOnAcrossCompiles) {
  const std::string program = std::string("#nodebug\n") + kLibrary + "cofunc void f(void) { }\ncofunc void g(void) { }\n";
  ASSERT_EQ(Compile(std::string(kCorvidRootProgram) + program), 0) << ::testing::PrintToString(Records());
  ASSERT_EQ(Compile(std::string(kCorvidRootProgram) + program), 0) << ::testing::PrintToString(Records());
  EXPECT_EQ(CostateState().cofunctionCounter, 4u);
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

TEST_F(CofunctionCompile, AnInstanceIndexIsAskedOfIndexedCofunctionsOnly) {
  struct Case {
    const char *what;
    const char *call;
    const char *number; // null: neither 2017 nor 2018
  };
  const Case cases[] = {
      {"an indexed cofunction with its index", "g[1]()", nullptr},
      {"an indexed cofunction without one", "g()", "2018"},
      {"a single-instance cofunction without one", "h()", nullptr},
      {"a single-instance cofunction indexed", "h[0]()", "2017"},
  };
  for (const Case &c : cases) {
    CompileCorvid(std::string("cofunc void g[2](void) { }\ncofunc void h(void) { }\nvoid f(void) { ") + c.call +
                  "; }");
    for (const char *number : {"2017", "2018"})
      EXPECT_EQ(Reported(number), c.number && std::string(c.number) == number ? 1u : 0u)
          << c.what << ": " << ::testing::PrintToString(Records());
  }
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// A yield resumes behind the jump that leaves: in the cofunction's own body
// that jump goes to its end with A cleared (the body not done); in a
// costate inside it, to the costate's end, where the cofunction's body goes
// on.
TEST_F(CofunctionCompile, AYieldResumesBehindTheJumpThatLeavesItsTask) {
  const std::vector<std::string> prolog = {"push  ix", "add   sp,FD", "ld    de,0000", "push  de"};
  const std::vector<std::string> epilog = {"ld    hl,0001", "ld    (3FFE),hl", "exx", "ld    a,18", "ld    hl,3FF1",
                                           "set   0,(hl)", "set   1,(hl)", "ld    hl,3FF1", "call  1001",
                                           "add   sp,07", "pop   ix", "ret"};
  struct Case {
    const char *what;
    const char *program;
    uint16_t descriptor;
    std::vector<std::string> body; // from the prolog's call on
  } cases[] = {
      // Resumes at 102E, page 0: check byte 2E ^ 10 = 3E.
      {"in the cofunction's body", "cofunc void f(void) { yield; g = 1; }", kCodeStart,
       {"call  1000", "jp    103E", "ld    hl,102E", "ld    (3FF2),hl", "ld    hl,3E00", "ld    (3FF4),hl", "xor   a",
        "jp    103E"}},
      // Two stand-in routines first; the costate's buffer at 3FDE.
      {"in a costate inside it",
       "#asm\nfuncblk_entry::\n ret\nfuncblk_exit::\n ret\n#endasm\n"
       "cofunc void f(void) { costate { yield; } g = 1; }",
       kCodeStart + 2,
       {"call  1000", "jp    1050", "ld    hl,3FDE", "call  1005", "jp    z,1040", "ld    hl,1038",
        "ld    (3FDF),hl", "ld    hl,2800", "ld    (3FE1),hl", "jp    1040", "ld    hl,3FDE", "ld    b,02",
        "call  1006"}},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(CompileCorvid(std::string("int g;\n") + c.program), 0)
        << c.what << ": " << ::testing::PrintToString(Records());
    const uint16_t entry = uint16_t(c.descriptor + 7);
    std::vector<std::string> listing = prolog;
    listing += {fmt::format("ld    de,{:04X}", c.descriptor), "push  de"};
    listing += c.body;
    listing += epilog;
    const std::vector<uint8_t> image = Image();
    ASSERT_GT(image.size(), size_t(entry - 0x1000)) << c.what;
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, {image.begin() + (entry - 0x1000), image.end()}, listing, {}, entry))
        << c.what;
  }
}

} // namespace
} // namespace tsw::testing
