#include "compcore/codegen_fixture.h"

#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_stab/cc_bios.h"

namespace tsw::testing {

constexpr ADDR24 kBiosRoutine = MakeAddr24(0, 0x0345);

namespace {

constexpr ADDR24 kLibraryRoutine = MakeAddr24(0, 0x2468);

enum class Known { kNowhere, kBios, kDefinedLabel, kLabelDefinedLater };

struct NamedCase {
  const char *what;
  TargetCpu cpu;
  bool jump;
  Known known;
  std::vector<std::string> listing;
};

class RoutineCallTest : public CodegenTest {};

// The name goes to the BIOS with its dots and to the label tables with
// underscores; a routine placed later is patched into the emitted call.
TEST_F(RoutineCallTest, NamedCallsAndJumpsReachTheRoutine) {
  const NamedCase cases[] = {
      {"bios routine", TargetCpu::Z180, false, Known::kBios, {"call  0345"}},
      {"bios routine, corvid", TargetCpu::Corvid, false, Known::kBios, {"call  0345"}},
      {"library label", TargetCpu::Z180, false, Known::kDefinedLabel, {"call  2468"}},
      {"label placed later", TargetCpu::Z180, false, Known::kLabelDefinedLater, {"call  2468"}},
      // A call whose target is not yet known keeps room for a page byte.
      {"label placed later, corvid", TargetCpu::Corvid, false, Known::kLabelDefinedLater, {"call  2468", "nop"}},
      {"jump to bios routine", TargetCpu::Z180, true, Known::kBios, {"jp    0345"}},
      {"jump to label placed later", TargetCpu::Corvid, true, Known::kLabelDefinedLater, {"jp    2468"}},
      {"unknown routine keeps its placeholder", TargetCpu::Z180, false, Known::kNowhere, {"call  0000"}},
  };
  for (const NamedCase &c : cases) {
    SCOPED_TRACE(c.what);
    SelectTargetCpu(c.cpu);
    ClearBiosSymbols();
    ResetFixupTables(kResetFinal);
    if (c.known == Known::kBios)
      AddBiosSymbol("L.add", kBiosRoutine);
    if (c.known == Known::kDefinedLabel)
      DefineLabel("L_add", Addr24ToLong(kLibraryRoutine), kFixGlobal);
    if (c.jump)
      EmitJumpNamedRoutine("L.add");
    else
      EmitCallNamedRoutine("L.add");
    if (c.known == Known::kLabelDefinedLater) {
      ASSERT_NE(FindGlobalLabel("L_add"), nullptr);
      EXPECT_EQ(FindGlobalLabel("L_add")->pending.size(), 1u);
      DefineLabel("L_add", Addr24ToLong(kLibraryRoutine), kFixGlobal);
    }
    // The dotted name is never a label.
    EXPECT_EQ(FindGlobalLabel("L.add"), nullptr);
    EXPECT_TRUE(DecodesAs(c.cpu, Emitted(), c.listing));
  }
}

TEST_F(RoutineCallTest, ACallFlushesTheCachedOperandFirstAndAJumpDoesNot) {
  SelectTargetCpu(TargetCpu::Z180);
  AddBiosSymbol("c.mult", kBiosRoutine);
  EmitCallNamedRoutine("c.mult");
  EmitJumpNamedRoutine("c.mult");
  EXPECT_EQ(upcalls->events, (std::vector<std::string>{"flush"}));
}

// The single-stepper asks by name while nothing is being compiled: it must
// not leave a reference behind.
TEST_F(RoutineCallTest, FindingARoutineRecordsNothing) {
  struct Case {
    const char *what;
    Known known;
    uint32_t expected;
  } cases[] = {
      {"unknown", Known::kNowhere, 0},
      {"bios", Known::kBios, Addr24ToLong(kBiosRoutine)},
      {"label", Known::kDefinedLabel, Addr24ToLong(kLibraryRoutine)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ClearBiosSymbols();
    ResetFixupTables(kResetFinal);
    if (c.known == Known::kBios)
      AddBiosSymbol("_switch", kBiosRoutine);
    if (c.known == Known::kDefinedLabel)
      DefineLabel("_switch", Addr24ToLong(kLibraryRoutine), kFixGlobal);
    EXPECT_EQ(Addr24ToLong(FindRuntimeRoutine("_switch")), c.expected);
    if (c.known == Known::kNowhere) {
      EXPECT_EQ(FindGlobalLabel("_switch"), nullptr);
    }
    EXPECT_TRUE(PendingLabelList().empty());
  }
}

TEST_F(RoutineCallTest, LabelNamesReplaceEveryDot) {
  const std::pair<const char *, const char *> cases[] = {
      {"L.add", "L_add"}, {"I..L", "I__L"}, {"Hi.Bl", "Hi_Bl"}, {"_switch", "_switch"}, {"llong.s", "llong_s"}};
  for (const auto &[name, label] : cases)
    EXPECT_EQ(RoutineLabelName(name), label) << name;
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// The compiler's own assembly puts the code generator's layer in place of
// the default that fails every request of instruction emission.
class AssembledUpcallsTest : public ByteRoadTest {};

TEST_F(AssembledUpcallsTest, ResetCompilerInstallsTheNamedCalls) {
  Origin("code 0 0x1000 0x1000 apply", Caches().rootCode);
  Caches().currentCode = Caches().rootCode;
  SelectTargetCpu(TargetCpu::Z180);
  AddBiosSymbol("c.mult", kBiosRoutine);
  writer.runs.clear();
  EXPECT_NO_THROW(Upcalls().EmitCallNamedRoutine("c.mult"));
  EXPECT_NO_THROW(Upcalls().FlushPrimaryRegister());
  Caches().currentCode->Flush();
  ASSERT_EQ(writer.runs.size(), 1u);
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, writer.runs[0].bytes, {"call  0345"}));
}

} // namespace
} // namespace tsw::testing
