#pragma once

#include "compcore/cc_gen/internal_labels.h"
#include "compcore/cc_gen/value_record.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <string>
#include <vector>

// What the code generator asks of a value record without emitting code:
// sizes, the type at a declarator level, whether and where it has a fixed
// address, the SP-relative offset of a stack variable, constant tests, and
// the makers of values. Only VariableAddress records anything: the fixup of
// an address not yet known.
namespace tsw {

class EmitCache;

// ---- sizes and types ---------------------------------------------------------

uint16_t TypeCodeSize(uint8_t type);
// A char pushed on the stack takes a word.
uint16_t ValueStorageSize(const ValueRecord &value);
// The byte size of what the value points at or whose element it is: the
// scale of pointer arithmetic and the answer of sizeof. 450 for an array
// level without a known dimension (counted as 1).
uint16_t ArrayDimensionProduct(const ValueRecord &value);

enum class OperandSizeMode : uint8_t { kPointer = 0, kPointee = 1, kStorage = 2 };
uint16_t OperandByteSize(const ValueRecord &value, OperandSizeMode mode);

enum class LevelMode : uint8_t { kAddress = 0, kStripOne = 1, kBaseType = 2 };
// kAddress answers the void/address code while the value has a level,
// kStripOne the type after one level is taken off, kBaseType the type code.
uint8_t TypeCodeAtLevel(const ValueRecord &value, LevelMode mode);
// Pointers convert as unsigned.
uint8_t ConversionTypeCode(const ValueRecord &value);
// The printable C type ("int", "char (*)[4]", "struct point").
std::string FormatValueType(const ValueRecord &value);

// The label the value's address goes by; empty when it has none.
std::string ValueSymbolName(const ValueRecord &value);

// ---- addresses -------------------------------------------------------------------

bool HasFixedAddress(const ValueRecord &value, uint8_t storage);
bool IsFunctionWithFixedAddress(const ValueRecord &value);
bool HasResolvedAddress(const ValueRecord &value);
// The value's target address plus `offset` (and plus its byte offset, except
// for functions); records a fixup for an address not yet known. A constant
// has none: 635.
ADDR24 VariableAddress(const ValueRecord &value, int16_t offset, uint16_t fixupFlags);
// The SP-relative offset of a stack variable at this point of the code.
int16_t LocalStackOffset(const ValueRecord &value);

// Functions whose root-memory far-call stub the end of the function emits.
std::vector<SymbolRecord *> &StubStack();

// While one lives, the fixups VariableAddress records patch the current
// address of `cache` instead of the current code address: an address put
// into initialized data kept apart from the code.
class AddressPatchedInCache {
public:
  explicit AddressPatchedInCache(EmitCache *cache);
  ~AddressPatchedInCache();
  AddressPatchedInCache(const AddressPatchedInCache &) = delete;
  AddressPatchedInCache &operator=(const AddressPatchedInCache &) = delete;

private:
  EmitCache *saved_;
};

// ---- constant tests -------------------------------------------------------------

bool ConstantEquals(const ValueRecord &value, double number);
bool IsIntegralConstant(const ValueRecord &value);
// The constant when it lies in -128..125 (an 8-bit step or displacement
// with room for the byte that follows it), else 0.
int32_t SmallConstantValue(const ValueRecord &value);
bool ConstantInRange(const ValueRecord &value, double low, double high);
// The same, with 794 when it fails.
bool CheckConstantRange(const ValueRecord &value, double low, double high);
bool IsLongOrFloatValue(const ValueRecord &value);
// Also a function returning one.
bool IsLongOrFloatResult(const ValueRecord &value);
bool IsPointerToFunction(const ValueRecord &value);

// ---- makers: a cleared record, filled at the target's widths ------------------------

ValueRecord MakeValueFromSymbol(SymbolRecord &symbol);
ValueRecord MakeCharConstantValue(uint8_t c);
ValueRecord MakeIntConstantValue(int16_t n);
// Reduced to the target's 16 bits.
ValueRecord MakeIntConstantFromHostInt(int32_t n);
ValueRecord MakeUnsignedConstantValue(uint32_t n);
ValueRecord MakeLongConstantValue(uint32_t n);
ValueRecord MakeUnsignedLongConstantValue(uint32_t n);
ValueRecord MakeFloatConstantValue(float f);
ValueRecord MakeVoidPointerConstant(uint16_t address);
ValueRecord MakeValue(uint8_t type, uint32_t declarator, uint8_t storage, bool lvalue);
// `value` is reduced to the type's width as the makers above do.
void MakeConstantValue(ValueRecord &record, uint8_t type, uint32_t value);

void ResetValueQueries();

} // namespace tsw
