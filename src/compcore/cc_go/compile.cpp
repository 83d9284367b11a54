#include "compcore/cc_go/compile.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/codegen_layer.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_go/cc_byte_road.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go_index.h"
#include "compcore/cc_go/cc_memory_map_env.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_go/map_reports.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/cc_mod/cc_mod_link.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/stmt/asm_block.h"
#include "compcore/cc_parse/stmt/asm_frame.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/costate.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_parse/stmt/function_body.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/memorymap.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

#include <exception>
#include <memory>

namespace tsw {
namespace {

// The modules' own wiring, which outlives nothing: ResetCompiler builds it
// afresh.
struct Assembly {
  CompilerShell *shell = nullptr;
  ModuleIndexLink moduleIndexLink;
  ModuleIndexService moduleIndexService{[this] { return shell ? shell->LibDirPath() : std::string(); }};
  CompilerMemoryMapEnvironment memoryMap;
  // The board over the link, when the shell asked for it.
  std::unique_ptr<LinkTargetLink> linkBoard;
  std::unique_ptr<LinkOutputTarget> linkCodeTarget;
  std::unique_ptr<LinkBiosMemory> linkBiosMemory;
  std::unique_ptr<CompilerLinkHost> linkHost;
};

std::unique_ptr<Assembly> &CurrentAssembly() {
  static std::unique_ptr<Assembly> assembly;
  return assembly;
}

void ResetModules() {
  ResetCompileSession();
  ResetCompileDriverModule();
  ResetCompilerConfigModule();
  ResetErrorListModule();
  ResetBracketModule();
  ResetSourceInputModule();
  ResetLineSourcesModule();
  ResetMacroModule();
  ResetDirectivesModule();
  ResetPragmaModule();
  ResetMemmapModule();
  ResetAttributesModule();
  ResetSymbolTableModule();
  ResetBiosSymbolModule();
  ResetLibraryIndexModule();
  ResetCompileLoopModule();
  ResetDeclarationModule();
  ResetExpressionCompiler();
  ResetByteRoad();
  ResetFunctionCompiler();
  ResetCostateModule();
  ResetControlFlowModule();
  ResetCompileDriver();
  ResetInstructionEmission();
  ResetValueQueries();
  assembler::ResetAssemblerModule();
}

// The directives' view of the BIOS symbol table, which sits above them.
DirectiveServices BiosSymbolServices() {
  DirectiveServices services;
  services.biosSymbol = [](const std::string &name) { return Addr24ToLong(LookupBiosSymbol(name, ADDR24{})); };
  services.enableBiosSymbols = [](bool enabled) { BiosSymbolsDisabled() = !enabled; };
  services.killBiosSymbol = [](const std::string &name) { RemoveBiosSymbol(name); };
  services.constantExpression = CompileConstantExpressionLong;
  return services;
}

void Wire(Assembly &assembly) {
  InstallErrorListSink();
  InstallBracketTracker();
  InstallConditionalFileHooks();
  SetDirectiveServices(BiosSymbolServices());
  SetLibraryIndexLink(&assembly.moduleIndexLink);
  SetLibraryIndexService(&assembly.moduleIndexService);
  SetMemoryMapEnvironment(&assembly.memoryMap);
  InstallCodegenLayer();
  SetCompileProgram(CompileProgram);
  InstallMapReports();
  AddCompilerTableHook(ResetCostateState);
  InstallCostateStatements();
  InstallAsmCompilerServices();
  InstallAsmCLines();
}

} // namespace

void ResetCompiler() {
  // The link stops asking a compiler that is gone.
  if (CurrentAssembly() && CurrentAssembly()->linkHost)
    SetLinkHost(nullptr);
  ResetModules();
  SetCompilerShell(nullptr);
  SetMessageOutput(nullptr);
  SetEditorView(nullptr);
  SetDirectiveTargets(nullptr, nullptr);
  SetCodeGenerator(&ByteRoadCodeGenerator());
  SetDeclarationBackEnd(&FunctionCompiler());
  SetPendingLabelNames(&ByteRoadPendingLabels());
  CurrentAssembly() = std::make_unique<Assembly>();
  Wire(*CurrentAssembly());
}

void AssembleCompiler(const CompilerBoundaries &boundaries) {
  ResetCompiler();
  CurrentAssembly()->shell = boundaries.shell;
  SetCompilerShell(boundaries.shell);
  SetMessageOutput(boundaries.messages);
  SetEditorView(boundaries.editors);
  TargetLink *board = boundaries.board;
  OutputTarget *codeTarget = boundaries.codeTarget;
  // The shell's settings reach the compile also without a board (a compile
  // to files still reads "Assume Corvid CPU").
  if (boundaries.boardOverLink || boundaries.linkShell) {
    CurrentAssembly()->linkHost = std::make_unique<CompilerLinkHost>(boundaries.linkShell);
    SetLinkHost(CurrentAssembly()->linkHost.get());
  }
  SetDebuggerTableSelectors(boundaries.selectDisassemblerTables, boundaries.selectStepperTables);
  if (LinkHost *settings = boundaries.linkShell)
    SetShellCodeSettings([settings] {
      return ShellCodeSettings{settings->NoBouncers(), settings->IncludeTimeStamp(), settings->ZeroPadBinFile()};
    });
  if (boundaries.boardOverLink) {
    Assembly &assembly = *CurrentAssembly();
    assembly.linkBiosMemory = std::make_unique<LinkBiosMemory>(boundaries.kernel);
    if (!board)
      board = (assembly.linkBoard = std::make_unique<LinkTargetLink>(boundaries.kernel)).get();
    if (!codeTarget)
      codeTarget = (assembly.linkCodeTarget = std::make_unique<LinkOutputTarget>(boundaries.kernel)).get();
  }
  SetDirectiveTargets(boundaries.directiveShell, board);
  SetOutputTarget(codeTarget);
  if (boundaries.codeGenerator)
    SetCodeGenerator(boundaries.codeGenerator);
  SetDeclarationBackEnd(boundaries.backEnd ? boundaries.backEnd : &FunctionCompiler());
  if (boundaries.pendingLabels)
    SetPendingLabelNames(boundaries.pendingLabels);
}

uint16_t CompiledCodeStart() { return MemoryMap().RootCodeOrigin; }
// The start-up code loads the stack pointer one above the top byte of data.
uint16_t CompiledStackTop() { return uint16_t(MemoryMap().DataTop + 1); }

int LoadBiosSymbolsFromBoard() {
  LinkBiosMemory *board = CurrentAssembly() ? CurrentAssembly()->linkBiosMemory.get() : nullptr;
  return board ? LoadBiosSymbolsFromBios(*board) : 1;
}

} // namespace tsw
