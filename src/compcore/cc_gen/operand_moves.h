#pragma once

#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/register_codes.h"
#include "compcore/cc_gen/value_record.h"
#include "foundation/addr24.h"

#include <cstdint>

// Every load, store, push and pop of an expression value goes through an
// operand move: the value bound to its target registers, the way it is
// reached, and the operand bytes that follow each opcode. The move keeps
// the value's storage (in registers, pushed) and StackOffset in step with
// the code, and pushes a cached operand before its registers are written.
namespace tsw {

// What the expression compiler sets for the code below it.
struct ExpressionCodeFlags {
  // The next load of the constant 0 into HL may use the Corvid's short form.
  bool clearHl = false;
  // A conditional jump may take back the compare's 0/1 tail.
  bool retract = false;
  // The expression is compiled only for its type or size: nothing emitted.
  bool codeSuppressed = false;
};
ExpressionCodeFlags &ExpressionFlags();

// The bytes of an operand still to be emitted, little-endian.
struct OperandBytes {
  uint32_t value = 0;
  int16_t count = 0;
  int16_t position = 0;

  // Up to `n` bytes from `position` on; answers how many went out.
  int16_t Emit(int16_t n);
};

// The immediate operand of a constant: char 1 byte, int, unsigned and
// addresses 2, long and float 4; 623 for another type.
OperandBytes ConstantValueBytes(const ValueRecord &value);

struct OperandMove {
  explicit OperandMove(ValueRecord &bound);

  ValueRecord *value;
  PrimaryRegister registers;
  AddressingKind mode = AddressingKind::kNotEncodable;
  OperandBytes immediate;
  bool immediatePrepared = false;
  // Added to addresses and displacements as the chunks advance.
  int32_t runningOffset = 0;
};

// How the value is reached; 626 (and indirect) for a value in registers
// that has no address.
AddressingKind AddressingModeOfValue(const ValueRecord &value);

// Moves `count` bytes between the move's registers and the value's
// storage, chunk by chunk.
void RunMove(OperandMove &move, MoveKind kind, uint16_t count);

// What HL holds after a store of it lets a later load of the same word be
// left out. The statement compiler forgets the store where other paths may
// join the code that follows, and allows the test only where it knows none
// do; a decoded instruction in between that changes HL or memory ends it.
void ForgetHlStore();
// A jump to `target` joins the code there: from a store before it on, HL
// is no longer known.
void ForgetHlStoreJoinedAt(ADDR24 target);
class HlReloadTest {
public:
  HlReloadTest();
  ~HlReloadTest();
  HlReloadTest(const HlReloadTest &) = delete;
  HlReloadTest &operator=(const HlReloadTest &) = delete;

private:
  bool saved_;
};

// `reg` Value: the registers of the value's type. With `wantAddress` the
// registers get the value's address; with `charInA` a char goes into A.
void LoadValueToRegister(OperandMove &move, Reg reg, bool wantAddress, bool charInA);
void PushValueToStack(OperandMove &move, Reg reg);
void PopValueToRegister(OperandMove &move, Reg reg);
// The address of a value with a fixed address (or already pushed or held)
// into the pair.
void LoadAddressToRegister(OperandMove &move, Reg pair);
// The value held in `source` (Value: its type's registers) stored into the
// move's value.
void StoreRegisterToValue(OperandMove &move, Reg source);
// The value on top of the stack and the value in the registers change
// places (2 or 4 bytes each); both records follow. Any other sizes are an
// internal error and nothing is emitted.
void SwapStackAndRegister(ValueRecord &stacked, ValueRecord &inRegisters);
// An int constant into the pair; loading HL first pushes a cached operand.
void LoadConstantIntoPair(Reg pair, int16_t n);

// ---- the emitters the rest of the code generator calls -------------------------

void LoadOperandToValueRegister(ValueRecord &value);
void LoadOperandIntoBC(ValueRecord &value);
void LoadOperandAddressIntoHL(ValueRecord &value);
// A char already widened in HL stays there as an int; any other char goes
// into A.
void LoadOperandAllowingA(ValueRecord &value);
// The object a pointer value points at, loaded through its address (a
// structure or an array stays its address; a char goes into A).
void DereferenceOperand(ValueRecord &pointer);
// 603 when another operand is still cached afterwards.
void PushOperand(ValueRecord &value);
void PopOperandToValueRegister(ValueRecord &value);
void PushIntConstant(int16_t n);
void EmitStoreValue(ValueRecord &target, Reg source);

void ResetOperandMoves();

} // namespace tsw
