#include "compcore/cc_gen/value_queries.h"
#include "compcore/instruction_fixture.h"

namespace tsw {
namespace {

using testing::EmitCase;
using testing::InstructionsTest;
constexpr TargetCpu Z = TargetCpu::Z180;
constexpr TargetCpu R = TargetCpu::Corvid;

TEST_F(InstructionsTest, EveryFixedTemplateDecodesOnItsProcessor) {
  for (TargetCpu cpu : {Z, R}) {
    SetCpu(cpu);
    for (unsigned f = 0; f <= unsigned(Fixed::kShiftHlRightArithmetic); ++f) {
      sink.records.clear();
      EmitFixed(Fixed(f));
      const std::vector<uint8_t> bytes = Emitted();
      if (!sink.records.empty()) {
        // A form the processor lacks emits nothing.
        EXPECT_TRUE(bytes.empty()) << f;
        EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgKindNotEncodable});
        continue;
      }
      // ld hl,nn and the call take their word from the caller.
      std::vector<uint8_t> whole = bytes;
      if (PendingOperandKind() == OperandKind::kWord || Fixed(f) == Fixed::kCall)
        whole.insert(whole.end(), {0x34, 0x12});
      const std::vector<std::string> lines = testing::DecodeAll(cpu, whole);
      ASSERT_FALSE(lines.empty()) << f;
      for (const std::string &line : lines)
        EXPECT_EQ(line.find("???"), std::string::npos) << f << ": " << testing::HexBytes(whole);
    }
  }
}

TEST_F(InstructionsTest, CorvidOnlyFormsNeverReachTheZ180) {
  CheckAll({
      {"lret", Z, [] { EmitFixed(Fixed::kLret); }, {}, {kMsgKindNotEncodable}},
      {"push ip", Z, [] { EmitFixed(Fixed::kPushIp); }, {}, {kMsgKindNotEncodable}},
      {"bool hl", Z, [] { EmitFixed(Fixed::kBoolHl); }, {}, {kMsgKindNotEncodable}},
      {"or hl,de", Z, [] { EmitFixed(Fixed::kOrHlDeFromBc); }, {}, {kMsgKindNotEncodable}},
      {"ipset", Z, [] { EmitIpset(1); }, {}, {kMsgKindNotEncodable}},
      {"ipres", Z, [] { EmitIpres(); }, {}, {kMsgKindNotEncodable}},
      {"di on the Corvid", R, [] { EmitFixed(Fixed::kDi); }, {}, {kMsgKindNotEncodable}},
      {"ld a,i on the Corvid", R, [] { EmitFixed(Fixed::kLdAI); }, {}, {kMsgKindNotEncodable}},
      {"ex (sp),hl", Z, [] { EmitFixed(Fixed::kExSpHl); }, {"ex    (sp),hl"}},
      {"ex (sp),hl", R, [] { EmitFixed(Fixed::kExSpHl); }, {"ex    (sp),hl"}},
      {"logical shift", R, [] { EmitFixed(Fixed::kShiftHlRightLogical); }, {"or    a", "rr    hl"}},
      {"logical shift", Z, [] { EmitFixed(Fixed::kShiftHlRightLogical); }, {"srl   h", "rr    l"}},
      {"arithmetic shift", R, [] { EmitFixed(Fixed::kShiftHlRightArithmetic); }, {"sra   h", "rr    l"}},
      {"arithmetic shift", Z, [] { EmitFixed(Fixed::kShiftHlRightArithmetic); }, {"sra   h", "rr    l"}},
  });
}

TEST_F(InstructionsTest, StackAdjustmentsTakeTheCheapestForm) {
  const auto adjust = [](int16_t delta, bool keepHl) { return [=] { EmitAdjustStackPointer(delta, keepHl); }; };
  const std::vector<std::string> pushes2 = {"push  af", "push  af"};
  CheckAll({
      {"zero", Z, adjust(0, false), {}},
      {"zero", R, adjust(0, true), {}},
      {"-4 for size", Z, adjust(-4, false), pushes2, {}, kAttrSize},
      {"-4 for speed", Z, adjust(-4, false), pushes2},
      {"-6 for speed", Z, adjust(-6, false), {"ld    hl,FFFA", "add   hl,sp", "ld    sp,hl"}},
      {"-6 for speed keeping HL", Z, adjust(-6, true),
       {"exx", "ld    hl,FFFA", "add   hl,sp", "ld    sp,hl", "exx"}},
      {"-6 for size keeping HL", Z, adjust(-6, true), {"push  af", "push  af", "push  af"}, {}, kAttrSize},
      {"+12 for size", Z, adjust(12, false), {"ld    hl,000C", "add   hl,sp", "ld    sp,hl"}, {}, kAttrSize},
      {"+12 for size keeping HL", Z, adjust(12, true),
       {"pop   af", "pop   af", "pop   af", "pop   af", "pop   af", "pop   af"}, {}, kAttrSize},
      {"odd", Z, adjust(7, false), {"ld    hl,0007", "add   hl,sp", "ld    sp,hl"}},
      {"+2", R, adjust(2, false), {"add   sp,02"}},
      {"-300", R, adjust(-300, false), {"add   sp,80", "add   sp,80", "add   sp,D4"}},
      {"381", R, adjust(381, false), {"add   sp,7F", "add   sp,7F", "add   sp,7F"}},
      {"400", R, adjust(400, false), {"ld    hl,0190", "add   hl,sp", "ld    sp,hl"}},
      {"400 keeping HL", R, adjust(400, true), {"exx", "ld    hl,0190", "add   hl,sp", "ld    sp,hl", "exx"}},
  });
}

TEST_F(InstructionsTest, OnlyANonZeroAdjustmentForgetsTheCondition) {
  Emission().valueIsCondition = true;
  EmitAdjustStackPointer(0, false);
  EXPECT_TRUE(Emission().valueIsCondition);
  EmitAdjustStackPointer(2, false);
  EXPECT_FALSE(Emission().valueIsCondition);
  EXPECT_FALSE(Emission().flagsValid);

  Emission().stackOffset = -6;
  EmitStackAdjustAndTrack(4);
  EXPECT_EQ(Emission().stackOffset, -2);
  Emitted();
}

TEST_F(InstructionsTest, PushesAndPopsKeepTheStackOffset) {
  CheckAll({
      {"push BC DE HL", Z, [] { EmitPushPair(Reg::BC), EmitPushPair(Reg::DE), EmitPushPair(Reg::HL); },
       {"push  bc", "push  de", "push  hl"}},
      {"by index", R, [] { EmitPushByIndex(4), EmitPopByIndex(5), EmitPopByIndex(3); },
       {"push  ix", "pop   iy", "pop   af"}},
      {"push A", Z, [] { EmitPushPair(Reg::A); }, {}, {kMsgBadPushPair}},
      {"pop none", Z, [] { EmitPopPair(Reg::None); }, {}, {kMsgBadPopPair}},
      {"index 6", Z, [] { EmitPopByIndex(6); }, {}, {kMsgBadPopPair}},
  });
  ResetInstructionEmission();
  EmitPushPair(Reg::DE);
  EmitPushPair(Reg::HL);
  EmitPopPair(Reg::BC);
  EXPECT_EQ(Emission().stackOffset, -2);
  Emitted();
}

TEST_F(InstructionsTest, ReturnsFramesAndInterruptState) {
  const auto inXmem = [](std::function<void()> f) {
    return [f] {
      EmitIntoXmem();
      f();
    };
  };
  CheckAll({
      {"ret", Z, [] { EmitReturn(false); }, {"ret"}},
      {"ret in Z180 extended memory", Z, inXmem([] { EmitReturn(false); }), {"ret"}},
      {"ret", R, [] { EmitReturn(false); }, {"ret"}},
      {"lret", R, inXmem([] { EmitReturn(false); }), {"lret"}},
      {"interrupt", R, inXmem([] { EmitReturn(true); }), {"reti"}},
      {"interrupt", Z, [] { EmitReturn(true); }, {"reti"}},
      {"frame", Z, [] { EmitFramePointerSetup(4), EmitFramePointerRelease(); },
       {"push  ix", "ld    ix,0000", "add   ix,sp", "push  af", "push  af", "ld    sp,ix", "pop   ix"}},
      {"frame", R, [] { EmitFramePointerSetup(4); }, {"push  ix", "ld    ix,0000", "add   ix,sp", "add   sp,FC"}},
      {"ei di", Z, [] { EmitEnableInterrupts(), EmitDisableInterrupts(1); }, {"ei", "di"}},
      {"ipres ipset", R, [] { EmitEnableInterrupts(), EmitDisableInterrupts(3); }, {"ipres", "ipset 3"}},
      {"disable at 4", R, [] { EmitDisableInterrupts(4); }, {}, {kMsgConstantOutOfRange}},
      {"ipset 4", R, [] { EmitIpset(4); }, {}, {kMsgConstantOutOfRange}},
      {"ipset -1", R, [] { EmitIpset(-1); }, {}, {kMsgConstantOutOfRange}},
      {"save", Z, [] { EmitPushInterruptState(1); }, {"ld    a,eir", "push  af", "di"}},
      {"save", R, [] { EmitPushInterruptState(1); }, {"push  ip", "ipset 1"}},
      {"restore", R, [] { EmitPopInterruptState(); }, {"pop   ip"}},
      // Interrupts come back on only when they were on: the jump lands
      // after the ei.
      {"restore", Z, [] { EmitPopInterruptState(); }, {"pop   af", "jp    po,1005", "ei"}},
  });
  ResetInstructionEmission();
  SetCpu(Z);
  EXPECT_EQ(EmitPushInterruptState(0), 2);
  EXPECT_EQ(Emission().ipStackOffset, -2);
  EXPECT_EQ(Emission().stackOffset, 0);
  EXPECT_EQ(EmitPopInterruptState(), 2);
  EXPECT_EQ(Emission().ipStackOffset, 0);
  SetCpu(R);
  EXPECT_EQ(EmitPushInterruptState(0), 1);
  EXPECT_EQ(Emission().ipStackOffset, -1);
  Emitted();
}

// Emits a load or store cell with the operand bytes its addressing kind
// takes, so the whole instruction decodes.
void Operand(AddressingKind kind) {
  switch (kind) {
  case AddressingKind::kImmediate:
    if (PendingOperandKind() == OperandKind::kWord)
      EmitWord(0x1234);
    else
      EmitCodeByte(0x12);
    break;
  case AddressingKind::kDirect:
    EmitWord(0x2000);
    break;
  case AddressingKind::kFrame:
  case AddressingKind::kStack:
    EmitCodeByte(0x04);
    break;
  default:
    break;
  }
}

TEST_F(InstructionsTest, LoadCellsWithTheirStepAndFinish) {
  using K = AddressingKind;
  struct Cell {
    TargetCpu cpu;
    Reg reg;
    K kind;
    std::vector<std::string> texts; // the load, then its step, then its finish
  } cells[] = {
      {Z, Reg::B, K::kImmediate, {"ld    b,12"}},
      {Z, Reg::B, K::kIndirectHL, {"ld    b,(hl)", "inc   hl"}},
      {Z, Reg::E, K::kFrame, {"ld    e,(ix+4)"}},
      {Z, Reg::A, K::kDirect, {"ld    a,(2000)"}},
      {Z, Reg::A, K::kIndirectHL, {"ld    a,(hl)", "inc   hl"}},
      {Z, Reg::BC, K::kImmediate, {"ld    bc,1234"}},
      {Z, Reg::DE, K::kDirect, {"ld    de,(2000)"}},
      {Z, Reg::HL, K::kDirect, {"ld    hl,(2000)"}},
      {Z, Reg::H, K::kImmediate, {"ld    h,12"}},
      {R, Reg::L, K::kFrame, {"ld    l,(ix+4)"}},
      {R, Reg::C, K::kIndirectHL, {"ld    c,(hl)", "inc   hl"}},
      {R, Reg::HL, K::kIndirectHL, {"ld    hl,(hl+0)"}},
      {R, Reg::HL, K::kFrame, {"ld    hl,(ix+4)"}},
      {R, Reg::HL, K::kStack, {"ld    hl,(sp+4)"}},
      {R, Reg::BC, K::kStack, {"ld    hl,(sp+4)", "ld    b,h", "ld    c,l"}},
      {R, Reg::DE, K::kStack, {"ld    hl,(sp+4)", "ex    de,hl"}},
      {R, Reg::HL, K::kDirect, {"ld    hl,(2000)"}},
  };
  for (const Cell &c : cells) {
    Check({"load", c.cpu, [&] {
             EmitLoadRegister(c.reg, c.kind);
             Operand(c.kind);
             EmitCodeSequence(StepTemplate());
             EmitCodeSequence(FinishTemplate());
           },
           c.texts});
    EXPECT_EQ(LastLoadedRegister(), c.reg);
  }
  // Only a load other than HL's flushes a cached HL first.
  EXPECT_EQ(upcalls->events, (std::vector<std::string>{"flush if in 9", "flush if in 9"}));
  CheckAll({
      {"Z180 stack", Z, [] { EmitLoadRegister(Reg::HL, K::kStack); }, {}, {kMsgKindNotEncodable}},
      {"Corvid A from the stack", R, [] { EmitLoadRegister(Reg::A, K::kStack); }, {}, {kMsgKindNotEncodable}},
      {"register kind", Z, [] { EmitLoadRegister(Reg::B, K::kRegister); }, {}, {kMsgKindNotEncodable}},
      {"BC through HL", Z, [] { EmitLoadRegister(Reg::BC, K::kIndirectHL); }, {}, {kMsgNoLoadForm}},
      {"B direct", R, [] { EmitLoadRegister(Reg::B, K::kDirect); }, {}, {kMsgNoLoadForm}},
      {"the value register", Z, [] { EmitLoadRegister(Reg::Value, K::kImmediate); }, {}, {kMsgNoLoadForm}},
  });
}

TEST_F(InstructionsTest, StoreCellsWithTheirStep) {
  using K = AddressingKind;
  struct Cell {
    TargetCpu cpu;
    Reg reg;
    K kind;
    std::vector<std::string> texts;
  } cells[] = {
      {Z, Reg::B, K::kDirect, {"ld    a,b", "ld    (2000),a"}},
      {Z, Reg::L, K::kIndirectHL, {"ld    (hl),l", "inc   hl"}},
      {Z, Reg::A, K::kFrame, {"ld    (ix+4),a"}},
      {Z, Reg::A, K::kDirect, {"ld    (2000),a"}},
      {Z, Reg::DE, K::kDirect, {"ld    (2000),de"}},
      {Z, Reg::HL, K::kDirect, {"ld    (2000),hl"}},
      {R, Reg::HL, K::kFrame, {"ld    (ix+4),hl"}},
      {R, Reg::HL, K::kStack, {"ld    (sp+4),hl"}},
      {R, Reg::BC, K::kDirect, {"ld    (2000),bc"}},
      {R, Reg::E, K::kIndirectHL, {"ld    (hl),e", "inc   hl"}},
  };
  for (const Cell &c : cells)
    Check({"store", c.cpu, [&] {
             EmitStoreRegister(c.reg, c.kind);
             Operand(c.kind);
             EmitCodeSequence(StepTemplate());
             EmitCodeSequence(FinishTemplate());
           },
           c.texts});
  CheckAll({
      {"immediate", Z, [] { EmitStoreRegister(Reg::A, K::kImmediate); }, {}, {kMsgKindNotEncodable}},
      {"Z180 stack", Z, [] { EmitStoreRegister(Reg::HL, K::kStack); }, {}, {kMsgKindNotEncodable}},
      {"HL through HL", Z, [] { EmitStoreRegister(Reg::HL, K::kIndirectHL); }, {}, {kMsgNoStoreForm}},
      {"DE on the Corvid stack", R, [] { EmitStoreRegister(Reg::DE, K::kStack); }, {}, {kMsgKindNotEncodable}},
      {"store 5 through HL", Z, [] { EmitStoreImmediate(K::kIndirectHL), EmitCodeByte(5), EmitCodeSequence(StepTemplate()); },
       {"ld    (hl),05", "inc   hl"}},
      {"store 5 at ix+2", R, [] { EmitStoreImmediate(K::kFrame), EmitCodeByte(2), EmitCodeByte(5); },
       {"ld    (ix+2),05"}},
      {"store immediate direct", Z, [] { EmitStoreImmediate(K::kDirect); }, {}, {kMsgNoStoreImmediate}},
  });
}

TEST_F(InstructionsTest, AccumulatorOperations) {
  using K = AddressingKind;
  using O = AccumulatorOp;
  CheckAll({
      {"add n", Z, [] { EmitAccumulatorOp(O::kAdd, K::kImmediate), EmitCodeByte(1); }, {"add   a,01"}},
      {"sub l", R, [] { EmitAccumulatorOp(O::kSub, K::kRegister); }, {"sub   l"}},
      {"and (hl)", Z, [] { EmitAccumulatorOp(O::kAnd, K::kIndirectHL); }, {"and   (hl)"}},
      {"xor (ix+d)", Z, [] { EmitAccumulatorOp(O::kXor, K::kFrame), EmitCodeByte(2); }, {"xor   (ix+2)"}},
      {"srl (hl)", Z, [] { EmitAccumulatorOp(O::kSrl, K::kIndirectHL); }, {"srl   (hl)"}},
      {"direct", Z, [] { EmitAccumulatorOp(O::kAdd, K::kDirect); }, {}, {kMsgAccumulatorKind}},
      {"sla n", Z, [] { EmitAccumulatorOp(O::kSla, K::kImmediate); }, {}, {kMsgNoAccumulatorForm}},
  });
}

TEST_F(InstructionsTest, RegisterSetsByType) {
  struct Case {
    uint8_t type;
    bool charInHl;
    std::vector<Reg> pairs;
    uint16_t total;
  } cases[] = {
      {kTypeChar, false, {Reg::A}, 1},          {kTypeChar, true, {Reg::HL}, 2},
      {kTypeInt, false, {Reg::HL}, 2},          {kTypeUnsigned, false, {Reg::HL}, 2},
      {kTypeLong, false, {Reg::DE, Reg::BC}, 4}, {kTypeFloat, false, {Reg::DE, Reg::BC}, 4},
      {kTypeVoid, false, {Reg::BC}, 2},
  };
  for (const Case &c : cases) {
    PrimaryRegister set;
    set.charInHl = c.charInHl;
    set.SetForType(c.type, Reg::BC);
    std::vector<Reg> pairs;
    for (int16_t i = 0; i < set.count; ++i)
      pairs.push_back(set.entries[size_t(i)].pair);
    EXPECT_EQ(pairs, c.pairs) << int(c.type);
    EXPECT_EQ(set.totalSize, c.total) << int(c.type);
  }
  PrimaryRegister fixed;
  fixed.SetForType(kTypeInt, Reg::HL);
  fixed.fixed = true;
  fixed.SetForType(kTypeLong, Reg::HL);
  EXPECT_EQ(fixed.count, 1);
  EXPECT_TRUE(fixed.Holds(Reg::HL));
  EXPECT_EQ(fixed.entries[0].high, Reg::H);
  EXPECT_EQ(fixed.entries[0].low, Reg::L);
  EXPECT_TRUE(sink.records.empty());
  PrimaryRegister none;
  none.SetForType(6, Reg::HL);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgNoRegisterForType});
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

const char *const kRegisterNames[] = {"b", "c", "d", "e", "h", "l", "a", "bc", "de", "hl"};

// Every cell of the load and store tables, on both processors: it emits an
// instruction that decodes cleanly and moves the register it was asked
// for, or it emits nothing and says why.
TEST_F(InstructionsTest, EveryTableCellMovesItsRegisterOrSaysWhy) {
  using K = AddressingKind;
  for (TargetCpu cpu : {Z, R}) {
    for (unsigned r = 0; r <= RegIndex(Reg::HL); ++r) {
      for (unsigned k = 0; k <= unsigned(K::kNotEncodable); ++k) {
        for (bool load : {true, false}) {
          const K kind = K(k);
          const std::string name = kRegisterNames[r];
          SCOPED_TRACE(fmt::format("{} {} {} kind {}", cpu == Z ? "Z180" : "Corvid", load ? "load" : "store", name, k));
          sink.records.clear();
          SetCpu(cpu);
          const uint16_t start = Here().logical;
          if (load)
            EmitLoadRegister(Reg(r), kind);
          else
            EmitStoreRegister(Reg(r), kind);
          const bool emitted = sink.records.empty();
          if (emitted)
            Operand(kind);
          EmitCodeSequence(StepTemplate());
          EmitCodeSequence(FinishTemplate());
          const std::vector<uint8_t> bytes = Emitted();
          if (!emitted) {
            EXPECT_TRUE(bytes.empty());
            const unsigned why = sink.records[0].message;
            EXPECT_TRUE(why == kMsgKindNotEncodable || why == (load ? kMsgNoLoadForm : kMsgNoStoreForm)) << why;
            continue;
          }
          const std::vector<std::string> lines = testing::DecodeAll(cpu, bytes, start);
          ASSERT_FALSE(lines.empty());
          for (const std::string &line : lines)
            EXPECT_EQ(line.find("???"), std::string::npos) << testing::HexBytes(bytes);
          const std::string first = lines.front();
          if (load) {
            const bool throughHl = cpu == R && kind == K::kStack && first == "ld    hl,(sp+4)";
            EXPECT_TRUE(first.rfind("ld    " + name + ",", 0) == 0 || throughHl) << first;
          } else {
            const std::string &last = lines[lines.size() > 1 && lines.back() == "inc   hl" ? lines.size() - 2 : lines.size() - 1];
            const bool viaA = first == "ld    a," + name && last.ends_with(",a");
            EXPECT_TRUE(last.ends_with("," + name) || viaA) << last;
          }
        }
      }
    }
  }
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

// A new compile must not inherit a stack offset, a pending step or a stub
// request of the one before: the compiler's reset clears them.
TEST_F(InstructionsTest, TheCompilersResetForgetsTheEmissionState) {
  SetCpu(Z);
  EmitLoadRegister(Reg::A, AddressingKind::kIndirectHL);
  EmitPushPair(Reg::HL);
  Emission().flagsValid = true;
  SymbolRecord far;
  StubStack().push_back(&far);
  Emitted();
  ResetCompiler();
  EXPECT_EQ(Emission().stackOffset, 0);
  EXPECT_FALSE(Emission().flagsValid);
  EXPECT_TRUE(IsEmptyTemplate(StepTemplate()));
  EXPECT_EQ(LastLoadedRegister(), Reg::None);
  EXPECT_TRUE(StubStack().empty());
}

} // namespace
} // namespace tsw
