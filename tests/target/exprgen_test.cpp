#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <set>

#include "runner/exprgen.h"
#include "runner/program_check.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::kSdccStartup;
using tsw::testing::TempDir;

std::unique_ptr<ExprNode> Constant(ExprType type, int64_t number) {
  return MakeConstantNode({type, static_cast<uint32_t>(number)});
}

std::unique_ptr<ExprNode> Binary(const char *op, std::unique_ptr<ExprNode> left, std::unique_ptr<ExprNode> right) {
  std::vector<std::unique_ptr<ExprNode>> operands;
  operands.push_back(std::move(left));
  operands.push_back(std::move(right));
  return MakeOperatorNode(ExprNode::Kind::Binary, op, std::move(operands));
}

TEST(ExprEvaluationTest, FollowsCWithSixteenBitInt) {
  using T = ExprType;
  struct Case {
    const char *name;
    T leftType;
    int64_t left;
    const char *op;
    T rightType;
    int64_t right;
    const char *opAfter; // the operator kept: "^" where C leaves the result undefined
    T type;
    int64_t value;
  };
  const Case cases[] = {
      {"int meets unsigned as unsigned", T::Int, -1, "<", T::Unsigned, 1, "<", T::Int, 0},
      {"unsigned meets long as long", T::Long, -1, "<", T::Unsigned, 1, "<", T::Int, 1},
      {"long meets unsigned long as unsigned", T::Long, -1, "<", T::UnsignedLong, 1, "<", T::Int, 0},
      {"unsigned wraps", T::Unsigned, 65535, "+", T::Int, 1, "+", T::Unsigned, 0},
      {"unsigned product wraps", T::Unsigned, 300, "*", T::Unsigned, 300, "*", T::Unsigned, 24464},
      {"unsigned long product wraps", T::UnsignedLong, 0xFFFFFFFF, "*", T::UnsignedLong, 0xFFFFFFFF, "*",
       T::UnsignedLong, 1},
      {"division truncates", T::Int, -7, "/", T::Int, 2, "/", T::Int, -3},
      {"remainder takes the dividend's sign", T::Int, -7, "%", T::Int, 2, "%", T::Int, -1},
      {"arithmetic right shift", T::Int, -4, ">>", T::Int, 15, ">>", T::Int, -1},
      {"long shift by 16", T::Long, 1, "<<", T::Int, 16, "<<", T::Long, 65536},
      {"shift keeps the left type", T::Unsigned, 0x8001, "<<", T::Long, 1, "<<", T::Unsigned, 2},
      {"int overflow", T::Int, 32767, "+", T::Int, 1, "^", T::Int, 32766},
      {"long overflow", T::Long, 0x40000000, "*", T::Int, 2, "^", T::Long, 0x40000002},
      {"division by zero", T::Int, 5, "%", T::Int, 0, "^", T::Int, 5},
      {"most negative by minus one", T::Int, -32768, "/", T::Int, -1, "^", T::Int, 32767},
      {"shift by the width", T::Unsigned, 1, "<<", T::Int, 16, "^", T::Unsigned, 17},
      {"negative shift count", T::Long, 1, ">>", T::Int, -1, "^", T::Long, -2},
      {"left shift of a negative int", T::Int, -1, "<<", T::Int, 1, "^", T::Int, -2},
      {"left shift out of a signed long", T::Long, 3, "<<", T::Int, 30, "^", T::Long, 29},
      {"logical and of longs", T::Long, 0x10000, "&&", T::Int, 2, "&&", T::Int, 1},
  };
  for (const Case &c : cases) {
    auto node = Binary(c.op, Constant(c.leftType, c.left), Constant(c.rightType, c.right));
    EXPECT_EQ(node->op, c.opAfter) << c.name;
    EXPECT_EQ(node->value.type, c.type) << c.name;
    EXPECT_EQ(ExprNumber(node->value), c.value) << c.name;
  }
}

TEST(ExprEvaluationTest, UnaryConditionalAndCast) {
  std::vector<std::unique_ptr<ExprNode>> operands;
  operands.push_back(Constant(ExprType::Int, -32768));
  auto negated = MakeOperatorNode(ExprNode::Kind::Unary, "-", std::move(operands));
  EXPECT_EQ(negated->op, "~") << "the most negative int has no negation";
  EXPECT_EQ(ExprNumber(negated->value), 32767);

  operands.clear();
  operands.push_back(Constant(ExprType::Unsigned, 5));
  auto minus = MakeOperatorNode(ExprNode::Kind::Unary, "-", std::move(operands));
  EXPECT_EQ(ExprNumber(minus->value), 65531);

  operands.clear();
  operands.push_back(Constant(ExprType::Int, 0));
  operands.push_back(Constant(ExprType::Unsigned, 1));
  operands.push_back(Constant(ExprType::Int, -1));
  auto conditional = MakeOperatorNode(ExprNode::Kind::Conditional, "?:", std::move(operands));
  EXPECT_EQ(conditional->value.type, ExprType::Unsigned) << "the branches meet in their common type";
  EXPECT_EQ(ExprNumber(conditional->value), 65535);

  operands.clear();
  operands.push_back(Constant(ExprType::Long, 0x12348765));
  auto cast = MakeOperatorNode(ExprNode::Kind::Cast, "", std::move(operands), ExprType::Int);
  EXPECT_EQ(ExprNumber(cast->value), -30875);
}

TEST(ExprGeneratorTest, IsDeterministicAndBounded) {
  ExprLimits limits;
  limits.maxDepth = 3;
  std::string first = RenderExprProgram(GenerateExprProgram(7, limits));
  EXPECT_EQ(first, RenderExprProgram(GenerateExprProgram(7, limits)));
  EXPECT_NE(first, RenderExprProgram(GenerateExprProgram(8, limits)));
  // Depth 3 with masked shift counts nests at most two more brackets per
  // level than the operators themselves.
  for (uint64_t seed = 0; seed < 50; ++seed) {
    ExprProgram program = GenerateExprProgram(seed, limits);
    ASSERT_EQ(program.results.size(), size_t(limits.results));
    std::string text = RenderExprProgram(program);
    int depth = 0, deepest = 0;
    for (char c : text) {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      deepest = std::max(deepest, depth);
    }
    EXPECT_LE(deepest, 2 + 3 * limits.maxDepth) << text;
  }
}

bool HasOperator(const ExprNode &node, const std::string &op) {
  if (node.kind == ExprNode::Kind::Binary && node.op == op)
    return true;
  for (const auto &operand : node.operands)
    if (HasOperator(*operand, op))
      return true;
  return false;
}

// Every node left is a constant or leads to a division.
bool OnlyConstantsBesideDivisions(const ExprNode &node) {
  if (node.kind == ExprNode::Kind::Constant)
    return true;
  if (!HasOperator(node, "/"))
    return false;
  for (const auto &operand : node.operands)
    if (!OnlyConstantsBesideDivisions(*operand))
      return false;
  return true;
}

TEST(ExprGeneratorTest, MinimizesToOneResultOfConstantsButTheCulprit) {
  // A stand-in fault: the program fails while a division is left in it.
  auto stillFails = [](const ExprProgram &program) {
    for (const auto &result : program.results)
      if (HasOperator(*result, "/"))
        return true;
    return false;
  };
  ExprLimits limits;
  limits.maxDepth = 5;
  for (uint64_t seed = 0; seed < 20; ++seed) {
    ExprProgram program = GenerateExprProgram(seed, limits);
    for (size_t culprit = 0; culprit < program.results.size(); ++culprit) {
      if (!HasOperator(*program.results[culprit], "/"))
        continue;
      ExprProgram smallest = MinimizeExprProgram(program, culprit, stillFails);
      ASSERT_EQ(smallest.results.size(), 1u);
      EXPECT_TRUE(stillFails(smallest));
      EXPECT_TRUE(OnlyConstantsBesideDivisions(*smallest.results[0])) << RenderExprProgram(smallest);
      EXPECT_EQ(smallest.results[0]->value.bits, program.results[culprit]->value.bits);
      EXPECT_EQ(smallest.results[0]->value.type, program.results[culprit]->value.type);
    }
  }
}

TEST(ExprGeneratorTest, KeepsEveryResultWhenOneAloneDoesNotFail) {
  ExprProgram program = GenerateExprProgram(3);
  ExprProgram kept = MinimizeExprProgram(program, 0, [](const ExprProgram &p) { return p.results.size() > 1; });
  EXPECT_EQ(RenderExprProgram(kept), RenderExprProgram(program));
}

// Seeds whose programs SDCC gets wrong, each result checked by hand (and
// built right by our compiler); a result SDCC gets right again is to be
// dropped from here. No results listed: SDCC cannot build the program.
struct SdccFault {
  uint64_t seed;
  std::set<size_t> results;
  const char *reason;
};

constexpr const char *kComparesAsSigned = "it compares a signed and an unsigned operand as two signed values";
constexpr const char *kConditionalType = "it gives a conditional of mixed types the type of one branch";
constexpr const char *kTruthType = "it gives a comparison's or logical operator's 0/1 a type of its own, not int";
constexpr const char *kLongArithmetic = "its unsigned long arithmetic on mixed operands loses or shifts bits";

const SdccFault kSdccFaults[] = {
    {32, {1, 2}, kComparesAsSigned},
    {40, {4}, "it divides by a conditional of a long and an unsigned long as signed"},
    {50, {4}, kLongArithmetic},
    {60, {5}, kComparesAsSigned},
    {74, {2}, kComparesAsSigned},
    {83, {0}, kTruthType},
    {101, {0}, kLongArithmetic},
    {105, {0}, kLongArithmetic},
    {110, {4}, kConditionalType},
    {114, {5}, kComparesAsSigned},
    {122, {3}, kComparesAsSigned},
    {123, {5}, kComparesAsSigned},
    {125, {}, "it stops with an internal error of its code generator"},
    {130, {2}, kComparesAsSigned},
    {139, {2}, kTruthType},
    {143, {5}, kComparesAsSigned},
    {147, {0}, kComparesAsSigned},
    {159, {5}, kConditionalType},
    {161, {1}, kComparesAsSigned},
    {179, {1}, kTruthType},
    {187, {0}, kComparesAsSigned},
    {188, {5}, kComparesAsSigned},
    {194, {3}, kConditionalType},
    {209, {0}, kComparesAsSigned},
    {233, {1}, "it divides an unsigned long by a long as signed"},
    {235, {1}, kComparesAsSigned},
    {245, {5}, kLongArithmetic},
    {260, {2}, "it shifts in the type of the count (an unsigned long conditional)"},
    {264, {1}, kComparesAsSigned},
    {277, {2}, "its unsigned long remainder of -1L by an unsigned long is wrong"},
    {278, {0}, kComparesAsSigned},
    {285, {4}, kComparesAsSigned},
    {287, {0}, kLongArithmetic},
    {297, {5}, kLongArithmetic},
    {298, {4}, kLongArithmetic},
    {299, {2}, kComparesAsSigned},
    {301, {5}, kConditionalType},
    {305, {4}, kConditionalType},
    {309, {4}, "it compares an int with an unsigned long constant as two signed 16-bit values"},
    {338, {0, 4}, kComparesAsSigned},
    {362, {4}, kComparesAsSigned},
    {363, {3}, kComparesAsSigned},
    {366, {0}, kLongArithmetic},
    {369, {3}, kLongArithmetic},
    {372, {2}, kComparesAsSigned},
    {386, {0}, "it shifts an unsigned shifted by a long count as signed"},
};

const SdccFault *FindSdccFault(uint64_t seed) {
  for (const SdccFault &fault : kSdccFaults)
    if (fault.seed == seed)
      return &fault;
  return nullptr;
}

// Generated programs run on the oracle must give the values worked out by the
// generator: this proves the generator's arithmetic and SDCC's against each
// other. Where SDCC is known wrong, it must still be wrong in those results
// only.
class GeneratedProgramTest : public ::testing::TestWithParam<uint64_t> {};

TEST_P(GeneratedProgramTest, AgreesOnTheOracle) {
  TempDir dir;
  std::string source = dir.Write("expr.c", RenderExprProgram(GenerateExprProgram(GetParam())));
  std::vector<std::string> problems = CheckProgramWithSdcc(source, kSdccStartup, dir.path());
  const SdccFault *fault = FindSdccFault(GetParam());
  if (!fault) {
    for (const std::string &problem : problems)
      ADD_FAILURE() << problem << "\n" << dir.Read("expr.c");
    return;
  }
  const std::set<size_t> wrong = ResultsWithWrongValues(problems);
  if (fault->results.empty())
    EXPECT_TRUE(wrong.empty() && !problems.empty()) << "SDCC builds it now: " << fault->reason;
  else
    EXPECT_EQ(wrong, fault->results) << fault->reason << "\n" << dir.Read("expr.c");
}

// Our compiler's build of the same programs must give the generator's
// values, SDCC's faults aside.
TEST_P(GeneratedProgramTest, OurCompilerGivesTheGeneratorsValues) {
  TempDir dir;
  std::string source = dir.Write("expr.c", RenderExprProgram(GenerateExprProgram(GetParam())));
  TswccBuildRequest request = testing::OurBuildRequest();
  request.outputDir = dir / "tswcc";
  std::filesystem::create_directories(request.outputDir);
  for (const std::string &problem : CheckProgramWithTswcc(source, request))
    ADD_FAILURE() << problem << "\n" << dir.Read("expr.c");
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedProgramTest, ::testing::Range<uint64_t>(1, 401));

} // namespace
} // namespace tsw::target
