#include "compcore/codegen_fixture.h"

namespace tsw {
namespace {

using testing::CodegenTest;
using testing::DecodesAs;

TEST(CodegenUpcalls, WithoutAnInstalledLayerEveryCallIsAnInternalError) {
  SetCodegenUpcalls(nullptr);
  ValueRecord value;
  EXPECT_THROW(Upcalls().EmitCallNamedRoutine("c.not"), xInternal);
  EXPECT_THROW(Upcalls().EmitJumpNamedRoutine("_switch"), xInternal);
  EXPECT_THROW(Upcalls().LookupRoutineSymbol("c.not", 0, 0), xInternal);
  EXPECT_THROW(Upcalls().FlushPrimaryRegister(), xInternal);
  EXPECT_THROW(Upcalls().FlushPrimaryRegisterHolding(Reg::HL), xInternal);
  EXPECT_THROW(Upcalls().LoadOperandToValueRegister(value), xInternal);
  EXPECT_THROW(Upcalls().LoadOperandAddressIntoHL(value), xInternal);
  EXPECT_THROW(Upcalls().PopOperandToValueRegister(value), xInternal);
}

using CodegenUpcallsTest = CodegenTest;

TEST_F(CodegenUpcallsTest, TheRecordingLayerEmitsCallsAndJumpsThatDecode) {
  Upcalls().EmitCallNamedRoutine("c.not");
  Upcalls().EmitJumpNamedRoutine("_switch");
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), {"call  0000", "jp    0000"}));
  EXPECT_EQ(upcalls->routines, (std::vector<std::string>{"c.not", "_switch"}));
}

} // namespace
} // namespace tsw
