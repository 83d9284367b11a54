#include "compcore/cc_parse/decl/xdata_declaration.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include <array>
#include <string>
#include <vector>

namespace tsw {
namespace {

// Strings an xstring table takes; the one after them is placed with 614
// and later ones are read and dropped.
constexpr size_t kMaxXstrings = 1022;
constexpr uint16_t kMaxXstringBytes = 256; // 255 characters and the zero
constexpr uint32_t kAddressBytes = 4;
// A reference to a symbol in the data; with the bouncer bit for a function
// in extended memory whose entry is not known yet.
constexpr uint16_t kXdataReference = kFixLocal | kFixGlobal;

struct TypeSize {
  uint8_t type;
  uint8_t bytes;
};
constexpr std::array kXdataTypeSizes{
    TypeSize{kTypeChar, 1}, TypeSize{kTypeInt, 2},          TypeSize{kTypeUnsigned, 2},
    TypeSize{kTypeLong, 4}, TypeSize{kTypeUnsignedLong, 4}, TypeSize{kTypeFloat, 4},
};

uint8_t ElementSize(uint8_t type) {
  for (const TypeSize &t : kXdataTypeSizes)
    if (t.type == type)
      return t.bytes;
  return 0;
}

struct XdataReference {
  std::string name;
  uint32_t offset = 0;
  uint16_t flags = kXdataReference;
};

bool Expect(char c, const char *expected) {
  SkipBlanksAcrossLines();
  if (*InputCursor == c) {
    NextInputChar();
    return true;
  }
  CompileError<kMsgExpected>(std::string(expected));
  return false;
}

// After a mistake in the list the rest of it is not read as C: on past
// its closing brace.
void SkipRestOfList() {
  while (*InputCursor != '}' && !(EndOfInput && !*InputCursor))
    if (!NextInputChar() && EndOfInput)
      return;
  if (*InputCursor == '}')
    NextInputChar();
}

// Room for the block at the extended-memory code address, or in the origin
// that follows; 433 when none has it, and then nothing is written.
bool AllocateXdata(uint32_t bytes) {
  CodeGenerator &codegen = CodeGen();
  if (!codegen.CacheHasOrigin(OriginCache::kXmemCode)) {
    CompileError<kMsgXmemCodeFull>();
    return false;
  }
  return codegen.ReserveXmemCode(bytes);
}

// Writes the block where the extended-memory code goes on; its physical
// address.
uint32_t WriteXdata(const std::vector<uint8_t> &bytes) {
  CodeGenerator &codegen = CodeGen();
  const uint32_t at = codegen.XmemCodePhysical();
  for (uint8_t b : bytes)
    codegen.EmitXmemImportByte(b);
  return at;
}

void AppendLittleEndian(std::vector<uint8_t> &bytes, uint32_t value, unsigned count) {
  for (unsigned i = 0; i < count; ++i)
    bytes.push_back(uint8_t(value >> (8 * i)));
}

// After "{": the strings; the table's physical address, 0 after an error.
uint32_t XstringBody() {
  std::vector<uint8_t> strings;
  std::vector<uint32_t> offsets;
  bool failed = false;
  for (bool first = true;; first = false) {
    SkipBlanksAcrossLines();
    if (*InputCursor == '}') {
      NextInputChar();
      break;
    }
    if (!first && !Expect(',', ",")) {
      failed = true;
      SkipRestOfList();
      break;
    }
    SkipBlanksAcrossLines();
    if (*InputCursor != '"') {
      CompileError<kMsgExpected>(std::string("\""));
      failed = true;
      SkipRestOfList();
      break;
    }
    NextInputChar();
    std::array<char, kMaxXstringBytes> text{};
    const char *end = ReadDelimitedText(text.data(), kMaxXstringBytes, '"');
    if (offsets.size() > kMaxXstrings)
      continue;
    if (offsets.size() == kMaxXstrings)
      CompileError<kMsgTooManyXstrings>();
    offsets.push_back(uint32_t(strings.size()));
    strings.insert(strings.end(), reinterpret_cast<const uint8_t *>(text.data()), reinterpret_cast<const uint8_t *>(end));
  }
  if (failed || !AllocateXdata(uint32_t(strings.size())))
    return 0;
  const uint32_t base = WriteXdata(strings);
  if (!AllocateXdata(kAddressBytes * uint32_t(offsets.size())))
    return 0;
  std::vector<uint8_t> table;
  for (uint32_t offset : offsets)
    AppendLittleEndian(table, base + offset, kAddressBytes);
  // The table goes where the room was found, maybe in the next origin.
  return WriteXdata(table);
}

// A symbol's address as the data holds it, when known: root memory, or a
// function in extended memory by its entry.
bool KnownAddress(const SymbolRecord &symbol, uint16_t &address) {
  const ADDR24 at = Addr24FromLong(symbol.address);
  if (at.logical == 0 || at.logical >= ExtWindowStart)
    return false;
  address = at.logical;
  return true;
}

bool IsXmemFunction(const SymbolRecord &symbol) {
  return OutermostLevel(symbol.declarator) == kLevelFunction && Addr24FromLong(symbol.address).logical >= ExtWindowStart;
}

// One element into the bytes; false after its error.
bool XdataElement(std::vector<uint8_t> &bytes, std::vector<XdataReference> &references) {
  StringPool &pool = FunctionStringPool();
  const uint16_t poolFill = pool.count;
  ValueRecord value;
  if (!ReadConstantOperand(value)) {
    CompileError<kMsgNotConstant>();
    return false;
  }
  if (IsStringLiteralSymbol(value.symbol)) {
    // The literal lives in the data, not among the function's strings.
    const std::string_view text = LastStringLiteral();
    bytes.insert(bytes.end(), text.begin(), text.end());
    pool.count = poolFill;
    pool.bytes.resize(poolFill);
    return true;
  }
  if (value.storage == kStorageConstant && !value.symbol) {
    const uint8_t size = value.declarator == 0 ? ElementSize(value.type) : 0;
    if (size == 0) {
      CompileError<kMsgXdataSizeUnknown>();
      return false;
    }
    AppendLittleEndian(bytes, value.value, size);
    return true;
  }
  if (!value.symbol || value.storage == kStoragePrimary || value.storage == kStorageAuto) {
    CompileError<kMsgNotConstant>();
    return false;
  }
  uint16_t address = 0;
  if (KnownAddress(*value.symbol, address)) {
    AppendLittleEndian(bytes, uint16_t(address + value.value), 2);
    return true;
  }
  XdataReference reference{value.symbol->name, uint32_t(bytes.size()), kXdataReference};
  if (IsXmemFunction(*value.symbol))
    reference.flags |= kFixBouncer;
  references.push_back(reference);
  AppendLittleEndian(bytes, value.value, 2);
  return true;
}

// After "{": the elements; where they were written, 0 after an error.
uint32_t XdataBody() {
  std::vector<uint8_t> bytes;
  std::vector<XdataReference> references;
  bool failed = false;
  for (;;) {
    if (!XdataElement(bytes, references)) {
      failed = true;
      // The rest of the list is still read, for its own mistakes.
    }
    SkipBlanksAcrossLines();
    if (*InputCursor == ',') {
      NextInputChar();
      continue;
    }
    if (*InputCursor == '}') {
      NextInputChar();
      break;
    }
    CompileError<kMsgExpected>(std::string(", / {"));
    SkipRestOfList();
    return 0;
  }
  if (failed || !AllocateXdata(uint32_t(bytes.size())))
    return 0;
  const uint32_t at = CodeGen().XmemCodePhysical();
  for (const XdataReference &r : references) {
    const ADDR24 patch = PhysicalToAddr24(at + r.offset);
    const uint32_t known = ReferenceLabel(r.name, Addr24ToLong(patch), r.flags);
    if (known) {
      const uint16_t word = uint16_t(Addr24FromLong(known).logical + (bytes[r.offset] | bytes[r.offset + 1] << 8));
      bytes[r.offset] = uint8_t(word);
      bytes[r.offset + 1] = uint8_t(word >> 8);
    }
  }
  return WriteXdata(bytes);
}

// The name, an unsigned long in root code holding `physical`.
void DefineXdataName(const std::string &name, uint32_t physical) {
  SymbolRecord *symbol = AddSymbol(name, 0, kTypeUnsignedLong, 0, kClassGlobal);
  if (!symbol)
    return;
  CodeGenerator &codegen = CodeGen();
  codegen.SelectCodeCache(codegen.CacheAddress(OriginCache::kRootCode));
  const ADDR24 here = Caches().currentCode->Current();
  symbol->address = Addr24ToLong(here);
  codegen.DefineLabel(name, Addr24ToLong(here));
  for (unsigned i = 0; i < kAddressBytes; ++i)
    EmitCodeByte(uint8_t(physical >> (8 * i)));
}

} // namespace

bool XdataDeclaration() {
  if (StatementState().inBody)
    return false;
  const bool xstring = MatchKeyword("xstring");
  if (!xstring && !MatchKeyword("xdata"))
    return false;
  const bool xmemCode = CodeGen().CodeAddressInXmemWindow();
  SkipSpaces();
  std::string name;
  if (!ReadIdentifier(name))
    CompileError<kMsgIdentifierExpected>();
  SkipBlanksAcrossLines();
  uint32_t physical = 0;
  if (*InputCursor == '{') {
    NextInputChar();
    physical = xstring ? XstringBody() : XdataBody();
  } else if (!xstring && *InputCursor == '[') {
    CompileError<kMsgXdataArray>();
    // The bracket form is not read: on to the declaration's end.
    while (*InputCursor && *InputCursor != ';')
      NextInputChar();
  } else {
    CompileError<kMsgExpected>(std::string(xstring ? "{...}" : "{...} / [...]"));
  }
  Expect(';', ";");
  if (!name.empty())
    DefineXdataName(name, physical);
  CodeGenerator &codegen = CodeGen();
  if (xmemCode)
    codegen.SelectCodeCache(codegen.CacheAddress(OriginCache::kXmemCode));
  return true;
}

} // namespace tsw
