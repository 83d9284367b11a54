#include "compcore/cc_gen/value_record.h"

#include "compcore/cc_stab/cc_stab.h"

namespace tsw {

namespace {

// Bits of a symbol's attribute word that a value copies.
constexpr uint16_t kAttrMemoryClass = 3u << 2;
constexpr uint16_t kAttrBit5 = 1u << 5;
constexpr uint16_t kAttrBit6 = 1u << 6;
constexpr int kAttrInstancesShift = 7;
constexpr uint16_t kAttrInstances = 0x3Fu << kAttrInstancesShift;
constexpr uint16_t kAttrBit14 = 1u << 14;
constexpr uint16_t kAttrBit15 = 1u << 15;

constexpr uint16_t kSymbolCopiedFlags = kValueMemoryClassMask | kValueInstancesMask | kValueAttr6 |
                                        kValueAttr5 | kValueAttr14;

} // namespace

uint16_t SymbolAttributeWord(const SymbolRecord &symbol) {
  return uint16_t(symbol.flagsA | (symbol.flagsB << 8));
}

SymbolRecord *StringLiteralSymbol() {
  static SymbolRecord literal = [] {
    SymbolRecord r;
    r.name = "string literal";
    r.kind = kStorageGlobal;
    return r;
  }();
  return &literal;
}

bool IsStringLiteralSymbol(const SymbolRecord *symbol) { return symbol == StringLiteralSymbol(); }

void InitValueRecord(ValueRecord &record, uint8_t storage, uint8_t type, uint32_t declarator,
                     SymbolRecord *symbol, uint32_t value, const uint16_t *dimensions,
                     uint16_t lvalue, uint16_t byteResult) {
  record.storage = storage;
  record.type = type;
  record.declarator = declarator;
  record.symbol = symbol;
  record.flags &= ~kSymbolCopiedFlags;
  record.flags2 &= ~kValueFlags2Attr15;
  if (symbol) {
    const uint16_t attributes = SymbolAttributeWord(*symbol);
    record.flags |= (attributes & kAttrMemoryClass) >> 2 << kValueMemoryClassShift;
    record.flags |= ((attributes & kAttrInstances) >> kAttrInstancesShift) << kValueInstancesShift;
    if (attributes & kAttrBit14)
      record.flags |= kValueAttr14;
    if (attributes & kAttrBit6)
      record.flags |= kValueAttr6;
    if (attributes & kAttrBit5)
      record.flags |= kValueAttr5;
    if (attributes & kAttrBit15)
      record.flags2 |= kValueFlags2Attr15;
  }
  record.value = value;
  record.dimensions = dimensions;
  record.SetLvalue(lvalue & 1);
  record.wasLvalue = lvalue & 1;
  record.SetByteResult(byteResult & 1);
  record.carryFlagCondition = 0;
  record.zeroFlagCondition = 0;
  record.length = 0;
  record.addressSafe = 0;
  record.SetStepNotLoaded(false);
  record.SetCodeFlag13(false);
  record.SetModifiable(storage != kStorageConstant && !IsStringLiteralSymbol(symbol));
}

} // namespace tsw
