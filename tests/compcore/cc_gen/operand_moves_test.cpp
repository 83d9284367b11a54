#include "compcore/codegen_fixture.h"

#include "compcore/cc_gen/codegen_layer.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/decode_check.h"

#include <functional>

namespace tsw::testing {
namespace {

constexpr uint16_t kGlobalAt = 0x2000;

// The moves run on the product's own layer above instruction emission, so
// a flush the instructions ask for reaches the real register cache.
class OperandMoveTest : public CodegenTest {
protected:
  void SetUp() override {
    CodegenTest::SetUp();
    upcalls.reset();
    SetCodegenUpcalls(&CodegenLayerUpcalls());
  }

public:
  ValueRecord Global(const char *name, uint8_t type, uint32_t declarator = kLevelNone) {
    SymbolRecord *symbol = AddSymbol(name, declarator, type, 0, kKindGlobal);
    symbol->address = Addr24ToLong(MakeAddr24(0, kGlobalAt));
    ValueRecord value = MakeValueFromSymbol(*symbol);
    value.storage = kStorageGlobal;
    return value;
  }
  static ValueRecord Auto(uint8_t type, int16_t offset) {
    ValueRecord value = MakeValue(type, kLevelNone, kStorageAuto, true);
    value.value = uint16_t(offset);
    return value;
  }
  static ValueRecord InRegisters(uint8_t type) { return MakeValue(type, kLevelNone, kStoragePrimary, false); }
  static ValueRecord Pushed(uint8_t type) { return MakeValue(type, kLevelNone, kStorageStackStruct, false); }
};

struct MoveCase {
  const char *what;
  TargetCpu cpu;
  std::function<ValueRecord(OperandMoveTest &)> make;
  std::function<void(ValueRecord &)> move;
  std::vector<std::string> listing;
  int16_t stackChange = 0;
  uint8_t storageAfter = kStoragePrimary;
  std::vector<unsigned> messages = {};
};

TEST_F(OperandMoveTest, ValuesReachTheirRegistersAndTheStack) {
  const auto load = [](ValueRecord &v) { LoadOperandToValueRegister(v); };
  const auto loadA = [](ValueRecord &v) { LoadOperandAllowingA(v); };
  const auto address = [](ValueRecord &v) { LoadOperandAddressIntoHL(v); };
  const auto push = [](ValueRecord &v) { PushOperand(v); };
  const auto pop = [](ValueRecord &v) { PopOperandToValueRegister(v); };
  const auto global = [](const char *name, uint8_t type) {
    return [=](OperandMoveTest &t) { return t.Global(name, type); };
  };
  const auto constant = [](ValueRecord value) { return [=](OperandMoveTest &) { return value; }; };
  const auto autoAt = [](uint8_t type, int16_t offset) { return [=](OperandMoveTest &) { return Auto(type, offset); }; };
  const auto inRegisters = [](uint8_t type) { return [=](OperandMoveTest &) { return InRegisters(type); }; };
  const auto pushed = [](uint8_t type) { return [=](OperandMoveTest &) { return Pushed(type); }; };
  const TargetCpu z = TargetCpu::Z180, c = TargetCpu::Corvid;
  const std::vector<MoveCase> cases = {
      {"int constant", z, constant(MakeIntConstantValue(0x1234)), load, {"ld    hl,1234"}},
      {"char constant in A", z, constant(MakeCharConstantValue(7)), loadA, {"ld    a,07"}},
      {"char constant widened", z, constant(MakeCharConstantValue(7)), load, {"ld    hl,0007"}},
      {"long constant, low word in DE", z, constant(MakeLongConstantValue(0x12345678)), load,
       {"ld    de,5678", "ld    bc,1234"}},
      {"global int", z, global("gi", kTypeInt), load, {"ld    hl,(2000)"}},
      {"global long", z, global("gl", kTypeLong), load, {"ld    de,(2000)", "ld    bc,(2002)"}},
      {"global char in A", z, global("gc", kTypeChar), loadA, {"ld    a,(2000)"}},
      {"global char widened", z, global("gw", kTypeChar), load,
       {"ld    a,(2000)", "ld    l,a", "ld    h,00"}},
      {"auto int through HL", z, autoAt(kTypeInt, 4), load,
       {"ld    hl,0004", "add   hl,sp", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a"}},
      {"corvid auto int at SP+255", c, autoAt(kTypeInt, 255), load, {"ld    hl,(sp+255)"}},
      {"address of a global", z, global("ga", kTypeInt), address, {"ld    hl,2000"}, 0, kStoragePrimary},
      {"push long: high word first", z, inRegisters(kTypeLong), push, {"push  bc", "push  de"}, -4,
       kStorageStackStruct},
      {"push char in A widens it", z,
       [](OperandMoveTest &) {
         ValueRecord v = InRegisters(kTypeChar);
         v.SetByteResult(true);
         return v;
       },
       push, {"ld    l,a", "ld    h,00", "push  hl"}, -2, kStorageStackStruct},
      {"pop long: low word first", z, pushed(kTypeLong), pop, {"pop   de", "pop   bc"}, 4},
      {"char held in A to the value register", z,
       [](OperandMoveTest &) {
         ValueRecord v = InRegisters(kTypeChar);
         v.SetByteResult(true);
         return v;
       },
       load, {"ld    l,a", "ld    h,00"}},
      {"char held in A stays for a load allowing A", z,
       [](OperandMoveTest &) {
         ValueRecord v = InRegisters(kTypeChar);
         v.SetByteResult(true);
         return v;
       },
       loadA, {}},
      {"pop int", c, pushed(kTypeInt), pop, {"pop   hl"}, 2},
      {"a pushed value loaded comes off the stack", z, pushed(kTypeLong), load, {"pop   de", "pop   bc"}, 4},
      {"address of a constant", z, constant(MakeIntConstantValue(3)),
       [](ValueRecord &v) {
         OperandMove move(v);
         LoadAddressToRegister(move, Reg::HL);
       },
       {}, 0, kStorageConstant, {628}},
      {"pop of a value in registers", z, inRegisters(kTypeInt), pop, {}, 0, kStoragePrimary, {602}},
      {"push of a constant", z, constant(MakeIntConstantValue(3)), push, {}, 0, kStorageConstant, {603}},
      {"structure as a value", z,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("gs", kTypeInt);
         v.type = kFirstStructType;
         return v;
       },
       load, {}, 0, kStorageGlobal, {402}},
      {"address of an array value", z,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("gr", kTypeInt, kLevelArray);
         return v;
       },
       address, {}, 0, kStorageGlobal, {403, 619}},
  };
  for (const MoveCase &m : cases) {
    SCOPED_TRACE(m.what);
    SelectTargetCpu(m.cpu);
    sink.records.clear();
    Emission().stackOffset = 0;
    ValueRecord value = m.make(*this);
    m.move(value);
    EXPECT_TRUE(DecodesAs(m.cpu, Emitted(), m.listing));
    EXPECT_EQ(Emission().stackOffset, m.stackChange);
    EXPECT_EQ(value.storage, m.storageAfter);
    EXPECT_EQ(sink.Messages(), m.messages);
  }
}

// A frame displacement is one signed byte and an SP offset one unsigned
// byte at the edges of their ranges too.
TEST_F(OperandMoveTest, DisplacementsAreAlwaysOneByte) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    bool useIx;
    int16_t offset;
    std::vector<std::string> listing;
  } cases[] = {
      {"IX-128", TargetCpu::Z180, true, -128, {"ld    a,(ix-128)", "ld    h,(ix-127)", "ld    l,a"}},
      {"IX+125", TargetCpu::Z180, true, 125, {"ld    a,(ix+125)", "ld    h,(ix+126)", "ld    l,a"}},
      {"corvid IX-128", TargetCpu::Corvid, true, -128, {"ld    hl,(ix-128)"}},
      {"SP+129", TargetCpu::Corvid, false, 129, {"ld    hl,(sp+129)"}},
      {"SP+255", TargetCpu::Corvid, false, 255, {"ld    hl,(sp+255)"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(c.cpu);
    Attributes().current = c.useIx ? uint16_t(kAttrUseIx) : uint16_t(0);
    ValueRecord value = Auto(kTypeInt, c.offset);
    LoadOperandToValueRegister(value);
    EXPECT_TRUE(DecodesAs(c.cpu, Emitted(), c.listing));
    EXPECT_TRUE(sink.records.empty());
  }
}

TEST_F(OperandMoveTest, ClearingHlUsesTheShortFormOnlyOnTheCorvid) {
  const std::pair<TargetCpu, std::vector<std::string>> cases[] = {
      {TargetCpu::Z180, {"ld    hl,0000"}},
      {TargetCpu::Corvid, {"bool  hl", "ld    l,h"}},
  };
  for (const auto &[cpu, listing] : cases) {
    SelectTargetCpu(cpu);
    ExpressionFlags().clearHl = true;
    ValueRecord zero = MakeIntConstantValue(0);
    LoadOperandToValueRegister(zero);
    EXPECT_TRUE(DecodesAs(cpu, Emitted(), listing));
    EXPECT_FALSE(ExpressionFlags().clearHl);
    // Only the first load after the flag is set takes the short form.
    ValueRecord again = MakeIntConstantValue(0);
    LoadOperandToValueRegister(again);
    EXPECT_TRUE(DecodesAs(cpu, Emitted(), {"ld    hl,0000"}));
  }
}

// A cached operand is pushed just before a load would overwrite its
// registers, and not at all when the load goes elsewhere.
TEST_F(OperandMoveTest, ACachedOperandIsPushedOnlyWhenItsRegistersAreWritten) {
  struct Case {
    const char *what;
    uint8_t cachedType;
    bool cachedInA;
    std::function<void(OperandMoveTest &)> next;
    std::vector<std::string> listing;
    bool stillCached;
  } cases[] = {
      {"int over int", kTypeInt, false,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("n1", kTypeInt);
         LoadOperandToValueRegister(v);
       },
       {"push  hl", "ld    hl,(2000)"}, false},
      {"char in A, int loaded", kTypeChar, true,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("n2", kTypeInt);
         LoadOperandToValueRegister(v);
       },
       {"ld    hl,(2000)"}, true},
      {"int, char widened into HL", kTypeInt, false,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("n5", kTypeChar);
         LoadOperandToValueRegister(v);
       },
       {"push  hl", "ld    a,(2000)", "ld    l,a", "ld    h,00"}, false},
      {"int, char loaded into A", kTypeInt, false,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("n3", kTypeChar);
         LoadOperandAllowingA(v);
       },
       {"ld    a,(2000)"}, true},
      {"int, long loaded", kTypeInt, false,
       [](OperandMoveTest &t) {
         ValueRecord v = t.Global("n4", kTypeLong);
         LoadOperandToValueRegister(v);
       },
       {"ld    de,(2000)", "ld    bc,(2002)"}, true},
      {"long over long", kTypeLong, false,
       [](OperandMoveTest &) {
         ValueRecord v = MakeLongConstantValue(1);
         LoadOperandToValueRegister(v);
       },
       {"push  bc", "push  de", "ld    de,0001", "ld    bc,0000"}, false},
      {"int, HL loaded with a constant", kTypeInt, false, [](OperandMoveTest &) { PushIntConstant(5); },
       {"push  hl", "ld    hl,0005", "push  hl"}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(TargetCpu::Z180);
    ValueRecord cached = InRegisters(c.cachedType);
    cached.SetByteResult(c.cachedInA);
    CachePrimaryRegister(cached, false);
    c.next(*this);
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), c.listing));
    EXPECT_EQ(CachedOperand() == &cached, c.stillCached);
    EXPECT_EQ(cached.storage, c.stillCached ? uint8_t(kStoragePrimary) : uint8_t(kStorageStackStruct));
    ForgetPrimaryRegister(cached);
  }
}

TEST_F(OperandMoveTest, StoresWriteTheRegistersOfTheTargetsType) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    uint8_t type;
    bool frame;
    std::vector<std::string> listing;
  } cases[] = {
      {"int to a global", TargetCpu::Z180, kTypeInt, false, {"ld    (2000),hl"}},
      {"long to a global, low word first", TargetCpu::Z180, kTypeLong, false, {"ld    (2000),de", "ld    (2002),bc"}},
      {"char from A", TargetCpu::Z180, kTypeChar, false, {"ld    (2000),a"}},
      {"int to the frame", TargetCpu::Z180, kTypeInt, true, {"ld    (ix+4),l", "ld    (ix+5),h"}},
      {"int to the frame, corvid", TargetCpu::Corvid, kTypeInt, true, {"ld    (ix+4),hl"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(c.cpu);
    Attributes().current = c.frame ? uint16_t(kAttrUseIx) : uint16_t(0);
    sink.records.clear();
    ValueRecord target = c.frame ? Auto(c.type, 4) : Global(("store" + std::to_string(&c - cases)).c_str(), c.type);
    EmitStoreValue(target, Reg::Value);
    EXPECT_TRUE(DecodesAs(c.cpu, Emitted(), c.listing));
    EXPECT_TRUE(sink.records.empty());
  }
}

TEST_F(OperandMoveTest, AStoreThroughAPushedAddressTakesTheAddressOffTheStack) {
  // *p = v: p's value was pushed while v was computed into the registers.
  struct Case {
    const char *what;
    uint8_t type;
    std::vector<std::string> listing;
  } cases[] = {
      {"int: the value goes round DE", kTypeInt,
       {"pop   de", "ex    de,hl", "ld    (hl),e", "inc   hl", "ld    (hl),d", "ex    de,hl"}},
      {"pointer", kTypeVoid, {"pop   de", "ex    de,hl", "ld    (hl),e", "inc   hl", "ld    (hl),d", "ex    de,hl"}},
      {"char from A", kTypeChar, {"pop   hl", "ld    (hl),a"}},
      {"long from DE:BC", kTypeLong,
       {"pop   hl", "ld    (hl),e", "inc   hl", "ld    (hl),d", "inc   hl", "ld    (hl),c", "inc   hl", "ld    (hl),b"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(TargetCpu::Z180);
    Emission() = {};
    Emission().stackOffset = -2;
    sink.records.clear();
    ValueRecord target = MakeValue(c.type, c.type == kTypeVoid ? kLevelPointer : kLevelNone, kStorageStackStruct, true);
    EmitStoreValue(target, Reg::Value);
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), c.listing));
    EXPECT_EQ(Emission().stackOffset, 0) << "the address is off the stack";
    EXPECT_TRUE(sink.records.empty());
  }
}

TEST_F(OperandMoveTest, APointerIsFollowedToItsObject) {
  struct Case {
    const char *what;
    TargetCpu cpu;
    uint8_t type;
    uint32_t declarator;
    std::vector<std::string> listing;
    bool inA;
    uint32_t levelAfter;
  } cases[] = {
      {"int", TargetCpu::Z180, kTypeInt, kLevelPointer,
       {"ld    hl,(2000)", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a"}, false, kLevelNone},
      {"int, corvid", TargetCpu::Corvid, kTypeInt, kLevelPointer, {"ld    hl,(2000)", "ld    hl,(hl+0)"}, false,
       kLevelNone},
      {"char into A", TargetCpu::Z180, kTypeChar, kLevelPointer, {"ld    hl,(2000)", "ld    a,(hl)"}, true,
       kLevelNone},
      {"long, low word first", TargetCpu::Z180, kTypeLong, kLevelPointer,
       {"ld    hl,(2000)", "ld    e,(hl)", "inc   hl", "ld    d,(hl)", "inc   hl", "ld    c,(hl)", "inc   hl",
        "ld    b,(hl)"},
       false, kLevelNone},
      {"pointer to pointer", TargetCpu::Z180, kTypeInt, AddLevel(kLevelPointer, kLevelPointer),
       {"ld    hl,(2000)", "ld    a,(hl)", "inc   hl", "ld    h,(hl)", "ld    l,a"}, false, kLevelPointer},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(c.cpu);
    sink.records.clear();
    ValueRecord pointer = Global(("ptr" + std::to_string(&c - cases)).c_str(), c.type, c.declarator);
    DereferenceOperand(pointer);
    EXPECT_TRUE(DecodesAs(c.cpu, Emitted(), c.listing));
    EXPECT_EQ(pointer.storage, kStoragePrimary);
    EXPECT_FALSE(pointer.IsLvalue());
    EXPECT_EQ(pointer.IsByteResult(), c.inA);
    EXPECT_EQ(pointer.Level(), c.levelAfter);
    EXPECT_TRUE(sink.records.empty());
  }
}

// Code compiled again after a save point finds the cache, the flags, the
// stubs and the strings as they were.
TEST_F(OperandMoveTest, ASavePointBringsTheLayersStateBack) {
  ValueRecord earlier = InRegisters(kTypeInt);
  CachePrimaryRegister(earlier, false);
  FunctionStringPool() = {{'a', 0}, 2};
  const uint32_t point = PushCodeSavePoint();
  ValueRecord later = InRegisters(kTypeLong);
  CachePrimaryRegister(later, false);
  ExpressionFlags().clearHl = true;
  SymbolRecord *function = AddSymbol("stubbed", AddLevel(kLevelNone, kLevelFunction), kTypeInt, 1, kKindGlobal);
  StubStack().push_back(function);
  FunctionStringPool() = {{'a', 0, 'b', 'c', 0}, 5};
  // Code taken back pushed nothing: the tracked depth is what it was.
  EmitPushPair(Reg::HL);
  Emission().flagsValid = true;
  RestoreCodeSavePoint(point);
  EXPECT_EQ(Emission().stackOffset, 0);
  EXPECT_FALSE(Emission().flagsValid);
  EXPECT_EQ(CachedOperand(), &earlier);
  EXPECT_FALSE(ExpressionFlags().clearHl);
  EXPECT_TRUE(StubStack().empty());
  EXPECT_EQ(FunctionStringPool().count, 2);
  DropCodeSavePoint(point);
  ForgetPrimaryRegister(earlier);
  Emitted();
}

// What a move cannot do is reported and emits nothing.
TEST_F(OperandMoveTest, MovesThatCannotBeMadeAreReported) {
  struct Case {
    const char *what;
    std::function<void(OperandMoveTest &)> move;
    unsigned message;
  } cases[] = {
      {"store into a constant",
       [](OperandMoveTest &) {
         ValueRecord constant = MakeIntConstantValue(1);
         EmitStoreValue(constant, Reg::Value);
       },
       627},
      {"address of an automatic variable by the fixed-address load",
       [](OperandMoveTest &) {
         ValueRecord local = Auto(kTypeInt, 2);
         OperandMove move(local);
         LoadAddressToRegister(move, Reg::HL);
       },
       629},
      {"address of a value of no storage",
       [](OperandMoveTest &) {
         ValueRecord odd = MakeValue(kTypeInt, kLevelNone, 7, true);
         OperandMove move(odd);
         LoadAddressToRegister(move, Reg::HL);
       },
       630},
      {"a value in registers has no address",
       [](OperandMoveTest &) {
         ValueRecord held = InRegisters(kTypeInt);
         AddressingModeOfValue(held);
       },
       626},
      {"a store of an immediate",
       [](OperandMoveTest &) {
         ValueRecord constant = MakeIntConstantValue(1);
         OperandMove move(constant);
         move.mode = AddressingKind::kImmediate;
         RunMove(move, MoveKind::kStore, 2);
       },
       2001},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(TargetCpu::Z180);
    sink.records.clear();
    c.move(*this);
    EXPECT_TRUE(Emitted().empty());
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{c.message});
  }
}

// Exchanging the top of the stack with the registers keeps StackOffset
// with what is pushed.
TEST_F(OperandMoveTest, StackAndRegistersChangePlaces) {
  struct Case {
    const char *what;
    uint8_t stackedType;
    uint8_t heldType;
    std::vector<std::string> listing;
    int16_t stackChange;
    std::vector<std::string> labels;
    std::vector<unsigned> messages = {};
    bool heldInA = false;
  } cases[] = {
      {"word and word", kTypeInt, kTypeUnsigned, {"ex    (sp),hl"}, 0, {}},
      {"pushed char and word", kTypeChar, kTypeInt, {"ex    (sp),hl"}, 0, {}},
      {"word and char held", kTypeInt, kTypeChar, {"ex    (sp),hl"}, 0, {}},
      {"word and char in A", kTypeInt, kTypeChar, {"ld    l,a", "ld    h,00", "ex    (sp),hl"}, 0, {}, {}, true},
      {"long and long", kTypeLong, kTypeFloat, {"call  0000"}, 0, {"swap4_"}},
      {"word under a long", kTypeInt, kTypeLong, {"pop   hl", "push  bc", "push  de"}, -2, {}},
      {"long under a word", kTypeLong, kTypeInt, {"pop   de", "pop   bc", "push  hl"}, 2, {}},
      {"a value of no size", kTypeNone, kTypeInt, {}, 0, {}, {638}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(TargetCpu::Z180);
    ResetFixupTables(kResetFinal);
    sink.records.clear();
    Emission().stackOffset = 0;
    ValueRecord stacked = Pushed(c.stackedType);
    ValueRecord held = InRegisters(c.heldType);
    held.SetByteResult(c.heldInA);
    SwapStackAndRegister(stacked, held);
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), c.listing));
    EXPECT_EQ(Emission().stackOffset, c.stackChange);
    EXPECT_EQ(PendingLabelList(), c.labels);
    EXPECT_EQ(sink.Messages(), c.messages);
    if (c.messages.empty()) {
      EXPECT_EQ(stacked.storage, kStoragePrimary);
      EXPECT_EQ(held.storage, kStorageStackStruct);
    } else {
      EXPECT_EQ(sink.records[0].text, "Internal Error: Unable to swap stack with register operand");
    }
  }
}

// What stands between a store of HL and a load of the same word decides
// whether the load is left out: nothing, or instructions the decoder says
// keep HL and memory, let it go; anything else, a Corvid prefix whatever the
// decoder answers for it, and an answer read with the other processor's
// tables keep the load.
TEST_F(OperandMoveTest, AReloadOfHlIsLeftOutOnlyOverCodeThatKeepsIt) {
  SetInstructionDecoder(DecodeEmittedInstruction);
  struct Case {
    const char *what;
    TargetCpu cpu;
    std::vector<uint8_t> between;
    bool reloaded;
    bool otherTables = false;
  };
  const TargetCpu z = TargetCpu::Z180, c = TargetCpu::Corvid;
  const Case cases[] = {
      {"nothing", z, {}, false},
      {"a nop", z, {0x00}, false},
      {"inc hl", z, {0x23}, true},
      {"a store of A", z, {0x32, 0x00, 0x30}, true},
      {"a Corvid nop", c, {0x00}, false},
      {"an I/O prefix", c, {0xD3, 0x00}, true},
      {"altd", c, {0x76, 0x00}, true},
      {"a nop read with the Corvid's tables", z, {0x00}, true, true},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.what);
    SelectTargetCpu(k.cpu);
    DecodeEnvironment tables(k.otherTables ? (k.cpu == z ? c : z) : k.cpu);
    ForgetHlStore();
    ValueRecord stored = Global("hs", kTypeInt);
    EmitStoreValue(stored, Reg::Value);
    for (uint8_t byte : k.between)
      EmitCodeByte(byte);
    Emitted();
    ValueRecord loaded = Global("hs", kTypeInt);
    {
      HlReloadTest allowed;
      LoadOperandToValueRegister(loaded);
    }
    EXPECT_EQ(Emitted().empty(), !k.reloaded);
    EXPECT_EQ(loaded.storage, kStoragePrimary);
  }
  SetInstructionDecoder(nullptr);
}

} // namespace
} // namespace tsw::testing
