// Instruction sequences of the code generator run on the Z180 simulator:
// each is emitted through the compiler's own byte road, its routine calls
// bound to the target library's routines, and what it leaves in the
// registers, the flags, the stack and memory is read back.
#include "compcore/instruction_fixture.h"
#include "runner/routine_harness.h"
#include "runner/z180_library.h"
#include "support/tempdir.h"

#include <fmt/format.h>


namespace tsw {
namespace {

using target::AsmRun;
using target::RunAsmCases;
using tsw::testing::TempDir;

std::string LibraryAsm() {
  static const std::string text = target::Z180LibraryForSimulator(TSW_Z180_LIBRARY);
  return text;
}

constexpr uint16_t kZeroFlag = 0x40;

class ExecutionTest : public testing::InstructionsTest {
protected:
  // What was emitted since the last call, as sdasz80 source: the bytes as
  // data, each routine call as a call of the library's label.
  std::string EmittedAsm() {
    const uint16_t start = emitStart_;
    const std::vector<uint8_t> bytes = Emitted();
    std::string text;
    size_t at = 0;
    for (; nextSite_ < upcalls->sites.size(); ++nextSite_) {
      const size_t site = size_t(upcalls->sites[nextSite_].logical - start);
      text += DataBytes(bytes, at, site);
      std::string label = upcalls->routines[nextSite_];
      std::replace(label.begin(), label.end(), '.', '_');
      text += "\tcall " + label + "\n";
      at = site + 3;
    }
    text += DataBytes(bytes, at, bytes.size());
    emitStart_ = Here().logical;
    return text;
  }
  void SetUp() override {
    InstructionsTest::SetUp();
    SetCpu(TargetCpu::Z180);
    emitStart_ = Here().logical;
  }
  // Position-dependent code goes where it was emitted: after the library,
  // at the address the root code cache gave it.
  std::string PlacedAt(uint16_t address, const std::string &text) {
    return fmt::format("\t.org {:#06x}\n", address) + text;
  }

private:
  static std::string DataBytes(const std::vector<uint8_t> &bytes, size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to; ++i)
      text += fmt::format("\t.db {:#04x}\n", bytes[i]);
    return text;
  }
  uint16_t emitStart_ = 0;
  size_t nextSite_ = 0;
};

uint16_t Word(const std::vector<uint8_t> &block, size_t at) { return uint16_t(block[at] | block[at + 1] << 8); }

// The zero test leaves HL 1 exactly when the value was not zero, with the
// zero flag saying the same, for every type; a long and a float go through
// the library's tests.
TEST_F(ExecutionTest, ZeroTestsAgreeWithTheirFlags) {
  struct Case {
    uint8_t type;
    uint32_t value;
  } cases[] = {
      {kTypeInt, 0},           {kTypeInt, 1},          {kTypeInt, 0x8000},     {kTypeUnsigned, 0x0100},
      {kTypeLong, 0},          {kTypeLong, 0x00010000}, {kTypeLong, 0x80000000}, {kTypeUnsignedLong, 1},
      {kTypeFloat, 0},         {kTypeFloat, 0x80000000}, {kTypeFloat, 0x3F800000}, {kTypeFloat, 0x00000001},
  };
  std::vector<std::string> texts;
  for (const Case &c : cases) {
    ResetInstructionEmission();
    ValueRecord value = InRegisters(c.type);
    EmitTestForZero(value);
    const std::string setup = c.type == kTypeInt || c.type == kTypeUnsigned
                                  ? fmt::format("\tld hl,#{:#06x}\n", c.value)
                                  : fmt::format("\tld bc,#{:#06x}\n\tld de,#{:#06x}\n", c.value >> 16, c.value & 0xFFFF);
    texts.push_back(setup + EmittedAsm() + "\tpush af\n\tpop bc\n\tld (OUT+0),hl\n\tld (OUT+2),bc\n");
  }
  TempDir dir;
  const AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const bool zero = cases[i].type == kTypeFloat ? (cases[i].value & 0x7FFFFFFF) == 0 : cases[i].value == 0;
    const std::string what = fmt::format("type {} value {:08X}", cases[i].type, cases[i].value);
    EXPECT_EQ(Word(run.blocks[i], 0), zero ? 0 : 1) << what;
    EXPECT_EQ((Word(run.blocks[i], 2) & kZeroFlag) != 0, zero) << what;
  }
}

// The unary operators by routine and inline, against the host's arithmetic.
TEST_F(ExecutionTest, UnaryOperatorsComputeOnTheTarget) {
  struct Case {
    uint8_t type;
    UnaryOp op;
    uint32_t in;
    uint32_t out;
  } cases[] = {
      {kTypeInt, UnaryOp::kNegate, 5, 0xFFFB},          {kTypeInt, UnaryOp::kNegate, 0x8000, 0x8000},
      {kTypeInt, UnaryOp::kComplement, 0x00FF, 0xFF00}, {kTypeInt, UnaryOp::kLogicalNot, 0, 1},
      {kTypeInt, UnaryOp::kLogicalNot, 0x1000, 0},      {kTypeLong, UnaryOp::kNegate, 1, 0xFFFFFFFF},
      {kTypeLong, UnaryOp::kComplement, 0x0000FFFF, 0xFFFF0000}, {kTypeLong, UnaryOp::kLogicalNot, 0x00010000, 0},
      {kTypeFloat, UnaryOp::kNegate, 0x3F800000, 0xBF800000},  {kTypeFloat, UnaryOp::kLogicalNot, 0x80000000, 1},
  };
  std::vector<std::string> texts;
  for (const Case &c : cases) {
    ResetInstructionEmission();
    ValueRecord value = InRegisters(c.type);
    EmitUnaryOperator(value, c.op);
    const std::string setup = c.type == kTypeInt ? fmt::format("\tld hl,#{:#06x}\n", c.in)
                                                 : fmt::format("\tld bc,#{:#06x}\n\tld de,#{:#06x}\n", c.in >> 16,
                                                               c.in & 0xFFFF);
    texts.push_back(setup + EmittedAsm() + "\tpush af\n\tpop ix\n\tld (OUT+0),hl\n\tld (OUT+2),de\n"
                                           "\tld (OUT+4),bc\n\tld (OUT+6),ix\n");
  }
  TempDir dir;
  const AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case &c = cases[i];
    const std::vector<uint8_t> &b = run.blocks[i];
    const std::string what = fmt::format("type {} op {} in {:08X}", c.type, int(c.op), c.in);
    if (c.op == UnaryOp::kLogicalNot) {
      EXPECT_EQ(Word(b, 0), c.out) << what;
      EXPECT_EQ((Word(b, 6) & kZeroFlag) != 0, c.out == 0) << what << ": the flags follow HL";
    } else if (c.type == kTypeInt) {
      EXPECT_EQ(Word(b, 0), c.out) << what;
    } else {
      EXPECT_EQ(uint32_t(Word(b, 4)) << 16 | Word(b, 2), c.out) << what;
    }
  }
}

// Stack adjustments move SP by exactly the delta and keep HL when asked.
TEST_F(ExecutionTest, StackAdjustmentsMoveSpByTheDelta) {
  struct Case {
    int16_t delta;
    bool keepHl;
    uint32_t attributes;
  } cases[] = {{-4, false, kAttrSize}, {-6, true, 0}, {-6, false, 0}, {7, true, 0},
               {-12, true, kAttrSize}, {-300, true, 0}, {-2, false, 0}};
  std::vector<std::string> texts;
  for (const Case &c : cases) {
    ResetInstructionEmission();
    Attributes().current = c.attributes;
    EmitAdjustStackPointer(c.delta, c.keepHl);
    texts.push_back("\tld hl,#0x1234\n" + EmittedAsm() + "\tld (OUT+0),sp\n\tld (OUT+2),hl\n\tld sp,#0\n");
  }
  Attributes().current = 0;
  TempDir dir;
  const AsmRun run = RunAsmCases(LibraryAsm(), texts, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Word(run.blocks[i], 0), uint16_t(cases[i].delta)) << cases[i].delta;
    if (cases[i].keepHl) {
      EXPECT_EQ(Word(run.blocks[i], 2), 0x1234) << cases[i].delta;
    }
  }
}

// HL stored through the address on the stack lands low byte first there,
// and the address is taken off the stack.
TEST_F(ExecutionTest, StoreThroughAStackedAddress) {
  ValueRecord target = InRegisters(kTypeInt);
  target.storage = kStorageStackStruct;
  StoreHlThroughStackedAddress(target, InRegisters(kTypeInt));
  const std::string text = "\tld hl,#0x9000\n\tpush hl\n\tld hl,#0xBEEF\n" + EmittedAsm() +
                           "\tld hl,(0x9000)\n\tld (OUT+0),hl\n\tld (OUT+2),sp\n";
  TempDir dir;
  const AsmRun run = RunAsmCases(LibraryAsm(), {text}, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  EXPECT_EQ(Word(run.blocks[0], 0), 0xBEEF);
  EXPECT_EQ(Word(run.blocks[0], 2), 0x0000);
}

// A stack variable's address is its frame offset above SP at the frame,
// however much has been pushed since; a char in A widens zero-extended.
TEST_F(ExecutionTest, StackAddressesAndWidenedChars) {
  ValueRecord local;
  InitValueRecord(local, kStorageAuto, kTypeInt, 0, nullptr, 2, nullptr, 1, 0);
  EmitPushPair(Reg::HL);
  EmitPushPair(Reg::BC);
  LoadStackOperand(local, Reg::DE);
  const std::string address = EmittedAsm() + "\tld (OUT+0),de\n";
  ValueRecord c = CharInA();
  MoveRegisterValueToPair(c, Reg::BC);
  const std::string widened = "\tld a,#0xF0\n\tld bc,#0xFFFF\n" + EmittedAsm() + "\tld (OUT+0),bc\n";
  EmitZeroFlagToHl(0);
  const std::string zeroSet = "\txor a\n" + EmittedAsm() + "\tld (OUT+0),hl\n";
  EmitZeroFlagToHl(0);
  const std::string zeroClear = "\tor #1\n" + EmittedAsm() + "\tld (OUT+0),hl\n";
  TempDir dir;
  const AsmRun run = RunAsmCases(LibraryAsm(), {address, widened, zeroSet, zeroClear}, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  EXPECT_EQ(Word(run.blocks[0], 0), 0x0002) << "the frame starts at SP 0";
  EXPECT_EQ(Word(run.blocks[1], 0), 0x00F0);
  EXPECT_EQ(Word(run.blocks[2], 0), 1);
  EXPECT_EQ(Word(run.blocks[3], 0), 0);
}

// The copy loop of data wait states jumps back to its own ldi until BC
// runs out. (The simulator's ld a,i does not show the interrupt enable, so
// the saved interrupt state is proven by its byte table only.)
TEST_F(ExecutionTest, CopyLoopRunsWhereItWasEmitted) {
  constexpr uint16_t kPlace = 0x6000;
  Caches().rootCode->SetEmitAddress(MakeAddr24(0, kPlace));
  EmittedAsm();
  DataWaits(true);
  EmitBlockCopy(Global(kTypeChar), 5);
  EmitFixed(Fixed::kRet);
  const std::string copy = PlacedAt(kPlace, EmittedAsm());
  DataWaits(false);

  const std::string text = "\tld hl,#0x9000\n\tld (hl),#1\n\tinc hl\n\tld (hl),#2\n\tinc hl\n\tld (hl),#3\n"
                           "\tinc hl\n\tld (hl),#4\n\tinc hl\n\tld (hl),#5\n"
                           "\tld hl,#0x9000\n\tld de,#0x9100\n\tld bc,#5\n" +
                           fmt::format("\tcall {:#06x}\n", kPlace) +
                           "\tld (OUT+0),bc\n\tld hl,(0x9100)\n\tld (OUT+2),hl\n\tld hl,(0x9103)\n"
                           "\tld (OUT+4),hl\n\tld (OUT+6),de\n";
  TempDir dir;
  const AsmRun run = RunAsmCases(LibraryAsm() + copy, {text}, dir.path());
  ASSERT_TRUE(run.ok) << run.log;
  EXPECT_EQ(Word(run.blocks[0], 0), 0);
  EXPECT_EQ(Word(run.blocks[0], 2), 0x0201);
  EXPECT_EQ(Word(run.blocks[0], 4), 0x0504);
  EXPECT_EQ(Word(run.blocks[0], 6), 0x9105);
}

} // namespace
} // namespace tsw
