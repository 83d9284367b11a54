#include "compcore/instruction_fixture.h"

#include "compcore/cc_gen/prolog_epilog.h"

namespace tsw {
namespace {

using testing::EmitCase;
using testing::InstructionsTest;
constexpr TargetCpu Z = TargetCpu::Z180;
constexpr TargetCpu R = TargetCpu::Corvid;
constexpr uint16_t kAreaEnd = 0x8010;

// A whole function without its body: the entry, then the exit.
struct FrameCase {
  const char *what;
  TargetCpu cpu;
  uint32_t attributes;
  uint16_t locals;
  uint16_t registers;
  bool hasValue;
  std::vector<std::string> texts;
  std::vector<std::string> routines;
  bool inXmem = false;
};

class PrologEpilogTest : public InstructionsTest {
protected:
  void CheckFrames(std::initializer_list<FrameCase> cases) {
    for (const FrameCase &f : cases) {
      upcalls->routines.clear();
      StaticRegisterArea() = {true, kAreaEnd};
      const bool inXmem = f.inXmem;
      const uint16_t locals = f.locals, registers = f.registers;
      const bool hasValue = f.hasValue;
      Check({f.what, f.cpu,
             [=] {
               if (inXmem)
                 Caches().currentCode = Caches().xmemCode;
               { FunctionProlog prolog(locals, registers); }
               { FunctionEpilog epilog(hasValue); }
             },
             f.texts, {}, f.attributes});
      EXPECT_EQ(upcalls->routines, f.routines) << f.what;
    }
  }
};

constexpr uint32_t kSize = kAttrSize;
constexpr uint32_t kHooks = kAttrStep;
constexpr uint32_t kAttr2 = kAttrStackCheck;

TEST_F(PrologEpilogTest, PlainFunctions) {
  CheckFrames({
      {"nothing to set up", Z, 0, 0, 0, false, {"ret"}, {}},
      {"nothing to set up, Corvid", R, 0, 0, 0, false, {"ret"}, {}},
      {"nothing to set up, Corvid in extended memory", R, kAttrXmem, 0, 0, false, {"lret"}, {}, true},
      // The locals are allocated keeping HL (the first argument); the value
      // survives their release in the other register set.
      {"locals, a value", Z, kSize, 0, 0, true, {"ret"}, {}},
      {"four bytes of locals", Z, 0, 4, 0, true,
       {"push  af", "push  af", "exx", "pop   af", "pop   af", "exx", "ret"}, {}},
      {"IX frame", Z, kAttrUseIx, 4, 0, true,
       {"push  ix", "ld    ix,0000", "add   ix,sp", "push  af", "push  af", "ld    sp,ix", "pop   ix", "ret"}, {}},
  });
}

TEST_F(PrologEpilogTest, FrameRoutines) {
  CheckFrames({
      {"size, 10 bytes of locals, Z180", Z, kSize, 10, 0, false,
       {"exx", "ld    hl,FFF6", "call  0000", "exx", "ld    hl,000A", "jp    0000"}, {"sspixffn_", "rspixffn_"}},
      {"size, 10 bytes of locals, Corvid", R, kSize, 10, 0, false,
       {"exx", "ld    hl,FFF6", "call  0000", "exx", "ld    hl,000A", "call  0000", "ret"},
       {"sspixffn_", "rspixffn_"}},
      {"size, Corvid in extended memory", R, kSize | kAttrXmem, 10, 0, false,
       {"exx", "ld    hl,FFF6", "call  0000", "exx", "ld    hl,000A", "call  0000", "lret"},
       {"sspixffn_", "rspixffn_"}, true},
      {"hooks", Z, kHooks, 0, 0, false,
       {"exx", "ld    hl,0000", "call  0000", "exx", "ld    hl,0000", "jp    0000"}, {"sspixffn_", "rspixffn_"}},
      {"hooks and an IX frame", Z, kHooks | kAttrUseIx, 2, 0, false,
       {"exx", "ld    hl,FFFE", "call  0000", "exx", "ld    hl,0002", "jp    0000"}, {"sspixff_", "rspixff_"}},
      // The routine also moves the register area: DE its start, BC its size.
      {"size, IX frame, register area", Z, kSize | kAttrUseIx, 2, 4, false,
       {"exx", "ld    hl,FFFA", "ld    de,800C", "ld    bc,0004", "call  0000", "exx", "ld    hl,0006",
        "ld    de,800C", "ld    bc,0004", "jp    0000"},
       {"sspixrffw_", "rspixrff_"}},
      {"hooks, IX frame, register area", R, kHooks | kAttrUseIx, 0, 2, false,
       {"exx", "ld    hl,FFFE", "ld    de,800E", "ld    bc,0002", "call  0000", "exx", "ld    hl,0002",
        "ld    de,800E", "ld    bc,0002", "call  0000", "ret"},
       {"sspixrff_", "rspixrff_"}},
      // Without an IX frame the routine leaves the register area to the
      // function: saved after its call, restored before the exit's.
      {"size, register area without IX", Z, kSize, 2, 2, false,
       {"exx", "ld    hl,FFFE", "call  0000", "ld    de,(800E)", "push  de", "exx", "pop   de",
        "ld    (800E),de", "ld    hl,0002", "jp    0000"},
       {"sspixffn_", "rspixffn_"}},
  });
}

// The function's attribute 0x02 needs control back after the exit routine:
// on the Z180 too the exit is a call followed by the return, never a
// call that runs on into whatever follows.
TEST_F(PrologEpilogTest, AttributeTwoEndsInTheReturn) {
  CheckFrames({
      {"Z180", Z, kAttr2, 4, 0, false,
       {"exx", "ld    hl,FFFC", "call  0000", "exx", "ld    hl,0004", "call  0000", "ret"},
       {"sspixfn_", "rspixfn_"}},
      {"Corvid", R, kAttr2, 4, 0, false,
       {"exx", "ld    hl,FFFC", "call  0000", "exx", "ld    hl,0004", "call  0000", "ret"},
       {"sspixfn_", "rspixfn_"}},
      {"Z180 with an IX frame and hooks", Z, kAttr2 | kHooks | kAttrUseIx, 0, 0, false,
       {"exx", "ld    hl,0000", "call  0000", "exx", "ld    hl,0000", "call  0000", "ret"},
       {"sspixf_", "rspixf_"}},
  });
}

TEST_F(PrologEpilogTest, RegisterAreaBySizeOfTheArea) {
  CheckFrames({
      // Up to six bytes, word by word through DE so HL stays.
      {"six bytes", Z, 0, 0, 6, false,
       {"ld    de,(800A)", "push  de", "ld    de,(800C)", "push  de", "ld    de,(800E)", "push  de", "pop   de",
        "ld    (800E),de", "pop   de", "ld    (800C),de", "pop   de", "ld    (800A),de", "ret"},
       {}},
      {"three bytes", R, 0, 0, 3, false,
       {"ld    de,(800D)", "push  de", "ld    a,(800F)", "push  af", "pop   af", "ld    (800F),a", "pop   de",
        "ld    (800D),de", "ret"},
       {}},
      // Seven bytes and more are part of the frame and move as one block.
      {"seven bytes", Z, 0, 0, 7, true,
       {"exx", "ld    hl,FFF9", "add   hl,sp", "ld    sp,hl", "exx", "exx", "ld    hl,0000", "add   hl,sp", "ex    de,hl",
        "ld    hl,8009", "ld    bc,0007", "ldir", "exx", "exx", "ld    hl,0000", "add   hl,sp", "ld    de,8009",
        "ld    bc,0007", "ldir", "ld    hl,0007", "add   hl,sp", "ld    sp,hl", "exx", "ret"},
       {}},
      // Without the exit's exx the copy back runs in the other set, or the
      // value in HL would be lost.
      {"seven bytes with an IX frame", Z, kAttrUseIx, 0, 7, true,
       {"push  ix", "ld    ix,0000", "add   ix,sp", "exx", "ld    hl,FFF9", "add   hl,sp", "ld    sp,hl", "exx",
        "exx", "ld    hl,0000", "add   hl,sp", "ex    de,hl", "ld    hl,8009", "ld    bc,0007", "ldir", "exx", "exx",
        "ld    hl,0000", "add   hl,sp", "ld    de,8009", "ld    bc,0007", "ldir", "exx", "ld    sp,ix", "pop   ix",
        "ret"},
       {}},
  });
}

TEST_F(PrologEpilogTest, InterruptEntryPushesWhereTheReturnLands) {
  CheckFrames({
      {"reti", Z, InterruptBits(InterruptKind::kReti), 0, 0, false,
       {"push  af", "push  hl", "call  0000", "ld    hl,0000", "push  hl", "ret"}, {"entint."}},
      {"retn on the Z180", Z, InterruptBits(InterruptKind::kRetn), 0, 0, false,
       {"push  af", "push  hl", "call  0000", "ld    hl,0000", "push  hl", "ret"}, {"entint."}},
  });
  struct Kind {
    TargetCpu cpu;
    InterruptKind kind;
    const char *exit;
  };
  const Kind kinds[] = {{Z, InterruptKind::kReti, "lookup intr1"},
                        {Z, InterruptKind::kRet, "lookup intr2"},
                        {Z, InterruptKind::kRetn, "lookup intr3"},
                        // The Corvid has no retn.
                        {R, InterruptKind::kRetn, "lookup intr2"}};
  for (const Kind &k : kinds) {
    SetCpu(k.cpu);
    Attributes().current = InterruptBits(k.kind);
    upcalls->events.clear();
    { FunctionProlog prolog(0, 0); }
    EXPECT_EQ(upcalls->events, (std::vector<std::string>{"call entint.", k.exit}));
    // Where the ret lands is a routine with its contract too.
    EXPECT_NE(FindRoutineContract(std::string_view(k.exit).substr(std::string_view("lookup ").size())), nullptr);
    Emitted();
  }
}

} // namespace
} // namespace tsw
