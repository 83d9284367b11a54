#include "compcore/cc_gen/intrinsics.h"

#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_in.h"

#include <array>

namespace tsw {

namespace {

constexpr uint8_t kIn0FromPortT[] = {TemplateHeader(2, OperandKind::kByte), 0xED, 0x38};  // in0 a,(n)
constexpr uint8_t kInFromCT[] = {TemplateHeader(2), 0xED, 0x78};                          // in a,(c)
constexpr uint8_t kOut0FromLT[] = {TemplateHeader(2, OperandKind::kByte), 0xED, 0x29};    // out0 (n),l
constexpr uint8_t kOutFromLT[] = {TemplateHeader(2), 0xED, 0x69};                         // out (c),l
constexpr uint8_t kOut0FromAT[] = {TemplateHeader(2, OperandKind::kByte), 0xED, 0x39};    // out0 (n),a
constexpr uint8_t kOutFromAT[] = {TemplateHeader(2), 0xED, 0x79};                         // out (c),a
constexpr uint8_t kLdBcWordT[] = {TemplateHeader(1, OperandKind::kWord), 0x01};
constexpr uint8_t kBcFromHlT[] = {TemplateHeader(2), 0x44, 0x4D};                         // ld b,h; ld c,l
constexpr uint8_t kBcFromAT[] = {TemplateHeader(3), 0x4F, 0x06, 0x00};                    // ld c,a; ld b,0
constexpr uint8_t kLdLNT[] = {TemplateHeader(1, OperandKind::kByte), 0x2E};
constexpr uint8_t kLdLAT[] = {TemplateHeader(1), 0x6F};
// The zero flag of a bit test as 0 or 1 in HL; neither instruction touches
// the flags, so they go on telling the value.
constexpr uint8_t kZeroFlagToHlT[] = {TemplateHeader(6), 0x21, 0x00, 0x00, 0x28, 0x01, 0x23};
constexpr uint8_t kInternalIoT[] = {TemplateHeader(1), 0xD3}; // Corvid ioi
constexpr uint8_t kExternalIoT[] = {TemplateHeader(1), 0xDB}; // Corvid ioe

constexpr uint16_t kLowPorts = 0x100;
constexpr uint32_t kHighestBit = 7;
constexpr int kBitShift = 3;
constexpr int16_t kPushedArguments = 4;

enum class BitTarget : uint8_t { kIndirectHl, kA };
// bit, res and set 0,(hl) and 0,a by operation and target; a copy takes the
// bit number in bits 3-5 of its last byte.
using BitTemplate = std::array<uint8_t, 3>;
constexpr BitTemplate kBitOps[3][2] = {
    {{TemplateHeader(2), 0xCB, 0x46}, {TemplateHeader(2), 0xCB, 0x47}},
    {{TemplateHeader(2), 0xCB, 0x86}, {TemplateHeader(2), 0xCB, 0x87}},
    {{TemplateHeader(2), 0xCB, 0xC6}, {TemplateHeader(2), 0xCB, 0xC7}},
};

// Run-time routines for a bit number known only at run time, by operation
// and space. Each takes the address (or port) and the bit number pushed in
// that order, leaves them for the caller to remove, and answers a test in
// the zero flag (set when the bit is 0).
constexpr const char *kBitRoutines[3][3] = {
    {"BIT", "IBIT", "EBIT"},
    {"RES", "IRES", "ERES"},
    {"SET", "ISET", "ESET"},
};

bool Z180() { return CurrentCpu() == TargetCpu::Z180; }

bool IsConstant(const ValueRecord &value) { return value.storage == kStorageConstant; }
bool IsLowPort(const ValueRecord &port) { return IsConstant(port) && port.value < kLowPorts; }

void SetPrimary(ValueRecord &result, uint8_t type) {
  InitValueRecord(result, kStoragePrimary, type, 0, nullptr, 0, nullptr, 0, 0);
}

// A port above 255, or one known only at run time, goes to BC for the
// (c) forms.
void LoadPortIntoBc(ValueRecord &port) {
  if (IsConstant(port)) {
    EmitCodeSequence(kLdBcWordT);
    EmitWord(uint16_t(port.value));
    return;
  }
  Upcalls().LoadOperandToValueRegister(port);
  EmitCodeSequence(port.IsByteResult() ? kBcFromAT : kBcFromHlT);
}

// in0 for a low constant port, else in a,(c) with the port in BC.
void ReadPort(ValueRecord &port) {
  if (IsLowPort(port)) {
    EmitCodeSequence(kIn0FromPortT);
    EmitCodeByte(uint8_t(port.value));
    return;
  }
  LoadPortIntoBc(port);
  EmitCodeSequence(kInFromCT);
}

void EmitBitOperation(BitOperation operation, BitTarget target, uint8_t bit) {
  BitTemplate copy = kBitOps[size_t(operation)][size_t(target)];
  copy.back() = uint8_t(copy.back() | bit << kBitShift);
  EmitCodeSequence(copy.data());
}

// A test's result: 0 or 1 in HL, the flags telling which.
void FinishBit(BitOperation operation, ValueRecord &result) {
  if (operation != BitOperation::kTest) {
    SetPrimary(result, kTypeVoid);
    return;
  }
  EmitCodeSequence(kZeroFlagToHlT);
  SetPrimary(result, kTypeInt);
  EmissionState &e = Emission();
  e.flagsValid = true;
  e.valueIsCondition = true;
}

// A constant bit number is done inline; 487 above 7.
bool BitInRange(const ValueRecord &bit) {
  if (bit.value <= kHighestBit)
    return true;
  CompileError<kMsgBitNumberAbove7>();
  return false;
}

void CallBitRoutine(BitOperation operation, IoSpace space, ValueRecord &where, ValueRecord &bit,
                    ValueRecord &result) {
  Upcalls().LoadOperandToValueRegister(where);
  EmitPushPair(Reg::HL);
  Upcalls().LoadOperandToValueRegister(bit);
  EmitPushPair(Reg::HL);
  Upcalls().EmitCallNamedRoutine(kBitRoutines[size_t(operation)][size_t(space)]);
  const bool test = operation == BitOperation::kTest;
  // The routine answers in the zero flag, which taking the arguments off
  // may not keep: HL takes it first.
  if (test)
    EmitCodeSequence(kZeroFlagToHlT);
  EmitStackAdjustAndTrack(kPushedArguments);
  SetPrimary(result, test ? kTypeInt : kTypeVoid);
  Emission().valueIsCondition = test;
}

} // namespace

void CompileInportIntrinsic(ValueRecord &port, ValueRecord &result) {
  if (!Z180()) {
    CompileError<kMsgInvalidOperands>();
    return;
  }
  ReadPort(port);
  SetPrimary(result, kTypeChar);
  result.SetByteResult(true);
}

void CompileOutportIntrinsic(ValueRecord &port, ValueRecord &value) {
  if (!Z180()) {
    CompileError<kMsgInvalidOperands>();
    return;
  }
  // Loading a port into BC goes through HL, so it comes before the value.
  const bool throughBc = !IsLowPort(port);
  if (throughBc)
    LoadPortIntoBc(port);
  if (IsConstant(value)) {
    EmitCodeSequence(kLdLNT);
    EmitCodeByte(uint8_t(value.value));
  } else {
    Upcalls().LoadOperandToValueRegister(value);
    if (value.IsByteResult())
      EmitCodeSequence(kLdLAT);
  }
  if (throughBc) {
    EmitCodeSequence(kOutFromLT);
    return;
  }
  EmitCodeSequence(kOut0FromLT);
  EmitCodeByte(uint8_t(port.value));
}

void CompileIoBitIntrinsic(BitOperation operation, IoSpace space, ValueRecord &address, ValueRecord &bit,
                           ValueRecord &result) {
  // The I/O prefixes are in and out instructions on the Z180.
  if (space != IoSpace::kMemory && Z180()) {
    CompileError<kMsgKindNotEncodable>();
    return;
  }
  if (!IsConstant(bit)) {
    CallBitRoutine(operation, space, address, bit, result);
    return;
  }
  if (!BitInRange(bit))
    return;
  Upcalls().LoadOperandToValueRegister(address);
  if (space == IoSpace::kInternal)
    EmitCodeSequence(kInternalIoT);
  else if (space == IoSpace::kExternal)
    EmitCodeSequence(kExternalIoT);
  EmitBitOperation(operation, BitTarget::kIndirectHl, uint8_t(bit.value));
  FinishBit(operation, result);
}

void CompilePortBitIntrinsic(BitOperation operation, ValueRecord &port, ValueRecord &bit, ValueRecord &result) {
  if (!Z180()) {
    CompileError<kMsgInvalidOperands>();
    return;
  }
  if (!IsConstant(bit)) {
    CallBitRoutine(operation, IoSpace::kInternal, port, bit, result);
    return;
  }
  if (!BitInRange(bit))
    return;
  ReadPort(port);
  EmitBitOperation(operation, BitTarget::kA, uint8_t(bit.value));
  if (operation != BitOperation::kTest) {
    // BC still holds a port read through it.
    if (IsLowPort(port)) {
      EmitCodeSequence(kOut0FromAT);
      EmitCodeByte(uint8_t(port.value));
    } else {
      EmitCodeSequence(kOutFromAT);
    }
  }
  FinishBit(operation, result);
}

} // namespace tsw
