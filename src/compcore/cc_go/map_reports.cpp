#include "compcore/cc_go/map_reports.h"

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_rom/map_file.h"
#include "compcore/cc_stab/cc_stab.h"

namespace tsw {
namespace {

ADDR24 CodeAddressNow() {
  EmitCache *code = Caches().currentCode;
  return code ? code->Current() : ADDR24{};
}

MapSource SourceHere() { return MapSource{CurrentSourceFileName(), CurrentSourceLine()}; }

// A global label closes the label or function before it and opens its own
// entry, which has no size of its own to report.
class MapAsmHost : public assembler::AsmHost {
public:
  void EnterMapFunction(std::string_view name) override {
    const ADDR24 here = CodeAddressNow();
    CloseCurrentMapEntry(here);
    MapFileAddFunction(name, here, false, SourceHere());
  }
  void NoteMapCall(std::string_view callee) override { MapFileAddName(callee); }
};

MapAsmHost &AsmReporter() {
  static MapAsmHost host;
  return host;
}

void ReportMacro(std::string_view name) { MapFileAddMacro(name, SourceHere()); }

// The area a cache filled, lowest address first whichever way it fills.
MapArea AreaOf(const EmitCache *cache) {
  if (cache == nullptr)
    return {};
  const OriginDirective *origin = cache->AttachedOrigin();
  ADDR24 first = origin ? origin->start : cache->Current();
  ADDR24 last = cache->Current();
  if (Addr24Less(last, first))
    std::swap(first, last);
  return {first, last};
}

MapSymbol SymbolRow(std::string_view name, std::string_view file, SymbolRecord &symbol) {
  MapSymbol row;
  ValueRecord value = MakeValueFromSymbol(symbol);
  row.typeText = FormatValueType(value);
  // The size of what a pointer to the symbol points at: the whole object,
  // every dimension of an array included.
  value.declarator = AddLevel(value.declarator, kLevelPointer);
  row.size = ArrayDimensionProduct(value);
  row.name = name;
  row.source = MapSource{std::string(file), symbol.line};
  return row;
}

} // namespace

void InstallMapReports() {
  ResetMapFileModule();
  SetMacroDefinedHook(ReportMacro);
  assembler::SetAsmHost(&AsmReporter());
}

void ReportMapDataSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol) {
  MapSymbol row = SymbolRow(name, file, symbol);
  row.address = Addr24FromLong(symbol.address);
  MapFileAddSymbol(std::move(row));
}

void ReportMapFrameSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol, int16_t frameOffset,
                          bool ixFrame) {
  MapSymbol row = SymbolRow(name, file, symbol);
  row.onFrame = true;
  row.frameOffset = frameOffset;
  row.ixFrame = ixFrame;
  MapFileAddSymbol(std::move(row));
}

void ReportMapFunctionBegins(std::string_view name, uint32_t headerLine) {
  const ADDR24 here = CodeAddressNow();
  CloseCurrentMapEntry(here);
  MapFileAddFunction(name, here, true, MapSource{CurrentSourceFileName(), headerLine});
}

void ReportMapFunctionEnds(std::string_view name) { SetMapEntrySize(name, CodeAddressNow()); }

void BeginMapFile(const std::string &programPath) { MakeMapFileName(programPath); }

void FinishMapFile() {
  CloseCurrentMapEntry(CodeAddressNow());
  SetMapAreas({AreaOf(Caches().rootCode), AreaOf(Caches().rootVariable), AreaOf(Caches().xmemCode)});
  WriteMapFile();
}

} // namespace tsw
