#include "compcore/common/cc_command_values.h"

namespace tsw {
namespace {

struct CommandValues {
  MemoryMapOverrides overrides;
  uint8_t optionB = 1;
};
CommandValues &Values() {
  static CommandValues values;
  return values;
}

} // namespace

MemoryMapOverrides &CommandMemoryMapOverrides() { return Values().overrides; }
uint8_t &CompileOptionBFlag() { return Values().optionB; }

} // namespace tsw
