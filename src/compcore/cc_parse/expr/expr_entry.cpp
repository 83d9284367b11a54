#include "compcore/cc_parse/expr/expr_entry.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/conditional_jumps.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/cc_parse/expr/cc_ast.h"
#include "compcore/cc_parse/expr/cc_parse_box.h"
#include "compcore/cc_parse/expr/expr_assign.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_parse/expr/expr_tree.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_parse/stmt/watch_function.h"
#include "foundation/msgnumbers.h"

#include "foundation/xerr.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace tsw {

namespace {

constexpr char kBlankLimit = ' ';

// A float constant is no answer, even a whole one: its bits are no number.
bool IsIntegerConstant(const ValueRecord &value) {
  const bool isFloat = value.type == kTypeFloat && !value.HasLevel();
  return value.storage == kStorageConstant && !isFloat;
}

void GenerateExpressionCode(ValueRecord &value, bool valueUsed, AST *node);

// The parser's own texts (a lexical error, a syntax error of a type name,
// the scope lines of a function declarator) are no diagnostics of the
// compile: they go to the standard error stream unless redirected.
class StandardErrorOutput : public ParserOutput {
public:
  void write(const char *text) override {
    if (sink)
      sink->write(text);
    else
      std::fputs(text, stderr);
  }
  ParserOutput *sink = nullptr;
};

ParserHooks &EntryHooks() {
  static ParserHooks hooks;
  return hooks;
}

StandardErrorOutput &EntryOutput() {
  static StandardErrorOutput output;
  return output;
}

// A box for each depth of nested entries (an expression compiled while
// another is, such as a dimension of a cast), built once and reused: every
// expression of a compile is parsed, and the lexer with its buffer need
// not be built again for each.
std::vector<std::unique_ptr<StringParserBlackBox>> &BoxesByDepth() {
  static std::vector<std::unique_ptr<StringParserBlackBox>> boxes;
  return boxes;
}

StringParserBlackBox *currentBox = nullptr;
size_t entryDepth = 0;

// One entry's parse: its box is current, and its tree lives, until the
// entry is left by any way; the box in use before comes back.
class ExpressionParse {
public:
  ExpressionParse() : previous_(currentBox) {
    auto &boxes = BoxesByDepth();
    if (boxes.size() <= entryDepth)
      boxes.resize(entryDepth + 1);
    if (!boxes[entryDepth])
      boxes[entryDepth] = std::make_unique<StringParserBlackBox>(EntryHooks(), &EntryOutput());
    currentBox = boxes[entryDepth].get();
    ++entryDepth;
  }
  ~ExpressionParse() {
    currentBox->ReleaseTree();
    currentBox = previous_;
    --entryDepth;
  }
  ExpressionParse(const ExpressionParse &) = delete;
  ExpressionParse &operator=(const ExpressionParse &) = delete;

  // The tree of the text from the cursor to the end of the logical line,
  // or null. The compile reads the same text whatever the parse made of
  // it: a parse that breaks down is only no tree.
  AST *Run() {
    if (!ExpressionTreesWanted() || !InputCursor)
      return nullptr;
    try {
      return currentBox->RunExpressionParser(InputCursor);
    } catch (const xInternal &) {
      return nullptr;
    }
  }

private:
  StringParserBlackBox *previous_;
};

template <class Walker> void ParseAndWalk(ValueRecord &value, bool valueUsed, Walker walk) {
  ExpressionParse parse;
  AST *root = parse.Run();
  Walk().comparisonRoot = false;
  walk(value, valueUsed, root);
  // The flag tells the walk of this expression only.
  Walk().integerLiteralAssigned = false;
  Walk().comparisonRoot = IsComparisonRoot(root);
}

enum class ConstantForm : uint8_t {
  // A directive's number: the whole line, a comma list included.
  kList,
  // A declaration's dimension or "@" address: a comma after it starts the
  // next declarator.
  kSingle,
};

// Whatever a step below emits in spite of the walk's mode is taken back: a
// constant reader leaves no byte. True when no step needed run-time code.
bool ReadConstantRecord(ValueRecord &value, ConstantForm form) {
  ConstantWalkScope scope;
  const uint32_t point = PushCodeSavePoint();
  value = {};
  if (form == ConstantForm::kList)
    ParseAndCompileExpressionList(value, true);
  else
    ParseAndCompileExpression(value, true);
  RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  return !Walk().needsCode;
}

bool IsStructureValue(const ValueRecord &value) {
  return value.type >= kFirstStructType && !value.HasLevel();
}

// A structure a call left on the stack is released: nothing reads it.
void DiscardStackOperand(ValueRecord &value) {
  EmitStackAdjustAndTrack(int16_t(OperandByteSize(value, OperandSizeMode::kStorage)));
  value.storage = kStoragePrimary;
}

// The walk of one element of a list. Only the outermost walk checks the
// stack after its expression: nested ones (a dimension in a cast) run
// inside another expression's pushes.
class WalkDepthScope {
public:
  WalkDepthScope() { ++Walk().depth; }
  ~WalkDepthScope() { --Walk().depth; }
  WalkDepthScope(const WalkDepthScope &) = delete;
  WalkDepthScope &operator=(const WalkDepthScope &) = delete;
};

// What the stack holds after an expression: the words the function and
// the statement keep, and a structure a call left as the value.
int16_t ExpectedStackBytes(const ValueRecord &value) {
  constexpr int16_t kWord = 2;
  int16_t expected = 0;
  if (CodeGen().StaticFrame())
    expected = int16_t(expected + kWord);
  if (StatementExtraWord())
    expected = int16_t(expected + kWord);
  if (WatchFunctionFlag())
    expected = int16_t(expected + kWatchCallBytes);
  expected = int16_t(expected + StatementState().sliceStackBytes);
  if (value.storage == kStorageStackStruct && IsStructureValue(value))
    expected = int16_t(expected + OperandByteSize(value, OperandSizeMode::kStorage));
  return expected;
}

// A push the expression forgot to pop (or a pop too many) would move every
// local after it: the depth is mended and the user warned. After an error
// the code is wrong anyway, and the depth is only mended.
void CheckStackDepth(const ValueRecord &value, bool errorReported) {
  EmissionState &e = Emission();
  const int16_t expected = ExpectedStackBytes(value);
  if (errorReported) {
    e.stackOffset = int16_t(-expected);
    e.ipStackOffset = 0;
    return;
  }
  if (std::abs(int32_t(e.stackOffset)) != expected) {
    e.stackOffset = int16_t(-expected);
    CompileWarningTrivial<kMsgStackDepthDiffers>();
  }
  if (e.ipStackOffset < 0) {
    e.ipStackOffset = 0;
    CompileWarningTrivial<kMsgStackDepthNegative>();
  }
}

void GenerateExpressionCode(ValueRecord &value, bool valueUsed, AST *node) {
  WalkDepthScope scope;
  const bool outermost = Walk().depth == 1 && WalkEmitsCode();
  const uint32_t errorsBefore = CompileErrorCount();
  value.addressSafe = 0;
  CompileAssignmentExpression(value, valueUsed, node);
  if (outermost)
    CheckStackDepth(value, CompileErrorCount() != errorsBefore);
}

} // namespace

void ParseAndCompileExpression(ValueRecord &value, bool valueUsed) { ParseAndWalk(value, valueUsed, GenerateExpressionCode); }

void ParseAndCompileExpressionList(ValueRecord &value, bool valueUsed) {
  ParseAndWalk(value, valueUsed, [](ValueRecord &list, bool used, AST *root) { CompileExpressionList(list, used, root); });
}

void RedirectParserTexts(ParserOutput *sink) { EntryOutput().sink = sink; }

bool &ExpressionTreesWanted() {
  static bool wanted = true;
  return wanted;
}

void CompileExpressionList(ValueRecord &value, bool valueUsed, AST *node) {
  Walk().assignmentFollowed = false;
  node = StepThrough(node, {COMMA}, NodeMark::kFromParent);
  for (bool first = true;; first = false) {
    // Nothing reads a structure an earlier element left on the stack.
    if (!first && value.storage == kStorageStackStruct && IsStructureValue(value) && WalkEmitsCode())
      DiscardStackOperand(value);
    value = {};
    GenerateExpressionCode(value, valueUsed, node);
    if (SkipToOperand() != ',')
      return;
    ConsumeChar();
    node = NextSibling(node);
  }
}

bool &StatementExtraWord() {
  static bool extraWord = false;
  return extraWord;
}

ExpressionWalk &Walk() {
  static ExpressionWalk walk;
  return walk;
}

char ConsumeChar() {
  const char c = *InputCursor;
  TrackBracketHook(c, CurrentSourceLine(), CurrentSourceColumn());
  ++InputColumn;
  ++InputCursor;
  return c;
}

char SkipToOperand() {
  if (static_cast<unsigned char>(*InputCursor) <= kBlankLimit)
    SkipBlanksAcrossLines();
  return *InputCursor;
}

void ExpectChar(char expected) {
  if (SkipToOperand() == expected)
    ConsumeChar();
  else
    CompileError<kMsgCharExpected>();
}

void CompileExpressionList(ValueRecord &value) { CompileExpressionList(value, true, nullptr); }

void CompileExpressionForEffect(bool valueUsed) {
  ValueRecord value;
  UnarySwitches().plainStep = !valueUsed && IsStepStatement();
  ParseAndCompileExpressionList(value, valueUsed);
  if (IsStructureValue(value)) {
    if (value.storage == kStorageStackStruct)
      DiscardStackOperand(value);
    return;
  }
  if (value.storage == kStorageConstant && !valueUsed)
    return;
  // A value the registers hold already (an assignment's) needs nothing more;
  // an object is still read, as the statement asks.
  if (value.storage == kStoragePrimary && !value.IsLvalue())
    return;
  LoadOperandToValueRegister(value);
}

void CompileConditionValue(ValueRecord &value) {
  value = {};
  ParseAndCompileExpressionList(value, false);
  if (Walk().assignmentFollowed)
    return;
  if (!IsStructureValue(value))
    LoadOperandToValueRegister(value);
  else if (value.storage == kStorageStackStruct)
    DiscardStackOperand(value);
  else
    LoadOperandAddressIntoHL(value);
}

JumpRecord CompileConditionJump(ADDR24 target, bool jumpWhenTrue, const char *terminator) {
  ValueRecord condition;
  ParseAndCompileExpressionList(condition, false);
  if (SkipToOperand() == terminator[0])
    ConsumeChar();
  else
    CompileError<kMsgCharExpected>();
  // A constant condition that always jumps is a plain jump; one that never
  // does is still tested, in the registers, so that the caller has a jump
  // to patch.
  if (condition.storage == kStorageConstant) {
    if (ConstantEquals(condition, 0) != jumpWhenTrue)
      return EmitJumpToAddr24(target, kOpJump);
    LoadOperandToValueRegister(condition);
  }
  constexpr uint8_t kSenseTrue = 0, kSenseFalse = 1;
  ExpressionFlags().retract = ComparisonEndsHere(condition);
  const uint8_t sense = jumpWhenTrue ? kSenseTrue : kSenseFalse;
  // A forward jump keeps the absolute form its patch needs.
  if (Addr24ToLong(target) == 0)
    return EmitConditionalJump(condition, target, sense, false);
  return EmitConditionalJumpToPlaced(condition, target, sense);
}

// The value of an integer constant record, 0 for any other.
static bool ConstantRecordValue(ConstantForm form, int32_t &value) {
  ValueRecord record;
  const bool constant = ReadConstantRecord(record, form) && IsIntegerConstant(record);
  value = constant ? int32_t(record.value) : 0;
  return constant;
}

bool ReadConstantExpression(int32_t &value) { return ConstantRecordValue(ConstantForm::kSingle, value); }

bool ReadConstantOperand(ValueRecord &value) { return ReadConstantRecord(value, ConstantForm::kSingle); }

bool ReadConstantRecord(ValueRecord &value) {
  return ReadConstantRecord(value, ConstantForm::kSingle) && IsIntegerConstant(value);
}

int32_t CompileConstantExpressionLong() {
  int32_t value = 0;
  if (!ConstantRecordValue(ConstantForm::kList, value))
    CompileError<kMsgNotConstant>();
  return value;
}

uint16_t CompileConstantExpression() { return uint16_t(CompileConstantExpressionLong()); }

void ResetExpressionCompiler() {
  Walk() = {};
  StatementExtraWord() = false;
  ResetStringLiterals();
}

} // namespace tsw
