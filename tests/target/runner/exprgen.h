#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tsw::target {

// Random programs of int, unsigned, long and unsigned long expressions over
// globals and constants, with every operator. Each expression's value is
// worked out here, with the target's 16-bit int, and stated beside its result
// variable; operations whose result standard C leaves undefined are never
// generated, so every compiler must agree with the stated value.
enum class ExprType { Int, Unsigned, Long, UnsignedLong };

struct ExprValue {
  ExprType type = ExprType::Int;
  uint32_t bits = 0; // the value's bits, two's complement in its width
};

struct ExprNode {
  enum class Kind { Constant, Global, Unary, Binary, Conditional, Cast };
  Kind kind = Kind::Constant;
  std::string op;  // operator text for Unary and Binary
  int global = -1; // index into the program's globals
  ExprValue value; // the node's value (its type included)
  std::vector<std::unique_ptr<ExprNode>> operands;
};

struct ExprProgram {
  std::vector<ExprValue> globals;                 // g0, g1, ... with their initial values
  std::vector<std::unique_ptr<ExprNode>> results; // r_0, r_1, ...
};

struct ExprLimits {
  int globals = 8;
  int results = 6;
  int maxDepth = 4; // operator levels above the leaves
};

ExprProgram GenerateExprProgram(uint64_t seed, const ExprLimits &limits = {});

// The program as C source, each result's value stated for the table checker.
std::string RenderExprProgram(const ExprProgram &program);

// Builds one operator node over the given operands and works out its value.
// Where the operation would be undefined in C (overflow of a signed type, a
// zero divisor, a shift out of range), it becomes the always defined "^"
// instead, so a tree stays valid whatever its leaves are.
std::unique_ptr<ExprNode> MakeOperatorNode(ExprNode::Kind kind, const std::string &op,
                                           std::vector<std::unique_ptr<ExprNode>> operands,
                                           ExprType castTo = ExprType::Int);
std::unique_ptr<ExprNode> MakeConstantNode(ExprValue value);
std::unique_ptr<ExprNode> MakeGlobalNode(int index, ExprValue value);

// Signed interpretation of a value, widened to 64 bits.
int64_t ExprNumber(const ExprValue &value);

// The smallest program that still fails: only result `result` is kept, and
// subexpressions are replaced by constants of their own value while
// `stillFails` holds.
ExprProgram MinimizeExprProgram(const ExprProgram &program, size_t result,
                                const std::function<bool(const ExprProgram &)> &stillFails);

// The results r_N that a program check's problems report with a wrong
// value ("r_N is ..."); a failed build or run names none.
std::set<size_t> ResultsWithWrongValues(const std::vector<std::string> &problems);

} // namespace tsw::target
