#include "compcore/byte_road_fixture.h"
#include "compcore/decode_check.h"
#include "compcore/recording_upcalls.h"

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/cc_stab/cc_stab.h"

#include <map>

namespace tsw::testing {
namespace {

constexpr ADDR24 kRootStart = MakeAddr24(0, 0x1000);
constexpr ADDR24 kXmemStart = MakeAddr24(0x10, 0xE000);
constexpr ADDR24 kXmemHere = MakeAddr24(0x10, 0xE200);
constexpr ADDR24 kRootTarget = MakeAddr24(0, 0x2345);
constexpr ADDR24 kBankTarget = MakeAddr24(0x22, 0xE345);
constexpr ADDR24 kSamePageTarget = MakeAddr24(0x10, 0xE345);

class FarJumpTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    Origin("rc 0 0x1000 0x4000 apply", Caches().rootCode);
    Origin("xc 0x10 0xE000 0x1000 apply", Caches().xmemCode, 2);
    Caches().xmemCode->SetEmitAddress(kXmemHere);
    StartIn(kRootStart);
  }
  // Emission goes on at `at` in the cache that holds it; the other code
  // cache stays where it is.
  static void StartIn(ADDR24 at) {
    EmitCache *cache = Addr24InWindow(at) ? Caches().xmemCode : Caches().rootCode;
    Caches().currentCode = cache;
    cache->SetEmitAddress(at);
  }
  static void Reset(TargetCpu cpu, bool noBouncers = true) {
    SelectTargetCpu(cpu);
    CodeGenSetup().noBouncers = noBouncers;
    CodeGenSetup().addressDirectory = false;
    CodeGenSetup().bouncerRoutine = 0;
  }
  // Everything written so far, by physical address.
  std::map<uint32_t, uint8_t> Image() {
    Caches().rootCode->Flush();
    Caches().xmemCode->Flush();
    std::map<uint32_t, uint8_t> image;
    for (const tsw::testing::Run &run : writer.runs)
      for (size_t i = 0; i < run.bytes.size(); ++i)
        image[Addr24ToPhysical(run.address) + uint32_t(i)] = run.bytes[i];
    return image;
  }
  // The bytes from `start` up to where `cache` stands now.
  std::vector<uint8_t> CodeFrom(ADDR24 start, EmitCache *cache) {
    const uint32_t end = Addr24ToPhysical(cache->Current());
    std::map<uint32_t, uint8_t> image = Image();
    std::vector<uint8_t> bytes;
    for (uint32_t at = Addr24ToPhysical(start); at < end; ++at)
      bytes.push_back(image[at]);
    return bytes;
  }
  std::vector<uint8_t> Bytes(ADDR24 start, size_t count) {
    std::map<uint32_t, uint8_t> image = Image();
    std::vector<uint8_t> bytes;
    for (uint32_t at = Addr24ToPhysical(start); bytes.size() < count; ++at)
      bytes.push_back(image[at]);
    return bytes;
  }
  static bool HasByte(const std::vector<uint8_t> &bytes, uint8_t byte) {
    return std::find(bytes.begin(), bytes.end(), byte) != bytes.end();
  }
};

// A jump request, what it left where it was made, what it left at the end
// of root code (the long form of a jump out of the window), and where the
// returned record says the operand is.
struct JumpCase {
  const char *name;
  TargetCpu cpu;
  ADDR24 from;
  ADDR24 target;
  uint8_t opcode;
  bool preserveAf;
  std::vector<std::string> here;
  std::vector<std::string> root;
  uint8_t emitted;
  ADDR24 operand;
};

TEST_F(FarJumpTest, JumpsByWhereTheyStartAndEnd) {
  const ADDR24 afterRoot = Addr24Add(kRootStart, 1);
  const JumpCase cases[] = {
      {"Z180 root to root", TargetCpu::Z180, kRootStart, kRootTarget, kOpJump, false, {"jp    2345"}, {}, kOpJump,
       afterRoot},
      {"Z180 root to bank", TargetCpu::Z180, kRootStart, kBankTarget, kOpJump, false,
       {"ld    a,22", "out0  (38),a", "jp    E345"}, {}, kOpJump, Addr24Add(kRootStart, 6)},
      {"Z180 root to bank keeping AF", TargetCpu::Z180, kRootStart, kBankTarget, kOpJump, true,
       {"push  af", "ld    a,22", "out0  (38),a", "pop   af", "jp    E345"}, {}, kOpJump,
       Addr24Add(kRootStart, 8)},
      // The opposite condition skips the whole long form.
      {"Z180 conditional root to bank", TargetCpu::Z180, kRootStart, kBankTarget, 0xCA, false,
       {"jp    nz,100B", "ld    a,22", "out0  (38),a", "jp    E345"}, {}, kOpJump, Addr24Add(kRootStart, 9)},
      {"Z180 long jump request is a jump", TargetCpu::Z180, kRootStart, kRootTarget, kOpLongJump, false,
       {"jp    2345"}, {}, kOpJump, afterRoot},
      {"Z180 relative jump is always short", TargetCpu::Z180, kRootStart, MakeAddr24(0x22, 0xE3FE), 0x20, false,
       {"jr    nz,1000"}, {}, 0x20, afterRoot},
      {"Z180 window to its own page", TargetCpu::Z180, kXmemHere, kSamePageTarget, kOpJump, false, {"jp    E345"},
       {}, kOpJump, Addr24Add(kXmemHere, 1)},
      {"Z180 window to root", TargetCpu::Z180, kXmemHere, kRootTarget, 0xD2, false, {"jp    nc,2345"}, {}, 0xD2,
       Addr24Add(kXmemHere, 1)},
      // The window cannot switch under the code that switches it.
      {"Z180 window to another bank", TargetCpu::Z180, kXmemHere, kBankTarget, kOpJump, false, {"jp    1000"},
       {"ld    a,22", "out0  (38),a", "jp    E345"}, kOpJump, Addr24Add(kRootStart, 6)},
      {"Z180 conditional window to another bank", TargetCpu::Z180, kXmemHere, kBankTarget, 0xFA, true,
       {"jp    1000"}, {"jp    p,E203", "push  af", "ld    a,22", "out0  (38),a", "pop   af", "jp    E345"}, kOpJump,
       Addr24Add(kRootStart, 11)},
      {"Corvid root to root", TargetCpu::Corvid, kRootStart, kRootTarget, kOpJump, false, {"jp    2345"}, {},
       kOpJump, afterRoot},
      {"Corvid long jump carries its page", TargetCpu::Corvid, kRootStart, kBankTarget, kOpLongJump, false,
       {"ljp   22E345"}, {}, kOpLongJump, afterRoot},
      {"Corvid root jump to bank is a long jump", TargetCpu::Corvid, kRootStart, kBankTarget, kOpJump, false,
       {"ljp   22E345"}, {}, kOpLongJump, afterRoot},
      {"Corvid conditional root to bank", TargetCpu::Corvid, kRootStart, kBankTarget, 0xC2, false,
       {"jp    z,1007", "ljp   22E345"}, {}, kOpLongJump, Addr24Add(kRootStart, 4)},
      {"Corvid window to its own page", TargetCpu::Corvid, kXmemHere, kSamePageTarget, kOpJump, false,
       {"jp    E345"}, {}, kOpJump, Addr24Add(kXmemHere, 1)},
      // The jump keeps its condition and reaches a long jump in root code.
      {"Corvid window to another bank", TargetCpu::Corvid, kXmemHere, kBankTarget, 0xDA, false, {"jp    c,1000"},
       {"ljp   22E345"}, 0xDA, Addr24Add(kXmemHere, 1)},
  };
  for (const JumpCase &c : cases) {
    SCOPED_TRACE(c.name);
    Reset(c.cpu);
    Caches().xmemCode->SetEmitAddress(kXmemHere);
    Caches().rootCode->SetEmitAddress(kRootStart);
    StartIn(c.from);
    writer.runs.clear();
    JumpRecord record = EmitJumpToAddr24(c.target, c.opcode, c.preserveAf);
    EXPECT_EQ(Caches().currentCode, Addr24InWindow(c.from) ? Caches().xmemCode : Caches().rootCode);
    const std::vector<uint8_t> here = CodeFrom(c.from, Caches().currentCode);
    EXPECT_TRUE(DecodesAs(c.cpu, here, c.here, {}, c.from.logical));
    if (Addr24InWindow(c.from)) {
      const std::vector<uint8_t> root = CodeFrom(kRootStart, Caches().rootCode);
      EXPECT_TRUE(DecodesAs(c.cpu, root, c.root, {}, kRootStart.logical));
      EXPECT_FALSE(c.cpu == TargetCpu::Z180 && HasByte(root, kOpLongJump)) << HexBytes(root);
    }
    EXPECT_FALSE(c.cpu == TargetCpu::Z180 && HasByte(here, kOpLongJump)) << HexBytes(here);
    EXPECT_EQ(record.opcode, c.emitted);
    EXPECT_EQ(Addr24ToLong(record.operand), Addr24ToLong(c.operand));
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{});
    sink.records.clear();
  }
}

struct CallCase {
  const char *name;
  TargetCpu cpu;
  bool noBouncers;
  bool directory;
  ADDR24 target;
  uint8_t opcode;
  std::vector<uint8_t> bytes;
  std::vector<std::string> text;
  uint16_t operandOffset;
};

TEST_F(FarJumpTest, CallsByProcessorAndSettings) {
  constexpr ADDR24 kEntry = MakeAddr24(0, 0x3000);
  constexpr ADDR24 kBody = MakeAddr24(0x31, 0xE456);
  EnterXmemFunction(kEntry, kBody);
  const CallCase cases[] = {
      {"Z180 root call", TargetCpu::Z180, true, false, kRootTarget, kOpCall, {0xCD, 0x45, 0x23}, {"call  2345"}, 1},
      {"Z180 long call request is a call", TargetCpu::Z180, true, false, kRootTarget, kOpLongCall,
       {0xCD, 0x45, 0x23}, {"call  2345"}, 1},
      {"Z180 conditional call", TargetCpu::Z180, true, false, kRootTarget, 0xF4, {0xF4, 0x45, 0x23},
       {"call  p,2345"}, 1},
      {"Corvid window call without bouncers", TargetCpu::Corvid, true, false, kBankTarget, kOpCall,
       {0xCF, 0x45, 0xE3, 0x22}, {"lcall 22E345"}, 1},
      {"Corvid directory call with bouncers", TargetCpu::Corvid, false, true, kEntry, kOpCall,
       {0x27, 0xFE, 0xCF, 0x56, 0xE4, 0x31, 0x27, 0x02}, {"add   sp,FE", "lcall 31E456", "add   sp,02"}, 3},
      {"Corvid directory call without bouncers", TargetCpu::Corvid, true, true, kEntry, kOpCall,
       {0xCF, 0x56, 0xE4, 0x31}, {"lcall 31E456"}, 1},
      {"Corvid long call to an entry", TargetCpu::Corvid, false, false, kEntry, kOpLongCall,
       {0xCF, 0x56, 0xE4, 0x31}, {"lcall 31E456"}, 1},
      {"Corvid root call", TargetCpu::Corvid, true, true, kRootTarget, kOpCall, {0xCD, 0x45, 0x23}, {"call  2345"},
       1},
  };
  for (const CallCase &c : cases) {
    SCOPED_TRACE(c.name);
    Reset(c.cpu, c.noBouncers);
    CodeGenSetup().addressDirectory = c.directory;
    StartIn(kRootStart);
    writer.runs.clear();
    const ADDR24 operand = EmitCallToAddr24(c.target, c.opcode);
    const std::vector<uint8_t> bytes = CodeFrom(kRootStart, Caches().rootCode);
    EXPECT_EQ(HexBytes(bytes), HexBytes(c.bytes));
    EXPECT_TRUE(DecodesAs(c.cpu, bytes, c.text));
    EXPECT_EQ(Addr24ToLong(operand), Addr24ToLong(Addr24Add(kRootStart, c.operandOffset)));
  }
}

TEST_F(FarJumpTest, ForwardCallToTheBouncerKeepsAByteForItsPage) {
  struct Case {
    const char *name;
    TargetCpu cpu;
    bool noBouncers;
    bool definedSymbol;
    uint16_t bouncer;
    uint16_t target;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"Corvid without bouncers", TargetCpu::Corvid, true, false, 0x0400, 0x0400, {0xCD, 0x00, 0x04, 0x00}},
      {"Corvid, default bouncer", TargetCpu::Corvid, true, false, 0, 0, {0xCD, 0x00, 0x00, 0x00}},
      {"Corvid, another target", TargetCpu::Corvid, true, false, 0x0400, 0x0500, {0xCD, 0x00, 0x05}},
      {"Corvid, defined function", TargetCpu::Corvid, true, true, 0x0400, 0x0400, {0xCD, 0x00, 0x04}},
      {"Corvid with bouncers", TargetCpu::Corvid, false, false, 0x0400, 0x0400, {0xCD, 0x00, 0x04}},
      {"Z180", TargetCpu::Z180, true, false, 0, 0, {0xCD, 0x00, 0x00}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Reset(c.cpu, c.noBouncers);
    CodeGenSetup().bouncerRoutine = c.bouncer;
    StartIn(kRootStart);
    writer.runs.clear();
    SymbolRecord symbol;
    symbol.definition = c.definedSymbol ? 1 : 0;
    EmitCallToAddr24(MakeAddr24(0, c.target), kOpCall, &symbol);
    EXPECT_EQ(HexBytes(CodeFrom(kRootStart, Caches().rootCode)), HexBytes(c.bytes));
  }
}

class RoutineAt : public RecordingUpcalls {
public:
  ADDR24 LookupRoutineSymbol(std::string_view name, uint16_t flags, uint8_t opcode) override {
    RecordingUpcalls::LookupRoutineSymbol(name, flags, opcode);
    EXPECT_NE(FindRoutineContract(name), nullptr) << name;
    return MakeAddr24(0, 0x0456);
  }
};

TEST_F(FarJumpTest, ConditionalCallsOfNamedRoutines) {
  struct Case {
    const char *name;
    TargetCpu cpu;
    Condition condition;
    std::vector<std::string> text;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"Z180 NC", TargetCpu::Z180, Condition::kNC, {"call  nc,0456"}, {"lookup bound.e"}},
      {"Z180 P", TargetCpu::Z180, Condition::kP, {"call  p,0456"}, {"lookup bound.e"}},
      // The call is skipped on the opposite condition.
      {"Corvid NC", TargetCpu::Corvid, Condition::kNC, {"jr    c,1005", "call  0000"}, {"call bound.e"}},
      {"Corvid Z", TargetCpu::Corvid, Condition::kZ, {"jr    nz,1005", "call  0000"}, {"call bound.e"}},
      {"Corvid P", TargetCpu::Corvid, Condition::kP, {"jp    m,1006", "call  0000"}, {"call bound.e"}},
      {"Corvid PE", TargetCpu::Corvid, Condition::kPE, {"jp    lz,1006", "call  0000"}, {"call bound.e"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RoutineAt upcalls;
    Reset(c.cpu);
    StartIn(kRootStart);
    writer.runs.clear();
    EmitConditionalCallNamed("bound.e", c.condition);
    EXPECT_TRUE(DecodesAs(c.cpu, CodeFrom(kRootStart, Caches().rootCode), c.text));
    EXPECT_EQ(upcalls.events, c.events);
  }
}

TEST_F(FarJumpTest, ConditionalCallOnAnotherProcessorEmitsNothing) {
  RoutineAt upcalls;
  CodeGenSetup().cpu = TargetCpu(2);
  EmitConditionalCallNamed("bound.e", Condition::kNC);
  CodeGenSetup().cpu = TargetCpu::Z180;
  EXPECT_EQ(Addr24ToLong(Caches().rootCode->Current()), Addr24ToLong(kRootStart));
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgConditionalCallCpu});
  EXPECT_TRUE(upcalls.events.empty());
}

// A forward jump or call placed with a null target, then given its target:
// what stands at the place, what the end of root code received, and where
// each code cache stands afterwards.
struct FixupCase {
  const char *name;
  TargetCpu cpu;
  bool noBouncers;
  ADDR24 place;
  std::vector<uint8_t> placed;
  uint8_t recordedOpcode;
  ADDR24 target;
  std::vector<std::string> atPlace;
  std::vector<std::string> atRootEnd;
};

TEST_F(FarJumpTest, ForwardJumpsGetTheirTargets) {
  constexpr ADDR24 kRootEnd = MakeAddr24(0, 0x2000);
  const FixupCase cases[] = {
      {"Z180 root target is patched in", TargetCpu::Z180, true, kRootStart, {0xC3, 0, 0}, kOpJump, kRootTarget,
       {"jp    2345"}, {}},
      {"Corvid root target is patched in", TargetCpu::Corvid, true, kRootStart, {0xCA, 0, 0}, 0xCA, kRootTarget,
       {"jp    z,2345"}, {}},
      {"Z180 root jump to a bank goes through root code", TargetCpu::Z180, true, kRootStart, {0xC3, 0, 0}, kOpJump,
       kBankTarget, {"jp    2000"}, {"ld    a,22", "out0  (38),a", "jp    E345"}},
      // The trampoline comes back behind the place when the condition fails.
      {"Z180 conditional root jump to a bank", TargetCpu::Z180, false, kRootStart, {0xCA, 0, 0}, 0xCA, kBankTarget,
       {"jp    2000"}, {"jp    nz,200B", "ld    a,22", "out0  (38),a", "jp    E345", "jp    1003"}},
      {"Z180 long jump record is a Z180 jump", TargetCpu::Z180, true, kRootStart, {0xC3, 0, 0}, kOpLongJump,
       kBankTarget, {"jp    2000"}, {"ld    a,22", "out0  (38),a", "jp    E345"}},
      // No bouncers or not, a Z180 call stays a call.
      {"Z180 call stays a call", TargetCpu::Z180, true, kRootStart, {0xCD, 0, 0}, kOpCall, kBankTarget,
       {"call  E345"}, {}},
      {"Z180 window jump to another bank", TargetCpu::Z180, true, kXmemHere, {0xC3, 0, 0}, kOpJump, kBankTarget,
       {"jp    2000"}, {"ld    a,22", "out0  (38),a", "jp    E345"}},
      {"Corvid root jump to a bank", TargetCpu::Corvid, true, kRootStart, {0xC3, 0, 0}, kOpJump, kBankTarget,
       {"jp    2000"}, {"ljp   22E345"}},
      {"Corvid conditional root jump to a bank", TargetCpu::Corvid, true, kRootStart, {0xD2, 0, 0}, 0xD2,
       kBankTarget, {"jp    2000"}, {"jp    c,2007", "ljp   22E345", "jp    1003"}},
      // The opcode comes from the code when the record has none.
      {"Corvid opcode read back", TargetCpu::Corvid, true, kRootStart, {0xC3, 0, 0}, 0, kBankTarget,
       {"jp    2000"}, {"ljp   22E345"}},
      {"Corvid long jump record", TargetCpu::Corvid, true, kRootStart, {0xC7, 0, 0, 0}, kOpLongJump, kBankTarget,
       {"ljp   22E345"}, {}},
      // The bouncer pad byte takes the page.
      {"Corvid call without bouncers", TargetCpu::Corvid, true, kRootStart, {0xCD, 0, 0, 0}, kOpCall, kBankTarget,
       {"lcall 22E345"}, {}},
      {"Corvid window jump to another bank", TargetCpu::Corvid, true, kXmemHere, {0xC3, 0, 0}, kOpJump,
       kBankTarget, {"jp    2000"}, {"ljp   22E345"}},
  };
  for (const FixupCase &c : cases) {
    SCOPED_TRACE(c.name);
    Reset(c.cpu, c.noBouncers);
    Caches().xmemCode->SetEmitAddress(kXmemHere);
    StartIn(c.place);
    writer.runs.clear();
    for (uint8_t b : c.placed)
      Caches().currentCode->EmitByte(b);
    const ADDR24 goesOn = Caches().currentCode->Current();
    Caches().rootCode->SetEmitAddress(Addr24InWindow(c.place) ? kRootEnd : Caches().rootCode->Current());
    // Root code has moved on to kRootEnd by the time the target is known.
    if (!Addr24InWindow(c.place)) {
      Caches().rootCode->SetEmitAddress(kRootEnd);
      Caches().currentCode = Caches().rootCode;
    }
    EmitCache *current = Caches().currentCode;
    const ADDR24 currentAt = current->Current();
    EmitFarJumpFixup({c.recordedOpcode, Addr24Add(c.place, 1)}, c.target);
    EXPECT_EQ(Caches().currentCode, current);
    const size_t rootLength = Addr24ToPhysical(Caches().rootCode->Current()) - Addr24ToPhysical(kRootEnd);
    if (Addr24InWindow(c.place)) {
      EXPECT_EQ(Addr24ToLong(Caches().xmemCode->Current()), Addr24ToLong(goesOn));
    } else {
      EXPECT_EQ(Addr24ToLong(currentAt), Addr24ToLong(kRootEnd));
    }
    EXPECT_TRUE(DecodesAs(c.cpu, Bytes(c.place, c.placed.size()), c.atPlace, {}, c.place.logical));
    EXPECT_TRUE(DecodesAs(c.cpu, Bytes(kRootEnd, rootLength), c.atRootEnd, {}, kRootEnd.logical));
    EXPECT_EQ(sink.Messages(), std::vector<unsigned>{});
    sink.records.clear();
  }
}

TEST_F(FarJumpTest, OperandAtTheWindowsFirstByteIsRewrittenOnThePreviousPage) {
  Reset(TargetCpu::Corvid);
  // The jump's opcode is the last byte of page 0x0F, seen at 0xEFFF.
  const ADDR24 opcodeAt = MakeAddr24(0x0F, 0xEFFF);
  Caches().xmemCode->SetEmitAddress(opcodeAt);
  Caches().currentCode = Caches().xmemCode;
  Emit(*Caches().xmemCode, {0xC3, 0, 0});
  Caches().rootCode->SetEmitAddress(MakeAddr24(0, 0x2000));
  Caches().currentCode = Caches().rootCode;
  EmitFarJumpFixup({kOpJump, MakeAddr24(0x10, 0xE000)}, kBankTarget);
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Bytes(opcodeAt, 3), {"jp    2000"}, {}, opcodeAt.logical));
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Bytes(MakeAddr24(0, 0x2000), 4), {"ljp   22E345"}, {}, 0x2000));
}

TEST_F(FarJumpTest, PageCrossingOfCorvidCodeIsALongJumpThroughTheSeam) {
  Reset(TargetCpu::Corvid);
  StartIn(kXmemStart);
  writer.runs.clear();
  Collaborators().EmitLongJump(MakeAddr24(0x11, 0xE004));
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, CodeFrom(kXmemStart, Caches().xmemCode), {"ljp   11E004"}, {}, 0xE000));
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// Through the label tables: a jump to a label placed later in a bank is
// emitted again when the label is defined.
TEST_F(FarJumpTest, LabelDefinedInABankRewritesTheForwardJump) {
  SelectTargetCpu(TargetCpu::Z180);
  StartIn(kRootStart);
  writer.runs.clear();
  const JumpRecord jump = EmitJumpToAddr24(ADDR24{}, kOpJump);
  ReferenceLabel("later", Addr24ToLong(jump.operand), kFixGlobal, 0, jump.opcode);
  const ADDR24 rootEnd = Caches().rootCode->Current();
  DefineLabel("later", Addr24ToLong(kBankTarget), kFixGlobal);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Bytes(kRootStart, 3), {"jp    1003"}));
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, CodeFrom(rootEnd, Caches().rootCode),
                        {"ld    a,22", "out0  (38),a", "jp    E345"}, {}, rootEnd.logical));
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{});
}

// The rest of the compiler reaches the jumps through the code generator's
// boundary: a jump placed in root code, patched once code goes on in a bank.
TEST_F(FarJumpTest, BoundaryJumpIsPatchedToWhereCodeGoesOn) {
  struct Case {
    const char *name;
    ADDR24 goesOn;
    std::vector<std::string> atPlace;
    std::vector<std::string> atRootEnd;
  };
  const Case cases[] = {
      {"root", MakeAddr24(0, 0x1800), {"jp    1800"}, {}},
      {"bank", kXmemHere, {"jp    1003"}, {"ld    a,10", "out0  (38),a", "jp    E200"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Reset(TargetCpu::Z180);
    Caches().xmemCode->SetEmitAddress(kXmemHere);
    StartIn(kRootStart);
    writer.runs.clear();
    const ADDR24 operand = CodeGen().EmitJumpToAddr24(ADDR24{}, kOpJump);
    CodeGen().SelectCodeCache(c.goesOn);
    const ADDR24 rootEnd = Caches().rootCode->Current();
    CodeGen().EmitJumpWithWindowCheck(operand);
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Bytes(kRootStart, 3), c.atPlace));
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, CodeFrom(rootEnd, Caches().rootCode), c.atRootEnd, {}, rootEnd.logical));
    EXPECT_EQ(Caches().currentCode, Addr24InWindow(c.goesOn) ? Caches().xmemCode : Caches().rootCode);
  }
}

// Root code without its origin has no room for the long form of a jump
// out of the window, nor for a rewrite there: reported, nothing emitted.
TEST_F(FarJumpTest, LongFormsNeedTheRootOrigin) {
  for (TargetCpu cpu : {TargetCpu::Z180, TargetCpu::Corvid}) {
    SCOPED_TRACE(int(cpu));
    ClearOriginTable();
    Origin("xc 0x10 0xE000 0x1000 apply", Caches().xmemCode, 2);
    Reset(cpu);
    StartIn(kXmemHere);
    sink.records.clear();
    EmitJumpToAddr24(kBankTarget, kOpJump);
    EXPECT_EQ(Addr24ToLong(Caches().xmemCode->Current()), Addr24ToLong(kXmemHere));
    EmitFarJumpFixup({kOpJump, Addr24Add(kRootStart, 1)}, kBankTarget);
    EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{kMsgEmitOutside, kMsgEmitOutside}));
    EXPECT_EQ(Caches().currentCode, Caches().xmemCode);
  }
}

// The long call a forward call becomes takes the byte kept for its page,
// not the first byte of the code behind it.
TEST_F(FarJumpTest, ForwardCallBecomesALongCallInItsOwnRoom) {
  SelectTargetCpu(TargetCpu::Corvid);
  StartIn(kRootStart);
  writer.runs.clear();
  const ADDR24 operand = EmitCallToAddr24(ADDR24{}, kOpCall);
  Caches().rootCode->EmitByte(0xC9);
  EmitFarJumpFixup({kOpCall, operand}, kBankTarget);
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, CodeFrom(kRootStart, Caches().rootCode), {"lcall 22E345", "ret"}));
}

} // namespace
} // namespace tsw::testing
