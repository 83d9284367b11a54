#include "compcore/cc_gen/value_queries.h"
#include "compcore/instruction_fixture.h"

namespace tsw {
namespace {

using testing::EmitCase;
using testing::InstructionsTest;
constexpr TargetCpu Z = TargetCpu::Z180;
constexpr TargetCpu R = TargetCpu::Corvid;

const std::vector<std::string> kZ180ZeroToHl = {"ld    hl,0000", "jr    z,1006", "inc   hl"};

std::vector<std::string> Then(std::vector<std::string> a, const std::vector<std::string> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(InstructionsTest, ZeroTestsOfEachType) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    ValueRecord value;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"char in A", Z, CharInA(), {"or    a"}},
      {"char in A", R, CharInA(), {"or    a"}},
      {"int", Z, InRegisters(kTypeInt), Then({"ld    a,h", "or    l"}, {"ld    hl,0000", "jr    z,1008", "inc   hl"})},
      {"int", R, InRegisters(kTypeInt), {"bool  hl"}},
      {"pointer", Z, InRegisters(kTypeLong, kLevelPointer), Then({"ld    a,h", "or    l"}, {"ld    hl,0000", "jr    z,1008", "inc   hl"})},
      {"long", Z, InRegisters(kTypeLong), Then({"call  0000"}, {"ld    hl,0000", "jr    z,1009", "inc   hl"})},
      {"unsigned long", R, InRegisters(kTypeUnsignedLong), {"ld    h,b", "ld    l,c", "or    hl,de", "bool  hl"}},
      {"float", Z, InRegisters(kTypeFloat), Then({"call  0000"}, {"ld    hl,0000", "jr    z,1009", "inc   hl"})},
      {"float", R, InRegisters(kTypeFloat), {"res   7,b", "ld    h,b", "ld    l,c", "or    hl,de", "bool  hl"}},
  };
  for (const Case &c : cases) {
    ValueRecord value = c.value;
    Check({c.what, c.cpu, [&] { EmitTestForZero(value); }, c.texts});
    EXPECT_TRUE(Emission().flagsValid) << c.what;
    EXPECT_TRUE(Emission().valueIsCondition) << c.what;
    if (!c.value.IsByteResult()) {
      EXPECT_EQ(value.type, kTypeInt) << c.what;
      EXPECT_EQ(value.declarator, 0u) << c.what;
      EXPECT_EQ(value.storage, kStoragePrimary) << c.what;
    }
  }
  EXPECT_EQ(upcalls->routines, (std::vector<std::string>{"long.0", "flt.0"}));
}

TEST_F(InstructionsTest, ZeroTestsReuseWhatTheFlagsAlreadyHold) {
  ValueRecord value = InRegisters(kTypeInt);
  CheckAll({
      {"flags valid", Z, [&] { Emission().flagsValid = true, EmitTestForZero(value); }, {}},
      {"condition in HL", Z, [&] { Emission().valueIsCondition = true, EmitTestForZero(value); },
       {"ld    a,h", "or    l"}},
      {"condition in HL", R, [&] { Emission().valueIsCondition = true, EmitTestForZero(value); }, {"bool  hl"}},
  });
  // A variable is loaded first; a constant is not.
  upcalls->events.clear();
  ValueRecord variable = Global(kTypeInt);
  Check({"variable", Z, [&] { EmitTestForZero(variable); }, Then({"ld    a,h", "or    l"}, {"ld    hl,0000", "jr    z,1008", "inc   hl"})});
  EXPECT_EQ(upcalls->events, std::vector<std::string>{"load value"});
  // The condition an earlier test left in HL says nothing of a variable
  // tested next (the second of two ifs).
  upcalls->events.clear();
  ValueRecord next = Global(kTypeInt);
  Check({"variable after a condition", R, [&] { Emission().valueIsCondition = true, EmitTestForZero(next); },
         {"bool  hl"}});
  EXPECT_EQ(upcalls->events, std::vector<std::string>{"load value"});
  ValueRecord constant = MakeIntConstantValue(0);
  upcalls->events.clear();
  Check({"constant", R, [&] { EmitTestForZero(constant); }, {"bool  hl"}});
  EXPECT_TRUE(upcalls->events.empty());
  CheckAll({
      {"flag to HL, polarity 0", Z, [] { EmitZeroFlagToHl(0); },
       {"ld    hl,0000", "jr    z,1006", "dec   hl", "inc   hl"}},
      {"flag to HL, polarity 1", Z, [] { EmitZeroFlagToHl(1); }, kZ180ZeroToHl},
  });
}

TEST_F(InstructionsTest, UnaryOperators) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    uint8_t type;
    UnaryOp op;
    uint32_t attributes;
    std::vector<std::string> texts;
    const char *routine;
  };
  const std::vector<std::string> call = {"call  0000"};
  const Case cases[] = {
      {"negate", R, kTypeInt, UnaryOp::kNegate, 0, {"ex    de,hl", "bool  hl", "ld    l,h", "sbc   hl,de"}, nullptr},
      {"negate for size", R, kTypeInt, UnaryOp::kNegate, kAttrSize, call, "c.neg"},
      {"negate", Z, kTypeInt, UnaryOp::kNegate, 0, call, "c.neg"},
      {"not", R, kTypeInt, UnaryOp::kLogicalNot, kAttrSize, {"bool  hl", "dec   hl", "bool  hl"}, nullptr},
      {"not", Z, kTypeUnsigned, UnaryOp::kLogicalNot, 0, call, "c.not"},
      {"complement", R, kTypeInt, UnaryOp::kComplement, 0,
       {"ex    de,hl", "bool  hl", "rr    hl", "scf", "sbc   hl,de"}, nullptr},
      {"complement", Z, kTypeInt, UnaryOp::kComplement, 0, call, "c.com"},
      {"long complement", R, kTypeLong, UnaryOp::kComplement, 0, call, "L.com"},
      {"long negate", Z, kTypeUnsignedLong, UnaryOp::kNegate, 0, call, "L.neg"},
      {"float negate", R, kTypeFloat, UnaryOp::kNegate, 0, call, "F.neg"},
      {"long not", Z, kTypeLong, UnaryOp::kLogicalNot, 0, call, "L.not"},
      {"float not", R, kTypeFloat, UnaryOp::kLogicalNot, 0, call, "F.not"},
  };
  for (const Case &c : cases) {
    upcalls->routines.clear();
    ValueRecord value = InRegisters(c.type);
    Check({c.what, c.cpu, [&] { EmitUnaryOperator(value, c.op); }, c.texts, {}, c.attributes});
    EXPECT_EQ(upcalls->routines, c.routine ? std::vector<std::string>{c.routine} : std::vector<std::string>{})
        << c.what;
    const bool condition = c.op == UnaryOp::kLogicalNot;
    EXPECT_EQ(Emission().flagsValid, condition) << c.what;
    EXPECT_EQ(Emission().valueIsCondition, condition) << c.what;
    EXPECT_EQ(value.type, condition ? uint8_t(kTypeInt) : c.type) << c.what;
  }
  ValueRecord f = InRegisters(kTypeFloat);
  Check({"float complement", Z, [&] { EmitUnaryOperator(f, UnaryOp::kComplement); }, {}, {kMsgInvalidOperands}});
  ValueRecord c = CharInA();
  Check({"char widened first", Z, [&] { EmitUnaryOperator(c, UnaryOp::kNegate); },
         {"ld    l,a", "ld    h,00", "call  0000"}});
}

TEST_F(InstructionsTest, SwitchDispatchCarriesItsTableAfterTheCall) {
  const SwitchCase cases[] = {{1, 0x1234, 0}, {0xFFFF, 0xE100, 0x12}};
  Check({"two cases", Z, [&] { EmitSwitchDispatch(cases); },
         {"ld    bc,0002", "call  0000", "db 01", "db 00", "db 34", "db 12", "db 00", "db FF", "db FF", "db 00",
          "db E1", "db 12"},
         {},
         0,
         {{6, 10}}});
  EXPECT_EQ(upcalls->routines, std::vector<std::string>{"_switch"});
  Check({"no cases", R, [] { EmitSwitchDispatch({}); }, {}});
  EXPECT_EQ(upcalls->routines, std::vector<std::string>{"_switch"});
}

TEST_F(InstructionsTest, BlockCopies) {
  ValueRecord near = Global(kTypeChar);
  ValueRecord shared = Global(kTypeChar);
  shared.flags |= 1u << kValueMemoryClassShift;
  ValueRecord internal = Global(kTypeChar);
  internal.ioSpace = IoSpace::kInternal;
  ValueRecord external = Global(kTypeChar);
  external.ioSpace = IoSpace::kExternal;
  const auto copy = [](const ValueRecord &v, uint16_t n, bool waits) {
    return [&v, n, waits] {
      DataWaits(waits);
      EmitIntoXmem();
      EmitBlockCopy(v, n);
    };
  };
  const std::vector<std::string> call = {"call  0000"};
  CheckAll({
      {"ldir", Z, copy(near, 25, false), {"ldir"}},
      // The loop jumps to its ldi by the logical address it runs at.
      {"25 with data waits", Z, copy(near, 25, true), {"ldi", "jp    pe,E000"}},
      {"25 with data waits", R, copy(near, 25, true), {"ldi", "jp    lo,E000"}},
      {"26 with data waits", Z, copy(near, 26, true), call},
      {"0 with data waits", R, copy(near, 0, true), call},
      {"shared", Z, copy(shared, 4, false), call},
      {"internal I/O", R, copy(internal, 25, true), {"ioi ldir"}},
      {"external I/O", R, copy(external, 3, false), {"ioe ldir"}},
      {"I/O on the Z180", Z, copy(internal, 3, false), {}, {kMsgKindNotEncodable}},
  });
  EXPECT_EQ(upcalls->routines, (std::vector<std::string>{"ldir_func", "ldir_func", "doldir.s"}));
  DataWaits(false);
}

TEST_F(InstructionsTest, StructureCopiesLoadBothAddresses) {
  int16_t id = 0;
  NewTypeRecord("pair", &id)->size = 6;
  ValueRecord to = Global(uint8_t(id));
  ValueRecord from = Global(uint8_t(id));
  Check({"fixed to fixed", Z, [&] { EmitStructCopy(to, from); }, {"ex    de,hl", "ld    bc,0006", "ldir"}});
  EXPECT_EQ(upcalls->events, (std::vector<std::string>{"load address", "load address"}));
  // The source already in HL steps aside for the destination's load.
  upcalls->events.clear();
  ValueRecord to2 = Global(uint8_t(id));
  ValueRecord inHl = InRegisters(uint8_t(id));
  inHl.SetLvalue(true);
  Check({"source in HL", R, [&] { EmitStructCopy(to2, inHl); },
         {"ex    de,hl", "ex    de,hl", "ld    bc,0006", "ldir"}});
  EXPECT_EQ(upcalls->events, std::vector<std::string>{"load address"});
  ValueRecord io = Global(uint8_t(id));
  io.ioSpace = IoSpace::kExternal;
  upcalls->events.clear();
  Check({"I/O", R, [&] { EmitStructCopy(io, from); }, {}, {kMsgStructCopyIo}});
  EXPECT_TRUE(upcalls->events.empty());
}

TEST_F(InstructionsTest, StoringHlThroughAStackedAddress) {
  ValueRecord target = InRegisters(kTypeInt);
  target.storage = kStorageStackStruct;
  const ValueRecord source = InRegisters(kTypeInt);
  CheckAll({
      {"Corvid", R, [&] { StoreHlThroughStackedAddress(target, source); }, {"pop   iy", "ld    (iy+0),hl"}},
      // The Z180 has no 16-bit store through IY.
      {"Z180", Z, [&] { StoreHlThroughStackedAddress(target, source); },
       {"pop   iy", "ld    (iy+0),l", "ld    (iy+1),h"}},
  });
  EXPECT_EQ(Emission().stackOffset, 2);
  ValueRecord io = target;
  io.ioSpace = IoSpace::kInternal;
  const ValueRecord longSource = InRegisters(kTypeLong);
  CheckAll({
      {"I/O", R, [&] { StoreHlThroughStackedAddress(io, source); }, {}, {kMsgInvalidOperands}},
      {"a long", Z, [&] { StoreHlThroughStackedAddress(target, longSource); }, {}, {kMsgStoreTypeAddress}},
  });
}

TEST_F(InstructionsTest, RegisterValuesMoveIntoPairs) {
  struct Case {
    const char *what;
    ValueRecord value;
    Reg pair;
    std::vector<std::string> texts;
    std::vector<unsigned> messages;
  };
  const Case cases[] = {
      {"char to BC", CharInA(), Reg::BC, {"ld    c,a", "ld    b,00"}, {}},
      {"char to DE", CharInA(), Reg::DE, {"ld    e,a", "ld    d,00"}, {}},
      {"char to HL", CharInA(), Reg::HL, {"ld    l,a", "ld    h,00"}, {}},
      {"char to A", CharInA(), Reg::A, {}, {kMsgCharPair}},
      {"int to BC", InRegisters(kTypeInt), Reg::BC, {"ld    b,h", "ld    c,l"}, {}},
      {"pointer to DE", InRegisters(kTypeChar, kLevelPointer), Reg::DE, {"ex    de,hl"}, {}},
      {"int stays in HL", InRegisters(kTypeUnsigned), Reg::HL, {}, {}},
      {"int to A", InRegisters(kTypeInt), Reg::A, {}, {kMsgIntPair}},
      {"long stays", InRegisters(kTypeLong), Reg::HL, {}, {}},
      {"structure", InRegisters(kTypeLabel), Reg::HL, {}, {kMsgRegisterMoveType}},
  };
  for (const Case &c : cases) {
    ValueRecord value = c.value;
    Check({c.what, Z, [&] { MoveRegisterValueToPair(value, c.pair); }, c.texts, c.messages});
  }
  ValueRecord widened = CharInA();
  MoveRegisterValueToPair(widened, Reg::DE);
  EXPECT_FALSE(widened.IsByteResult());
  EXPECT_EQ(widened.type, kTypeInt);
  ValueRecord narrowed = InRegisters(kTypeInt);
  NarrowHlToA(narrowed);
  EXPECT_TRUE(narrowed.IsByteResult());
  Emitted();
}

TEST_F(InstructionsTest, StackVariableAddresses) {
  ValueRecord local;
  InitValueRecord(local, kStorageAuto, kTypeInt, 0, nullptr, 4, nullptr, 1, 0);
  const auto load = [&](Reg pair) {
    return [&local, pair] {
      Emission().stackOffset = -2;
      LoadStackOperand(local, pair);
    };
  };
  CheckAll({
      {"into HL", Z, load(Reg::HL), {"ld    hl,0006", "add   hl,sp"}},
      {"into DE", R, load(Reg::DE), {"ld    hl,0006", "add   hl,sp", "ex    de,hl"}},
      {"into BC", Z, load(Reg::BC), {"ld    hl,0006", "add   hl,sp", "ld    b,h", "ld    c,l"}},
      {"in a cofunction", Z, load(Reg::HL),
       {"ld    hl,0004", "push  de", "ld    e,(ix+0)", "ld    d,(ix+1)", "add   hl,de", "pop   de"},
       {},
       1u << kAttrCofuncShift},
      {"into A", Z, load(Reg::A), {"ld    hl,0006", "add   hl,sp"}, {kMsgIntPair}},
  });
  EXPECT_EQ(local.storage, kStoragePrimary);
  EXPECT_TRUE(local.IsLvalue());
  EXPECT_EQ(upcalls->events.front(), "flush if in 9");
}

TEST_F(InstructionsTest, SwapsOfTheStackTop) {
  CheckAll({
      {"int", Z, [] { EmitSwapTop(kTypeInt); }, {"ex    (sp),hl"}},
      {"pointer", R, [] { EmitSwapTop(kTypeVoid); }, {"ex    (sp),hl"}},
      {"long", Z, [] { EmitSwapTop(kTypeFloat); }, {"call  0000"}},
      {"char", Z, [] { EmitSwapTop(kTypeChar); }, {}, {kMsgSwapSize}},
  });
  EXPECT_EQ(upcalls->routines, std::vector<std::string>{"swap4."});
}

TEST_F(InstructionsTest, LongLoadsAndStoresByMemoryClass) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    uint8_t memoryClass;
    uint32_t attributes;
    bool load;
    LongStoreUse use;
    const char *routine; // null: the caller emits it inline
  } cases[] = {
      {"shared load", Z, 1, 0, true, LongStoreUse::kPlain, "llong.s"},
      {"near load for size", R, 0, kAttrSize, true, LongStoreUse::kPlain, "llong."},
      {"near load for speed", R, 0, 0, true, LongStoreUse::kPlain, nullptr},
      {"protected load", Z, 2, 0, true, LongStoreUse::kPlain, nullptr},
      {"shared store", Z, 1, 0, false, LongStoreUse::kPlain, "slong.s"},
      {"protected store", R, 2, 0, false, LongStoreUse::kPlain, "slong.ss"},
      {"near store", Z, 0, 0, false, LongStoreUse::kPlain, "slong."},
      {"assignment, shared", Z, 1, 0, false, LongStoreUse::kAssignment, "st4.s"},
      {"assignment, protected", R, 2, 0, false, LongStoreUse::kAssignment, "slong_ss"},
      {"assignment, near for size", Z, 0, kAttrSize, false, LongStoreUse::kAssignment, "st4."},
      {"assignment, near for size", R, 0, kAttrSize, false, LongStoreUse::kAssignment, "slong_"},
      {"assignment, near for speed", Z, 0, 0, false, LongStoreUse::kAssignment, nullptr},
  };
  for (const Case &c : cases) {
    upcalls->events.clear();
    ValueRecord value = Global(kTypeLong);
    value.flags |= uint16_t(c.memoryClass << kValueMemoryClassShift);
    bool called = false;
    Check({c.what, c.cpu,
           [&] { called = c.load ? EmitLongLoadCall(value) : EmitLongStoreCall(value, c.use); },
           c.routine ? std::vector<std::string>{"call  0000"} : std::vector<std::string>{}, {}, c.attributes});
    EXPECT_EQ(called, c.routine != nullptr) << c.what;
    if (c.routine) {
      EXPECT_EQ(upcalls->events, (std::vector<std::string>{"load address", std::string("call ") + c.routine}))
          << c.what;
    }
  }
  ValueRecord io = Global(kTypeLong);
  io.ioSpace = IoSpace::kInternal;
  Check({"I/O stays inline", R, [&] { EXPECT_FALSE(EmitLongStoreCall(io, LongStoreUse::kPlain)); }, {}});
  ValueRecord word = Global(kTypeInt);
  CheckAll({
      {"int load", Z, [&] { EmitLongLoadCall(word); }, {}, {kMsgStoreTypeFinish}},
      {"int store", Z, [&] { EmitLongStoreCall(word, LongStoreUse::kPlain); }, {}, {kMsgStoreTypeValue}},
  });
}

TEST_F(InstructionsTest, CallsThroughAPointerReturnAfterTheJump) {
  ValueRecord stacked = InRegisters(kTypeInt, 0x32);
  stacked.storage = kStorageStackStruct;
  Check({"pointer on the stack", Z, [&] { EmitCofunctionIndirectCall(stacked); },
         {"pop   iy", "ld    de,1008", "push  de", "jp    (iy)"}});
  EXPECT_EQ(upcalls->events, std::vector<std::string>{"pop value"});
  EXPECT_EQ(Emission().stackOffset, 2);
  ValueRecord pushed = InRegisters(kTypeInt, 0x32);
  CheckAll({
      {"pointer pushed by the caller", Z, [&] { EmitCofunctionIndirectCall(pushed); },
       {"ld    hl,1005", "ex    (sp),hl", "jp    (hl)"}},
      {"pointer pushed by the caller", R, [&] { EmitCofunctionIndirectCall(pushed); },
       {"ld    hl,1006", "ex    (sp),hl", "jp    (hl)"}},
  });
}

TEST_F(InstructionsTest, MoveHooksOfTheProcessor) {
  struct FrameCase {
    const char *what;
    TargetCpu cpu;
    uint32_t attributes;
    uint8_t type;
    int16_t offset;
    bool frameIndex;
    AddressingKind kind;
  } frames[] = {
      {"useix int", Z, kAttrUseIx, kTypeInt, -4, true, AddressingKind::kFrame},
      {"useix, offset 0", Z, kAttrUseIx, kTypeInt, 0, false, AddressingKind::kIndirectHL},
      {"useix, offset 126", Z, kAttrUseIx, kTypeInt, 126, false, AddressingKind::kIndirectHL},
      {"useix, offset -128", R, kAttrUseIx, kTypeInt, -128, true, AddressingKind::kFrame},
      {"useix long", Z, kAttrUseIx, kTypeLong, 2, false, AddressingKind::kIndirectHL},
      {"no useix", Z, 0, kTypeInt, 2, false, AddressingKind::kIndirectHL},
      {"Corvid int on the stack", R, 0, kTypeInt, 2, false, AddressingKind::kStack},
      {"Corvid int beyond SP's reach", R, 0, kTypeInt, 256, false, AddressingKind::kIndirectHL},
      {"Corvid long", R, 0, kTypeLong, 2, false, AddressingKind::kIndirectHL},
      {"Corvid cofunction", R, 1u << kAttrCofuncShift, kTypeInt, 2, false, AddressingKind::kIndirectHL},
  };
  for (const FrameCase &c : frames) {
    SetCpu(c.cpu);
    Attributes().current = c.attributes;
    ValueRecord local;
    InitValueRecord(local, kStorageAuto, c.type, 0, nullptr, uint32_t(int32_t(c.offset)), nullptr, 1, 0);
    EXPECT_EQ(CanUseFrameIndex(local), c.frameIndex) << c.what;
    EXPECT_EQ(ChooseFrameAddressingKind(local), c.kind) << c.what;
  }
  int16_t id = 0;
  NewTypeRecord("big", &id)->size = 8;
  Attributes().current = kAttrUseIx;
  ValueRecord structure;
  InitValueRecord(structure, kStorageAuto, uint8_t(id), 0, nullptr, uint32_t(-8), nullptr, 1, 0);
  EXPECT_TRUE(CanUseFrameIndex(structure));

  using K = AddressingKind;
  SetCpu(Z);
  EXPECT_EQ(ChunkCapacity(MoveKind::kLoad, K::kImmediate, Reg::HL), 2);
  EXPECT_EQ(ChunkCapacity(MoveKind::kStore, K::kImmediate, Reg::HL), 0);
  EXPECT_EQ(ChunkCapacity(MoveKind::kStore, K::kDirect, Reg::HL), 2);
  EXPECT_EQ(ChunkCapacity(MoveKind::kLoad, K::kIndirectHL, Reg::HL), 1);
  EXPECT_EQ(ChunkCapacity(MoveKind::kLoad, K::kRegister, Reg::HL), 0);
  SetCpu(R);
  EXPECT_EQ(ChunkCapacity(MoveKind::kLoad, K::kFrame, Reg::HL), 2);
  EXPECT_EQ(ChunkCapacity(MoveKind::kStore, K::kIndirectHL, Reg::DE), 1);
  EXPECT_EQ(ChunkCapacity(MoveKind::kStore, K::kStack, Reg::HL), 2);

  ValueRecord internal = Global(kTypeInt);
  internal.ioSpace = IoSpace::kInternal;
  ValueRecord pointerToIo = Global(kTypeInt, kLevelPointer);
  pointerToIo.ioSpace = IoSpace::kExternal;
  ValueRecord addressOfIo = InRegisters(kTypeInt);
  addressOfIo.SetLvalue(true);
  addressOfIo.ioSpace = IoSpace::kExternal;
  PrimaryRegister hl;
  hl.SetForType(kTypeInt, Reg::HL);
  PrimaryRegister de;
  de.SetForType(kTypeVoid, Reg::DE);
  CheckAll({
      // The prefix decodes with the instruction it modifies.
      {"chunk in internal I/O", R, [&] { MoveBeforeChunk(internal), EmitFixed(Fixed::kLdAHOrL); },
       {"ioi ld    a,h", "or    l"}},
      {"chunk through a pointer", R, [&] { MoveBeforeChunk(pointerToIo); }, {}},
      {"chunk at an address in registers", R, [&] { MoveBeforeChunk(addressOfIo), EmitFixed(Fixed::kLdAHOrL); },
       {"ioe ld    a,h", "or    l"}},
      {"chunk in I/O on the Z180", Z, [&] { MoveBeforeChunk(internal); }, {}, {kMsgKindNotEncodable}},
      {"steps between chunks", Z,
       [] {
         EmitLoadRegister(Reg::A, K::kIndirectHL);
         MoveAfterChunk(true);
         MoveAfterChunk(false);
         MoveAfterChunk(true);
       },
       {"ld    a,(hl)", "inc   hl"}},
      {"finish once", R,
       [] {
         EmitLoadRegister(Reg::BC, K::kStack);
         EmitCodeByte(2);
         MoveEnd();
         MoveEnd();
       },
       {"ld    hl,(sp+2)", "ld    b,h", "ld    c,l"}},
      {"keeps HL", Z, [&] { AdjustStackForValue(hl, 300); },
       {"exx", "ld    hl,012C", "add   hl,sp", "ld    sp,hl", "exx"}},
      {"HL free", Z, [&] { AdjustStackForValue(de, 300); }, {"ld    hl,012C", "add   hl,sp", "ld    sp,hl"}},
      {"other move kind", Z, [] { MoveOtherKind(); }, {}, {kMsgBadMoveKind}},
  });
}

} // namespace
} // namespace tsw
