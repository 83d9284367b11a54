#include "compcore/cc_gen/asm/asm_block.h"

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"

#include <string>

namespace tsw::assembler {
namespace {

uint16_t CodeLogicalNow() {
  EmitCache *code = Caches().currentCode;
  return code ? code->Current().logical : 0;
}

// Every statement of the line from the cursor on; the line is used up.
void AssembleRestOfLine(bool recordPositions) {
  const LogicalLineBuffer &line = CurrentLogicalLine();
  const std::string text = line.text;
  size_t position = CursorIndex();
  // Columns in the line are the source's, 1-based.
  const uint16_t firstColumn = line.columns.empty() ? 0 : uint16_t(line.columns.front() - 1);
  while (AssembleLine(text, position, recordPositions, firstColumn))
    ;
  DiscardCurrentLine();
}

} // namespace

void CompileAsmBlock(bool recordPositions, bool oneLine) {
  const uint16_t start = CodeLogicalNow();
  // The line reader drops ";" comments of assembly lines.
  const uint16_t languageBefore = SourceLanguageMode;
  struct RestoreLanguage {
    uint16_t language;
    ~RestoreLanguage() { SourceLanguageMode = language; }
  } restore{languageBefore};
  SourceLanguageMode = kLangAsm;
  // Assembly calls the address it names: only a long call is sent through
  // the address directory, as the call emitter does when the directory is
  // not in use.
  struct RestoreDirectoryUse {
    bool inUse;
    ~RestoreDirectoryUse() { CodeGenSetup().addressDirectory = inUse; }
  } restoreDirectory{CodeGenSetup().addressDirectory};
  CodeGenSetup().addressDirectory = false;

  if (oneLine) {
    AssembleRestOfLine(recordPositions);
  } else {
    for (;;) {
      ProcessConditionalDirective();
      if (!EndOfInput)
        SkipBlanksAcrossLines();
      if (EndOfInput && !*InputCursor) {
        ReportUnclosedBrackets();
        break;
      }
      const uint16_t line = CurrentSourceLine(), column = CurrentSourceColumn();
      if (MatchWordAtInput("#endasm")) {
        CheckBracketNesting(kAsmClose, line, column);
        DiscardCurrentLine();
        break;
      }
      ProcessDirective();
      AssembleRestOfLine(recordPositions);
    }
  }
  // Code that ran past the top of the address space came back at 0.
  if (CodeLogicalNow() < start)
    CompileError<kMsgAsmBlockWrapped>();
}

} // namespace tsw::assembler
