#include "compcore/cc_gen/asm/asm_eval.h"

#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"
#include "foundation/msgnumbers.h"

namespace tsw::assembler {
namespace {

constexpr int32_t kMask24 = 0xFFFFFF;
// Each bit asks for the value's place in the root directory before use.
constexpr uint16_t kMappedFlags = kFixPageWord | kFixPageByte | kFixAddress24 | kFixDirectoryWord;
// A segment override names a symbol whose value is a segment, never a
// small constant.
constexpr int32_t kLowestSegmentValue = 16;
constexpr int32_t kBiosSmallValueLimit = 256;
constexpr ADDR24 kNoBiosSymbol{0xFFFF, 0xFF, 0xFF};

AsmFrameValues *&InstalledFrameValues() {
  static AsmFrameValues *values = nullptr;
  return values;
}

AsmFrameValues &FrameValues() {
  static AsmFrameValues neutral;
  return InstalledFrameValues() ? *InstalledFrameValues() : neutral;
}

std::optional<int32_t> BiosValue(std::string_view name) {
  const ADDR24 value = LookupBiosSymbol(name, kNoBiosSymbol);
  if (Addr24Equal(value, kNoBiosSymbol))
    return std::nullopt;
  return static_cast<int32_t>(Addr24ToLong(value) & kMask24);
}

std::optional<int32_t> SymbolValue(std::string_view name, SymbolTableId table) {
  const SymbolRecord *symbol = LookupSymbol(name, false, table);
  if (!symbol || (table == SymbolTableId::kGlobal && !symbol->definition && !symbol->address))
    return std::nullopt;
  if (table == SymbolTableId::kLocal && symbol->kind == kClassAutoLocal)
    return FrameValues().AutoOffset(*symbol) & kMask24;
  return static_cast<int32_t>(symbol->address & kMask24);
}

std::optional<int32_t> LabelValue(std::string_view name) {
  for (const BRFixupRec *label : {FindGlobalLabel(name), FindLocalLabel(name)})
    if (label && label->defined)
      return static_cast<int32_t>(label->value & kMask24);
  return std::nullopt;
}

int Precedence(const AsmToken &t) {
  switch (t.code) {
  case '*':
  case '/':
  case '%':
  case '&': return 3;
  case '+':
  case '-':
  case '^':
  case '|': return 2;
  case '<':
  case '>': return 1;
  default: return 0;
  }
}

int32_t Apply(uint16_t op, int32_t a, int32_t b) {
  switch (op) {
  case '*': return a * b;
  case '/': return b ? a / b : 0;
  case '%': return b ? a % b : 0;
  case '&': return a & b;
  case '+': return a + b;
  case '-': return a - b;
  case '^': return a ^ b;
  case '|': return a | b;
  case '<': return static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31));
  default: return a >> (b & 31);
  }
}

} // namespace

void SetAsmFrameValues(AsmFrameValues *values) { InstalledFrameValues() = values; }

int32_t SignExtend24(int32_t value) {
  value &= kMask24;
  return value & 0x800000 ? value - 0x1000000 : value;
}

bool LookupAsmSymbolWithIopPrefix(std::string_view name, uint16_t &value) {
  std::optional<int32_t> found = BiosValue(name);
  if (!found)
    found = BiosValue("IOP_" + std::string(name));
  if (!found)
    return false;
  value = static_cast<uint16_t>(*found);
  return true;
}

OperandValue AsmEvaluator::Evaluate(const OperandField &field) {
  unresolvedName_.clear();
  extraFlags_ = 0;
  Partial result = Expression(1);
  if (!unresolvedName_.empty()) {
    ReferenceLabel(unresolvedName_, field.patchAddress,
                   static_cast<uint16_t>(field.flags | extraFlags_ | kFixLocal | kFixGlobal),
                   static_cast<uint16_t>(result.value), field.opcode, field.lcall);
    return {0, true};
  }
  if ((field.flags | extraFlags_) & kMappedFlags)
    result.value = static_cast<int32_t>(Addr24ToLong(LookupRoot(Addr24FromLong(uint32_t(result.value) & kMask24))));
  return {SignExtend24(result.value), false};
}

int32_t AsmEvaluator::EvaluateKnown() {
  unresolvedName_.clear();
  extraFlags_ = 0;
  Partial result = Expression(1);
  if (!unresolvedName_.empty())
    lexer_.FailAt(Plain<kMsgNumberExpected>(), unresolvedColumn_);
  return SignExtend24(result.value);
}

AsmEvaluator::Partial AsmEvaluator::Expression(int minPrecedence) {
  Partial left = Unary();
  for (;;) {
    const AsmToken &op = lexer_.Current();
    const int precedence = Precedence(op);
    if (!precedence || precedence < minPrecedence)
      return left;
    const uint16_t code = op.code;
    // A lone "<" or ">" is read as the shift it was meant to be.
    if ((code == '<' || code == '>') && op.text.size() == 1)
      CompileError<kMsgShiftExpected>();
    lexer_.Next();
    const Partial right = Expression(precedence + 1);
    left.value = Apply(code, left.value, right.value) & kMask24;
    left.unresolved |= right.unresolved;
  }
}

AsmEvaluator::Partial AsmEvaluator::Unary() {
  const uint16_t code = lexer_.Current().code;
  if (code == '~' || code == '-' || code == '+') {
    lexer_.Next();
    Partial operand = Unary();
    if (code == '~')
      operand.value = ~operand.value;
    else if (code == '-')
      operand.value = -operand.value;
    operand.value &= kMask24;
    return operand;
  }
  return Primary();
}

AsmEvaluator::Partial AsmEvaluator::Primary() {
  const AsmToken token = lexer_.Current();
  switch (token.code) {
  case kTokNumber: lexer_.Next(); return {token.value & kMask24, false};
  case '(': {
    lexer_.Next();
    Partial inner = Expression(1);
    if (!lexer_.Is(')'))
      lexer_.Fail(Plain<kMsgParamListOpen>());
    lexer_.Next();
    return inner;
  }
  case '[': {
    const AsmToken name = lexer_.Next();
    std::optional<int32_t> segment;
    if (name.code == kTokName)
      segment = Resolve(name.text);
    if (!segment || *segment < kLowestSegmentValue)
      lexer_.Fail(Plain<kMsgBadSegmentName>());
    if (lexer_.Next().code != ']')
      lexer_.Fail(Plain<kMsgSegmentBracket>());
    lexer_.Next();
    segmentOverride_ = name.text;
    segmentValue_ = *segment & 0xFF;
    Partial operand = Primary();
    segmentOverride_.clear();
    segmentValue_ = -1;
    return operand;
  }
  case kTokName:
    if (token.text == "base_addr")
      return MappedOperand(kFixPageByte);
    if (token.text == "logical_addr")
      return MappedOperand(kFixDirectoryWord);
    lexer_.Next();
    return Name(token);
  default: lexer_.Fail(Plain<kMsgAsmExpression>());
  }
}

AsmEvaluator::Partial AsmEvaluator::MappedOperand(uint16_t mapBit) {
  lexer_.Next();
  Partial operand = Primary();
  if (operand.unresolved) {
    extraFlags_ |= mapBit;
    return operand;
  }
  const ADDR24 mapped = LookupRoot(Addr24FromLong(uint32_t(operand.value) & kMask24));
  operand.value = mapBit == kFixPageByte ? mapped.segment : mapped.logical;
  return operand;
}

AsmEvaluator::Partial AsmEvaluator::Name(const AsmToken &token) {
  if (token.text[0] == '@') {
    const std::string_view which = std::string_view(token.text).substr(1);
    if (which == "SP")
      return {FrameValues().StackOffset() & kMask24, false};
    if (which == "PC")
      return {static_cast<int32_t>(pc_ & 0xFFFF), false};
    if (which == "RETVAL")
      return {FrameValues().ReturnValueOffset() & kMask24, false};
    if (which == "LENGTH")
      return {FrameValues().FrameLength() & kMask24, false};
    lexer_.FailAt(Plain<kMsgBadAtName>(), token.start);
  }
  if (std::optional<int32_t> value = Resolve(token.text)) {
    if (segmentValue_ >= 0)
      *value = (*value & 0xFFFF) | (segmentValue_ << 16);
    return {*value, false};
  }
  if (!segmentOverride_.empty())
    if (std::optional<int32_t> value = SymbolValue(segmentOverride_ + token.text, SymbolTableId::kGlobal))
      return {*value, false};
  uint16_t bios = 0;
  if (LookupAsmSymbolWithIopPrefix(token.text, bios))
    return {bios, false};
  if (!unresolvedName_.empty())
    lexer_.FailAt(Plain<kMsgSecondUnresolved>(), token.start);
  unresolvedName_ = token.text;
  unresolvedColumn_ = token.start;
  return {0, true};
}

std::optional<int32_t> AsmEvaluator::Resolve(const std::string &name) {
  if (std::optional<int32_t> local = SymbolValue(name, SymbolTableId::kLocal))
    return local;
  if (std::optional<int32_t> bios = BiosValue(name); bios && *bios < kBiosSmallValueLimit)
    return bios;
  if (std::optional<int32_t> label = LabelValue(name))
    return label;
  return SymbolValue(name, SymbolTableId::kGlobal);
}

} // namespace tsw::assembler
