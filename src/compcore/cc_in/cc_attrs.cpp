#include "compcore/cc_in/cc_attrs.h"

#include "compcore/cc_in/cc_memmap.h"
#include "compcore/common/cc_session.h"

namespace tsw {

namespace {

struct AttributeState {
  FunctionAttributes attributes;
  AttributeEnvironment defaultEnvironment;
  AttributeEnvironment *environment = &defaultEnvironment;
};

AttributeState &A() {
  static AttributeState s;
  return s;
}

} // namespace

FunctionAttributes &Attributes() { return A().attributes; }

void SetAttributeEnvironment(AttributeEnvironment *environment) {
  A().environment = environment ? environment : &A().defaultEnvironment;
}

void SetDebugAttributes(uint32_t &copy, bool on) {
  bool debug = on && A().environment->DebugCodeMode() == 0;
  if (debug)
    copy |= kAttrDebug | kAttrStep;
  else
    copy &= ~(kAttrDebug | kAttrStep);
  A().environment->SwitchXmemCodeCache(debug);
}

void ChooseFunctionMemory(uint16_t memmapCode) {
  uint32_t &declaration = A().attributes.declaration;
  AttributeEnvironment &env = *A().environment;
  bool xmem;
  if (env.StaticFrame()) {
    xmem = false;
  } else if (memmapCode & kMemmapAnymem) {
    // Anymem: extended memory once root code would grow past the threshold
    // towards the start of root data. Summed in 32 bits so a threshold near
    // 65535 cannot wrap back to "fits in root".
    xmem = !env.BiosCodeMode() && uint32_t(env.RootCodeAddress()) + AnymemThreshold() > BiosDataOrigin();
  } else {
    xmem = (memmapCode & kMemmapXmem) != 0;
  }
  if (xmem)
    declaration |= kAttrXmem;
  else
    declaration &= ~kAttrXmem;
}

void ResetAttributesModule() {
  A().attributes = FunctionAttributes{};
  A().environment = &A().defaultEnvironment;
}

} // namespace tsw
