#include "compcore/cc_gen/far_jumps.h"

#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_stab.h"

#include <string>

namespace tsw {

namespace {

constexpr uint8_t kLoadAT[] = {TemplateHeader(1, OperandKind::kByte), 0x3E};
// out0 (38h),a: the MMU's common-bank base register, the page the window
// shows.
constexpr uint8_t kSetBankT[] = {TemplateHeader(3), 0xED, 0x39, 0x38};
// Corvid "add sp,d": the frame of a bouncer-less call gets the two bytes
// the root bouncer's return address would have taken.
constexpr uint8_t kAddSpT[] = {TemplateHeader(1, OperandKind::kByte), 0x27};
constexpr uint8_t kBouncerFrame = 2;
constexpr uint8_t kBouncerPad = 0x00;
constexpr uint8_t kOpJumpRelativeIf = 0x20;
// Bits 6-7 clear: DJNZ, JR and JR cc.
constexpr uint8_t kRelativeMask = 0xC0;
constexpr uint8_t kConditionMask = 0xC7;
constexpr int kConditionShift = 3;
// Flips the condition field's lowest bit: NZ/Z, NC/C, PO/PE, P/M.
constexpr uint8_t kOppositeCondition = 0x08;
constexpr int32_t kJumpLength = 3;
constexpr int32_t kLongJumpLength = 4;
constexpr int32_t kBankSwitchLength = 5;
constexpr int32_t kPreserveAfLength = 2;
constexpr uint16_t kRoutineFixupFlags = 0x0100;
constexpr char kNoCodeOrigin[] = "far jump without a code origin";

bool Corvid() { return CurrentCpu() == TargetCpu::Corvid; }

ADDR24 CurrentAddress() { return Caches().currentCode->Current(); }

bool IsRelative(uint8_t opcode) { return (opcode & kRelativeMask) == 0; }
bool IsConditionalJump(uint8_t opcode) { return (opcode & kConditionMask) == kOpJumpIf; }
bool IsCall(uint8_t opcode) {
  return opcode == kOpCall || opcode == kOpLongCall || (opcode & kConditionMask) == kOpCallIf;
}

// Code at `from` reaches `target` with a 16-bit operand: root targets
// always, window targets only from the same page of the window.
bool SeesTarget(ADDR24 from, ADDR24 target) {
  return !Addr24InWindow(target) || (Addr24InWindow(from) && from.segment == target.segment);
}

JumpRecord EmitShortJump(ADDR24 target, uint8_t opcode) {
  EmitCodeByte(opcode);
  JumpRecord record{opcode, CurrentAddress()};
  if (IsRelative(opcode)) {
    EmitCodeByte(uint8_t(target.logical));
    return record;
  }
  EmitWord(target.logical);
  if (opcode == kOpLongJump)
    EmitCodeByte(target.segment);
  return record;
}

// The window is switched to the target's page, then a plain jump.
JumpRecord EmitZ180BankJump(ADDR24 target, bool preserveAf) {
  if (preserveAf)
    EmitFixed(Fixed::kPushAf);
  EmitCodeSequence(kLoadAT);
  EmitCodeByte(target.segment);
  EmitCodeSequence(kSetBankT);
  if (preserveAf)
    EmitFixed(Fixed::kPopAf);
  return EmitShortJump(target, kOpJump);
}

// The long forms of a window jump go into root code, and a rewrite into
// the cache of its place: without an origin there is nowhere to put them.
bool HasOrigin(const EmitCache *cache) {
  if (cache && cache->AttachedOrigin())
    return true;
  CompileError<kMsgEmitOutside>(std::string(kNoCodeOrigin));
  return false;
}

// A conditional far jump from root code: the opposite condition skips the
// `length` bytes of the long form that follows.
void EmitSkipOnOppositeCondition(uint8_t opcode, int32_t length) {
  EmitShortJump(Addr24Add(CurrentAddress(), kJumpLength + length), uint8_t(opcode ^ kOppositeCondition));
}

JumpRecord EmitCorvidFarJump(ADDR24 target, uint8_t opcode) {
  if (opcode == kOpLongJump)
    return {kOpLongJump, EmitLongJumpTrampoline(target, kOpLongJump)};
  const ADDR24 from = CurrentAddress();
  if (Addr24InWindow(from)) {
    if (!HasOrigin(Caches().rootCode))
      return {};
    // The long jump goes into root code, which every page sees; the jump
    // here, conditional or not, reaches it there.
    SelectCodeCache(Caches().rootCode->Current());
    const ADDR24 longJump = Addr24Add(EmitLongJumpTrampoline(target, kOpLongJump), -1);
    SelectCodeCache(from);
    return EmitShortJump(longJump, opcode);
  }
  if (IsConditionalJump(opcode))
    EmitSkipOnOppositeCondition(opcode, kLongJumpLength);
  return {kOpLongJump, EmitLongJumpTrampoline(target, kOpLongJump)};
}

JumpRecord EmitZ180FarJump(ADDR24 target, uint8_t opcode, bool preserveAf) {
  const ADDR24 from = CurrentAddress();
  const bool fromWindow = Addr24InWindow(from);
  const bool conditional = IsConditionalJump(opcode);
  if (fromWindow) {
    if (!HasOrigin(Caches().rootCode))
      return {};
    // The bank switch must run from root code: the window changes under it.
    const ADDR24 rootAt = Caches().rootCode->Current();
    EmitShortJump(rootAt, kOpJump);
    const ADDR24 resume = CurrentAddress();
    SelectCodeCache(rootAt);
    // A condition that fails goes back to the window code after the jump.
    if (conditional)
      EmitShortJump(resume, uint8_t(opcode ^ kOppositeCondition));
    JumpRecord record = EmitZ180BankJump(target, preserveAf);
    SelectCodeCache(resume);
    return record;
  }
  if (conditional)
    EmitSkipOnOppositeCondition(opcode, kBankSwitchLength + (preserveAf ? kPreserveAfLength : 0) + kJumpLength);
  return EmitZ180BankJump(target, preserveAf);
}

// A forward call aims at the bouncer (address 0 unless the BIOS has one)
// until its target is known; if that target is in a bank the call becomes
// a long call, whose page byte this reserves.
bool NeedsBouncerPad(ADDR24 target, uint8_t opcode, const SymbolRecord *symbol) {
  const CodeGenSettings &settings = CodeGenSetup();
  if (!Corvid() || opcode != kOpCall || !settings.noBouncers)
    return false;
  if (Addr24InWindow(target) || target.logical != settings.bouncerRoutine)
    return false;
  // A defined function keeps the call as it is.
  return !(symbol && symbol->definition != 0);
}

} // namespace

JumpRecord EmitJumpToAddr24(ADDR24 target, uint8_t opcode, bool preserveAf) {
  ForgetHlStoreJoinedAt(target);
  // The long jump is a Corvid instruction (rst 00h on the Z180).
  if (!Corvid() && opcode == kOpLongJump)
    opcode = kOpJump;
  if (IsRelative(opcode) || SeesTarget(CurrentAddress(), target))
    return EmitShortJump(target, opcode);
  return Corvid() ? EmitCorvidFarJump(target, opcode) : EmitZ180FarJump(target, opcode, preserveAf);
}

ADDR24 EmitCallToAddr24(ADDR24 target, uint8_t opcode, const SymbolRecord *symbol) {
  if (!Corvid()) {
    // The long call is a Corvid instruction (rst 08h on the Z180).
    if (opcode == kOpLongCall)
      opcode = kOpCall;
    return EmitLongJumpTrampoline(target, opcode, symbol);
  }
  const CodeGenSettings &settings = CodeGenSetup();
  if (Addr24ToLong(target) != 0) {
    if (Addr24InWindow(target)) {
      if (opcode == kOpCall && (settings.noBouncers || settings.addressDirectory))
        opcode = kOpLongCall;
    } else if (settings.addressDirectory) {
      const ADDR24 body = LookupRoot(target);
      if (Addr24InWindow(body)) {
        if (settings.noBouncers)
          return EmitCallToAddr24(body, opcode, symbol);
        EmitCodeSequence(kAddSpT);
        EmitCodeByte(uint8_t(-kBouncerFrame));
        const ADDR24 operand = EmitCallToAddr24(body, opcode, symbol);
        EmitCodeSequence(kAddSpT);
        EmitCodeByte(kBouncerFrame);
        return operand;
      }
    }
    if (opcode == kOpLongCall && !settings.addressDirectory)
      target = LookupRoot(target);
  }
  return EmitLongJumpTrampoline(target, opcode, symbol);
}

ADDR24 EmitLongJumpTrampoline(ADDR24 target, uint8_t opcode, const SymbolRecord *symbol) {
  EmitCodeByte(opcode);
  const ADDR24 operand = CurrentAddress();
  EmitWord(target.logical);
  if (Corvid() && (opcode == kOpLongCall || opcode == kOpLongJump))
    EmitCodeByte(target.segment);
  else if (NeedsBouncerPad(target, opcode, symbol))
    EmitCodeByte(kBouncerPad);
  return operand;
}

void EmitConditionalCallNamed(std::string_view routine, Condition condition) {
  const uint8_t code = uint8_t(condition);
  switch (CurrentCpu()) {
  case TargetCpu::Z180: {
    const ADDR24 address = Upcalls().LookupRoutineSymbol(routine, kRoutineFixupFlags, kOpCall);
    EmitCallToAddr24(address, uint8_t(kOpCallIf | code << kConditionShift));
    return;
  }
  case TargetCpu::Corvid: {
    // The call is skipped on the opposite condition: a relative jump where
    // one exists (NZ, Z, NC, C), else a JP.
    const uint8_t opposite = uint8_t(code ^ 1);
    const bool relative = condition <= Condition::kC;
    const JumpRecord skip =
        EmitShortJump(ADDR24{}, uint8_t((relative ? kOpJumpRelativeIf : kOpJumpIf) | opposite << kConditionShift));
    Upcalls().EmitCallNamedRoutine(routine);
    const ADDR24 after = CurrentAddress();
    if (!relative) {
      PatchCodeWord(skip.operand, after.logical);
      return;
    }
    const int32_t distance = int32_t(Addr24Difference(after, Addr24Add(skip.operand, 1)));
    if (distance > INT8_MAX)
      CompileError<kMsgDisplacementRange>();
    else
      PatchCodeByte(skip.operand, uint8_t(distance));
    return;
  }
  }
  CompileError<kMsgConditionalCallCpu>();
}

void EmitFarJumpFixup(JumpRecord place, ADDR24 target) {
  ForgetHlStoreJoinedAt(target);
  if (!Addr24InWindow(target)) {
    PatchCodeWord(place.operand, target.logical);
    return;
  }
  CachePointers &c = Caches();
  EmitCache *previous = c.currentCode;
  const ADDR24 rootEnd = c.rootCode->Current();
  const ADDR24 xmemEnd = c.xmemCode->Current();
  ADDR24 instruction = MakeAddr24(place.operand.segment, uint16_t(place.operand.logical - 1));
  // The operand at the window's first byte: its opcode is the previous
  // page's last byte, seen through the window.
  if (Addr24InWindow(place.operand) && !Addr24InWindow(instruction))
    instruction = MakeAddr24(uint8_t(place.operand.segment - 1), uint16_t(instruction.logical + kExtPageSize));
  const bool inRoot = !Addr24InWindow(instruction);
  if (!HasOrigin(inRoot ? c.rootCode : c.xmemCode))
    return;
  // Read before the cache moves there: the cache reads nothing at or after
  // its emit address.
  uint8_t opcode = place.opcode ? place.opcode : (inRoot ? c.rootCode : c.xmemCode)->ReadAt(instruction);
  SelectCodeCache(instruction);
  if (Corvid() && opcode == kOpCall && CodeGenSetup().noBouncers)
    opcode = kOpLongCall;
  const bool call = IsCall(opcode);
  // A root jump has three bytes; the long form it needs does not fit
  // there and goes on at the end of root code.
  const bool trampoline = inRoot && !call && !(Corvid() && opcode == kOpLongJump);
  if (trampoline) {
    EmitShortJump(rootEnd, kOpJump);
    SelectCodeCache(rootEnd);
  }
  if (call)
    EmitCallToAddr24(target, opcode);
  else
    EmitJumpToAddr24(target, opcode);
  // A condition that fails comes back behind the jump.
  if (trampoline && IsConditionalJump(opcode))
    EmitShortJump(Addr24Add(instruction, kJumpLength), kOpJump);
  // Root code keeps what a trampoline or a window jump's long form placed
  // at its end; a place rewritten in root code gives the end back.
  c.rootCode->SetEmitAddress(trampoline || !inRoot ? c.rootCode->Current() : rootEnd);
  c.xmemCode->SetEmitAddress(xmemEnd);
  c.currentCode = previous;
}

} // namespace tsw
