#pragma once

#include <cstdint>

// The attributes of the function or block being compiled, in three copies:
// the directive defaults (changed only by directives), the declaration copy
// (taken from the defaults for each top-level item and changed by the
// qualifiers of a declaration) and the current copy (read while code is
// generated).
namespace tsw {

enum : uint32_t {
  kAttrXmem = 0x1,
  kAttrStackCheck = 0x2,
  kAttrIndexCheck = 0x4,
  kAttrPointerCheck = 0x8,
  kAttrStep = 0x10,
  kAttrDebug = 0x20,
  kAttrTyped = 0x40,
  kAttrFirstTime = 0x80,
  kAttrInterruptMask = 0x700,
  kAttrUseIx = 0x800,
  kAttrSize = 0x1000,
  kAttrCodeBlock = 0x2000,
  kAttrCofuncMask = 0xFC000,
  kAttrSingleUser = 0x100000,
};
inline constexpr unsigned kAttrInterruptShift = 8;
inline constexpr unsigned kAttrCofuncShift = 14;
// Cleared from the directive defaults at the start of every top-level item.
inline constexpr uint32_t kAttrPerItemBits =
    kAttrTyped | kAttrFirstTime | kAttrInterruptMask | kAttrCodeBlock | kAttrCofuncMask | kAttrSingleUser;

enum class InterruptKind : uint32_t { kReti = 1, kRet = 2, kRetn = 3 };
constexpr uint32_t InterruptBits(InterruptKind kind) { return uint32_t(kind) << kAttrInterruptShift; }

struct FunctionAttributes {
  uint32_t directiveDefaults = kAttrDebug | kAttrStep;
  uint32_t declaration = 0;
  uint32_t current = 0;
};
FunctionAttributes &Attributes();

// Sets or clears the debug and single-step bits of `copy`.
void SetDebugAttributes(uint32_t &copy, bool on);
// Places the declaration copy's function in root or extended memory from a
// #memmap code (0 root, 2 xmem, 4 anymem).
void ChooseFunctionMemory(uint16_t memmapCode);

void ResetAttributesModule();

} // namespace tsw
