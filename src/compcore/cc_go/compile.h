#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/link_adapters.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_editor_view.h"

#include <cstdint>
#include <functional>
#include <string>

// The compiler assembled: the one place that wires its modules to each
// other, and the one reset that gives a fresh compiler. Whoever runs the
// compiler (the IDE, the command-line driver, the tests) hands in only what
// lives outside it or is not built yet; a null boundary answers neutrally.
namespace tsw {

struct CompilerBoundaries {
  // The IDE shell: the compile request, message boxes and the please-wait
  // line, the program-loaded state of a BIOS compile.
  CompilerShell *shell = nullptr;
  MessageOutput *messages = nullptr;
  DirectiveShell *directiveShell = nullptr;
  // The text windows.
  EditorView *editors = nullptr;
  // The board, and its memory for the compiled bytes; null compiles without
  // one, to files only.
  TargetLink *board = nullptr;
  OutputTarget *codeTarget = nullptr;
  // The real board through the link in use: what is left null above of the
  // board is then the link's, and the link asks the compiler for its flags
  // and macros. The kernel calls are the debugger engine's; the shell's
  // link host shows the link's dialogs (null: none).
  bool boardOverLink = false;
  BoardKernelCalls kernel = {};
  LinkHost *linkShell = nullptr;
  // The debugger's decoder and single-step tables, chosen again each time
  // a compile changes the processor, after the assembler's (null: the
  // debugger keeps the tables it chose).
  std::function<void()> selectDisassemblerTables = {};
  std::function<void()> selectStepperTables = {};
  // The code generator and its pending-label list are the byte road's
  // unless a test replaces them. Not built yet: the function and expression
  // compilers.
  CodeGenerator *codeGenerator = nullptr;
  PendingLabelNames *pendingLabels = nullptr;
  DeclarationBackEnd *backEnd = nullptr;
};

// Every module back to its state at program start, wired to its neighbours,
// every boundary neutral.
void ResetCompiler();
// ResetCompiler, then the boundaries installed.
void AssembleCompiler(const CompilerBoundaries &boundaries);

// Where the compiled program begins (the BIOS ends just below it) and the
// stack pointer it starts with, by the last compile's memory map.
uint16_t CompiledCodeStart();
uint16_t CompiledStackTop();

// The BIOS symbols read from the board the assembly reaches over the link:
// 0 when read, 1 without such a board; a malformed table throws.
int LoadBiosSymbolsFromBoard();

} // namespace tsw
