#include "compcore/cc_parse/stmt/asm_block.h"

#include "compcore/cc_gen/asm/asm_block.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "foundation/msgnumbers.h"

#include <string>

namespace tsw {
namespace {

// The assembly may change any register and flag: nothing the expression
// compiler remembers of them holds across it.
void ForgetRegisterKnowledge() {
  FlushPrimaryRegister();
  Emission().flagsValid = false;
  Emission().valueIsCondition = false;
}

// The options on the line of "#asm" or "asm". The "asm" form takes the
// first other word as its first statement; "#asm" refuses it.
bool ReadAsmOptions(bool oneLine) {
  bool hooks = (Attributes().current & kAttrDebug) && !WatchFunctionFlag();
  for (;;) {
    const InputMark before = MarkInput();
    if (!SkipSpaces())
      break;
    if (MatchWordAtInput("nodebug")) {
      hooks = false;
      continue;
    }
    if (MatchWordAtInput("xmemok"))
      continue;
    if (oneLine) {
      ReturnToInputMark(before);
      break;
    }
    std::string word;
    if (!ReadIdentifier(word))
      word.assign(1, NextInputChar());
    CompileError<kMsgAsmWord>(word);
  }
  return hooks;
}

uint16_t CompileAssembly(bool oneLine) {
  if (!oneLine)
    CheckBracketNesting(kAsmOpen, CurrentSourceLine(), CurrentSourceColumn());
  const bool hooks = ReadAsmOptions(oneLine);
  ForgetRegisterKnowledge();
  assembler::CompileAsmBlock(hooks, oneLine);
  ForgetRegisterKnowledge();
  return kStatementPlain;
}

} // namespace

uint16_t CompileAsmBlockStatement() { return CompileAssembly(false); }
uint16_t CompileAsmLineStatement() { return CompileAssembly(true); }

uint16_t CompileStrayEndasm() {
  CheckBracketNesting(kAsmClose, CurrentSourceLine(), CurrentSourceColumn());
  SkipToLineEnd();
  return kStatementPlain;
}

} // namespace tsw
