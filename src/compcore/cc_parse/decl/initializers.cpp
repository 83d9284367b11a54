#include "compcore/cc_parse/decl/initializers.h"

#include "compcore/cc_gen/byte_sinks.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/expr/expr_assign.h"
#include "compcore/cc_parse/expr/expr_binary.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/addr24.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

namespace tsw {

namespace {

constexpr uint16_t kPointerBytes = 2;

using Dimensions = std::span<const uint16_t>;

// An object or subobject the initializer fills: its declarator word with
// the outermost level lowest (a const object's word has more bits than
// its levels' kinds), its base type and the dimensions of its array
// levels, outermost first.
struct Object {
  uint32_t word = 0;
  uint8_t type = 0;
  Dimensions dimensions;
};

Object ElementOf(const Object &array) { return {RemoveLevel(array.word), array.type, array.dimensions.subspan(1)}; }
uint16_t OutermostDimension(const Object &array) { return array.dimensions.empty() ? 0 : array.dimensions[0]; }

const TypeRecord *StructureOf(const Object &object) {
  return OutermostLevel(object.word) == kLevelNone && object.type >= kFirstStructType ? TypeRecordAt(object.type)
                                                                                      : nullptr;
}

uint32_t ObjectBytes(const Object &object) {
  switch (OutermostLevel(object.word)) {
  case kLevelArray: return uint32_t(OutermostDimension(object)) * ObjectBytes(ElementOf(object));
  case kLevelPointer: return kPointerBytes;
  case kLevelFunction: return 0;
  default:
    if (const TypeRecord *structure = StructureOf(object))
      return structure->size;
    return TypeCodeSize(object.type);
  }
}

// A union's members all start at its first byte; a structure's second
// member never does, since a member of no size is refused.
bool IsUnion(const TypeRecord &structure) {
  return structure.members.size() > 1 &&
         std::all_of(structure.members.begin(), structure.members.end(),
                     [](const SymbolRecord *member) { return member->definition == 0; });
}

void EmitZeros(uint32_t count) {
  for (uint32_t i = 0; i < count; ++i)
    PutValue(ByteSink::kInitializedData, 0, 1);
}

// No value stands at the cursor: the list or the declaration ends here.
bool AtListEnd() {
  const char c = SkipToOperand();
  return c == ',' || c == ';' || c == '}' || c == 0;
}

// Between two elements of a list: false when the list ends instead (its
// closing brace, after an optional trailing comma, is left for the list's
// owner).
bool NextElement() {
  if (SkipToOperand() != ',')
    return false;
  ConsumeChar();
  return SkipToOperand() != '}';
}

// The characters of a literal in `quote`s, terminator included, without a
// place in the function's string pool: an array's bytes are its own.
std::string ReadQuotedText(char quote) {
  ConsumeChar();
  std::vector<char> buffer(std::strlen(InputCursor) + 1);
  const char *end = ReadDelimitedText(buffer.data(), uint16_t(std::min<size_t>(buffer.size(), UINT16_MAX)), quote);
  return std::string(buffer.data(), size_t(end - buffer.data()));
}

// Past the rest of a list its object had no room for, up to and with the
// list's closing brace; the characters of a string or char constant are
// read as such, so that a brace among them closes nothing.
void SkipRestOfList() {
  for (int depth = 1; depth > 0;) {
    const char c = SkipToOperand();
    if (c == 0 || c == ';')
      return;
    if (c == '"' || c == '\'') {
      ReadQuotedText(c);
      continue;
    }
    depth += c == '{' ? 1 : c == '}' ? -1 : 0;
    ConsumeChar();
  }
}

void CloseBraces() {
  if (SkipToOperand() == ',')
    ConsumeChar();
  if (SkipToOperand() == '}') {
    ConsumeChar();
    return;
  }
  ExpectChar('}');
  SkipRestOfList();
}

bool IsCharArray(const Object &object) {
  return OutermostLevel(object.word) == kLevelArray && OutermostLevel(RemoveLevel(object.word)) == kLevelNone &&
         object.type == kTypeChar;
}

// A char array from a string: an unsized one takes the literal's length,
// a sized one is filled with zeros after it, or cut with 566 when only the
// terminator is left out and 424 when more is.
void EmitCharArrayString(uint16_t dimension, uint16_t *count) {
  const std::string text = ReadQuotedText('"');
  const uint32_t length = uint32_t(text.size());
  if (dimension == 0)
    dimension = uint16_t(length);
  else if (length - 1 == dimension)
    CompileWarningTrivial<kMsgStringFillsArray>();
  else if (length - 1 > dimension)
    CompileError<kMsgStringTooLong>();
  const uint16_t copied = uint16_t(std::min<uint32_t>(length, dimension));
  PutBytes(ByteSink::kInitializedData, reinterpret_cast<const uint8_t *>(text.data()), copied);
  EmitZeros(dimension - copied);
  if (count)
    *count = dimension;
}

// A value at a fixed address stands for that address when it is an array,
// a function or an address taken with '&'; the object itself (a named
// scalar read) has no value before the program runs, and no address fits
// in a char.
void EmitFixedAddress(const ValueRecord &value, uint16_t size) {
  if (value.wasLvalue || size < kPointerBytes) {
    CompileError<kMsgInitializerNotData>();
    EmitZeros(size);
    return;
  }
  PutAddress(ByteSink::kInitializedData, value);
  EmitZeros(size - kPointerBytes);
}

// The kinds of the word's levels without the const marks, which the type
// check does not weigh.
uint32_t LevelKinds(uint32_t word) {
  uint32_t kinds = 0;
  for (int shift = 0; OutermostLevel(word) != kLevelNone; word = RemoveLevel(word), shift += kLevelBits)
    kinds |= OutermostLevel(word) << shift;
  return kinds;
}

// A function named stands for the pointer to it.
void CheckValueType(const Object &object, const ValueRecord &value) {
  ValueRecord target;
  target.type = object.type;
  target.declarator = LevelKinds(object.word);
  uint32_t source = LevelKinds(value.declarator);
  if (OutermostLevel(source) == kLevelFunction)
    source = AddLevel(source, kLevelPointer);
  ReportTypeMismatch(TypeCompatibility(target.type, value.type, target.declarator, source), target, value);
}

void EmitScalar(const Object &object) {
  ConstantWalkScope walk;
  ValueRecord value;
  CompileConditional(value);
  const uint16_t size = uint16_t(ObjectBytes(object));
  CheckValueType(object, value);
  switch (Walk().needsCode ? uint8_t(kStorageAuto) : value.storage) {
  case kStorageConstant:
    ConvertOperandTo(value, object.type, OutermostLevel(object.word) == kLevelPointer, 0);
    PutValue(ByteSink::kInitializedData, value.value, size);
    return;
  case kStorageAuto: CompileError<kMsgNotConstant>(); break;
  case kStoragePrimary:
  case kStorageStackStruct:
    if (value.wasLvalue)
      CompileError<kMsgInitializerNotData>();
    else
      CompileError<kMsgInitializerNotConstant>();
    break;
  default: EmitFixedAddress(value, size); return;
  }
  EmitZeros(size);
}

bool EmitObject(const Object &object, bool valuesLeft, uint16_t *count);

// The elements of an array from the list at the cursor; false once the
// list ended, when the rest are zeros.
bool EmitArrayElements(const Object &array, uint16_t *count) {
  const uint16_t dimension = OutermostDimension(array);
  if (IsCharArray(array) && SkipToOperand() == '"') {
    EmitCharArrayString(dimension, count);
    return true;
  }
  const Object element = ElementOf(array);
  bool valuesLeft = true;
  uint16_t index = 0;
  for (; dimension == 0 || index < dimension; ++index) {
    if (index > 0 && valuesLeft)
      valuesLeft = NextElement();
    if (dimension == 0 && (!valuesLeft || AtListEnd()))
      break;
    valuesLeft = EmitObject(element, valuesLeft, nullptr);
  }
  if (count)
    *count = index;
  return valuesLeft;
}

// A structure's members in order, a union's first member only; the bytes
// between and after them are zeros.
bool EmitMembers(const TypeRecord &structure) {
  const size_t initialized = IsUnion(structure) ? 1 : structure.members.size();
  uint32_t emitted = 0;
  bool valuesLeft = true;
  for (size_t i = 0; i < initialized; ++i) {
    const SymbolRecord &member = *structure.members[i];
    const Object field{member.declarator, member.type, member.list};
    if (i > 0 && valuesLeft)
      valuesLeft = NextElement();
    EmitZeros(member.definition > emitted ? member.definition - emitted : 0);
    valuesLeft = EmitObject(field, valuesLeft, nullptr);
    emitted = std::max<uint32_t>(emitted, member.definition + ObjectBytes(field));
  }
  EmitZeros(structure.size > emitted ? structure.size - emitted : 0);
  return valuesLeft;
}

// The object's contents from the list at the cursor, whether in its own
// braces or taking its elements from the enclosing list.
bool EmitContents(const Object &object, uint16_t *count) {
  switch (OutermostLevel(object.word)) {
  case kLevelArray: return EmitArrayElements(object, count);
  case kLevelFunction: return true;
  default:
    if (const TypeRecord *structure = StructureOf(object))
      return EmitMembers(*structure);
    EmitScalar(object);
    return true;
  }
}

// One object of the initializer: in braces, or its values read on from the
// enclosing list, or zeros once the list has no values left. Whether the
// list still has values.
bool EmitObject(const Object &object, bool valuesLeft, uint16_t *count) {
  if (valuesLeft && SkipToOperand() == '{') {
    ConsumeChar();
    EmitContents(object, count);
    CloseBraces();
    return true;
  }
  if (!valuesLeft || AtListEnd()) {
    EmitZeros(ObjectBytes(object));
    return false;
  }
  return EmitContents(object, count);
}

} // namespace

uint32_t EmitInitializer(uint32_t declarator, int16_t type, std::vector<uint16_t> &dimensions, bool hasInitializer) {
  uint16_t count = 0;
  const Object object{declarator, uint8_t(type), dimensions};
  if (!hasInitializer) {
    const uint32_t bytes = ObjectBytes(object);
    return bytes ? Addr24ToLong(ReserveRootVariableBytes(uint16_t(bytes))) : 0;
  }
  const uint32_t address = Addr24ToLong(Caches().currentConstant->Current());
  // "=" promised a value.
  if (AtListEnd()) {
    CompileError<kMsgInitializerRequired>();
    return address;
  }
  EmitObject(object, true, &count);
  if (OutermostLevel(declarator) == kLevelArray && !dimensions.empty() && dimensions[0] == 0)
    dimensions[0] = count;
  return address;
}

uint32_t DeclarationBackEnd::EmitInitializer(uint32_t declarator, int16_t type, std::vector<uint16_t> &dimensions,
                                             bool hasInitializer) {
  return tsw::EmitInitializer(declarator, type, dimensions, hasInitializer);
}

} // namespace tsw
