#include "compcore/cc_parse/stmt/frame_map.h"

#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_storage.h"

#include <string>

namespace tsw {

void ReportFrameSymbolsToMap() {
  const FunctionStatementState &f = StatementState();
  // Through IX the offsets are the frame's own; through SP they are counted
  // from the stack pointer as the body starts, below the locals.
  const bool ixFrame = f.ixFrame;
  const int16_t base = ixFrame ? 0 : int16_t(f.localsSize);
  const std::string file = CurrentSourceFileName();
  ForEachSymbolRecord(SymbolTableId::kLocal, [&](const SymbolRecord &entry) {
    if (entry.kind != kClassAutoLocal || entry.type == kTypeVoid)
      return false;
    SymbolRecord *symbol = LookupSymbol(entry.name, false, SymbolTableId::kLocal);
    if (symbol == nullptr)
      return false;
    const int16_t offset = int16_t(int16_t(symbol->definition) + base);
    CodeGen().AddMapFrameSymbol(f.name + ":" + symbol->name, file, *symbol, offset, ixFrame);
    return false;
  });
}

} // namespace tsw
