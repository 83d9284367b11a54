#include "compcore/cc_parse/stmt/stmt_directives.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_reloc/fixups.h"
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

} // namespace tsw
