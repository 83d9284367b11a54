#include "compcore/cc_gen/value_conversions.h"

#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"

#include <cctype>

namespace tsw {

namespace {

constexpr char kTypeLetters[] = "?ciulgbfd";
constexpr uint8_t kFirstInvalidCode = 10;
constexpr int kKeyTypeShift = 4;
constexpr int kKeyScale = 8;

constexpr uint16_t Key(uint8_t from, uint8_t to) { return uint16_t((from + (to << kKeyTypeShift)) * kKeyScale); }

// Corvid stack forms: the pushed word widened in the alternate registers,
// or a pushed long cut to its low word.
constexpr uint8_t kStackSignExtendT[] = {TemplateHeader(9), 0xD9, 0xD1, 0x7A, 0x17, 0xED, 0x62, 0xE5, 0xD5, 0xD9};
constexpr uint8_t kStackZeroExtendT[] = {TemplateHeader(7), 0xD9, 0xD1, 0xCC, 0xFC, 0xE5, 0xD5, 0xD9};
constexpr uint8_t kStackTruncateT[] = {TemplateHeader(5), 0xD9, 0xE1, 0xD4, 0x00, 0xD9};
// Corvid register forms.
constexpr uint8_t kLongToCharT[] = {TemplateHeader(3), 0xEB, 0x26, 0x00};
constexpr uint8_t kLongToWordT[] = {TemplateHeader(1), 0xEB};
constexpr uint8_t kCharToLongT[] = {TemplateHeader(5), 0x26, 0x00, 0x44, 0x4C, 0xEB};
constexpr uint8_t kIntToLongT[] = {TemplateHeader(7), 0xEB, 0x7A, 0x17, 0xED, 0x62, 0x44, 0x4D};
constexpr uint8_t kWordToLongT[] = {TemplateHeader(4), 0xEB, 0x01, 0x00, 0x00};
// ld h,0: a char in L zero-extended.
constexpr uint8_t kNarrowCharT[] = {TemplateHeader(2), 0x26, 0x00};

bool Corvid() { return CurrentCpu() == TargetCpu::Corvid; }
bool CompiledForSize() { return Attributes().current & kAttrSize; }

bool IsWord(uint8_t t) { return t == kTypeInt || t == kTypeUnsigned; }
bool IsLong(uint8_t t) { return t == kTypeLong || t == kTypeUnsignedLong; }

// What a value of the type takes on the stack.
int16_t PushedSize(uint8_t type) { return type == kTypeChar ? 2 : int16_t(TypeCodeSize(type)); }

Template CorvidStackForm(uint8_t from, uint8_t to) {
  switch (Key(from, to)) {
  case Key(kTypeInt, kTypeLong):
    return CompiledForSize() ? nullptr : kStackSignExtendT;
  case Key(kTypeChar, kTypeLong):
  case Key(kTypeUnsigned, kTypeLong):
  case Key(kTypeChar, kTypeUnsignedLong):
  case Key(kTypeInt, kTypeUnsignedLong):
  case Key(kTypeUnsigned, kTypeUnsignedLong):
    return CompiledForSize() ? nullptr : kStackZeroExtendT;
  case Key(kTypeLong, kTypeChar):
  case Key(kTypeUnsignedLong, kTypeChar):
  case Key(kTypeLong, kTypeInt):
  case Key(kTypeUnsignedLong, kTypeInt):
  case Key(kTypeLong, kTypeUnsigned):
  case Key(kTypeUnsignedLong, kTypeUnsigned):
    return kStackTruncateT;
  default:
    return nullptr;
  }
}

Template CorvidRegisterForm(uint8_t from, uint8_t to, uint8_t registers) {
  const uint8_t form = registers & kConvertLongToLong;
  if (form == kConvertLongToWord) {
    if (IsLong(from) && to == kTypeChar)
      return kLongToCharT;
    if (IsLong(from) && IsWord(to))
      return kLongToWordT;
  }
  if (form == kConvertWordToLong) {
    if (from == kTypeChar && IsLong(to))
      return kCharToLongT;
    if (from == kTypeInt && to == kTypeLong)
      return CompiledForSize() ? nullptr : kIntToLongT;
    if ((from == kTypeUnsigned && to == kTypeLong) || (IsWord(from) && to == kTypeUnsignedLong))
      return kWordToLongT;
  }
  return nullptr;
}

// ---- the tables after the classification ---------------------------------------

// A stack cell: nothing, or the routine for the pair. Every pair whose
// pushed size changes calls its routine, char to float and back included.
enum class StackCell : uint8_t { kNothing, kCall };
constexpr StackCell N = StackCell::kNothing, R = StackCell::kCall;
constexpr StackCell kStackTable[7][7] = {
    // to: char int unsigned long ulong float pointer
    {N, N, N, R, R, R, N}, // char
    {N, N, N, R, R, R, N}, // int
    {N, N, N, R, R, R, N}, // unsigned
    {R, R, R, N, N, R, R}, // long
    {R, R, R, N, N, R, R}, // unsigned long
    {R, R, R, R, R, N, N}, // float
    {N, N, N, R, R, N, N}, // pointer
};

// A register cell's steps, in order: load the value, move the low word of
// a 4-byte value to HL, zero-extend a char in L, convert by routine (or
// Corvid form) with the given register form.
struct RegisterCell {
  bool load = false;
  bool lowWordToHl = false;
  bool narrowChar = false;
  uint8_t routine = 0;
};
constexpr RegisterCell O{}, L{true}, LE{true, true}, LEN{true, true, true}, Nw{false, false, true},
    LN{true, false, true}, LW{true, false, false, kConvertWordToLong}, LB{true, false, false, kConvertLongToLong},
    LH{true, false, false, kConvertLongToWord};
constexpr RegisterCell kRegisterTable[7][7] = {
    // to: char int unsigned long ulong float pointer
    {O, L, L, LW, LW, LW, L},     // char
    {Nw, O, O, LW, LW, LW, O},    // int
    {Nw, O, O, LW, LW, LW, O},    // unsigned
    {LEN, LE, LE, O, O, LB, LE},  // long
    {LEN, LE, LE, O, O, LB, LE},  // unsigned long
    {LH, LH, LH, LB, LB, O, O},   // float
    {LN, L, L, LW, LW, O, O},     // pointer
};

bool Valid(const ConversionRecord &c) {
  return c.valid && c.from < ConversionIndex::kOther && c.to < ConversionIndex::kOther;
}

// The type code a stack routine is named by: an address converts as int.
uint8_t StackTypeOf(const ValueRecord &value) {
  return value.HasLevel() ? uint8_t(kTypeInt) : value.type;
}

void RunStackCell(ConversionRecord &c) {
  if (kStackTable[size_t(c.from)][size_t(c.to)] == StackCell::kNothing)
    return;
  // The pointer column converts to int, whatever is pointed at.
  const uint8_t to = c.to == ConversionIndex::kPointer ? uint8_t(kTypeAddressBase) : c.targetType;
  ConvertStackValue(*c.value, to);
}

void RunRegisterCell(ConversionRecord &c) {
  const RegisterCell &cell = kRegisterTable[size_t(c.from)][size_t(c.to)];
  ValueRecord &value = *c.value;
  if (cell.load && !ExpressionFlags().codeSuppressed) {
    LoadOperandToValueRegister(value);
    PrimaryRegister target;
    target.charInHl = true;
    target.SetForType(c.toPointer ? uint8_t(kTypeAddressBase) : c.targetType, Reg::HL);
    FlushPrimaryRegisterColliding(target);
  }
  if (cell.lowWordToHl) {
    FlushPrimaryRegister();
    EmitFixed(Fixed::kExDeHl);
  }
  if (cell.narrowChar && (c.options & kConvertNarrowChar) && value.storage == kStoragePrimary && !value.IsLvalue())
    EmitCodeSequence(kNarrowCharT);
  if (cell.routine) {
    const uint8_t to = c.to == ConversionIndex::kPointer ? uint8_t(kTypeAddressBase) : c.targetType;
    ConvertRegisterValue(value, to, cell.routine);
  }
  // The value now fills other registers (a condition widened to a long is
  // no longer HL alone), so neither the flags nor HL's 0 or 1 describe it.
  if (cell.lowWordToHl || cell.routine) {
    Emission().flagsValid = false;
    Emission().valueIsCondition = false;
  }
}

} // namespace

std::string StackConversionName(uint8_t from, uint8_t to) {
  std::string name = "@..@";
  name.front() = char(std::toupper(kTypeLetters[from]));
  name.back() = char(std::toupper(kTypeLetters[to]));
  return name;
}

std::string RegisterConversionName(uint8_t from, uint8_t to, uint8_t registers) {
  std::string name = "Xx.Xx";
  name[0] = registers & kConvertLongToWord ? 'B' : 'H';
  name[1] = kTypeLetters[from];
  name[3] = registers & kConvertWordToLong ? 'B' : 'H';
  name[4] = kTypeLetters[to];
  return name;
}

void ConvertStackValue(ValueRecord &value, uint8_t to) {
  const uint8_t from = StackTypeOf(value);
  if (to == kTypeAddressBase)
    to = kTypeInt;
  if (from == to || (IsWord(from) && IsWord(to)) || (IsLong(from) && IsLong(to)))
    return;
  if (from >= kFirstInvalidCode || to >= kFirstInvalidCode) {
    CompileError<kMsgBadConversion>();
    return;
  }
  const Template inline_ = Corvid() ? CorvidStackForm(from, to) : nullptr;
  if (inline_) {
    EmitCodeSequence(inline_);
  } else {
    EmitCallNamedRoutine(StackConversionName(from, to));
  }
  Emission().stackOffset = int16_t(Emission().stackOffset + PushedSize(from) - PushedSize(to));
}

void ConvertRegisterValue(ValueRecord &value, uint8_t to, uint8_t registers) {
  if (ExpressionFlags().codeSuppressed)
    return;
  const uint8_t from = ConversionTypeCode(value);
  if (from >= kFirstInvalidCode || to >= kFirstInvalidCode) {
    CompileError<kMsgBadConversion>();
    return;
  }
  if (from == to)
    return;
  value.type = to;
  if ((registers & kConvertLongToLong) == 0 && ((from == kTypeChar && IsWord(to)) || (IsWord(from) && to == kTypeChar)))
    return;
  if (const Template form = Corvid() ? CorvidRegisterForm(from, to, registers) : nullptr) {
    EmitCodeSequence(form);
    return;
  }
  EmitCallNamedRoutine(RegisterConversionName(from, to, registers));
}

void ConvertOperandTo(ValueRecord &value, uint8_t type, bool toPointer, uint8_t options) {
  if (value.storage == kStorageConstant) {
    ConvertConstantTo(value, type, toPointer, options);
    return;
  }
  ConversionRecord c = BeginConversion(value, type, toPointer, options);
  ClassifyConversion(c);
  if (Valid(c)) {
    if (value.storage == kStorageStackStruct)
      RunStackCell(c);
    else
      RunRegisterCell(c);
  }
  CommitConversion(c);
}

} // namespace tsw
