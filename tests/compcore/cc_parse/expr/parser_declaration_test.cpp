#include "compcore/parser_fixture.h"

#include <gtest/gtest.h>

namespace tsw::test {
namespace {

std::string Join(const std::vector<std::string> &lines) {
  std::string out;
  for (const std::string &line : lines)
    out += (out.empty() ? "" : "; ") + line;
  return out;
}

// A type name is parsed as the operand of sizeof, whose node then holds one
// leaf per token of the type name.
struct TypeNameCase {
  const char *typeName;
  const char *tree; // nullptr: no tree
  const char *calls;
};

class TypeNameTest : public ::testing::TestWithParam<TypeNameCase> {};

TEST_P(TypeNameTest, GivesTheTokensAndTellsTheHooks) {
  RecordingHooks hooks;
  CapturedOutput output;
  StringParserBlackBox box(hooks, &output);
  std::string text = std::string("sizeof(") + GetParam().typeName + "))";
  AST *tree = box.RunExpressionParser(text.c_str());
  if (GetParam().tree) {
    ASSERT_NE(tree, nullptr) << output.text;
    EXPECT_EQ(Dump(tree), std::string("SIZEOF(") + GetParam().tree + ") RPARENTHESIS");
  } else {
    EXPECT_EQ(tree, nullptr);
  }
  EXPECT_EQ(Join(hooks.calls), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, TypeNameTest,
    ::testing::Values(
        TypeNameCase{"unsigned char", "UNSIGNED PCCTS_CHAR", "spec 0 0 258"},
        TypeNameCase{"const const int", nullptr, "spec 0 1 8"},
        TypeNameCase{"int int", nullptr, "spec 0 0 8"},
        TypeNameCase{"long double", "PCCTS_LONG PCCTS_DOUBLE", "spec 0 0 80"},
        TypeNameCase{"struct S", "STRUCT S", "spec 0 0 1024"},
        TypeNameCase{"struct S { int a; }", "STRUCT S LCURLYBRACE PCCTS_INT a SEMICOLON RCURLYBRACE",
                     "body 1024 S; spec 0 0 8; name a; spec 0 0 1024"},
        TypeNameCase{"union { int a; }", "UNION LCURLYBRACE PCCTS_INT a SEMICOLON RCURLYBRACE",
                     "body 4096 anonymous; spec 0 0 8; name a; spec 0 0 4096"},
        TypeNameCase{"struct S { }", nullptr, "body 1024 S"},
        TypeNameCase{"enum E {A,B,}", nullptr, ""},
        TypeNameCase{"enum { A = 1, B }",
                     "ENUM LCURLYBRACE A ASSIGNEQUAL 1 COMMA B RCURLYBRACE", "spec 0 0 2048"},
        TypeNameCase{"int (*)(int, char)",
                     "PCCTS_INT LPARENTHESIS STAR RPARENTHESIS LPARENTHESIS PCCTS_INT COMMA PCCTS_CHAR RPARENTHESIS",
                     "spec 0 0 8; ptr 0; params; param; spec 0 0 8; param; spec 0 0 2"},
        TypeNameCase{"int (*)(int, ...)",
                     "PCCTS_INT LPARENTHESIS STAR RPARENTHESIS LPARENTHESIS PCCTS_INT COMMA ELLIPSIS RPARENTHESIS",
                     "spec 0 0 8; ptr 0; params; param; spec 0 0 8"},
        TypeNameCase{"int (*)[4]",
                     "PCCTS_INT LPARENTHESIS STAR RPARENTHESIS LSQUAREBRACKET 4 RSQUAREBRACKET",
                     "spec 0 0 8; ptr 0; array"},
        TypeNameCase{"int (*)", nullptr, "spec 0 0 8; ptr 0"},
        TypeNameCase{"char * const *", "PCCTS_CHAR STAR PCCTS_CONST STAR",
                     "spec 0 0 2; ptr 0; ptr 1"},
        TypeNameCase{"int (*)(int (x))",
                     "PCCTS_INT LPARENTHESIS STAR RPARENTHESIS LPARENTHESIS PCCTS_INT LPARENTHESIS x "
                     "RPARENTHESIS RPARENTHESIS",
                     "spec 0 0 8; ptr 0; params; param; spec 0 0 8; name x"},
        // Every name is a type name: "int a" before "," combines int with a
        // typedef name, which is refused.
        TypeNameCase{"int (*)(register int a, static b)", nullptr,
                     "spec 0 0 8; ptr 0; params; param; spec 2 0 8; param; spec 3 0 512"}));

// combineTypeSpecifiers, pair by pair: what it gives and whether it refused.
struct CombineCase {
  int have;
  int add;
  int result;
  bool refused;
};

class CombineTest : public ::testing::TestWithParam<CombineCase> {};

TEST_P(CombineTest, AcceptsOnlyCompatibleSpecifiers) {
  RecordingHooks hooks;
  CapturedOutput output;
  StringParserBlackBox box(hooks, &output);
  box.RunExpressionParser("x)");
  ANTLRTokenPtr token = box.parser().LT(1);
  EXPECT_EQ(box.parser().combineTypeSpecifiers(GetParam().have, GetParam().add, token),
            GetParam().result);
  EXPECT_EQ(box.parser().syntaxErrors(), GetParam().refused ? 1 : 0);
  EXPECT_EQ(output.text.find("multiple incompatible type specifiers") != std::string::npos,
            GetParam().refused);
}

using P = CParser;
INSTANTIATE_TEST_SUITE_P(
    Pairs, CombineTest,
    ::testing::Values(CombineCase{0, P::kInt, P::kInt, false},
                      CombineCase{P::kLong, P::kDouble, P::kLong | P::kDouble, false},
                      CombineCase{P::kDouble, P::kLong, P::kDouble | P::kLong, false},
                      CombineCase{P::kDouble | P::kLong, P::kLong, P::kDouble | P::kLong, true},
                      CombineCase{P::kUnsigned, P::kChar, P::kUnsigned | P::kChar, false},
                      CombineCase{P::kChar, P::kUnsigned, P::kChar | P::kUnsigned, false},
                      CombineCase{P::kChar, P::kShort, P::kChar, true},
                      CombineCase{P::kInt, P::kVoid, P::kInt, true},
                      CombineCase{P::kVoid, P::kInt, P::kVoid, true},
                      CombineCase{P::kShort, P::kInt, P::kShort | P::kInt, false},
                      CombineCase{P::kInt, P::kLong, P::kInt | P::kLong, false},
                      CombineCase{P::kLong, P::kLong, P::kLong, true},
                      CombineCase{P::kShort, P::kLong, P::kShort, true},
                      CombineCase{P::kFloat, P::kDouble, P::kFloat, true},
                      CombineCase{P::kUnsigned, P::kSigned, P::kUnsigned, true},
                      CombineCase{P::kStruct, P::kInt, P::kStruct, true}));

TEST(ParserHooks, ACastOfANameThatIsNoTypeNameIsRefused) {
  RecordingHooks hooks;
  hooks.typeNames = false;
  StringParserBlackBox box(hooks);
  EXPECT_EQ(box.RunExpressionParser("(x) + 1)"), nullptr);
}

} // namespace
} // namespace tsw::test
