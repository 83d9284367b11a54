#include "compcore/parser_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace tsw::test {
namespace {

// A parse that failed leaves nothing behind for the next one on the same
// parser: valid text parses as it would on a fresh one.
TEST(ParserRepairs, AFailedParseLeavesNoTokensForTheNext) {
  const char *failing[] = {"(b))", "(a(b)", "a b c)", "((("};
  RecordingHooks freshHooks;
  StringParserBlackBox fresh(freshHooks);
  const std::string expected = Dump(fresh.RunExpressionParser("x + 1)"));
  for (const char *text : failing) {
    RecordingHooks hooks;
    StringParserBlackBox box(hooks);
    box.RunExpressionParser(text);
    AST *tree = box.RunExpressionParser("x + 1)");
    ASSERT_NE(tree, nullptr) << "after " << text;
    EXPECT_EQ(Dump(tree), expected) << "after " << text;
  }
}

} // namespace
} // namespace tsw::test
