#include "compcore/cc_parse/stmt/stmt_directives.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/segchain.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/common/cc_session.h"
#include "foundation/msgnumbers.h"

#include <string>

namespace tsw {

void PrecompileDirective() {
  const EmitCache *code = Caches().currentCode;
  const uint32_t here = code ? Addr24ToLong(code->Current()) : 0;
  for (;;) {
    SkipSpaces();
    std::string name;
    if (!ReadIdentifier(name)) {
      CompileError<kMsgIdentifierExpected>();
      break;
    }
    // A reference that patches nothing: the name waits among the pending
    // labels, which the library link compiles.
    ReferenceLabel(name, here, kFixGlobal | kFixNoPatch);
    ShowMessage<kMsgPrecompiling>(false, name);
    if (SkipSpaces() != ',')
      break;
    NextInputChar();
  }
  SkipToLineEnd();
}

namespace {

// The BIOS's chains run when a program is started: a BIOS compiled on its
// own, with no program on the board, leaves them to nobody.
void CheckChainHasAProgram() {
  if (BiosCompileFlag() && !BiosFirstFlag() && !DirectiveShellInUse().IsProgramLoaded())
    CompileError<kMsgChainNeedsProgram>();
}

void CompileFragment(const std::string &chain) {
  uint32_t &attrs = Attributes().current;
  const uint32_t saved = attrs;
  // The fragment runs before the program's main: no statement hooks.
  if (chain == kGlobalInitChain)
    attrs &= ~uint32_t(kAttrStep | kAttrDebug);
  const ADDR24 start = CurrentCodeAddress();
  CompileStatement();
  EmitReturn(false);
  AddSegChainFragment(chain, start);
  attrs = saved;
}

} // namespace

bool CompileInitSection() {
  SkipBlanksAcrossLines();
  if (MatchKeyword("#GLOBAL_INIT")) {
    CheckChainHasAProgram();
    CompileFragment(kGlobalInitChain);
    return true;
  }
  if (!MatchKeyword("segchain"))
    return false;
  CheckChainHasAProgram();
  SkipSpaces();
  std::string chain;
  if (!ReadIdentifier(chain)) {
    CompileError<kMsgChainName>();
    return false;
  }
  CompileFragment(chain);
  return true;
}

} // namespace tsw
