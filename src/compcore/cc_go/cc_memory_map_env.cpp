#include "compcore/cc_go/cc_memory_map_env.h"

#include "compcore/cc_gen/startup_stub.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_stab/cc_bios.h"

#include <cstring>

namespace tsw {
namespace {

// The tsw.cfg entry whose line begins with `key`, then blanks or '='.
uint16_t *ConfigVariable(const char *key) {
  const size_t length = std::strlen(key);
  for (const CompilerConfigEntry &e : CompilerConfigTable) {
    if (std::strncmp(e.format, key, length) == 0 && (e.format[length] == ' ' || e.format[length] == '='))
      return &(CompilerConfig().*e.variable);
  }
  return nullptr;
}

} // namespace

void CompilerMemoryMapEnvironment::ClearBiosSymbolMarks() { tsw::ClearBiosSymbolMarks(); }

uint32_t CompilerMemoryMapEnvironment::LookupBiosSymbol(const char *name, uint32_t defaultValue) {
  return Addr24ToLong(tsw::LookupBiosSymbol(name, Addr24FromLong(defaultValue)));
}

uint16_t CompilerMemoryMapEnvironment::ConfigValue(const char *key) {
  const uint16_t *variable = ConfigVariable(key);
  return variable ? *variable : 0;
}

void CompilerMemoryMapEnvironment::SetConfigValue(const char *key, uint16_t value) {
  if (uint16_t *variable = ConfigVariable(key))
    *variable = value;
}

// Measured before main and the library exist: only the processor, the
// bouncer setting and whether there is a heap change the length.
uint16_t CompilerMemoryMapEnvironment::MeasureStartupCode() {
  StartupLayout layout;
  layout.heapSize = ConfigValue("heap");
  return MeasureStartupStub(layout);
}

} // namespace tsw
