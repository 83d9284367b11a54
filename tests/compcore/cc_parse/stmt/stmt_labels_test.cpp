#include "compcore/cc_parse/stmt/stmt_labels.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/codegen_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// Labels and gotos read from a line, on the byte road of a fresh compiler
// with the function's local tables; the jumps are decoded after the
// function's label table is closed.
class LabelTest : public CodegenTest {
protected:
  // Places a label from the text "name:" (the rest of the line stays).
  bool Label(const std::string &text) {
    Line(text);
    return TryCompileLabel();
  }
  // goto with the text after the keyword.
  uint16_t Goto(const std::string &text) {
    Line(text);
    return CompileGoto();
  }
  static void Statement() { EmitCodeByte(0x00); }
  static std::string Rest() { return InputCursor; }
};

TEST_F(LabelTest, GotosReachTheirLabelBackwardAndForward) {
  EXPECT_TRUE(Label("back: x = 1;"));
  EXPECT_EQ(Rest(), " x = 1;");
  Statement();
  EXPECT_EQ(Goto(" ahead;"), kStatementJumps);
  EXPECT_EQ(Goto("back ;"), kStatementJumps);
  EXPECT_TRUE(Label("ahead :"));
  EXPECT_TRUE(Label("ahead2:"));
  EXPECT_EQ(Goto("ahead2;"), kStatementJumps);
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), {"nop", "jp    1007", "jp    1000", "jp    1007"}));
  const SymbolRecord *ahead = LookupSymbol("ahead", false, SymbolTableId::kLocal);
  ASSERT_NE(ahead, nullptr);
  EXPECT_EQ(ahead->type, kTypeLabel);
  EXPECT_EQ(ahead->definition, 0);
  EXPECT_EQ(ahead->address, 0x1007u);
}

TEST_F(LabelTest, TextThatIsNoLabelIsLeftAsItWas) {
  for (const char *text : {"x = 1;", "x ? a : b;", "f(1);", "1: x;", ":"}) {
    EXPECT_FALSE(Label(text)) << text;
    EXPECT_EQ(Rest(), text);
  }
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_TRUE(Emitted().empty());
}

TEST_F(LabelTest, ALabelPlacedTwiceIsReportedOnceAndKeepsItsFirstPlace) {
  EXPECT_TRUE(Label("again:"));
  Statement();
  EXPECT_TRUE(Label("again:"));
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{491});
  Goto("again;");
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, Emitted(), {"nop", "jp    1000"}));
}

TEST_F(LabelTest, AGotoWithoutANameOrInAnEverytimeBlockIsReported) {
  EXPECT_EQ(Goto(" ;"), kStatementPlain);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{484});
  EXPECT_TRUE(Emitted().empty());
  sink.records.clear();
  InEverytimeBlock() = true;
  Label("there:");
  EXPECT_EQ(Goto("there;"), kStatementJumps);
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{2043});
  // The semicolon is expected after the name.
  sink.records.clear();
  InEverytimeBlock() = false;
  Goto("there");
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{2051});
}

} // namespace
} // namespace tsw::testing
