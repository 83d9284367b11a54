#include "compcore/cc_gen/conditional_jumps.h"

#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_in/cc_in.h"

#include <cstdint>

namespace tsw {

namespace {

// jp nz, jp z, jp nc, jp c, then the relative forms.
constexpr uint8_t kConditionOpcodes[] = {0xC2, 0xCA, 0xD2, 0xDA, 0x20, 0x28, 0x30, 0x38};
constexpr uint8_t kSenseLimit = 4;
constexpr uint8_t kCarrySenses = 2;
constexpr uint8_t kRelativeSenses = 4;
constexpr uint8_t kBackwardBit = 0x80;
constexpr int32_t kRelativeJumpLength = 2;

ADDR24 Here() { return Caches().currentCode->Current(); }

void ClearConditionWords(ValueRecord &condition) {
  condition.zeroFlagCondition = 0;
  condition.carryFlagCondition = 0;
  condition.skipLength = 0;
  ExpressionFlags().retract = false;
}

enum class JumpForm : uint8_t {
  kAbsolute,
  // The target's low byte is the displacement from before the jump's test.
  kDisplacement,
  // The target is an address: relative when in reach.
  kNearWhenInReach,
};

JumpRecord EmitJump(ValueRecord &condition, ADDR24 target, uint8_t sense, JumpForm form) {
  int32_t displacement = int8_t(target.logical);
  if (condition.skipLength == 0 || !ExpressionFlags().retract) {
    condition.carryFlagCondition = 0;
  } else {
    if (condition.zeroFlagCondition != 0)
      sense = !sense;
    // The 0/1 tail goes: the flags of the compare are the answer.
    Caches().currentCode->SetEmitAddress(Addr24Add(Here(), condition.skipLength));
    displacement -= condition.skipLength;
    Emission().flagsValid = false;
    Emission().valueIsCondition = false;
  }
  if (sense < kSenseLimit) {
    if (condition.zeroFlagCondition == 0 && condition.carryFlagCondition == 0) {
      const ADDR24 before = Here();
      EmitTestForZero(condition);
      displacement -= int32_t(Addr24Difference(Here(), before));
    } else if (condition.zeroFlagCondition < 0) {
      sense = !sense;
    }
    if (condition.carryFlagCondition != 0) {
      if (condition.carryFlagCondition < 0)
        sense = !sense;
      sense = uint8_t(sense + kCarrySenses);
    }
  }
  if (sense >= kSenseLimit) {
    CompileError<kMsgBadJumpCondition>();
    ClearConditionWords(condition);
    return {};
  }
  Emission().flagsValid = false;
  ClearConditionWords(condition);
  if (form == JumpForm::kNearWhenInReach) {
    const ADDR24 here = Here();
    const int32_t relative = int32_t(target.logical) - int32_t(here.logical) - kRelativeJumpLength;
    if (target.segment != here.segment || relative < INT8_MIN || relative > INT8_MAX)
      return EmitJumpToAddr24(target, kConditionOpcodes[sense]);
    target.logical = uint8_t(int8_t(relative));
    return EmitJumpToAddr24(target, kConditionOpcodes[sense + kRelativeSenses]);
  }
  if (form == JumpForm::kDisplacement) {
    if ((uint8_t(displacement) & kBackwardBit) == 0) {
      target = Addr24Add(Here(), displacement + kRelativeJumpLength);
    } else {
      sense = uint8_t(sense + kRelativeSenses);
      target.logical = uint16_t(uint8_t(displacement));
    }
  }
  return EmitJumpToAddr24(target, kConditionOpcodes[sense]);
}

} // namespace

JumpRecord EmitConditionalJump(ValueRecord &condition, ADDR24 target, uint8_t sense, bool shortJump) {
  return EmitJump(condition, target, sense, shortJump ? JumpForm::kDisplacement : JumpForm::kAbsolute);
}

JumpRecord EmitConditionalJumpToPlaced(ValueRecord &condition, ADDR24 target, uint8_t sense) {
  return EmitJump(condition, target, sense, JumpForm::kNearWhenInReach);
}

} // namespace tsw
