#include "compcore/cc_parse/stmt/function_body.h"

#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/decl/cc_declarator.h"
#include "compcore/cc_parse/decl/cc_params.h"
#include "compcore/cc_parse/stmt/frame_layout.h"
#include "compcore/cc_parse/stmt/frame_map.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_return.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tsw {
namespace {

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
// is declared; a later declaration keeps the definition state.
SymbolRecord *EnterFunctionSymbol(int16_t baseType, int16_t storageClass) {
  const DeclaratorState &d = Declarator();
  SymbolRecord *known = LookupSymbol(d.name, false, SymbolTableId::kGlobal);
  const uint16_t definition = known ? known->definition : 0;
  SymbolRecord *symbol = AddSymbol(d.name, d.word, baseType, 0, storageClass);
  if (symbol == known)
    symbol->definition = definition;
  return symbol;
}

void SelectFunctionCodeCache() {
  CodeGenerator &codegen = CodeGen();
  const bool xmem = Attributes().current & kAttrXmem;
  codegen.SelectCodeCache(codegen.CacheAddress(xmem ? OriginCache::kXmemCode : OriginCache::kRootCode));
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
  SelectFunctionCodeCache();
  CodeGenerator &codegen = CodeGen();
  codegen.MapFunctionBegins(f.name, f.headerLine);

  ParseDeclaration(kLevelLocal);
  f.localsSize = uint16_t(std::abs(LocalsTotal()));
  AssignLocalOffsets();
  if (!secondBody)
    ReportFrameSymbolsToMap();

  f.prologAddress = CurrentCodeAddress();
  if (!secondBody) {
    f.symbol->address = f.symbol->addressCopy = Addr24ToLong(f.prologAddress);
    codegen.DefineLabel(f.name, Addr24ToLong(f.prologAddress));
  }
  Emission() = EmissionState{};
  Emission().frameBase = int16_t(f.localsSize);
  { FunctionProlog prolog(f.localsSize, 0); }

  const uint16_t result = CompileCompoundStatement();
  if (result != kStatementReturns) {
    // The closing brace is where the debugger stops before the function
    // returns.
    MarkStatementPosition(CurrentSourceLine(), uint16_t(std::max<int>(1, CurrentSourceColumn() - 1)));
    CompileReturn(false);
  }
  f.inBody = false;
}

void EndFunction(bool hadBody) {
  FunctionStatementState &f = StatementState();
  Emission() = EmissionState{};
  ResetLocalSymbolTable();
  EmitPendingStubsAndStrings();
  ResetFixupTables(kResetLocal);
  if (hadBody)
    CodeGen().MapFunctionEnds(f.name);
}

} // namespace

FunctionCompilerBackEnd &FunctionCompiler() {
  static FunctionCompilerBackEnd backEnd;
  return backEnd;
}

bool FunctionCompilerBackEnd::InFunctionDefinition() { return StatementState().inBody; }

std::string FunctionCompilerBackEnd::CurrentFunctionName() { return StatementState().name; }

// function-definition = declarator [ parameter-list ] [ old-style-parameters ]
//                       ( compound-statement | ";" | "," )
bool FunctionCompilerBackEnd::CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass,
                                                  uint16_t memoryCode) {
  const FunctionStatementState saved = StatementState();
  ResetStatementState();
  FunctionStatementState &f = StatementState();
  f.name = Declarator().name;
  f.headerLine = uint16_t(CurrentSourceLine());
  f.returnType = uint8_t(baseType);
  f.returnDeclarator = Declarator().word >> kLevelBits;
  f.returnsValue = baseType != kTypeVoid || f.returnDeclarator != 0;
  TakeDeclarationAttributes(memoryCode);
  f.symbol = EnterFunctionSymbol(baseType, storageClass);
  ResetLocalSymbolTable();

  if (declaratorResult == kFunctionWithParameters && ParseParameterList() == 0)
    ParseOldStyleParameters();
  SkipBlanksAcrossLines();
  const bool hasBody = MatchKeyword("{");
  if (!hasBody && *InputCursor != ';' && *InputCursor != ',')
    CompileError<kMsgFunctionBodyExpected>();
  if (hasBody)
    CompileBody();
  EndFunction(hasBody);
  StatementState() = saved;
  return hasBody;
}

void ResetFunctionCompiler() {
  ResetStatementState();
  RegisterStatementState();
}

} // namespace tsw
