#include "compcore/cc_in/cc_attrs.h"

#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_session.h"

namespace tsw {

namespace {

FunctionAttributes &State() {
  static FunctionAttributes s;
  return s;
}

} // namespace

FunctionAttributes &Attributes() { return State(); }

void SetDebugAttributes(uint32_t &copy, bool on) {
  bool debug = on && DirectiveShellInUse().DebugCodeMode() == 0;
  if (debug)
    copy |= kAttrDebug | kAttrStep;
  else
    copy &= ~(kAttrDebug | kAttrStep);
  CodeGen().SwitchXmemCodeCache(debug);
}

void ChooseFunctionMemory(uint16_t memmapCode) {
  uint32_t &declaration = State().declaration;
  CodeGenerator &codegen = CodeGen();
  bool xmem;
  if (codegen.StaticFrame()) {
    xmem = false;
  } else if (memmapCode & kMemmapAnymem) {
    // Anymem: extended memory once root code would grow past the threshold
    // towards the start of root data. Summed in 32 bits so a threshold near
    // 65535 cannot wrap back to "fits in root".
    uint32_t rootCode = codegen.CacheAddress(OriginCache::kRootCode).logical;
    xmem = !codegen.IsBiosCode() && rootCode + AnymemThreshold() > BiosDataOrigin();
  } else {
    xmem = (memmapCode & kMemmapXmem) != 0;
  }
  if (xmem)
    declaration |= kAttrXmem;
  else
    declaration &= ~kAttrXmem;
}

void ResetAttributesModule() { State() = FunctionAttributes{}; }

} // namespace tsw
