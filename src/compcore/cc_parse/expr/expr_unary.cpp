#include "compcore/cc_parse/expr/expr_unary.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/operator_lowering.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/target_arith.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/expr/cc_ast.h"
#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "compcore/cc_parse/expr/expr_call.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_literals.h"
#include "compcore/cc_parse/expr/expr_postfix.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_parse/expr/expr_tree.h"
#include "compcore/cc_parse/expr/expr_type_name.h"
#include "compcore/cc_parse/expr/expr_waitfordone.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"
#include "foundation/msgnumbers.h"

#include <string>

namespace tsw {

namespace {

constexpr uint32_t kFloatSignBit = 0x80000000u;
// A cast's type name may carry one array dimension, which becomes its
// pointer level.
constexpr unsigned kMaxCastDimensions = 1;
constexpr unsigned kCastDimensionLimit = 7;
// BIOS names that stand for I/O registers below this value are constants.
constexpr uint32_t kIoRegisterLimit = 256;
constexpr uint16_t kNoBiosValue = 0xFFFF;
constexpr char kIoPrefix[] = "IOP_";
constexpr int16_t kSizeIntLimit = 0x7FFF;
constexpr uint16_t kPointerBytes = 2;
constexpr int16_t kScratchCodeBytes = 64;

bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }

// A function named without being called: an array level over its function
// level.
constexpr uint32_t kDesignatorLevels = (kLevelFunction << kLevelBits) | kLevelArray;
constexpr uint32_t kTwoLevelMask = 0xFF;

bool IsFunctionDesignator(const ValueRecord &value) {
  return (value.declarator & kTwoLevelMask) == kDesignatorLevels;
}

// A unary operator on a run-time value, computed in the value register. A
// char is negated and complemented as the int it widens to, then narrowed
// back.
void EmitUnary(char op, ValueRecord &value) {
  if (!RunTimeCodeAllowed())
    return;
  LoadOperandToValueRegister(value);
  if (op == '+')
    return;
  const bool wasChar = value.type == kTypeChar && !value.HasLevel();
  if (wasChar)
    ConvertOperandTo(value, kTypeInt, false, 0);
  switch (op) {
  case '!':
    EmitUnaryOperator(value, UnaryOp::kLogicalNot);
    return;
  case '-':
    EmitUnaryOperator(value, UnaryOp::kNegate);
    break;
  case '~':
    if (value.type == kTypeFloat && !value.HasLevel()) {
      CompileError<kMsgInvalidOperands>();
      return;
    }
    EmitUnaryOperator(value, UnaryOp::kComplement);
    break;
  default:
    CompileError<kMsgUnknownUnaryOperator>();
    return;
  }
  if (wasChar)
    ConvertOperandTo(value, kTypeChar, false, kConvertNarrowChar);
}

// "&": a fixed-address object's address stays a constant of the link (an
// array level marks it so); anything else has its address computed into
// HL. `wasLvalue` is what the record held before its operand was read.
void CompileAddressOf(ValueRecord &value, bool wasLvalue) {
  CheckValueNotVoid(value);
  const uint32_t outer = value.Level();
  const bool structure = value.declarator == 0 && value.type >= kFirstStructType;
  if (outer != kLevelArray && outer != kLevelFunction && !structure && !CheckAssignable(value) &&
      IsConstant(value))
    return; // a constant has no address to take
  const bool computed = !value.symbol || value.storage == kStorageAuto || value.storage == kStorageStackStruct ||
                        value.storage == kStoragePrimary;
  if (computed) {
    if (!RunTimeCodeAllowed())
      return;
    if (outer == kLevelArray) {
      // An array's value is already its address; only the level it had
      // must survive the load.
      const uint32_t declarator = value.declarator;
      const uint16_t *dimensions = value.dimensions;
      LoadOperandToValueRegister(value);
      value.declarator = declarator;
      value.dimensions = dimensions;
    } else {
      LoadOperandAddressIntoHL(value);
    }
    value.declarator = AddLevel(value.declarator, kLevelPointer);
  } else if (!IsFunctionDesignator(value)) {
    value.declarator = AddLevel(value.declarator, kLevelArray);
    value.addressConstant = 1;
  }
  value.wasLvalue = wasLvalue;
  value.SetLvalue(false);
}

// The size answer: unsigned from 32768 bytes on, so a large object is never
// a negative size.
ValueRecord SizeConstant(uint16_t bytes) {
  return int16_t(bytes) >= 0 && bytes <= uint16_t(kSizeIntLimit) ? MakeIntConstantValue(int16_t(bytes))
                                                                 : MakeUnsignedConstantValue(bytes);
}

// The byte size of the object a value designates.
uint16_t ValueByteSize(const ValueRecord &value) {
  // An address taken with & is a pointer, whatever level marks it.
  if (value.addressConstant)
    return kPointerBytes;
  ValueRecord pointer = value;
  pointer.declarator = AddLevel(value.declarator, kLevelPointer);
  return ArrayDimensionProduct(pointer);
}

uint32_t &SideEffectCounter() {
  static uint32_t count;
  return count;
}

// The operand of sizeof lends only its type: its code is taken back unless
// it has side effects, which the program may rely on: then it is compiled
// once more from its start, its code kept and its diagnostics not listed a
// second time.
void CompileSizeofOperand(ValueRecord &operand, void (*compile)(ValueRecord &, AST *), AST *node) {
  const InputState input = SaveInputState();
  const uint32_t point = PushCodeSavePoint();
  const uint32_t effectsBefore = SideEffectCounter();
  {
    // The operand's code goes nowhere: a sizeof in a dimension or an #if
    // has no code origin to emit into.
    static NullCache scratch(kScratchCodeBytes);
    struct CodeCacheScope {
      EmitCache *saved = Caches().currentCode;
      ~CodeCacheScope() { Caches().currentCode = saved; }
    } scope;
    scratch.ResetBuffer();
    if (scope.saved)
      scratch.SetEmitAddress(scope.saved->Current());
    Caches().currentCode = &scratch;
    operand = {};
    compile(operand, node);
  }
  const bool sideEffects = operand.sideEffects || SideEffectCounter() != effectsBefore;
  RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  if (!sideEffects)
    return;
  CompileWarningSerious<kMsgSizeofSideEffects>();
  RestoreInputState(input);
  ++ErrorSuppression();
  struct Unsuppress {
    ~Unsuppress() { --ErrorSuppression(); }
  } unsuppress;
  operand = {};
  compile(operand, node);
  // A structure a call left on the stack is no value of the answer.
  if (operand.storage == kStorageStackStruct && !operand.HasLevel())
    EmitStackAdjustAndTrack(int16_t(ValueStorageSize(operand)));
}

void CompileSizeof(ValueRecord &value, AST *node) {
  const bool outerNeedsCode = Walk().needsCode;
  ValueRecord operand;
  uint16_t bytes = 0;
  if (SkipToOperand() == '(') {
    ConsumeChar();
    TypeName name;
    if (ReadTypeName(name)) {
      bytes = name.byteSize;
    } else {
      CompileSizeofOperand(
          operand, [](ValueRecord &list, AST *listNode) { CompileExpressionList(list, true, listNode); }, node);
      CheckValueNotVoid(operand);
      bytes = ValueByteSize(operand);
    }
    ExpectChar(')');
  } else {
    CompileSizeofOperand(operand, GenerateUnaryExpression, node);
    CheckValueNotVoid(operand);
    bytes = ValueByteSize(operand);
  }
  Walk().needsCode = outerNeedsCode;
  value = SizeConstant(bytes);
}

void CompileCast(ValueRecord &value, const TypeName &name, AST *node) {
  ExpectChar(')');
  if (name.dimensionCount > kMaxCastDimensions)
    CompileError<kMsgTooManyDimensions>(kCastDimensionLimit);
  uint32_t target = name.declarator;
  if (OutermostLevel(target) == kLevelArray)
    target = (target & ~kLevelKindMask) | kLevelPointer;
  GenerateUnaryExpression(value, node);
  CheckValueNotVoid(value);
  const bool toPointer = target != 0;
  if (name.baseType == kTypeVoid && target == 0) {
    value.type = kTypeVoid;
    value.declarator = 0;
    return;
  }
  // An array cast to a pointer keeps its address where it is: the
  // element type is all that changes.
  const bool arrayToPointer = toPointer && value.Level() == kLevelArray;
  if (!arrayToPointer && (IsConstant(value) || RunTimeCodeAllowed())) {
    if (IsFunctionDesignator(value))
      LoadOperandToValueRegister(value);
    ConvertOperandTo(value, uint8_t(name.baseType), toPointer, kConvertNarrowChar);
  }
  value.type = uint8_t(name.baseType);
  if (toPointer)
    value.dimensions = name.dimensions;
  if (arrayToPointer)
    value.declarator = (target & ~kLevelKindMask) | kLevelArray;
  else
    value.declarator = target;
}

// A unary operator on a constant, at the target's width of its type.
void FoldUnary(char op, ValueRecord &value) {
  const bool isFloat = value.type == kTypeFloat && !value.HasLevel();
  switch (op) {
  case '!':
    value = MakeIntConstantValue(ConstantEquals(value, 0) ? 1 : 0);
    return;
  case '-':
    value.value = isFloat ? value.value ^ kFloatSignBit : ReduceToType(0u - value.value, value.type);
    return;
  case '~':
    if (isFloat) {
      CompileError<kMsgInvalidOperands>();
      return;
    }
    value.value = ReduceToType(~value.value, value.type);
    return;
  default:
    return;
  }
}

// Writes the value register back to the object `target` designates (its
// address on the stack when it could not be reached directly).
void StoreValueRegisterBack(ValueRecord &target, ValueRecord &result) {
  if (result.type == kTypeChar && !result.HasLevel() && !result.IsByteResult())
    EmitFixed(Fixed::kLdAL);
  EmitStoreValue(target, Reg::Value);
}

// The step by one of the operand's own type: a char steps as a char.
void StepByOne(char op, ValueRecord &value) {
  ValueRecord one = value.type == kTypeChar && !value.HasLevel() ? MakeCharConstantValue(1) : MakeIntConstantValue(1);
  const char text[] = {op, 0};
  BeginBinaryOperation(text, value, one);
}

// "++" and "--", before or after their operand. The stepped value is
// stored back at once; after the operand the register is stepped back, so
// the expression yields the old value without reading the object again.
void CompileStep(char op, bool prefix, ValueRecord &value) {
  if (!value.IsModifiable())
    CompileError<kMsgNotModifiable>();
  if (!CheckAssignable(value) || !RunTimeCodeAllowed()) {
    UnarySwitches().plainStep = false;
    return; // nothing to store into, or no code to store with
  }
  if (!IsDirectlyAddressable(value) && value.storage != kStorageStackStruct) {
    LoadOperandAddressIntoHL(value);
    CachePrimaryRegister(value, true);
    FlushPrimaryRegister();
  }
  ValueRecord object = value;
  // The pushed address is still in HL: the operand is read through it.
  if (value.storage == kStorageStackStruct)
    value.storage = kStoragePrimary;
  StepByOne(op, value);
  object.SetCodeFlag13(value.CodeFlag13());
  object.SetByteResult(value.IsByteResult());
  StoreValueRegisterBack(object, value);
  object.SetCodeFlag13(false);
  value.SetCodeFlag13(false);
  UnaryLevelSwitches &switches = UnarySwitches();
  if (switches.plainStep) {
    value.SetStepNotLoaded(true);
  } else if (!value.StepNotLoaded()) {
    if (!prefix)
      StepByOne(op == '+' ? '-' : '+', value);
    NoteSideEffect(value);
  } else if (prefix) {
    value.SetStepNotLoaded(false);
    LoadOperandToValueRegister(value);
  }
  switches.plainStep = false;
  value.SetLvalue(false);
}

// "++" or "--" at the cursor, consumed: its first character, else 0.
char ScanStep() {
  const char c = SkipToOperand();
  if ((c != '+' && c != '-') || InputCursor[1] != c)
    return 0;
  ConsumeChar();
  ConsumeChar();
  return c;
}

// The value of a name the symbol tables do not hold: a BIOS I/O register
// (plain, or under its "IOP_" name) is a constant; anything else is 493.
void CompileUndeclaredName(ValueRecord &value, const std::string &name) {
  const uint16_t plain = LookupBiosSymbol(name, ADDR24{kNoBiosValue, 0, 0}).logical;
  if (plain < kIoRegisterLimit) {
    value = MakeUnsignedConstantValue(plain);
    return;
  }
  const std::string ioName = (kIoPrefix + name).substr(0, kIdentifierLength);
  const uint16_t io = LookupBiosSymbol(ioName, ADDR24{kNoBiosValue, 0, 0}).logical;
  if (io != kNoBiosValue) {
    value = MakeUnsignedConstantValue(io);
    return;
  }
  CompileError<kMsgUndeclaredName>(name);
  value = MakeUnsignedConstantValue(0);
}

// The value an unusable name stands for, so that the walk goes on.
void UnusableName(ValueRecord &value) { value = MakeUnsignedConstantValue(0); }

// A name the tables hold, by its symbol's storage class.
void CompileSymbolValue(ValueRecord &value, SymbolRecord &symbol) {
  symbol.flagsA |= kFlagsAReferenced;
  uint8_t storage = 0;
  uint32_t offset = 0;
  switch (symbol.kind) {
  case kClassStaticLocal:
  case kClassRegister:
  case kClassParameterArea:
    storage = kStorageStatic;
    break;
  case kClassGlobal:
  case kClassExtern:
    storage = uint8_t(symbol.kind);
    break;
  case kClassAutoLocal:
    if (UnarySwitches().noAutoVariables) {
      CompileError<kMsgAutoNotAllowed>();
      UnusableName(value);
      return;
    }
    if (UnarySwitches().insideCostate)
      CompileError<kMsgAutoInCostate>();
    storage = kStorageAuto;
    offset = uint32_t(int32_t(int16_t(symbol.definition)));
    break;
  default:
    CompileError<kMsgUnusableName>();
    UnusableName(value);
    return;
  }
  const uint32_t outer = OutermostLevel(symbol.declarator);
  value = {};
  InitValueRecord(value, storage, symbol.type, symbol.declarator, &symbol, offset,
                  symbol.list.empty() ? nullptr : symbol.list.data(),
                  outer == kLevelNone || outer == kLevelPointer, 0);
  value.SetModifiable(symbol.flagsB & kFlagsBModifiable);
}

void CompileName(ValueRecord &value) {
  std::string name;
  ReadIdentifier(name);
  if (const uint32_t intrinsic = ClassifyIntrinsic(name)) {
    value = {};
    value.intrinsic = intrinsic;
    return;
  }
  SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kLocal);
  if (symbol && symbol->kind == kClassAutoLocal)
    UnarySwitches().autoReferenced = true;
  if (!symbol)
    symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  if (!symbol) {
    if (SkipToOperand() != '(') {
      CompileUndeclaredName(value, name);
      return;
    }
    // A function called before any declaration returns int.
    symbol = AddSymbol(name, kLevelFunction, kTypeInt, 0, kClassGlobal);
  }
  CompileSymbolValue(value, *symbol);
}

} // namespace

bool RunTimeCodeAllowed() {
  if (WalkEmitsCode())
    return true;
  Walk().needsCode = true;
  return false;
}

bool IsStepStatement() {
  SkipToOperand();
  const char *p = InputCursor;
  if (!IsIdentStart(*p))
    return false;
  while (IsIdentChar(*p))
    ++p;
  while (*p == ' ' || *p == '\t')
    ++p;
  if ((p[0] != '+' && p[0] != '-') || p[1] != p[0])
    return false;
  p += 2;
  while (*p == ' ' || *p == '\t')
    ++p;
  return *p == ')' || *p == ';' || *p == 0;
}

void NoteSideEffect(ValueRecord &value) {
  value.sideEffects = 1;
  ++SideEffectCounter();
}

UnaryLevelSwitches &UnarySwitches() {
  static UnaryLevelSwitches switches;
  return switches;
}

void GenerateUnaryExpression(ValueRecord &value, AST *node) {
  node = StepOnce(node,
                  {SIZEOF, PLUSPLUS, MINUSMINUS, ONESCOMPLEMENT, NOT, MINUS, STAR, AMPERSAND, WAITFORDONE, Eof},
                  NodeMark::kCleared);
  const char c = SkipToOperand();
  for (const bool firstDone : {false, true}) {
    if (MatchKeyword(firstDone ? "waitforfirstdone" : "waitfordone")) {
      CompileWaitfordone(value, firstDone);
      return;
    }
  }
  if (MatchKeyword("sizeof")) {
    CompileSizeof(value, node);
    return;
  }
  if (const char step = ScanStep()) {
    GenerateUnaryExpression(value, node);
    CompileStep(step, true, value);
    return;
  }
  if (c == '!' || c == '~' || c == '-' || c == '+') {
    ConsumeChar();
    GenerateUnaryExpression(value, node);
    CheckValueNotVoid(value);
    if (IsConstant(value))
      FoldUnary(c, value);
    else
      EmitUnary(c, value);
    return;
  }
  if (c == '*') {
    ConsumeChar();
    GenerateUnaryExpression(value, node);
    CheckValueNotVoid(value);
    DereferenceValue(value);
    value.SetModifiable(true);
    return;
  }
  if (c == '&') {
    const bool wasLvalue = value.IsLvalue();
    ConsumeChar();
    GenerateUnaryExpression(value, node);
    CompileAddressOf(value, wasLvalue);
    return;
  }
  bool parenthesised = false;
  if (c == '(') {
    ConsumeChar();
    TypeName name;
    if (ReadTypeName(name)) {
      CompileCast(value, name, node);
      return;
    }
    parenthesised = true;
  }
  CompilePostfixExpression(value, parenthesised, node);
  if (const char step = ScanStep())
    CompileStep(step, false, value);
}

void CompilePostfixExpression(ValueRecord &value, bool parenthesised, AST *node) {
  // The operand's tree: each postfix operator the text shows gives its
  // index or arguments the next sibling and goes on with the parent.
  node = StepThrough(node, {DOT, POINTERTO, LSQUAREBRACKET, LPARENTHESIS}, NodeMark::kCleared);
  CompilePrimaryExpression(value, parenthesised, node);
  if (value.Level() == kLevelFunction && value.Instances() != 0)
    CompileCofunctionIndex(value);
  for (;;) {
    const char c = SkipToOperand();
    if (value.intrinsic) {
      if (!CompileIntrinsicCall(value))
        return;
      continue;
    }
    if (c != '(' && value.Level() == kLevelFunction) {
      CompileFunctionDesignator(value);
      return;
    }
    if (c == '[') {
      CompileSubscript(value, NextSibling(node));
    } else if (c == '.' || (c == '-' && InputCursor[1] == '>')) {
      CompileMember(value, c == '-');
    } else if (c == '(') {
      CompileFunctionCall(value);
    } else {
      return;
    }
    node = ParentNode(node);
  }
}

void CompilePrimaryExpression(ValueRecord &value, bool parenthesised, AST *node) {
  node = StepThrough(
      node, {IDENTIFIER, STRING, OCTALINT, DECIMALINT, HEXADECIMALINT, CHARACTER, FLOATONE, FLOATTWO},
      NodeMark::kFromParent);
  const char c = SkipToOperand();
  if (parenthesised || c == '(') {
    if (!parenthesised)
      ConsumeChar();
    CompileExpressionList(value, true, node);
    ExpectChar(')');
    return;
  }
  if (IsIdentStart(c)) {
    CompileName(value);
    return;
  }
  if (CompileLiteral(value) || CompileStringLiteral(value))
    return;
  CompileError<kMsgAsmExpression>();
  value = MakeIntConstantValue(0);
  SkipToken();
}

} // namespace tsw
