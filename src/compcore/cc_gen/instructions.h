#pragma once

#include "compcore/cc_gen/register_codes.h"
#include "compcore/cc_gen/value_record.h"

#include <array>
#include <cstdint>
#include <span>

// The lowest layer of the code generator above the code byte: fixed
// instruction sequences of the Z180 and the Corvid kept as templates, and
// the small emitters that turn a request (load DE from an operand, adjust SP
// by -6, test a value for zero) into the bytes of the processor being
// compiled for. Every fixed byte reaches the code through EmitCodeSequence;
// operands follow through the code byte and word emitters. A form only the
// Corvid has is never emitted for the Z180: asking for one there is 641.
namespace tsw {

// ---- templates -------------------------------------------------------------------

// What the caller emits after a template: nothing, one byte (n or d), or a
// 16-bit word (nn).
enum class OperandKind : uint8_t { kNone = 0, kByte = 1, kWord = 2 };

// A header byte (bits 0-3 the instruction bytes that follow, bits 4-6 the
// operand kind) and up to 15 instruction bytes. The header's count 0 is the
// empty template: no instruction exists there.
using Template = const uint8_t *;
constexpr uint8_t TemplateHeader(unsigned count, OperandKind kind = OperandKind::kNone) {
  return uint8_t(count | unsigned(kind) << 4);
}
constexpr bool IsEmptyTemplate(Template t) { return (t[0] & 0x0F) == 0; }
inline constexpr uint8_t kEmptyTemplate[] = {0x00};

void EmitCodeSequence(Template t);
// The operand kind of the last template emitted, for the operand emitter.
OperandKind PendingOperandKind();

// ---- registers and addressing ------------------------------------------------------

uint16_t RegisterByteSize(Reg r);

enum class AddressingKind : uint8_t {
  kImmediate = 0,
  kDirect = 1,      // absolute 16-bit address
  kIndirectHL = 2,  // (hl)
  kFrame = 3,       // (ix+d)
  kRegister = 4,    // the operand is already in L or A
  kStack = 5,       // (sp+n), Corvid only
  kNotEncodable = 6,
};

// The registers that hold or will hold one value: up to two entries (a long
// is DE then BC, DE the low word).
struct RegisterEntry {
  Reg pair = Reg::None;
  Reg high = Reg::None;
  Reg low = Reg::None;
  int16_t size = 0;
};
struct PrimaryRegister {
  std::array<RegisterEntry, 2> entries{};
  int16_t count = 0;
  int16_t current = 0;
  int16_t position = 0;
  bool fixed = false;
  uint16_t totalSize = 0;
  // A char goes to HL, widened, rather than to A.
  bool charInHl = false;

  void Clear();
  void Add(Reg code);
  // The set for a value of `type`; `pointerPair` holds an address (type
  // 12). 637 for a type no register holds. A fixed set stays as it is.
  void SetForType(uint8_t type, Reg pointerPair);
  bool Holds(Reg pair) const;
};

// ---- fixed instructions -------------------------------------------------------------

enum class Fixed : uint8_t {
  kCall,         // the call opcode alone
  kRet,
  kReti,
  kLret,         // Corvid: return from extended memory
  kPushIx,
  kIxFromSp,     // ld ix,0; add ix,sp
  kSpFromIx,
  kPopIx,
  kExx,
  kLdHlWord,     // ld hl,nn (opcode only)
  kAddHlSp,
  kLdSpHl,
  kPushAf,
  kPopAf,
  kEi,
  kDi,
  kPushIp,       // Corvid
  kPopIp,        // Corvid
  kLdAI,         // Z180
  kLdi,
  kLdir,
  kExSpHl,
  kExDeHl,
  kLdLA,
  kLdAL,
  kAddHlHl,
  kAddHlDe,
  kOrASbcHlDe,
  kIncHl,
  kDecHl,
  kIncA,
  kDecA,
  kOrA,
  kRst28,        // the debugger's statement hook
  kRes7B,        // Corvid
  kOrHlDeFromBc, // Corvid: ld h,b; ld l,c; or hl,de
  kLdAHOrL,
  kBoolHl,       // Corvid
  kSpAddress,    // ld hl,0; add hl,sp
  kShiftHlRightLogical,
  kShiftHlRightArithmetic,
};
// 641 and nothing emitted for a Corvid form on the Z180.
void EmitFixed(Fixed instruction);

// ---- stack ---------------------------------------------------------------------------

// BC, DE or HL; StackOffset follows. 640 (push) or 639 (pop) for another
// register.
void EmitPushPair(Reg pair);
void EmitPopPair(Reg pair);
// 0-5: BC, DE, HL, AF, IX, IY.
void EmitPushByIndex(unsigned index);
void EmitPopByIndex(unsigned index);

// SP += delta by the cheapest form; with preserveHl the value in HL
// survives. StackOffset is the caller's to keep (EmitStackAdjustAndTrack).
void EmitAdjustStackPointer(int16_t delta, bool preserveHl);
void EmitStackAdjustAndTrack(int16_t delta);
void EmitFramePointerSetup(uint16_t localsSize);
void EmitFramePointerRelease();
void EmitReturn(bool interrupt);

// ---- interrupts ------------------------------------------------------------------------

void EmitEnableInterrupts();
// The Corvid takes a priority 0..3 (794 outside).
void EmitDisableInterrupts(int level);
void EmitIpset(int level);
void EmitIpres();
// Save and restore the interrupt state around a critical section; answer
// the stack bytes used, which IpStackOffset follows.
int EmitPushInterruptState(int level);
int EmitPopInterruptState();

// ---- loads and stores through the tables ------------------------------------------

// Emit the register's load or store form for the addressing kind and leave
// the templates that go between and after the operand's bytes. 641 for a
// kind the processor cannot encode, 642/643 for no form.
void EmitLoadRegister(Reg reg, AddressingKind kind);
void EmitStoreRegister(Reg reg, AddressingKind kind);

// The value's memory class: shared (1) and protected (2) data are reached
// by run-time routines; the symbol decides when the value does not say.
uint8_t ValueMemoryClass(const ValueRecord &value);
// ld (hl),n or ld (ix+d),n: 644 for another kind.
void EmitStoreImmediate(AddressingKind kind);
enum class AccumulatorOp : uint8_t { kAdd, kAdc, kSub, kSbc, kOr, kXor, kAnd, kSla, kSra, kSrl };
// 645 for a kind outside the table, 646 for a row without that form.
void EmitAccumulatorOp(AccumulatorOp op, AddressingKind kind);
Template StepTemplate();
Template FinishTemplate();
Reg LastLoadedRegister();
AddressingKind LastOperandKind();

// A char held in A becomes an int in HL; the int's low byte goes back to A.
void WidenCharInA(ValueRecord &value);
void NarrowHlToA(ValueRecord &value);

// ---- value moves ---------------------------------------------------------------------

// A value held in registers into BC, DE or HL (a long stays in DE:BC).
// 648, 649 or 650 for a pair or type that has no such move.
void MoveRegisterValueToPair(ValueRecord &value, Reg pair);
// The address of a stack variable into the pair.
void LoadStackOperand(ValueRecord &value, Reg pair);
// A 4-byte load or store by a run-time routine where the value's memory
// class asks for one; false when the caller emits it inline.
bool EmitLongLoadCall(ValueRecord &value);
enum class LongStoreUse : uint8_t { kPlain, kAssignment };
bool EmitLongStoreCall(ValueRecord &target, LongStoreUse use);
// Stores HL through the address on top of the stack.
void StoreHlThroughStackedAddress(const ValueRecord &target, const ValueRecord &source);

void EmitBlockCopy(const ValueRecord &operand, uint16_t count);
void EmitStructCopy(ValueRecord &destination, ValueRecord &source);
// Exchanges the top of the stack with the value register.
void EmitSwapTop(uint8_t type);

// ---- tests and operators -------------------------------------------------------------

// HL = 1 when the zero flag is clear (polarity 1) or set (polarity 0).
void EmitZeroFlagToHl(int polarity);
// Leaves the zero flag set iff the value is 0, and the value as an int 0/1
// in HL (a char stays in A).
void EmitTestForZero(ValueRecord &value);

enum class UnaryOp : uint8_t { kNegate, kLogicalNot, kComplement };
// The operator on the value register; the value's type picks the form.
void EmitUnaryOperator(ValueRecord &value, UnaryOp op);

struct SwitchCase {
  uint16_t value = 0;
  uint16_t address = 0;
  uint8_t segment = 0;
};
void EmitSwitchDispatch(std::span<const SwitchCase> cases);
// A call through the pointer value the caller pushed.
void EmitCofunctionIndirectCall(ValueRecord &operand);

// ---- move hooks: what the operand move engine asks of the processor ------------------

bool CanUseFrameIndex(const ValueRecord &value);
void AdjustStackForValue(const PrimaryRegister &registers, int16_t delta);
// The addressing kind of a value in the stack frame.
AddressingKind ChooseFrameAddressingKind(const ValueRecord &value);
enum class MoveKind : uint8_t { kLoad = 10, kStore = 11 };
uint16_t ChunkCapacity(MoveKind kind, AddressingKind addressing, Reg currentPair);
// The I/O prefix in front of each chunk of an operand in I/O space.
void MoveBeforeChunk(const ValueRecord &operand);
void MoveAfterChunk(bool bytesRemain);
void MoveEnd();
// A move of a kind the processor has no chunks for: 647.
void MoveOtherKind();

void ResetInstructionEmission();

} // namespace tsw
