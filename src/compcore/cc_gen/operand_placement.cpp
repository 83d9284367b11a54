#include "compcore/cc_gen/operand_placement.h"

#include "compcore/cc_gen/constant_convert.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_conversions.h"

namespace tsw {

namespace {

bool InRegisters(const ValueRecord &value) { return value.storage == kStoragePrimary; }
bool Pushed(const ValueRecord &value) { return value.storage == kStorageStackStruct; }

// A value in memory that can go straight into DE: nothing to convert, and
// not a char, whose single byte reaches a pair only through A.
bool LoadsStraightIntoDe(ValueRecord &value, uint8_t type) {
  if (value.type == kTypeChar && !value.HasLevel())
    return false;
  return !ConvertCheck(value, type, value.HasLevel(), kConvertDefaultOptions).commit;
}

} // namespace

void ConvertForOperation(ValueRecord &value, uint8_t type) {
  ConvertOperandTo(value, type, false, kConvertDefaultOptions);
}

void PlaceInValueRegister(ValueRecord &value, uint8_t type, bool charInA) {
  if (Pushed(value))
    PopOperandToValueRegister(value);
  else if (charInA)
    LoadOperandAllowingA(value);
  else
    LoadOperandToValueRegister(value);
  ConvertForOperation(value, type);
}

void PlaceInHlAndDe(ValueRecord &left, ValueRecord &right, uint8_t type, bool leftInHl) {
  ValueRecord &inHl = leftInHl ? left : right;
  ValueRecord &inDe = leftInHl ? right : left;
  if (Pushed(left) && Pushed(right)) {
    // The right operand was pushed last.
    ConvertForOperation(right, type);
    OperandMove move(right);
    PopValueToRegister(move, leftInHl ? Reg::DE : Reg::HL);
    ConvertForOperation(left, type);
    OperandMove other(left);
    PopValueToRegister(other, leftInHl ? Reg::HL : Reg::DE);
    return;
  }
  if (InRegisters(inDe)) {
    PlaceInValueRegister(inDe, type, false);
    // A long cached in DE:BC beside it (the shifted value of x >> (a < b))
    // goes to the stack before ex de,hl overwrites DE.
    FlushPrimaryRegisterHolding(Reg::DE);
    EmitFixed(Fixed::kExDeHl);
    PlaceInValueRegister(inHl, type, false);
    return;
  }
  if (!Pushed(inHl)) {
    PlaceInValueRegister(inHl, type, false);
    CachePrimaryRegister(inHl, false);
  }
  if (Pushed(inDe)) {
    ConvertForOperation(inDe, type);
    OperandMove move(inDe);
    PopValueToRegister(move, Reg::DE);
  } else if (LoadsStraightIntoDe(inDe, type)) {
    OperandMove move(inDe);
    LoadValueToRegister(move, Reg::DE, false, false);
    // Its bits stand as they are, but it takes the operation's type as the
    // other placements do: where it is the left operand it describes the
    // result (69 ^ an unsigned is unsigned).
    if (!inDe.HasLevel())
      inDe.type = type;
  } else {
    PlaceInValueRegister(inDe, type, false);
    FlushPrimaryRegister();
    EmitFixed(Fixed::kExDeHl);
  }
  ForgetPrimaryRegister(inHl);
  if (Pushed(inHl)) {
    ConvertForOperation(inHl, type);
    PopOperandToValueRegister(inHl);
  }
}

bool PlaceOnStackAndInRegisters(ValueRecord &pushed, ValueRecord &inRegisters, uint8_t type) {
  // Both can be held at once in registers apart (a long in DE:BC, an
  // unsigned then computed in HL); converting the one would overwrite the
  // other, so the stacked one goes first.
  if (InRegisters(pushed) && InRegisters(inRegisters)) {
    PushOperand(pushed);
    ConvertForOperation(pushed, type);
    PlaceInValueRegister(inRegisters, type, false);
    return false;
  }
  if (InRegisters(inRegisters)) {
    PlaceInValueRegister(inRegisters, type, false);
    if (Pushed(pushed)) {
      ConvertForOperation(pushed, type);
      return false;
    }
    PushOperand(inRegisters);
    PlaceInValueRegister(pushed, type, false);
    return true;
  }
  if (Pushed(inRegisters)) {
    if (Pushed(pushed)) {
      PlaceInValueRegister(inRegisters, type, false);
      ConvertForOperation(pushed, type);
      return false;
    }
    ConvertForOperation(inRegisters, type);
    PlaceInValueRegister(pushed, type, false);
    return true;
  }
  if (Pushed(pushed)) {
    ConvertForOperation(pushed, type);
  } else {
    PlaceInValueRegister(pushed, type, false);
    PushOperand(pushed);
  }
  PlaceInValueRegister(inRegisters, type, false);
  return false;
}

} // namespace tsw
