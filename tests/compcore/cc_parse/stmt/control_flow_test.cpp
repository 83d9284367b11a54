#include "compcore/cc_parse/stmt/control_flow.h"

#include "compcore/codegen_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// The jumps out of loops and switches, on the byte road of a fresh
// compiler; the code they emit is decoded.
class ControlJumpTest : public CodegenTest {
protected:
  static void Enter(const std::vector<ControlContext> &contexts) {
    for (const ControlContext &c : contexts)
      EnterControlContext(c);
  }
};

TEST_F(ControlJumpTest, BreakAndContinueReachTheNearestContextThatTakesThem) {
  struct Case {
    const char *what;
    std::vector<ControlContext> contexts;
    JumpKind kind;
    uint16_t result;
    std::vector<std::string> code;
    std::vector<unsigned> messages;
  } cases[] = {
      {"break in a loop", {kLoopContext}, JumpKind::kBreak, kStatementJumps, {"jp    0000"}, {}},
      {"continue in a loop", {kLoopContext}, JumpKind::kContinue, kStatementJumps, {"jp    0000"}, {}},
      {"break in a switch", {kSwitchContext}, JumpKind::kBreak, kStatementJumps, {"jp    0000"}, {}},
      {"continue in a switch in a loop", {kLoopContext, kSwitchContext}, JumpKind::kContinue, kStatementJumps,
       {"jp    0000"}, {}},
      // A switch is a statement to be in, so nothing is wrong, but there
      // is no loop to continue.
      {"continue in a switch in no loop", {kSwitchContext}, JumpKind::kContinue, kStatementPlain, {}, {}},
      {"break outside everything", {}, JumpKind::kBreak, kStatementPlain, {}, {495}},
      {"continue outside everything", {}, JumpKind::kContinue, kStatementPlain, {}, {495}},
  };
  for (const Case &c : cases) {
    ResetControlFlowModule();
    sink.records.clear();
    Enter(c.contexts);
    EXPECT_EQ(CompileBreakContinue(c.kind), c.result) << c.what;
    EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), c.code)) << c.what;
    EXPECT_EQ(sink.Messages(), c.messages) << c.what;
    EXPECT_EQ(OpenJumpCount(c.kind), c.code.size()) << c.what;
  }
}

TEST_F(ControlJumpTest, EachLoopPatchesOnlyTheJumpsEnteredInsideIt) {
  EnterControlContext(kLoopContext);
  const JumpListMarks outer = NoteJumpLists();
  CompileBreakContinue(JumpKind::kBreak); // 1000
  EnterControlContext(kLoopContext);
  const JumpListMarks inner = NoteJumpLists();
  CompileBreakContinue(JumpKind::kBreak);    // 1003
  CompileBreakContinue(JumpKind::kContinue); // 1006
  PatchJumpList(JumpKind::kBreak, inner, MakeAddr24(0, 0x1234));
  PatchJumpList(JumpKind::kContinue, inner, MakeAddr24(0, 0x1111));
  LeaveControlContext();
  EXPECT_EQ(OpenJumpCount(JumpKind::kBreak), 1u);
  EXPECT_EQ(OpenJumpCount(JumpKind::kContinue), 0u);
  PatchJumpList(JumpKind::kBreak, outer, MakeAddr24(0, 0x2000));
  LeaveControlContext();
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), {"jp    2000", "jp    1234", "jp    1111"}));
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(ControlJumpTest, AContextPastTheLimitIsRefusedAndItsLeaveKeepsTheEnclosingOne) {
  for (size_t i = 1; i < kMaxControlContexts; ++i)
    EnterControlContext(kLoopContext);
  EnterControlContext(kSwitchContext); // the last that fits
  EnterControlContext(kLoopContext);   // refused and reported
  EnterControlContext(kLoopContext);   // refused inside the refused one
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{612});
  LeaveControlContext();
  LeaveControlContext();
  sink.records.clear();
  // The switch is in force again, and a continue in it goes to the loops
  // around it.
  EXPECT_EQ(CompileBreakContinue(JumpKind::kContinue), kStatementJumps);
  LeaveControlContext();
  for (size_t i = 1; i < kMaxControlContexts; ++i)
    LeaveControlContext();
  EXPECT_TRUE(sink.Messages().empty());
  LeaveControlContext();
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{495});
}

TEST_F(ControlJumpTest, AFullJumpListReportsAndEmitsNothing) {
  EnterControlContext(kLoopContext);
  for (size_t i = 0; i < kJumpListCapacity; ++i)
    CompileBreakContinue(JumpKind::kBreak);
  Emitted();
  EXPECT_EQ(CompileBreakContinue(JumpKind::kBreak), kStatementPlain);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{609});
  EXPECT_TRUE(Emitted().empty());
  EXPECT_EQ(OpenJumpCount(JumpKind::kBreak), kJumpListCapacity);
  // The other list has its own room.
  EXPECT_EQ(CompileBreakContinue(JumpKind::kContinue), kStatementJumps);
}

TEST_F(ControlJumpTest, AStatementCompiledAgainFindsTheListsAsItBeganThem) {
  EnterControlContext(kLoopContext);
  CompileBreakContinue(JumpKind::kBreak);
  SaveCodeState(1);
  CompileBreakContinue(JumpKind::kBreak);
  EnterControlContext(kSwitchContext);
  RestoreCodeState();
  EXPECT_EQ(OpenJumpCount(JumpKind::kBreak), 1u);
  // The switch entered by the rolled-back statement is gone too: the loop
  // takes the continue.
  EXPECT_EQ(CompileBreakContinue(JumpKind::kContinue), kStatementJumps);
  DropCodeState();
}

// A for whose test would go behind the body needs a source to read its
// condition again from; without one it is compiled with the test ahead.
TEST_F(ControlJumpTest, AForWithoutASourceToReadAgainIsReportedAndStillCompiled) {
  ResetLineSourcesModule();
  Line("(;;) ;");
  EXPECT_EQ(CompileFor(), kStatementPlain);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{663});
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), {"jp    1000"}));
  EXPECT_EQ(std::string(InputCursor), "");
}

} // namespace
} // namespace tsw::testing
