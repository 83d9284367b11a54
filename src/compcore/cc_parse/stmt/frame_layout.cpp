#include "compcore/cc_parse/stmt/frame_layout.h"

#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"

#include <algorithm>

namespace tsw {
namespace {

// The return address.
constexpr uint16_t kRootFrameOverhead = 2;
// Arguments are pushed as words at least.
constexpr uint16_t kParameterSlotBytes = 2;

} // namespace

uint16_t FrameOverhead() { return kRootFrameOverhead; }

void AssignLocalOffsets() {
  FunctionStatementState &f = StatementState();
  f.frameOverhead = FrameOverhead();
  f.parametersSize = 0;
  ForEachSymbolRecord(SymbolTableId::kLocal, [&](const SymbolRecord &entry) {
    // Locals have their (negative) offsets already; parameters stand at 0.
    if (entry.kind != kClassAutoLocal || entry.definition != 0 || entry.type == kTypeVoid)
      return false;
    SymbolRecord *parameter = LookupSymbol(entry.name, false, SymbolTableId::kLocal);
    if (!parameter)
      return false;
    const uint16_t size = std::max(kParameterSlotBytes, ValueStorageSize(MakeValueFromSymbol(*parameter)));
    parameter->definition = uint16_t(f.frameOverhead + f.parametersSize);
    f.parametersSize = uint16_t(f.parametersSize + size);
    return false;
  });
}

} // namespace tsw
