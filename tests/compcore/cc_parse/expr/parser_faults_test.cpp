#include "compcore/parser_fixture.h"
#include "DLGLexer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "foundation/xerr.h"

namespace tsw::test {
namespace {

// The support library's panics end the program; ours must throw instead.
TEST(ParserFaults, PanicsThrowInsteadOfLeavingTheProgram) {
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  EXPECT_THROW(box.parser().panic("test"), xInternal);
  // A lexer with no token to fill panics, and its panic reaches the parser's.
  box.lexer().setToken(nullptr);
  DLGStringInput input("a)");
  box.lexer().setInputStream(&input);
  EXPECT_THROW(box.lexer().getToken(), xInternal);
}

TEST(ParserFaults, NodesOfFailedParsesAreFreedWithTheBox) {
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  // Most statements fail this grammar: the nodes made on the way are kept
  // by the box, not lost (a LeakSanitizer run checks they are freed).
  EXPECT_EQ(box.RunExpressionParser("a = b + c * d])"), nullptr);
  EXPECT_GT(box.nodeCount(), 0u);
}

class ThrowingHooks : public RecordingHooks {
public:
  void setDeclarationSpecifiers(uint32_t, uint32_t, uint32_t) override {
    throw std::runtime_error("stop at first error");
  }
};

TEST(ParserFaults, AnExceptionThroughTheParseReleasesTheBox) {
  ThrowingHooks hooks;
  EXPECT_THROW(
      {
        StringParserBlackBox box(hooks);
        box.RunExpressionParser("a + sizeof(int) * b)");
      },
      std::runtime_error);
  // Nothing of the failed box is left installed: a new parse works.
  RecordingHooks quiet;
  StringParserBlackBox box(quiet);
  ASSERT_NE(box.RunExpressionParser("a)"), nullptr);
}

TEST(ParserFaults, TextsGoToTheOutputNotToTheConsole) {
  RecordingHooks hooks;
  CapturedOutput output;
  StringParserBlackBox box(hooks, &output);
  // A lexical error is reported but does not fail the parse: "b" is lost.
  AST *tree = box.RunExpressionParser("sizeof(int (*)(void)) + a..b)");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(Dump(tree).substr(0, 6), "PLUS(S");
  EXPECT_NE(output.text.find("parameter scope:\n"), std::string::npos);
  EXPECT_NE(output.text.find("invalid token"), std::string::npos);
  output.text.clear();
  EXPECT_EQ(box.RunExpressionParser("sizeof(const const int))"), nullptr);
  EXPECT_EQ(output.text, "line 1: multiple type qualifier before 'int'\n");
}

TEST(ParserFaults, WithoutOutputTheTextsAreDropped) {
  RecordingHooks hooks;
  StringParserBlackBox box(hooks);
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  box.RunExpressionParser("sizeof(int (*)(void)) + a..b)");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

} // namespace
} // namespace tsw::test
