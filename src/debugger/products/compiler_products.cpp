#include "debugger/products/compiler_products.h"

#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"

namespace tsw {

std::optional<SourceLocation> CompilerProducts::FindSourceForAddress(ADDR24 address) {
  SourceLocation where;
  if (!tsw::FindSourceForAddress(address, where.line, where.column, where.file))
    return std::nullopt;
  return where;
}

ADDR24 CompilerProducts::FindAddressForSource(const std::string &file, uint16_t line, uint16_t column) {
  return tsw::FindAddressForSource(file, line, column);
}

std::vector<ADDR24> CompilerProducts::FunctionAddresses() {
  std::vector<ADDR24> starts;
  for (const CompiledFunctionRecord &function : CompiledFunctions())
    starts.push_back(function.start);
  return starts;
}

// The BIOS names the start-up labels it was compiled with; a program's own
// definition answers where the BIOS has none.
uint16_t CompilerProducts::StartupLabel(const char *name) {
  if (std::optional<uint32_t> value = SpecialBiosSymbol(name); value && *value != 0)
    return uint16_t(*value);
  const BRFixupRec *label = FindGlobalLabel(name);
  return label && label->defined ? Addr24Logical(Addr24FromLong(label->value)) : 0;
}

uint16_t CompilerProducts::CodeStart() { return CompiledCodeStart(); }
uint16_t CompilerProducts::StackTop() { return CompiledStackTop(); }

TargetCpu CompilerProducts::Cpu() {
  return CodeGen().TargetCpu();
}

// A routine of the target library is a function of this compile, or a
// label its assembly defined.
std::optional<uint16_t> CompilerProducts::FindRuntimeRoutine(const char *name) {
  if (ADDR24 start = FindFunctionAddressByName(name); Addr24Logical(start) != 0)
    return Addr24Logical(start);
  const BRFixupRec *label = FindGlobalLabel(name);
  if (!label || !label->defined)
    return std::nullopt;
  return Addr24Logical(Addr24FromLong(label->value));
}

const char *CompilerProducts::FindBiosSymbolByValue(ADDR24 address) { return tsw::FindBiosSymbolByValue(address); }
ADDR24 CompilerProducts::LookupXmem(ADDR24 address) { return tsw::LookupXmem(address); }

// The program's globals, in the order they were entered, as the decoder
// reads a record: its name, definition word, address, kind and type.
void CompilerProducts::ForEachSymbol(const std::function<bool(const SymbolView &)> &visit) {
  ForEachSymbolRecord(SymbolTableId::kGlobal, [&](const SymbolRecord &record) {
    return visit({record.name, record.definition, Addr24FromLong(record.address), record.kind, record.type});
  });
}

void CompilerProducts::ClearBiosSymbols() { tsw::ClearBiosSymbols(); }
int CompilerProducts::LoadBiosSymbolsFromBios() { return LoadBiosSymbolsFromBoard(); }
uint8_t CompilerProducts::GetCompileStage() { return tsw::GetCompileStage(); }
void CompilerProducts::SetCompileStage(uint8_t stage) { tsw::SetCompileStage(stage); }

} // namespace tsw
