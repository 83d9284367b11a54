#include "compcore/cc_parse/decl/cc_decl.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/decl/cc_declarator.h"
#include "compcore/cc_parse/decl/cc_params.h"
#include "compcore/cc_parse/decl/cc_struct.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace tsw {

namespace {

constexpr uint16_t kRegisterBytes = 2;

struct DeclarationModule {
  int32_t localsTotal = 0;
  uint8_t addressFlags = 0;
  bool lineDropped = false;
};

DeclarationModule &State() {
  static DeclarationModule m;
  return m;
}

bool MatchWord(std::string_view word) { return *InputCursor == word.front() && MatchKeyword(std::string(word).c_str()) != 0; }
int32_t ReadAnymemBytes() { return CompileConstantExpressionLong(); }

// The rest of the line goes unread after an error; it also ends the
// declaration.
void DropRestOfLine() {
  DiscardCurrentLine();
  State().lineDropped = true;
}

// ---- qualifiers ----------------------------------------------------------

// Words that only set or clear attribute bits of the declaration copy.
struct AttributeWord {
  const char *word;
  uint32_t set;
  uint32_t clear;
};
constexpr AttributeWord kAttributeWords[] = {
    {"Typed", kAttrTyped, 0},
    {"firsttime", kAttrFirstTime, 0},
    {"step", kAttrStep, 0},
    {"rst", kAttrStep, 0},
    {"nostep", 0, kAttrStep},
    {"norst", 0, kAttrStep},
    {"useix", kAttrUseIx, 0},
    {"cofunc", kAttrCofuncMask | kAttrUseIx, 0},
    {"scofunc", kAttrCofuncMask | kAttrUseIx | kAttrSingleUser, 0},
    {"speed", 0, kAttrSize},
    {"size", kAttrSize, 0},
    {"volatile", 0, 0},
};

// Storage-class words: the class at top level and elsewhere, or the error
// that the word is at top level.
struct ClassWord {
  const char *word;
  int16_t top;
  int16_t other;
  std::optional<PlainMessage> topError;
};
constexpr ClassWord kClassWords[] = {
    {"extern", kClassExtern, kClassExtern, {}},           {"typedef", kClassTypedefTop, kClassTypedefLocal, {}},
    {"static", kClassStaticTop, kClassStaticLocal, {}},   {"register", 0, kClassRegister, Plain<kMsgRegisterAtTop>()},
    {"auto", 0, kClassAutoLocal, Plain<kMsgAutoAtTop>()},
};

bool AttributeQualifier(uint32_t &attrs) {
  for (const AttributeWord &w : kAttributeWords)
    if (MatchKeyword(w.word)) {
      attrs = (attrs | w.set) & ~w.clear;
      return true;
    }
  if (MatchKeyword("debug")) {
    SetDebugAttributes(attrs, true);
    return true;
  }
  if (MatchKeyword("nodebug")) {
    SetDebugAttributes(attrs, false);
    return true;
  }
  if (MatchKeyword("nouseix")) {
    if (attrs & kAttrCofuncMask)
      CompileWarningTrivial<kMsgNouseixOnCofunction>();
    else
      attrs &= ~kAttrUseIx;
    return true;
  }
  if (MatchKeyword("interrupt")) {
    InterruptKind kind = InterruptKind::kRet;
    if (SkipAndMatch("reti"))
      kind = InterruptKind::kReti;
    else if (MatchKeyword("ret"))
      kind = InterruptKind::kRet;
    else if (CodeGen().TargetCpu() == tsw::TargetCpu::Z180 && MatchKeyword("retn"))
      kind = InterruptKind::kRetn;
    attrs = (attrs & ~kAttrInterruptMask) | InterruptBits(kind);
    return true;
  }
  return ParseAsmMemoryKeyword(MatchWord, ReadAnymemBytes);
}

bool ClassQualifier(int level) {
  DeclaratorState &s = Declarator();
  if (MatchKeyword("const")) {
    s.constFlag = true;
    return true;
  }
  if (uint8_t qualifier = MatchMemberQualifier()) {
    s.memberQualifier = qualifier;
    return true;
  }
  for (const ClassWord &w : kClassWords)
    if (MatchKeyword(w.word)) {
      if (level != kLevelTop)
        s.storageClass = w.other;
      else if (w.topError)
        CompileError(*w.topError);
      else
        s.storageClass = w.top;
      return true;
    }
  return false;
}

void ParseQualifiers(int level) {
  uint32_t &attrs = Attributes().declaration;
  for (;;) {
    SkipBlanksAcrossLines();
    if (!AttributeQualifier(attrs) && !ClassQualifier(level))
      return;
  }
}

// ---- base types ----------------------------------------------------------

void OptionalInt() { SkipAndMatch("int"); }

int16_t UnsignedType() {
  if (SkipAndMatch("long")) {
    OptionalInt();
    return kTypeUnsignedLong;
  }
  if (MatchKeyword("short")) {
    OptionalInt();
    return kTypeUnsigned;
  }
  if (MatchKeyword("char"))
    return kTypeChar;
  MatchKeyword("int");
  return kTypeUnsigned;
}

int16_t StructType(bool isUnion) {
  int16_t id = ParseStructOrUnion(isUnion);
  return id < 0 ? int16_t(kTypeInt) : id; // the error is reported; the declaration goes on
}

// ---- declarators -----------------------------------------------------------

bool IsFunctionDeclarator() { return OutermostKind(Declarator().word) == kLevelFunction; }

int16_t AdjustClass(int16_t storageClass, int level) {
  DeclaratorState &s = Declarator();
  DeclarationBackEnd &backEnd = DeclBackEnd();
  if (storageClass == kClassAutoLocal && s.constFlag)
    CompileError<kMsgConstNotAllowed>();
  if (level >= kLevelLocal && IsFunctionDeclarator()) {
    if (storageClass == kClassTypedefLocal)
      storageClass = kClassTypedefTop;
    else if (storageClass != kClassStaticLocal && storageClass != kClassStaticTop && storageClass != kClassTypedefTop)
      storageClass = kClassExtern;
  }
  if (storageClass == kClassNone) {
    if (backEnd.FragmentCompile())
      storageClass = backEnd.FragmentClass();
    else if (Attributes().current & kAttrCofuncMask)
      storageClass = kClassAutoLocal;
    else
      storageClass = int16_t(CurrentClassDefault());
  }
  return storageClass;
}

// A name for the declarator: an unnamed prototype parameter gets one of
// its own. False when the declarator is not to be entered.
bool NameDeclarator(int16_t baseType, int16_t storageClass, int level) {
  DeclaratorState &s = Declarator();
  DeclarationBackEnd &backEnd = DeclBackEnd();
  bool plainVoid = IsPlainVoidDeclarator(baseType);
  if (level == kLevelPrototypeParameters) {
    if (plainVoid && s.name.empty())
      return false; // "(void)": no parameters
    if (!backEnd.InFunctionDefinition()) {
      backEnd.MarkHasParameters();
      if (s.name.empty())
        s.name = NextUnnamedParameterName();
    }
  }
  if (s.name.empty()) {
    CompileError<kMsgIdentifierExpected>();
    return false;
  }
  if (plainVoid && storageClass != kClassTypedefTop && storageClass != kClassTypedefLocal) {
    CompileError<kMsgVoidObject>();
    return false;
  }
  return true;
}

std::span<const uint16_t> Dimensions() { return Declarator().dimensions; }

SymbolRecord *DeclareParameter(int16_t baseType, int16_t storageClass, int level) {
  DeclaratorState &s = Declarator();
  // An array parameter is a pointer to its elements.
  if (OutermostKind(s.word) == kLevelArray) {
    s.word = (s.word & ~kLevelMask) | kLevelPointer;
    if (!s.dimensions.empty())
      s.dimensions.erase(s.dimensions.begin());
    s.byteSize = kRegisterBytes;
    s.tooLarge = false;
  }
  if (level == kLevelOldStyleParameters) {
    if (!IsOldStyleParameterName(s.name)) {
      CompileError<kMsgNotAParameter>(s.name);
      return nullptr;
    }
  }
  if (storageClass == kClassParameterArea)
    CodeGen().AddRegisterAreaBytes(s.byteSize);
  return AddSymbol(s.name, s.word, baseType, 0, storageClass, Dimensions());
}

// Storage of a global or static object: placed by "@" or given its
// initialized data. The object's address.
uint32_t PlaceObject(int16_t baseType) {
  DeclaratorState &s = Declarator();
  DeclarationBackEnd &backEnd = DeclBackEnd();
  if (SkipAndMatch("@"))
    State().addressFlags |= kAddressPlaced;
  if (State().addressFlags) {
    int32_t value = 0;
    if (!backEnd.ConstantExpression(value))
      CompileError<kMsgAddressNotConstant>();
    if (s.word == kLevelPointer)
      CompileError<kMsgPlacedPointer>();
    return uint16_t(value); // a root address, segment 0
  }
  bool hasInitializer = SkipAndMatch("=");
  bool isConst = IsConstObject(s.word);
  if (!hasInitializer && isConst)
    CompileError<kMsgConstWithoutInitializer>();
  if (hasInitializer && !backEnd.FragmentCompile() && !isConst) {
    CompileWarningTrivial<kMsgInitializedNotConst>();
    if (OutermostKind(s.word) == kLevelPointer || OutermostKind(s.word) == kLevelFunction)
      CompileWarningTrivial<kMsgInitializedPointer>();
  }
  if (s.tooLarge) {
    if (hasInitializer)
      DropRestOfLine();
    return 0;
  }
  CodeGenerator &codegen = CodeGen();
  bool codeInXmem = codegen.CodeAddressInXmemWindow();
  if (codeInXmem)
    codegen.SelectCodeCache(codegen.CacheAddress(OriginCache::kRootCode));
  std::vector<uint16_t> dimensions = s.dimensions;
  uint32_t address = backEnd.EmitInitializer(s.word, baseType, dimensions, hasInitializer);
  if (codeInXmem)
    codegen.SelectCodeCache(codegen.CacheAddress(OriginCache::kXmemCode));
  if (dimensions != s.dimensions) { // "[]" took its count from the initializer
    s.dimensions = std::move(dimensions);
    ElementCountAndSize(baseType);
  }
  return address;
}

// The member qualifier, the "@" flags and "Typed" go into the symbol.
void StoreDeclarationFlags(SymbolRecord *symbol, bool existed, int16_t storageClass) {
  DeclaratorState &s = Declarator();
  uint8_t &addressFlags = State().addressFlags;
  bool canShare =
      storageClass == kClassGlobal || storageClass == kClassExtern || OutermostKind(s.word) == kLevelPointer;
  if (canShare) {
    uint8_t before = uint8_t((symbol->flagsA & kFlagsAQualifierMask) >> kFlagsAQualifierShift);
    if (existed && before != s.memberQualifier)
      CompileError<kMsgQualifierDiffers>(s.name);
    symbol->flagsA = uint8_t((symbol->flagsA & ~kFlagsAQualifierMask) | (s.memberQualifier << kFlagsAQualifierShift));
  }
  if (s.memberQualifier != kQualifierNone && (!canShare || addressFlags))
    CompileError<kMsgQualifierNotAllowed>();
  symbol->flagsA = uint8_t((symbol->flagsA & ~kFlagsAAddressMask) | (addressFlags << kFlagsAAddressShift));
  addressFlags = 0;
  if (Attributes().declaration & kAttrTyped)
    symbol->flagsC |= kFlagsCTyped;
}

void GiveAddress(SymbolRecord *symbol, bool existed, int16_t storageClass, uint32_t address) {
  if (existed && symbol->kind == kKindExtern && storageClass == kClassGlobal) {
    symbol->address = symbol->addressCopy = address;
    CodeGen().DefineLabel(symbol->name, address);
    symbol->kind = kKindGlobal;
  } else if (symbol->address == 0) {
    symbol->address = symbol->addressCopy = address;
  }
}

void AddMapDataSymbol(SymbolRecord &symbol, int16_t storageClass) {
  DeclarationBackEnd &backEnd = DeclBackEnd();
  const std::string &name = Declarator().name;
  // A file's own statics are data of the program as much as its globals.
  if (storageClass == kClassGlobal || storageClass == kClassStaticTop)
    CodeGen().AddMapDataSymbol(name, CurrentSourceFileName(), symbol);
  else if (storageClass == kClassStaticLocal)
    CodeGen().AddMapDataSymbol(backEnd.CurrentFunctionName() + ":" + name, CurrentSourceFileName(), symbol);
}

// Enters the declarator just parsed; the running frame offset of autos.
void DeclareOne(int16_t baseType, int16_t storageClass, int level, int16_t &offset) {
  DeclaratorState &s = Declarator();
  SymbolRecord *existing = LookupSymbol(s.name, false, SymbolTableId::kLocal);
  if (!existing)
    existing = LookupSymbol(s.name, false, SymbolTableId::kGlobal);
  SymbolRecord *symbol = nullptr;
  bool hasStorage = false;
  uint32_t address = 0;
  if (level < kLevelLocal || storageClass == kClassParameterArea) {
    symbol = DeclareParameter(baseType, storageClass, level);
  } else if (storageClass == kClassAutoLocal && level == kLevelLocal) {
    offset = int16_t(offset - s.byteSize);
    symbol = AddSymbol(s.name, s.word, baseType, uint16_t(offset - State().localsTotal), kClassAutoLocal, Dimensions());
    hasStorage = true;
    if (SkipAndMatch("=")) {
      CompileError<kMsgAutoInitializer>();
      DropRestOfLine();
    }
  } else if (storageClass == kClassRegister) {
    if (s.byteSize != kRegisterBytes)
      CompileError<kMsgRegisterSize>(int(s.byteSize));
    CodeGen().AddRegisterAreaBytes(s.byteSize);
    symbol = AddSymbol(s.name, s.word, baseType, 0, storageClass, Dimensions());
    hasStorage = true;
  } else if ((storageClass == kClassGlobal || storageClass == kClassStaticLocal || storageClass == kClassStaticTop) &&
             !IsFunctionDeclarator()) {
    address = PlaceObject(baseType);
    symbol = AddSymbol(s.name, s.word, baseType, 0, storageClass, Dimensions());
    hasStorage = true;
  } else {
    // Externs and typedefs get their address elsewhere; functions too.
    symbol = AddSymbol(s.name, s.word, baseType, 0, storageClass, Dimensions());
  }
  if (!symbol)
    return;
  bool existed = symbol == existing;
  StoreDeclarationFlags(symbol, existed, storageClass);
  MarkConstObject(*symbol);
  if (!hasStorage)
    return;
  if (storageClass != kClassAutoLocal && storageClass != kClassRegister) {
    GiveAddress(symbol, existed, storageClass, address);
    AddMapDataSymbol(*symbol, storageClass);
  }
  if (s.byteSize == 0 && !s.tooLarge)
    CompileError<kMsgSizeZero>();
}

} // namespace

// ---- entries -----------------------------------------------------------------

// declaration = { qualifier } [ base-type ] [ "const" ] declarators ";"
//             | xdata-declaration
// Locals: declarations repeat while another one starts. At the top level a
// function definition ends the declaration without ";".
uint16_t ParseDeclaration(int level) {
  DeclarationModule &m = State();
  DeclaratorState &s = Declarator();
  FunctionAttributes &attrs = Attributes();
  DeclarationBackEnd &backEnd = DeclBackEnd();
  DeclarationMemoryCode() = kMemmapAnymem;
  m.localsTotal = 0;
  m.lineDropped = false;
  uint16_t result = 0;
  for (;;) {
    SkipBlanksAcrossLines();
    if (CodeGen().OfferXdataDeclaration())
      return 1;
    if (level == kLevelLocal) {
      attrs.declaration = attrs.directiveDefaults;
    } else {
      m.addressFlags = 0;
    }
    s.memberQualifier = kQualifierNone;
    s.storageClass = level == kLevelTop ? kClassGlobal : kClassNone;
    s.constFlag = false;
    ParseQualifiers(level);

    int16_t baseType = ParseBaseTypeOrTypedef();
    if (!baseType && (attrs.declaration & kAttrInterruptMask))
      baseType = kTypeInt;
    if (level == kLevelLocal && baseType && s.storageClass == kClassNone && backEnd.CompilingLibraryOrBios() &&
        !(attrs.current & kAttrCofuncMask) && backEnd.WarnLocalsWithoutClass() && !backEnd.FragmentCompile())
      CompileWarningTrivial<kMsgLocalWithoutClass>();
    if (SkipAndMatch("const")) {
      if (s.constFlag)
        CompileError<kMsgConstTwice>();
      s.constFlag = true;
    }
    bool implicitInt = false;
    if (!baseType) {
      if (s.storageClass == kClassNone && !(attrs.declaration & (kAttrTyped | kAttrInterruptMask)))
        return result;
      implicitInt = s.storageClass == kClassGlobal;
      baseType = kTypeInt; // an auto const is reported with its declarator
    }

    int16_t declared = DeclareDeclarators(baseType, s.storageClass, level, implicitInt);
    if (level == kLevelTop) {
      if (declared == kDeclaredFunction)
        return 1;
      if (declared == kDeclaredWithoutType)
        return 0;
      ExpectSemicolon();
      return 1;
    }
    m.localsTotal += std::abs(declared);
    result = 1;
    ExpectSemicolon();
    SkipBlanksAcrossLines();
    if (EndOfInput || *InputCursor == '#')
      return result;
  }
}

int16_t ParseBaseType() {
  SkipBlanksAcrossLines();
  if (MatchKeyword("short")) {
    OptionalInt();
    return kTypeInt;
  }
  if (MatchKeyword("void"))
    return kTypeVoid;
  if (MatchKeyword("long")) {
    OptionalInt();
    return kTypeLong;
  }
  if (MatchKeyword("float") || MatchKeyword("double"))
    return kTypeFloat;
  if (MatchKeyword("unsigned"))
    return UnsignedType();
  if (MatchKeyword("char"))
    return kTypeChar;
  if (MatchKeyword("int"))
    return kTypeInt;
  if (MatchKeyword("struct"))
    return StructType(false);
  if (MatchKeyword("union"))
    return StructType(true);
  return 0;
}

uint8_t MatchMemberQualifier() {
  SkipBlanksAcrossLines();
  if (MatchKeyword("shared"))
    return kQualifierShared;
  if (MatchKeyword("protected"))
    return kQualifierProtected;
  return kQualifierNone;
}

int16_t ParseBaseTypeOrTypedef() {
  DeclaratorState &s = Declarator();
  s.typedefSymbol = nullptr;
  if (int16_t type = ParseBaseType())
    return type;
  const InputMark start = MarkInput();
  std::string name;
  if (ReadIdentifier(name)) {
    SymbolRecord *r = LookupSymbol(name, false, SymbolTableId::kGlobal);
    if (!r)
      r = LookupSymbol(name, false, SymbolTableId::kLocal);
    if (r && (r->kind == kClassTypedefTop || r->kind == kClassTypedefLocal)) {
      s.typedefSymbol = r;
      return r->type;
    }
  }
  ReturnToInputMark(start);
  return 0;
}

int16_t DeclareDeclarators(int16_t baseType, int16_t storageClass, int level, bool implicitInt) {
  int16_t offset = 0;
  SkipBlanksAcrossLines();
  if (*InputCursor == ';')
    return 0;
  for (;;) {
    // A word that turns out to declare nothing is reported where it stands;
    // when the suffix scan read on into the next line, the input goes back
    // to the word, so that only the word is skipped.
    std::optional<InputState> beforeWord;
    if (implicitInt)
      beforeWord = SaveInputState();
    const uint16_t wordLine = CurrentSourceLine(), wordColumn = CurrentSourceColumn();
    int declarator = ParseDeclarator(baseType);
    if (level >= kLevelTop && declarator != kNotFunction) {
      Attributes().declaration |= kAttrCodeBlock;
      ForgetParameterNames();
      // The function compiler declares the parameters through the same
      // state; a prototype is entered from the state as it was.
      DeclaratorState function = Declarator();
      if (DeclBackEnd().CompileFunctionBody(declarator, baseType, storageClass, DeclarationMemoryCode()))
        return kDeclaredFunction;
      Declarator() = std::move(function);
    } else if (level == kLevelLocal && declarator != kNotFunction) {
      // The function compiler passes a nested function's parameters over;
      // a body it refused needs no ';' after it.
      DeclaratorState function = Declarator();
      const bool refusedBody =
          DeclBackEnd().CompileFunctionBody(declarator, baseType, storageClass, DeclarationMemoryCode());
      Declarator() = std::move(function);
      if (refusedBody) {
        State().lineDropped = true;
        return offset;
      }
    }
    if (declarator == kNotFunction && implicitInt) {
      CompileErrorAtLine<kMsgNoType>(wordLine, wordColumn);
      if (CurrentSourceLine() != wordLine)
        RestoreInputState(*beforeWord);
      return kDeclaredWithoutType;
    }
    int16_t adjusted = AdjustClass(storageClass, level);
    if (NameDeclarator(baseType, adjusted, level) && !Declarator().tooComplex)
      DeclareOne(baseType, adjusted, level, offset);
    if (State().lineDropped || level == kLevelPrototypeParameters || !SkipAndMatch(","))
      return offset;
  }
}

void ExpectSemicolon() {
  if (State().lineDropped) {
    State().lineDropped = false;
    return;
  }
  if (!SkipAndMatch(";"))
    CompileError<kMsgExpected>("';'");
}

int32_t LocalsTotal() { return State().localsTotal; }

void ResetDeclarationModule() {
  State() = DeclarationModule{};
  ResetParameterNames();
  ResetDeclaratorState();
}

} // namespace tsw
