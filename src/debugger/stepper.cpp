#include "debugger/stepper.h"

#include "debugger/insnenv.h"
#include "debugger/runtimenames.h"
#include "debugger/steptables.h"
#include "foundation/memorymap.h"

#include <optional>
#include <vector>

namespace tsw {
namespace {

constexpr uint8_t kOpcodeEd = 0xED;
constexpr uint8_t kOpcodeIx = 0xDD;
constexpr uint8_t kOpcodeJpNn = 0xC3;
constexpr uint8_t kCorvidLjp = 0xC7;
constexpr uint8_t kCorvidLcall = 0xCF;
constexpr uint8_t kZ180Rst30Far = 0xF7;
constexpr uint8_t kEdReti = 0x4D;
constexpr uint8_t kEdRetnOrLret = 0x45;
constexpr uint8_t kRestartMask = 0x38;
constexpr uint16_t kSwitchEntrySize = 5;
constexpr uint16_t kIntrFrameOffset = 24;

struct StepperState {
  TargetCpu cpu = TargetCpu::Z180;
  const StepperTables *tables = &StepperTablesFor(TargetCpu::Z180);
};
StepperState gState;

bool IsCorvid() { return gState.cpu == TargetCpu::Corvid; }

// The bytes of one instruction; past the readable ones they read as 0.
class Code {
public:
  Code(const uint8_t *code, size_t available) : code_(code), available_(code ? available : 0) {}
  uint8_t operator[](size_t i) const { return i < available_ ? code_[i] : 0; }
  uint16_t Word(size_t i) const { return uint16_t((*this)[i] | (*this)[i + 1] << 8); }
  Code From(size_t skip) const { return skip < available_ ? Code(code_ + skip, available_ - skip) : Code(nullptr, 0); }
  size_t available() const { return available_; }

private:
  const uint8_t *code_;
  size_t available_;
};

bool IsCorvidPrefix(uint8_t b) { return b == 0x76 || b == 0xD3 || b == 0xDB; }

uint16_t LengthOfOne(const Code &code) {
  const StepperTables &t = *gState.tables;
  uint8_t length = t.classes[code[0]] & kClassLengthMask;
  if (length == kClassEdPrefix)
    return t.ed[code[1]];
  if (length == kClassIxPrefix || length == kClassIyPrefix) {
    uint8_t extra = t.index[code[1]];
    return extra ? uint16_t((t.classes[code[1]] & kClassLengthMask) + extra) : 1;
  }
  return length;
}

std::optional<uint16_t> ReadDataWord(uint16_t logical) {
  uint8_t bytes[2];
  if (!InsnEnv().ReadTargetMemory(MakeDataAddr24(logical), bytes, sizeof bytes))
    return std::nullopt;
  return uint16_t(bytes[0] | bytes[1] << 8);
}

bool ReturnTarget(bool longReturn, ADDR24 *target) {
  const TargetRegisterFrame &frame = InsnEnv().Frame();
  uint8_t bytes[3];
  uint16_t count = longReturn ? 3 : 2;
  if (!InsnEnv().ReadTargetMemory(MakeDataAddr24(frame.sp), bytes, count))
    return false;
  uint8_t segment = longReturn ? bytes[2] : frame.xpc;
  *target = MakeAddr24(segment, uint16_t(bytes[0] | bytes[1] << 8));
  return true;
}

ADDR24 AfterPc(uint16_t offset) {
  const TargetRegisterFrame &frame = InsnEnv().Frame();
  return Addr24Add(MakeAddr24(frame.xpc, frame.pc), offset);
}

bool SwitchContinuation(uint16_t tableOffset, ADDR24 *target) {
  const TargetRegisterFrame &frame = InsnEnv().Frame();
  uint16_t cases = frame.bc;
  if (cases > kMaxSwitchCases)
    return false;
  ADDR24 table = AfterPc(tableOffset);
  std::vector<uint8_t> bytes(size_t(cases) * kSwitchEntrySize);
  if (cases && !InsnEnv().ReadTargetMemory(table, bytes.data(), uint16_t(bytes.size())))
    return false;
  for (size_t i = 0; i < cases; ++i) {
    const uint8_t *entry = &bytes[i * kSwitchEntrySize];
    if (uint16_t(entry[0] | entry[1] << 8) == frame.hl) {
      *target = MakeAddr24(entry[4], uint16_t(entry[2] | entry[3] << 8));
      return true;
    }
  }
  *target = Addr24Add(table, int32_t(cases) * kSwitchEntrySize);
  return true;
}

} // namespace

void SelectStepperTables() {
  gState.cpu = InsnEnv().Cpu();
  gState.tables = &StepperTablesFor(gState.cpu);
}

uint16_t InstructionLength(const uint8_t *bytes, size_t available, bool followPrefix) {
  Code code(bytes, available);
  size_t prefixes = 0;
  // A run of prefixes is data shown as code more often than not; each byte
  // counts once, and nothing is read beyond the buffer.
  if (IsCorvid() && followPrefix)
    while (prefixes < code.available() && IsCorvidPrefix(code[prefixes]))
      ++prefixes;
  return uint16_t(prefixes + LengthOfOne(code.From(prefixes)));
}

bool FindNextPc(const uint8_t *bytes, size_t available, ADDR24 *target) {
  Code code(bytes, available);
  const StepperTables &t = *gState.tables;
  const TargetRegisterFrame &frame = InsnEnv().Frame();
  uint8_t first = code[0];

  if (IsCorvid() && (first == kCorvidLjp || first == kCorvidLcall)) {
    *target = MakeAddr24(code[3], code.Word(1));
    return true;
  }
  if (first == kOpcodeEd) {
    uint8_t second = code[1];
    if (second == kEdReti || second == kEdRetnOrLret)
      return ReturnTarget(IsCorvid() && second == kEdRetnOrLret, target);
    return false;
  }

  uint16_t viaRegister = frame.hl;
  size_t at = 0; // where the opcode stands
  uint8_t length = t.classes[first] & kClassLengthMask;
  if (length == kClassIxPrefix || length == kClassIyPrefix) {
    viaRegister = first == kOpcodeIx ? frame.ix : frame.iy;
    at = 1;
  }
  uint8_t opcode = code[at];
  uint8_t kind = t.classes[opcode];
  uint8_t detail = kind & kClassLengthMask;

  switch (kind & kClassTransferMask) {
  case kTransferReturn: return ReturnTarget(false, target);
  case kTransferJump:
    if (detail == kJumpThroughRegister)
      *target = MakeAddr24(frame.xpc, viaRegister);
    else if (detail == kJumpRelative)
      *target = MakeAddr24(frame.xpc, uint16_t(frame.pc + 2 + int8_t(code[at + 1])));
    else
      *target = MakeAddr24(frame.xpc, code.Word(at + 1));
    return true;
  case kTransferCall: *target = MakeAddr24(frame.xpc, code.Word(at + 1)); return true;
  case kTransferRestart:
    if (opcode == kZ180Rst30Far && !IsCorvid())
      *target = MakeAddr24(code[at + 1], code.Word(at + 2));
    else
      *target = MakeAddr24(frame.xpc, uint16_t(opcode & kRestartMask));
    return true;
  default: return false;
  }
}

bool FindBranchTarget(const uint8_t *bytes, size_t available, ADDR24 *target) {
  Code code(bytes, available);
  switch (gState.tables->classes[code[0]] & kClassTransferMask) {
  case kTransferRestart: return false; // runs through to the fall-through trap
  case kTransferCall: return FindCallContinuation(bytes, available, target);
  default: return FindNextPc(bytes, available, target);
  }
}

bool FindCallContinuation(const uint8_t *bytes, size_t available, ADDR24 *target) {
  Code code(bytes, available);
  uint8_t first = code[0];
  bool isCall = (gState.tables->classes[first] & kClassTransferMask) == kTransferCall;
  bool isJump = first == kOpcodeJpNn;
  if (!isCall && !isJump)
    return false;
  uint16_t called = code.Word(1);
  const TargetRegisterFrame &frame = InsnEnv().Frame();

  bool frameAbove = IsAddressOfRoutine(called, {"rspixrf_", "rspixrff_", "rspixrffw_", "rspixf_", "rspixff_"});
  bool frameAt = IsAddressOfRoutine(called, {"rspixfn_", "rspixffn_"});
  if (frameAbove || frameAt) {
    uint16_t frameBase = uint16_t(frame.sp + frame.hl);
    std::optional<uint16_t> resume = ReadDataWord(uint16_t(frameBase + (frameAbove ? 2 : 0)));
    if (resume && IsAddressOfRoutine(*resume, {"intr1", "intr2", "intr3"}))
      resume = ReadDataWord(uint16_t(frameBase + kIntrFrameOffset));
    if (!resume)
      return false;
    *target = MakeAddr24(frame.xpc, *resume);
    return true;
  }
  if (isJump)
    return false;

  if (IsAddressOfRoutine(called, {"st4.", "st4.s"})) {
    *target = AfterPc(7);
    return true;
  }
  if (IsAddressOfRoutine(called,
                         {"sspixrf_", "sspixrff_", "sspixrffw_", "sspixf_", "sspixff_", "sspixfn_", "sspixffn_"})) {
    *target = AfterPc(3);
    return true;
  }
  if (IsAddressOfRoutine(called, {"longjmp"})) {
    std::optional<uint16_t> buffer = ReadDataWord(frame.sp);
    std::optional<uint16_t> resume = buffer ? ReadDataWord(uint16_t(*buffer + 4)) : std::nullopt;
    if (!resume)
      return false;
    *target = MakeAddr24(frame.xpc, *resume);
    return true;
  }
  if (IsAddressOfRoutine(called, {kSwitchRoutineName}))
    return SwitchContinuation(IsCorvid() && first == kCorvidLcall ? 4 : 3, target);
  return false;
}

bool IsAddressOfRoutine(uint16_t address, std::initializer_list<const char *> names) {
  for (const char *name : names)
    if (std::optional<uint16_t> routine = InsnEnv().FindRuntimeRoutine(name); routine && *routine == address)
      return true;
  return false;
}

void ResetStepperModule() { gState = StepperState{}; }

} // namespace tsw
