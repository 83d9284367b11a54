#include "compcore/cc_parse/decl/cc_declarator.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/expr/expr_entry.h"

#include <algorithm>

namespace tsw {

namespace {

constexpr uint16_t kPointerBytes = 2;
// Parentheses around a declarator nest no deeper than this; deeper ones are
// a declarator too deep, not a reason to exhaust the stack.
constexpr unsigned kMaxDeclaratorNesting = 32;

struct DeclaratorModule {
  DeclaratorState state;
  DeclarationBackEnd defaultBackEnd;
  DeclarationBackEnd *backEnd = &defaultBackEnd;
};

DeclaratorModule &State() {
  static DeclaratorModule m;
  return m;
}

// One level of nesting of a declarator: its levels, name and dimensions.
struct DeclaratorRecord {
  std::string name;
  uint32_t word = 0;
  unsigned levels = 0;
  std::vector<uint16_t> dimensions;
  bool parametersLeft = false; // for the function compiler to read
};

bool CofunctionWithoutCount() { return (Attributes().declaration & kAttrCofuncMask) == kAttrCofuncMask; }

void SetCofunctionCount(uint32_t count) {
  uint32_t &attrs = Attributes().declaration;
  attrs = (attrs & ~kAttrCofuncMask) | ((count << kAttrCofuncShift) & kAttrCofuncMask);
}

void ReportTooDeep() {
  Declarator().tooComplex = true;
  CompileError<kMsgTooDeep>();
}

void AddLevel(DeclaratorRecord &r, uint32_t level) {
  if (r.levels == kMaxLevels) {
    ReportTooDeep();
    return;
  }
  r.word = (r.word << kLevelBits) | level;
  ++r.levels;
}

// The parameter list of a function level stands at the cursor.
bool ParametersAtCursor() {
  const char *p = InputCursor;
  return IsIdentStart(*p) || (p[0] == '.' && p[1] == '.' && p[2] == '.');
}

uint16_t ReadDimension() {
  if (SkipAndMatch("]"))
    return 0;
  int32_t value = 0;
  if (!DeclBackEnd().ConstantExpression(value))
    CompileError<kMsgNotConstant>();
  if (value < 0 || value > kMaxDimension) {
    CompileError<kMsgDimensionTooLarge>(kMaxDimension);
    value = 1;
  }
  if (!SkipAndMatch("]"))
    CompileError<kMsgBracketExpected>();
  return uint16_t(value);
}

bool AddDimension(std::vector<uint16_t> &dimensions, uint16_t dimension) {
  if (dimensions.size() >= kMaxDimensions) {
    CompileError<kMsgTooManyDimensions>(int(kMaxDimensions));
    return false;
  }
  dimensions.push_back(dimension);
  return true;
}

// After an error inside parentheses: the declaration goes on behind their
// ")", looked for up to a ";" and, unless `acrossLines`, the line's end.
// Returns whether the ")" was found.
bool SkipToClosingParenthesis(bool acrossLines) {
  for (int depth = 0;;) {
    if (!*InputCursor && acrossLines)
      SkipBlanksAcrossLines();
    if (!*InputCursor || *InputCursor == ';')
      return false;
    char c = NextInputChar();
    if (c == ')' && depth-- == 0)
      return true;
    depth += c == '(';
  }
}

// The function level after "(" with what it implies for cofunctions.
// Returns false when the parameter list stays at the cursor.
bool FunctionSuffix(DeclaratorRecord &r, bool declaresFunction) {
  if (!r.dimensions.empty()) {
    if (CofunctionWithoutCount()) {
      SetCofunctionCount(r.dimensions.front());
      r.dimensions.erase(r.dimensions.begin());
    } else {
      CompileError<kMsgDimensionOnFunction>();
    }
  }
  AddLevel(r, kLevelFunction);
  if (CofunctionWithoutCount())
    SetCofunctionCount(1);
  if (SkipAndMatch(")"))
    return true;
  // Only the function the declarator declares leaves its parameters at the
  // cursor, for the function compiler to read.
  r.parametersLeft = declaresFunction && ParametersAtCursor();
  if (r.parametersLeft)
    return false;
  // The parameters of a function the declarator only points to (or
  // returns) describe no function of this compile: calls through the
  // pointer are not checked against them, so the list is passed over.
  if (!declaresFunction && ParametersAtCursor()) {
    if (SkipToClosingParenthesis(true))
      return true;
    CompileError<kMsgParenExpected>();
    return false;
  }
  CompileError<kMsgParenExpected>();
  SkipToClosingParenthesis(false);
  return false;
}

// suffixes = { "[" [ constant ] "]" | "(" parameters ")" }
void ParseSuffixes(DeclaratorRecord &r, bool declaresFunction) {
  const bool constFlag = Declarator().constFlag;
  for (;;) {
    if (SkipAndMatch("[")) {
      // A cofunction's dimension is its instance count, not an array.
      if (AddDimension(r.dimensions, ReadDimension()) && !CofunctionWithoutCount())
        AddLevel(r, kLevelArray | (constFlag ? kConstLevel : 0));
      continue;
    }
    if (SkipAndMatch("(")) {
      if (FunctionSuffix(r, declaresFunction))
        continue;
    }
    return;
  }
}

// Puts `inner`'s levels outside `outer`'s and its dimensions before them.
void MergeNested(DeclaratorRecord &outer, const DeclaratorRecord &inner) {
  if (outer.levels + inner.levels > kMaxLevels) {
    ReportTooDeep();
  } else {
    outer.word = (outer.word << (kLevelBits * inner.levels)) | inner.word;
    outer.levels += inner.levels;
  }
  if (outer.dimensions.size() + inner.dimensions.size() > kMaxDimensions) {
    CompileError<kMsgTooManyDimensions>(int(kMaxDimensions));
    return;
  }
  outer.dimensions.insert(outer.dimensions.begin(), inner.dimensions.begin(), inner.dimensions.end());
}

// declarator = { "*" [ "const" ] } ( name | "(" declarator ")" ) suffixes
// `nesting`: how many parentheses the record stands in.
void ParseRecord(DeclaratorRecord &r, bool wantName, unsigned nesting) {
  while (SkipAndMatch("*"))
    AddLevel(r, kLevelPointer | (SkipAndMatch("const") ? kConstLevel : 0));
  if (wantName) {
    SkipBlanksAcrossLines();
    ReadIdentifier(r.name);
  }
  DeclaratorRecord nested;
  bool hasNested = false;
  if (r.name.empty() && SkipAndMatch("(")) {
    if (nesting == kMaxDeclaratorNesting) {
      ReportTooDeep();
      SkipToClosingParenthesis(true);
      return;
    }
    hasNested = true;
    ParseRecord(nested, wantName, nesting + 1);
    r.name = nested.name;
    if (!SkipAndMatch(")"))
      CompileError<kMsgParenExpected>();
  }
  ParseSuffixes(r, nesting == 0 && (!hasNested || nested.levels == 0));
  if (hasNested)
    MergeNested(r, nested);
}

// The typedef's levels go inside the declarator's, its dimensions after.
void CombineWithTypedef(DeclaratorState &s, DeclaratorRecord &r) {
  uint32_t inner = s.constFlag ? kConstLevel : 0;
  if (const SymbolRecord *t = s.typedefSymbol) {
    inner |= t->declarator;
    size_t next = 0;
    for (unsigned i = 0; i < LevelCount(t->declarator); ++i)
      if (((t->declarator >> (kLevelBits * i)) & kLevelKindMask) == kLevelArray && next < t->list.size())
        AddDimension(r.dimensions, t->list[next++]);
  }
  if (r.levels + LevelCount(inner) > kMaxLevels) {
    s.tooComplex = true;
    CompileError<kMsgWordOverflow>();
    s.word = r.word;
  } else {
    s.word = (inner << (kLevelBits * r.levels)) | r.word;
  }
  s.dimensions = std::move(r.dimensions);
  s.name = std::move(r.name);
}

class ReentryGuard {
public:
  explicit ReentryGuard(bool &busy) : busy_(busy) { busy_ = true; }
  ~ReentryGuard() { busy_ = false; }
  ReentryGuard(const ReentryGuard &) = delete;
  ReentryGuard &operator=(const ReentryGuard &) = delete;

private:
  bool &busy_;
};

int ParseWithName(int16_t baseType, bool wantName) {
  DeclaratorState &s = Declarator();
  if (s.parsing) {
    CompileError<kMsgTooDeep>();
    s.elementCount = uint16_t(s.elementSize * s.elementCount);
    return kNotFunction;
  }
  s.name.clear();
  s.dimensions.clear();
  s.tooComplex = false;
  DeclaratorRecord r;
  bool typedefLevels = false;
  {
    // Let go on every way out: an error that ends the compile leaves the
    // declarator half parsed, and the next one must not count as re-entry.
    ReentryGuard guard(s.parsing);
    ParseRecord(r, wantName, 0);
    typedefLevels = s.typedefSymbol && s.typedefSymbol->declarator != 0;
    CombineWithTypedef(s, r);
  }
  int result = kNotFunction;
  if (OutermostKind(s.word) == kLevelFunction) {
    if (s.constFlag || typedefLevels)
      CompileError<kMsgConstNotAllowed>();
    DeclBackEnd().RecordFunctionLine(CurrentSourceLine());
    result = r.parametersLeft ? kFunctionWithParameters : kFunctionEmptyList;
  }
  ElementCountAndSize(baseType);
  return result;
}

} // namespace

DeclaratorState &Declarator() { return State().state; }

void SetDeclarationBackEnd(DeclarationBackEnd *backEnd) { State().backEnd = backEnd ? backEnd : &State().defaultBackEnd; }
DeclarationBackEnd &DeclBackEnd() { return *State().backEnd; }

bool DeclarationBackEnd::ConstantExpression(int32_t &value) { return ReadConstantExpression(value); }

bool SkipAndMatch(const char *keyword) {
  SkipBlanksAcrossLines();
  return MatchKeyword(keyword) != 0;
}

uint16_t BaseTypeSize(int16_t type) {
  switch (type) {
  case kTypeChar: return 1;
  case kTypeInt:
  case kTypeUnsigned: return 2;
  case kTypeLong:
  case kTypeUnsignedLong:
  case kTypeFloat: return 4;
  default:
    if (const TypeRecord *t = TypeRecordAt(type))
      return t->size;
    return 0;
  }
}

int ParseDeclarator(int16_t baseType) { return ParseWithName(baseType, true); }
int ParseTypeNameDeclarator(int16_t baseType) { return ParseWithName(baseType, false); }

void ElementCountAndSize(int16_t baseType) {
  DeclaratorState &s = Declarator();
  uint32_t count = 1;
  bool counting = true;
  size_t next = 0;
  uint32_t word = s.word;
  for (;; word >>= kLevelBits) {
    uint32_t kind = OutermostKind(word);
    if (kind == kLevelArray) {
      uint32_t dimension = next < s.dimensions.size() ? s.dimensions[next++] : 0;
      if (counting && count * dimension > uint32_t(kMaxDimension)) {
        CompileError<kMsgTooManyElements>(kMaxDimension);
        counting = false; // the size stays that of the elements counted so far
      } else if (counting) {
        count *= dimension;
      }
      continue;
    }
    s.elementSize = kind == kLevelEnd ? BaseTypeSize(baseType) : kPointerBytes;
    break;
  }
  s.elementCount = uint16_t(count);
  uint32_t bytes = uint32_t(s.elementSize) * count;
  // A 16-bit size would wrap: such an object is refused, never allocated
  // at the wrapped size.
  s.tooLarge = bytes > kMaxObjectBytes;
  if (s.tooLarge)
    ReportObjectTooLarge();
  s.byteSize = s.tooLarge ? 0 : uint16_t(bytes);
}

void ReportObjectTooLarge() { CompileError<kMsgObjectTooLarge>(); }

void ResetDeclaratorState() {
  State().state = DeclaratorState{};
  State().backEnd = &State().defaultBackEnd;
}

bool IsPlainVoidDeclarator(int16_t baseType) { return baseType == kTypeVoid && LevelCount(Declarator().word) == 0; }

} // namespace tsw
