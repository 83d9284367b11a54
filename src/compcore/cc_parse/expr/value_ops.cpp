#include "compcore/cc_parse/expr/value_ops.h"

#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "foundation/msgnumbers.h"
#include "compcore/common/cc_storage.h"

namespace tsw {

namespace {

// An SP-relative word access takes an 8-bit unsigned offset; the word's
// second byte must still lie inside it.
constexpr int kStackReach = 256;
constexpr uint16_t kWordBytes = 2;

bool IsStackStorage(uint8_t storage) { return storage == kStorageAuto || storage == kClassParameterArea; }

void MarkLvalue(ValueRecord &value) {
  value.SetLvalue(true);
  value.wasLvalue = 1;
}

} // namespace

bool CheckValueNotVoid(const ValueRecord &value) {
  if (value.type == kTypeVoid && !value.HasLevel()) {
    CompileError<kMsgVoidValueUsed>();
    return false;
  }
  return true;
}

bool IsDirectlyAddressable(const ValueRecord &value) {
  switch (value.storage) {
  case kStorageConstant:
  case kStorageGlobal:
  case kStorageStatic:
  case kStorageRegisterClass:
  case kStorageExtern:
    return true;
  default:
    break;
  }
  if (!IsStackStorage(value.storage))
    return false;
  // Only the frame pointer and the Corvid's SP-relative word access reach
  // a stack variable; otherwise its address must be computed into HL, the
  // register the value itself travels in.
  return ChooseFrameAddressingKind(value) != AddressingKind::kIndirectHL &&
         (CanUseFrameIndex(value) || LocalStackOffset(value) + kWordBytes < kStackReach);
}

bool CheckAssignable(const ValueRecord &value) {
  if (value.IsLvalue())
    return true;
  const bool scalar = (value.Level() == kLevelNone && value.type < kFirstStructType) || value.Level() == kLevelPointer;
  switch (value.storage) {
  case kStorageGlobal:
  case kStorageAuto:
  case kStorageStatic:
  case kStorageRegisterClass:
  case kStorageExtern:
    if (scalar)
      return true;
    break;
  default:
    break;
  }
  CompileError<kMsgNotAssignable>();
  return false;
}

void DereferenceValue(ValueRecord &value) {
  const uint32_t kind = value.Level();
  if (kind != kLevelArray && kind != kLevelPointer)
    CompileError<kMsgNotIndirectable>();
  if (kind != kLevelPointer) {
    if (!value.dimensions) {
      value.declarator = RemoveLevel(value.declarator);
      MarkLvalue(value);
      return;
    }
    ++value.dimensions;
  }
  // The object lies where the pointer points, so the pointer itself must
  // be in the register first: an address constant, or a pointer variable
  // whose record still designates its own storage.
  const bool pointerValueHeld = value.storage == kStoragePrimary && !value.IsLvalue();
  if (value.storage == kStorageConstant || (kind == kLevelPointer && !pointerValueHeld)) {
    // A constant reader's walk loads nothing: the object is no constant.
    if (WalkEmitsCode())
      Upcalls().LoadOperandToValueRegister(value);
    else
      Walk().needsCode = true;
  }
  value.declarator = RemoveLevel(value.declarator);
  if (value.Level() == kLevelArray)
    return;
  MarkLvalue(value);
}

} // namespace tsw
