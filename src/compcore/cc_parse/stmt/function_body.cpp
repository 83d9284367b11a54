#include "compcore/cc_parse/stmt/function_body.h"

#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/decl/cc_declarator.h"
#include "compcore/cc_parse/decl/cc_params.h"
#include "compcore/cc_parse/stmt/cofunction.h"
#include "compcore/cc_parse/stmt/frame_layout.h"
#include "compcore/cc_parse/stmt/frame_map.h"
#include "compcore/cc_parse/stmt/prototypes.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_directives.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_return.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_parse/stmt/text_skip.h"
#include "compcore/cc_parse/stmt/watch_function.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tsw {
namespace {

constexpr uint8_t kOpLongCall = 0xCF;
constexpr uint8_t kOpReturn = 0xC9;
// A function no declaration has placed yet.
constexpr uint16_t kPlacementOpen = kMemmapAnymem;

// The attributes the function is compiled with: the declaration's, the
// statement hooks only with debug code. A function free to go anywhere
// stays in root memory while extended memory has no origin to take it.
void TakeDeclarationAttributes(uint16_t memoryCode) {
  FunctionAttributes &attrs = Attributes();
  attrs.current = attrs.declaration;
  if (!(attrs.current & kAttrDebug))
    attrs.current &= ~uint32_t(kAttrStep);
  const bool anywhere = (memoryCode & kMemmapAnymem) && (CurrentMemmapDefault() & kMemmapAnymem);
  if (anywhere && !CodeGen().CacheHasOrigin(OriginCache::kXmemCode))
    attrs.current &= ~uint32_t(kAttrXmem);
}

// The function's symbol in the global table, entered once however often it
// is declared; a later declaration keeps the definition state. The calls
// compiled before read its attributes as they were then: a use followed by
// a declaration that says otherwise of "Typed" is worth a warning.
SymbolRecord *EnterFunctionSymbol(int16_t baseType, int16_t storageClass) {
  const DeclaratorState &d = Declarator();
  SymbolRecord *known = LookupSymbol(d.name, false, SymbolTableId::kGlobal);
  const uint16_t definition = known ? known->definition : 0;
  const uint32_t attrs = Attributes().current;
  const uint8_t own =
      uint8_t(((attrs & kAttrTyped) ? kFlagsATyped : 0) | ((attrs & kAttrFirstTime) ? kFlagsAFirstTime : 0));
  if (known && (known->flagsA & kFlagsAReferenced) && (known->flagsA & kFlagsATyped) != (own & kFlagsATyped))
    CompileWarningSerious<kMsgTypedDiffers>();
  SymbolRecord *symbol = AddSymbol(d.name, d.word, baseType, 0, storageClass);
  if (symbol == known)
    symbol->definition = definition;
  else if (symbol)
    symbol->sizeWord = kPlacementOpen;
  if (symbol)
    symbol->flagsA = uint8_t((symbol->flagsA & ~(kFlagsATyped | kFlagsAFirstTime)) | own);
  return symbol;
}

// "root" or "xmem" holds for every declaration of the function: the first
// that names one places it, a later one may not say the other, and one
// that names none follows it.
void CheckPlacement(SymbolRecord &symbol, uint16_t memoryCode) {
  const uint16_t placed = symbol.sizeWord;
  if (memoryCode == kMemmapRoot && placed == kMemmapXmem)
    CompileError<kMsgPlacementContradicts>(std::string("root"), std::string(symbol.name));
  else if (memoryCode == kMemmapXmem && placed == kMemmapRoot)
    CompileError<kMsgPlacementContradicts>(std::string("xmem"), std::string(symbol.name));
  else if (placed == kPlacementOpen && (memoryCode == kMemmapRoot || memoryCode == kMemmapXmem))
    symbol.sizeWord = memoryCode;
  uint32_t &current = Attributes().current;
  if (symbol.sizeWord == kMemmapXmem)
    current |= kAttrXmem;
  else if (symbol.sizeWord == kMemmapRoot)
    current &= ~uint32_t(kAttrXmem);
  // An interrupt is entered in root memory, and so is a Z180 cofunction:
  // the stepping routines return to it in the root.
  if ((current & kAttrInterruptMask) || (CofunctionInstances() != 0 && CurrentCpu() == TargetCpu::Z180))
    current &= ~uint32_t(kAttrXmem);
}

// Without bouncers a Corvid function in extended memory is called long,
// and reached from a root pointer through a stub in root code. One whose
// address root code took before it was defined gets its stub now, and its
// name stands for the stub: what referred to it then reaches it that way.
// The address root code reaches the name by.
ADDR24 PlaceStubIfWanted(SymbolRecord *symbol, ADDR24 here) {
  if (!symbol || !(symbol->flagsC & kFlagsCStubWanted) || symbol->secondAddress != 0)
    return here;
  CodeGenerator &codegen = CodeGen();
  codegen.SelectCodeCache(codegen.CacheAddress(OriginCache::kRootCode));
  const ADDR24 stub = CurrentCodeAddress();
  EmitFarCallStub(here);
  symbol->secondAddress = Addr24ToLong(stub);
  codegen.SelectCodeCache(here);
  return stub;
}

// The way in from root code to a function in extended memory: the
// Corvid's bouncer calls it long, the Z180's bank-switching one names its
// page and address behind rst 30h. The function's address is the
// bouncer's. `label` is the address its name stands for.
ADDR24 PlaceEntry(SymbolRecord *symbol, ADDR24 &label) {
  const ADDR24 here = CurrentCodeAddress();
  label = here;
  const bool z180 = CurrentCpu() == TargetCpu::Z180;
  if (!(Attributes().current & kAttrXmem))
    return here;
  if (!z180 && CodeGenSetup().noBouncers) {
    label = PlaceStubIfWanted(symbol, here);
    return here;
  }
  CodeGenerator &codegen = CodeGen();
  codegen.SelectCodeCache(codegen.CacheAddress(OriginCache::kRootCode));
  const ADDR24 entry = CurrentCodeAddress();
  if (z180) {
    EmitZ180RootBouncer(here);
  } else {
    EmitCodeByte(kOpLongCall);
    EmitWord(here.logical);
    EmitCodeByte(here.segment);
    EmitCodeByte(kOpReturn);
    EnterXmemFunction(entry, here);
  }
  codegen.SelectCodeCache(here);
  label = entry;
  return entry;
}

void SelectFunctionCodeCache() {
  CodeGenerator &codegen = CodeGen();
  const bool xmem = Attributes().current & kAttrXmem;
  codegen.SelectCodeCache(codegen.CacheAddress(xmem ? OriginCache::kXmemCode : OriginCache::kRootCode));
}

// The debugger finds the function that holds an address in the list of
// those compiled with debug code from the program or its libraries: the
// prologue's functions have no source to show.
// `statics`: where the function's static locals were placed from, so that
// a watch in its scope places them there again.
void RecordCompiledFunction(ADDR24 entry, ADDR24 statics) {
  const FunctionStatementState &f = StatementState();
  const SourceKind source = NextLinePosition().source;
  if (!(Attributes().current & kAttrDebug) || (source != SourceKind::kProgram && source != SourceKind::kLibraryLink))
    return;
  ADDR24 last = CurrentCodeAddress();
  if (last.logical > f.prologAddress.logical)
    --last.logical;
  else
    last = f.prologAddress;
  // Where a watch compiled in its scope reads the function again: its
  // header's line of the program; a library's function has none there.
  const uint8_t headerColumn = source == SourceKind::kProgram ? kWatchScopeColumn : 0;
  AddCompiledFunction(f.headerLine, headerColumn, f.prologAddress, entry, last, &statics, f.name);
}

// An interrupt state saved on the stack and not restored lies where the
// return address is looked for; one restored too often took the caller's.
void CheckInterruptStateRestored() {
  int16_t &held = Emission().ipStackOffset;
  if (held < 0)
    CompileError<kMsgInterruptNotRestored>();
  else if (held > 0)
    CompileError<kMsgInterruptRestoredTwice>();
  held = 0;
}

void CompileBody() {
  FunctionStatementState &f = StatementState();
  // A second body is still compiled for its mistakes, but its entry does
  // not replace the first one's.
  const bool secondBody = !f.symbol || f.symbol->definition != 0;
  if (f.symbol && secondBody)
    CompileError<kMsgRedeclared>(f.name);
  else if (f.symbol)
    f.symbol->definition = 1;
  f.inBody = true;
  BeginCofunctionDefinition();
  SelectFunctionCodeCache();
  CodeGenerator &codegen = CodeGen();
  codegen.MapFunctionBegins(f.name, f.headerLine);

  const ADDR24 statics = codegen.CacheAddress(OriginCache::kRootVariable);
  ParseDeclaration(kLevelLocal);
  f.localsSize = uint16_t(std::abs(LocalsTotal()));
  AssignLocalOffsets();
  if (!secondBody)
    ReportFrameSymbolsToMap();
  const uint32_t attrs = Attributes().current;
  if (f.parametersSize != 0 && (attrs & kAttrInterruptMask) && (attrs & kAttrDebug))
    CompileWarningTrivial<kMsgInterruptParameters>();
  const bool cofunction = CofunctionInstances() != 0;
  // Init sections and a cofunction's everytime and abandon sections may
  // stand in any order after the locals.
  while (CompileInitSection() || CompileCofunctionSection()) {
  }
  if (cofunction)
    EmitCofunctionDescriptor();

  ADDR24 label;
  const ADDR24 entry = PlaceEntry(secondBody ? nullptr : f.symbol, label);
  f.prologAddress = CurrentCodeAddress();
  if (!secondBody) {
    f.symbol->address = f.symbol->addressCopy = Addr24ToLong(entry);
    codegen.DefineLabel(f.name, Addr24ToLong(label));
  }
  Emission() = EmissionState{};
  Emission().frameBase = int16_t(f.localsSize);
  if (cofunction) {
    EmitCofunctionProlog();
  } else {
    FunctionProlog prolog(f.localsSize, 0);
  }

  const uint16_t result = CompileCompoundStatement();
  if (result != kStatementReturns) {
    // The closing brace is where the debugger stops before the function
    // returns.
    MarkStatementPosition(CurrentSourceLine(), uint16_t(std::max<int>(1, CurrentSourceColumn() - 1)));
    CompileReturn(false);
  }
  // The map's entry ends with the function's own code, in the memory it
  // went to; the strings behind it may go elsewhere.
  codegen.MapFunctionEnds(f.name);
  CheckInterruptStateRestored();
  EndCofunctionDefinition();
  f.inBody = false;
  if (!secondBody)
    RecordCompiledFunction(entry, statics);
}

// A watch statement compiled as the body of the function that holds the
// program counter: the function's parameters and locals are laid out as
// its own code has them, and the statement replaces the body. Nothing of
// the function is defined or emitted anew.
void CompileWatchBody(WatchFunctionSetup &watch) {
  FunctionStatementState &f = StatementState();
  f.inBody = true;
  // The debugger's stops are the program's: none is recorded anew.
  StatementMarksSuppressed() = true;
  SelectFunctionCodeCache();
  watch.DiscardDeclarationCode();
  ParseDeclaration(kLevelLocal);
  f.localsSize = uint16_t(std::abs(LocalsTotal()));
  DiscardCurrentLine();
  BeginLineTableSource(watch.StatementLines());
  ParseDeclaration(kLevelLocal);
  f.localsSize = uint16_t(f.localsSize + std::abs(LocalsTotal()));
  AssignLocalOffsets();
  Emission() = EmissionState{};
  Emission().frameBase = int16_t(f.localsSize);
  Emission().stackOffset = int16_t(-kWatchCallBytes);
  watch.EnterWatchCode();
  WatchFunctionFlag() = true;
  BeginWatchStatement();
  CompileCompoundStatement();
  watch.SetReadsLocals(EndWatchStatement());
  f.inBody = false;
}

// A function declared inside another's body: its parameters belong to no
// frame here and are passed over, and a body is refused and passed over
// too, so that the enclosing function goes on with its own statements.
// Whether a body was there.
bool PassOverNestedDeclaration(int declaratorResult) {
  if (declaratorResult == kFunctionWithParameters)
    PassOverBracketedText(')');
  SkipBlanksAcrossLines();
  if (*InputCursor != '{')
    return false;
  CompileError<kMsgBodyNotAllowed>();
  NextInputChar();
  PassOverBracketedText('}');
  return true;
}

void EndFunction() {
  Emission() = EmissionState{};
  ResetLocalSymbolTable();
  EmitPendingStubsAndStrings();
  ResetFixupTables(kResetLocal);
}

} // namespace

FunctionCompilerBackEnd &FunctionCompiler() {
  static FunctionCompilerBackEnd backEnd;
  return backEnd;
}

bool FunctionCompilerBackEnd::InFunctionDefinition() { return StatementState().inBody; }

std::string FunctionCompilerBackEnd::CurrentFunctionName() { return StatementState().name; }

void FunctionCompilerBackEnd::SetVariableArguments() { StatementState().variableArguments = true; }

// function-definition = declarator [ parameter-list ] [ old-style-parameters ]
//                       ( compound-statement | ";" | "," )
bool FunctionCompilerBackEnd::CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass,
                                                  uint16_t memoryCode) {
  if (StatementState().inBody)
    return PassOverNestedDeclaration(declaratorResult);
  // A compile that stops inside the body (a full error list, a watch's
  // error) leaves no function open for the next compile.
  struct RestoreStatementState {
    FunctionStatementState saved = StatementState();
    ~RestoreStatementState() { StatementState() = saved; }
  } restore;
  ResetStatementState();
  FunctionStatementState &f = StatementState();
  f.name = Declarator().name;
  f.headerLine = uint16_t(CurrentSourceLine());
  f.returnType = uint8_t(baseType);
  f.returnDeclarator = Declarator().word >> kLevelBits;
  f.returnsValue = baseType != kTypeVoid || f.returnDeclarator != 0;
  TakeDeclarationAttributes(memoryCode);
  f.symbol = EnterFunctionSymbol(baseType, storageClass);
  if (f.symbol) {
    CheckPlacement(*f.symbol, memoryCode);
    RecordCofunctionKind(*f.symbol);
  }
  ResetLocalSymbolTable();

  int count = -1;
  if (declaratorResult == kFunctionWithParameters) {
    count = ParseParameterList();
    if (count == 0)
      ParseOldStyleParameters();
  }
  SkipBlanksAcrossLines();
  const bool hasBody = MatchKeyword("{");
  if (!hasBody && *InputCursor != ';' && *InputCursor != ',')
    CompileError<kMsgFunctionBodyExpected>();
  if (f.symbol)
    CheckPrototype(count, *f.symbol, hasBody, f.variableArguments, Attributes().current & kAttrFirstTime);
  WatchFunctionSetup *watch = hasBody ? PendingWatchFunction() : nullptr;
  if (watch)
    SetPendingWatchFunction(nullptr);
  // A body after a prototype that did not fit is still compiled: its own
  // mistakes are worth knowing.
  if (watch)
    CompileWatchBody(*watch);
  else if (hasBody)
    CompileBody();
  EndFunction();
  return hasBody;
}

void StartFunctionCompiler(bool biosCompile) {
  // A compile an exception ended inside a body leaves that body's state.
  ResetStatementState();
  StartPrototypesForCompile(biosCompile);
  ResetStatementNesting();
}

void ResetFunctionCompiler() {
  ResetPrototypePool();
  ResetStatementState();
  RegisterStatementState();
}

} // namespace tsw
