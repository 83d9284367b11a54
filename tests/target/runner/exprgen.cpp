#include "runner/exprgen.h"

#include <fmt/format.h>

#include <optional>
#include <random>

namespace tsw::target {
namespace {

constexpr const char *kBinaryOperators[] = {"+", "-", "*",  "/", "%",  "<<", ">>", "&",  "|",
                                            "^", "<", "<=", ">", ">=", "==", "!=", "&&", "||"};
constexpr const char *kUnaryOperators[] = {"-", "~", "!"};
constexpr ExprType kTypes[] = {ExprType::Int, ExprType::Unsigned, ExprType::Long, ExprType::UnsignedLong};

bool IsSigned(ExprType type) { return type == ExprType::Int || type == ExprType::Long; }
int Width(ExprType type) { return type == ExprType::Int || type == ExprType::Unsigned ? 16 : 32; }
uint64_t Mask(ExprType type) { return (uint64_t{1} << Width(type)) - 1; }
int64_t MinOf(ExprType type) { return IsSigned(type) ? -(int64_t{1} << (Width(type) - 1)) : 0; }
int64_t MaxOf(ExprType type) { return IsSigned(type) ? (int64_t{1} << (Width(type) - 1)) - 1 : int64_t(Mask(type)); }

ExprValue FromNumber(ExprType type, int64_t number) {
  return {type, static_cast<uint32_t>(static_cast<uint64_t>(number) & Mask(type))};
}

ExprValue Convert(const ExprValue &value, ExprType to) { return FromNumber(to, ExprNumber(value)); }

// The usual arithmetic conversions where int has 16 bits and long 32: a long
// holds every unsigned int, so unsigned meets long as long.
ExprType CommonType(ExprType a, ExprType b) {
  if (a == ExprType::UnsignedLong || b == ExprType::UnsignedLong)
    return ExprType::UnsignedLong;
  if (a == ExprType::Long || b == ExprType::Long)
    return ExprType::Long;
  if (a == ExprType::Unsigned || b == ExprType::Unsigned)
    return ExprType::Unsigned;
  return ExprType::Int;
}

bool IsComparison(const std::string &op) {
  return op == "<" || op == "<=" || op == ">" || op == ">=" || op == "==" || op == "!=";
}

// The value of a binary operation, or nothing where C leaves it undefined.
std::optional<ExprValue> EvaluateBinary(const std::string &op, const ExprValue &left, const ExprValue &right) {
  if (op == "&&")
    return ExprValue{ExprType::Int, left.bits != 0 && right.bits != 0};
  if (op == "||")
    return ExprValue{ExprType::Int, left.bits != 0 || right.bits != 0};
  if (op == "<<" || op == ">>") {
    int64_t count = ExprNumber(right);
    int64_t number = ExprNumber(left);
    if (count < 0 || count >= Width(left.type))
      return std::nullopt;
    if (op == ">>")
      return FromNumber(left.type, IsSigned(left.type) ? number >> count : int64_t(uint64_t(number) >> count));
    if (IsSigned(left.type) && (number < 0 || (number << count) > MaxOf(left.type)))
      return std::nullopt;
    return FromNumber(left.type, int64_t(uint64_t(number) << count));
  }
  ExprType type = CommonType(left.type, right.type);
  int64_t a = ExprNumber(Convert(left, type));
  int64_t b = ExprNumber(Convert(right, type));
  if (IsComparison(op)) {
    bool truth = op == "<"    ? a < b
                 : op == "<=" ? a <= b
                 : op == ">"  ? a > b
                 : op == ">=" ? a >= b
                 : op == "==" ? a == b
                              : a != b;
    return ExprValue{ExprType::Int, truth};
  }
  if (op == "&")
    return FromNumber(type, a & b);
  if (op == "|")
    return FromNumber(type, a | b);
  if (op == "^")
    return FromNumber(type, a ^ b);
  if (op == "/" || op == "%") {
    if (b == 0 || (IsSigned(type) && a == MinOf(type) && b == -1))
      return std::nullopt;
    return FromNumber(type, op == "/" ? a / b : a % b);
  }
  // + - *: exact for signed operands (at most 32 bits each), modular for
  // unsigned ones, whose product may not fit 64 signed bits.
  int64_t exact = 0;
  if (IsSigned(type)) {
    exact = op == "+" ? a + b : op == "-" ? a - b : a * b;
    if (exact < MinOf(type) || exact > MaxOf(type))
      return std::nullopt;
    return FromNumber(type, exact);
  }
  uint64_t ua = uint64_t(a), ub = uint64_t(b);
  return FromNumber(type, int64_t(op == "+" ? ua + ub : op == "-" ? ua - ub : ua * ub));
}

std::unique_ptr<ExprNode> Clone(const ExprNode &node) {
  auto copy = std::make_unique<ExprNode>();
  copy->kind = node.kind;
  copy->op = node.op;
  copy->global = node.global;
  copy->value = node.value;
  for (const auto &operand : node.operands)
    copy->operands.push_back(Clone(*operand));
  return copy;
}

const char *TypeName(ExprType type) {
  switch (type) {
  case ExprType::Int: return "int";
  case ExprType::Unsigned: return "unsigned";
  case ExprType::Long: return "long";
  case ExprType::UnsignedLong: return "unsigned long";
  }
  return "int";
}

// A constant of its exact type: the suffix fixes unsigned and long, and the
// most negative values are written as a difference, their magnitude being
// no constant of the type.
std::string ConstantText(const ExprValue &value) {
  int64_t number = ExprNumber(value);
  switch (value.type) {
  case ExprType::Int:
    if (number == MinOf(ExprType::Int))
      return "(-32767-1)";
    return number < 0 ? fmt::format("(-{})", -number) : fmt::format("{}", number);
  case ExprType::Unsigned: return fmt::format("{}u", number);
  case ExprType::Long:
    if (number == MinOf(ExprType::Long))
      return "(-2147483647L-1)";
    return number < 0 ? fmt::format("(-{}L)", -number) : fmt::format("{}L", number);
  case ExprType::UnsignedLong: return fmt::format("{}UL", number);
  }
  return {};
}

std::string ExpressionText(const ExprNode &node) {
  switch (node.kind) {
  case ExprNode::Kind::Constant: return ConstantText(node.value);
  case ExprNode::Kind::Global: return fmt::format("g{}", node.global);
  case ExprNode::Kind::Unary: return fmt::format("({}{})", node.op, ExpressionText(*node.operands[0]));
  case ExprNode::Kind::Binary:
    return fmt::format("({} {} {})", ExpressionText(*node.operands[0]), node.op, ExpressionText(*node.operands[1]));
  case ExprNode::Kind::Conditional:
    return fmt::format("({} ? {} : {})", ExpressionText(*node.operands[0]), ExpressionText(*node.operands[1]),
                       ExpressionText(*node.operands[2]));
  case ExprNode::Kind::Cast:
    return fmt::format("(({}){})", TypeName(node.value.type), ExpressionText(*node.operands[0]));
  }
  return {};
}

std::string ValueText(const ExprValue &value) { return fmt::format("{}", ExprNumber(value)); }

class Generator {
public:
  Generator(uint64_t seed, const ExprLimits &limits) : random_(seed), limits_(limits) {}

  ExprProgram Generate() {
    for (int i = 0; i < limits_.globals; ++i)
      program_.globals.push_back(RandomValue(RandomType()));
    for (int i = 0; i < limits_.results; ++i)
      program_.results.push_back(Expression(limits_.maxDepth));
    return std::move(program_);
  }

private:
  uint64_t Below(uint64_t n) { return random_() % n; }
  ExprType RandomType() { return kTypes[Below(std::size(kTypes))]; }

  // Mostly the values where arithmetic goes wrong: zero, one, minus one, the
  // limits and the carries between bytes and words.
  ExprValue RandomValue(ExprType type) {
    switch (Below(10)) {
    case 0: return FromNumber(type, 0);
    case 1: return FromNumber(type, 1);
    case 2: return FromNumber(type, -1);
    case 3: return FromNumber(type, MinOf(type));
    case 4: return FromNumber(type, MaxOf(type));
    case 5: return FromNumber(type, 0xFF + int64_t(Below(3)) - 1);
    case 6: return FromNumber(type, 0xFFFF + int64_t(Below(3)) - 1);
    case 7: return FromNumber(type, int64_t(Below(200)) - 100);
    default: return FromNumber(type, int64_t(random_()));
    }
  }

  std::unique_ptr<ExprNode> Leaf() {
    if (Below(2) == 0) {
      int index = int(Below(program_.globals.size()));
      return MakeGlobalNode(index, program_.globals[index]);
    }
    return MakeConstantNode(RandomValue(RandomType()));
  }

  std::unique_ptr<ExprNode> Expression(int depth) {
    if (depth == 0 || Below(5) == 0)
      return Leaf();
    std::vector<std::unique_ptr<ExprNode>> operands;
    switch (Below(10)) {
    case 0:
      operands.push_back(Expression(depth - 1));
      return MakeOperatorNode(ExprNode::Kind::Unary, kUnaryOperators[Below(std::size(kUnaryOperators))],
                              std::move(operands));
    case 1:
      for (int i = 0; i < 3; ++i)
        operands.push_back(Expression(depth - 1));
      return MakeOperatorNode(ExprNode::Kind::Conditional, "?:", std::move(operands));
    case 2:
      operands.push_back(Expression(depth - 1));
      return MakeOperatorNode(ExprNode::Kind::Cast, "", std::move(operands), RandomType());
    default: break;
    }
    std::string op = kBinaryOperators[Below(std::size(kBinaryOperators))];
    operands.push_back(Expression(depth - 1));
    if (op == "<<" || op == ">>")
      operands.push_back(ShiftCount(Width(operands[0]->value.type), depth - 1));
    else
      operands.push_back(Expression(depth - 1));
    return MakeOperatorNode(ExprNode::Kind::Binary, op, std::move(operands));
  }

  // A count within the width, so that most shifts stay shifts: a constant,
  // or an expression masked to the width.
  std::unique_ptr<ExprNode> ShiftCount(int width, int depth) {
    if (Below(2) == 0)
      return MakeConstantNode({ExprType::Int, uint32_t(Below(width))});
    std::vector<std::unique_ptr<ExprNode>> operands;
    operands.push_back(Expression(depth));
    operands.push_back(MakeConstantNode({ExprType::Int, uint32_t(width - 1)}));
    return MakeOperatorNode(ExprNode::Kind::Binary, "&", std::move(operands));
  }

  std::mt19937_64 random_;
  ExprLimits limits_;
  ExprProgram program_;
};

void CollectSlots(std::unique_ptr<ExprNode> &slot, std::vector<std::unique_ptr<ExprNode> *> &slots) {
  slots.push_back(&slot);
  for (auto &operand : slot->operands)
    CollectSlots(operand, slots);
}

} // namespace

int64_t ExprNumber(const ExprValue &value) {
  if (!IsSigned(value.type))
    return value.bits;
  return value.type == ExprType::Int ? int64_t(int16_t(value.bits)) : int64_t(int32_t(value.bits));
}

std::unique_ptr<ExprNode> MakeConstantNode(ExprValue value) {
  auto node = std::make_unique<ExprNode>();
  node->kind = ExprNode::Kind::Constant;
  node->value = value;
  return node;
}

std::unique_ptr<ExprNode> MakeGlobalNode(int index, ExprValue value) {
  auto node = MakeConstantNode(value);
  node->kind = ExprNode::Kind::Global;
  node->global = index;
  return node;
}

std::unique_ptr<ExprNode> MakeOperatorNode(ExprNode::Kind kind, const std::string &op,
                                           std::vector<std::unique_ptr<ExprNode>> operands, ExprType castTo) {
  auto node = std::make_unique<ExprNode>();
  node->kind = kind;
  node->op = op;
  node->operands = std::move(operands);
  const ExprValue &first = node->operands[0]->value;
  switch (kind) {
  case ExprNode::Kind::Unary:
    if (op == "!") {
      node->value = {ExprType::Int, first.bits == 0};
    } else if (op == "-" && !(IsSigned(first.type) && ExprNumber(first) == MinOf(first.type))) {
      node->value = FromNumber(first.type, -ExprNumber(first));
    } else {
      node->op = "~";
      node->value = {first.type, static_cast<uint32_t>(~first.bits & Mask(first.type))};
    }
    break;
  case ExprNode::Kind::Cast: node->value = Convert(first, castTo); break;
  case ExprNode::Kind::Conditional: {
    ExprType type = CommonType(node->operands[1]->value.type, node->operands[2]->value.type);
    node->value = Convert(node->operands[first.bits != 0 ? 1 : 2]->value, type);
    break;
  }
  case ExprNode::Kind::Binary:
    if (auto value = EvaluateBinary(op, first, node->operands[1]->value)) {
      node->value = *value;
    } else {
      node->op = "^";
      node->value = *EvaluateBinary("^", first, node->operands[1]->value);
    }
    break;
  default: break;
  }
  return node;
}

ExprProgram GenerateExprProgram(uint64_t seed, const ExprLimits &limits) { return Generator(seed, limits).Generate(); }

std::string RenderExprProgram(const ExprProgram &program) {
  std::string text = "/* Generated expressions over globals and constants. */\n";
  for (size_t i = 0; i < program.globals.size(); ++i)
    text += fmt::format("{} g{} = {};\n", TypeName(program.globals[i].type), i, ConstantText(program.globals[i]));
  for (size_t i = 0; i < program.results.size(); ++i)
    text += fmt::format("{} r_{}; /* expect {} */\n", TypeName(program.results[i]->value.type), i,
                        ValueText(program.results[i]->value));
  text += "\nvoid main(void) {\n";
  for (size_t i = 0; i < program.results.size(); ++i)
    text += fmt::format("  r_{} = {};\n", i, ExpressionText(*program.results[i]));
  text += "}\n";
  return text;
}

ExprProgram MinimizeExprProgram(const ExprProgram &program, size_t result,
                                const std::function<bool(const ExprProgram &)> &stillFails) {
  ExprProgram smallest;
  smallest.globals = program.globals;
  smallest.results.push_back(Clone(*program.results[result]));
  if (!stillFails(smallest)) {
    // The fault needs the other results too: keep them all.
    smallest.results.clear();
    for (const auto &each : program.results)
      smallest.results.push_back(Clone(*each));
    return smallest;
  }
  // Each success turns one more node into a constant, so this ends.
  for (bool shrunk = true; shrunk;) {
    shrunk = false;
    std::vector<std::unique_ptr<ExprNode> *> slots;
    for (auto &root : smallest.results)
      CollectSlots(root, slots);
    for (std::unique_ptr<ExprNode> *slot : slots) {
      if ((*slot)->kind == ExprNode::Kind::Constant)
        continue;
      std::unique_ptr<ExprNode> saved = std::move(*slot);
      *slot = MakeConstantNode(saved->value);
      if (stillFails(smallest)) {
        shrunk = true;
        break;
      }
      *slot = std::move(saved);
    }
  }
  return smallest;
}

std::set<size_t> ResultsWithWrongValues(const std::vector<std::string> &problems) {
  std::set<size_t> results;
  for (const std::string &problem : problems)
    if (problem.starts_with("r_") && problem.find(" is ") != std::string::npos)
      results.insert(std::stoul(problem.substr(2, problem.find(' ') - 2)));
  return results;
}

} // namespace tsw::target
