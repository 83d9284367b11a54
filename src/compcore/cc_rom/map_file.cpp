#include "compcore/cc_rom/map_file.h"

#include "compcore/cc_rom/call_graph.h"
#include "compcore/cc_rom/map_text.h"
#include "foundation/xerr.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <fstream>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

namespace tsw {
namespace {

constexpr const char *kMapModule = "map_file";

struct MapState {
  std::vector<std::unique_ptr<MapRecord>> records;
  // Both lists keep the order of the reports: the programmer reads the
  // root functions first, each list in compile order.
  std::vector<const MapRecord *> rootFunctions;
  std::vector<const MapRecord *> xmemFunctions;
  std::vector<MapRecord> macros;
  std::vector<MapSymbol> symbols;
  std::map<std::string, MapRecord *, std::less<>> byName;
  MapRecord *current = nullptr;
  std::vector<MapRecord *> pendingSize;
  MapAreas areas;
  std::ofstream stream;

  void ClearLists() {
    rootFunctions.clear();
    xmemFunctions.clear();
    macros.clear();
    symbols.clear();
    byName.clear();
    current = nullptr;
    pendingSize.clear();
    records.clear();
    areas = MapAreas{};
  }
};

MapState &State() {
  static MapState state;
  return state;
}

void (*&AllocationProbe())() {
  static void (*probe)() = nullptr;
  return probe;
}

// A failed allocation ends this compile only; the editor's unsaved text
// outlives it.
template <typename Body> auto GuardAllocation(Body body) {
  try {
    if (AllocationProbe())
      AllocationProbe()();
    return body();
  } catch (const std::bad_alloc &) {
    throw xNoMem(kMapModule, __LINE__);
  }
}

void WriteSourceColumns(std::ostream &out, const MapSource &source) {
  if (source.file.empty())
    return;
  out << fmt::format("{:<31} {:>5}", MapSourceNameText(source.file), source.line);
}

void WriteMemoryLayout(std::ostream &out, const MapAreas &areas) {
  out << "// Compilers view of MMU. Note these values are determined by the origin statements in the BIOS.\n";
  out << fmt::format("{:<20}{:<11}Size\n", "//Segment ", "Origin");
  auto area = [&out](std::string_view name, const MapArea &area, uint32_t size) {
    out << fmt::format("{:<20}{:02x}:{:04x}    {:06x}\n", name, area.start.segment, area.start.logical, size);
  };
  // Root areas are measured in their 24-bit form, xmem code physically:
  // its segments change along the way.
  area("Root Code", areas.rootCode, Addr24ToLong(areas.rootCode.end) - Addr24ToLong(areas.rootCode.start));
  area("Root Data", areas.rootData, Addr24ToLong(areas.rootData.end) - Addr24ToLong(areas.rootData.start));
  area("Xmem Code", areas.xmemCode, Addr24Difference(areas.xmemCode.end, areas.xmemCode.start));
}

void WriteFunctionRow(std::ostream &out, const MapRecord &record) {
  out << ' ' << MapAddressText(record.start, ExtWindowStart);
  if (record.sized && record.size != 0)
    out << fmt::format("{:>9}", record.size);
  else
    out << fmt::format("{:>9}", "*");
  out << fmt::format("   {:<31} ", record.name);
  WriteSourceColumns(out, record.source);
  out << '\n';
}

void WriteFunctions(std::ostream &out, const MapState &state) {
  out << "\n\n\n// Function mapping and source reference.\n";
  out << "// * The size of labels is indeterminate and so is denoted with an asterisk.\n";
  out << fmt::format("{:<8}{:>9}   {:<32}{:<29}Line Num\n", "//  Addr", "Size", "Function", "File");
  for (const MapRecord *record : state.rootFunctions)
    WriteFunctionRow(out, *record);
  for (const MapRecord *record : state.xmemFunctions)
    WriteFunctionRow(out, *record);
}

// One row per data symbol of the program: the formats are parsed once, at
// build time, since a large program writes tens of thousands of rows.
void WriteSymbolRow(std::ostream &out, const MapSymbol &symbol) {
  fmt::memory_buffer row;
  if (symbol.onFrame)
    fmt::format_to(std::back_inserter(row), FMT_COMPILE("   {:>5}{:>8}"), symbol.frameOffset,
                   symbol.ixFrame ? "IX" : "SP");
  else
    fmt::format_to(std::back_inserter(row), FMT_COMPILE(" {}"), MapAddressText(symbol.address, ExtWindowStart));
  fmt::format_to(std::back_inserter(row), FMT_COMPILE("{:>9}   {:<31} {:<31} {:>5}  {:<16}\n"), symbol.size,
                 symbol.name, MapSourceNameText(symbol.source.file), symbol.source.line, symbol.typeText);
  out.write(row.data(), std::streamsize(row.size()));
}

void WriteSymbols(std::ostream &out, const MapState &state) {
  out << "\n\n// Global/static data symbol mapping and source reference.\n";
  out << fmt::format("{:<8}{:>9}   {:<32}{:<29}Line Num  Type\n", "//  Addr", "Size", "Symbol", "File");
  for (const MapSymbol &symbol : state.symbols)
    if (!symbol.onFrame)
      WriteSymbolRow(out, symbol);
  out << "\n// Parameter and local auto symbol mapping and source reference.\n";
  out << fmt::format("{:<8}{:>8}{:>9}   {:<32}{:<29}Line Num  Type\n", "//Offset", "Rel. to", "Size", "Symbol",
                     "File");
  for (const MapSymbol &symbol : state.symbols)
    if (symbol.onFrame)
      WriteSymbolRow(out, symbol);
}

void WriteMacros(std::ostream &out, const MapState &state) {
  out << "\n\n// Macro listing and source reference.\n";
  out << fmt::format("{:<35}{:<29}Line Num\n", "//  Name", "File");
  for (const MapRecord &macro : state.macros) {
    out << fmt::format("   {:<31} ", macro.name);
    WriteSourceColumns(out, macro.source);
    out << '\n';
  }
}

void WriteGraph(std::ostream &out, const MapState &state) {
  out << "\n\n// Function call graph.\n";
  CallGraph graph(state.byName.begin(), state.byName.end());
  WriteCallGraph(out, graph);
}

} // namespace

void MakeMapFileName(std::string_view programPath) {
  MapState &state = State();
  if (state.stream.is_open())
    state.stream.close();
  state.stream.clear();
  state.ClearLists();
  if (!programPath.empty())
    state.stream.open(MapFileNameFor(programPath), std::ios::out | std::ios::trunc);
}

uint16_t MapFileAddFunction(std::string_view name, ADDR24 start, bool sized, const MapSource &source) {
  return GuardAllocation([&] {
    MapState &state = State();
    auto record = std::make_unique<MapRecord>();
    record->name = name;
    record->start = start;
    record->sized = sized;
    record->source = source;
    MapRecord *placed = record.get();
    state.records.push_back(std::move(record));
    state.current = placed;
    state.byName.insert_or_assign(placed->name, placed);
    (start.logical < ExtWindowStart ? state.rootFunctions : state.xmemFunctions).push_back(placed);
    return uint16_t(source.line);
  });
}

void SetMapEntrySize(std::string_view name, ADDR24 end) {
  GuardAllocation([&] {
    MapState &state = State();
    auto found = state.byName.find(name);
    if (found == state.byName.end())
      return;
    MapRecord &record = *found->second;
    // An entry ends once: what begins after it (a function in another
    // memory, a label) must not measure it again.
    if (state.current == &record)
      state.current = nullptr;
    record.size = Addr24Difference(end, record.start);
    if (record.size == 0) {
      state.pendingSize.push_back(&record);
      return;
    }
    for (MapRecord *pending : state.pendingSize)
      pending->size = record.size;
    state.pendingSize.clear();
  });
}

void CloseCurrentMapEntry(ADDR24 end) {
  if (const MapRecord *current = State().current)
    SetMapEntrySize(std::string(current->name), end);
}

void MapFileAddName(std::string_view callee) {
  GuardAllocation([&] {
    MapState &state = State();
    if (state.current != nullptr)
      state.current->calls.emplace(callee);
  });
}

void MapFileAddMacro(std::string_view name, const MapSource &source) {
  GuardAllocation([&] {
    MapRecord macro;
    macro.name = name;
    macro.source = source;
    State().macros.push_back(std::move(macro));
  });
}

void MapFileAddSymbol(MapSymbol symbol) {
  GuardAllocation([&] { State().symbols.push_back(std::move(symbol)); });
}

void SetMapAreas(const MapAreas &areas) { State().areas = areas; }

void WriteMapText(std::ostream &out) {
  const MapState &state = State();
  WriteMemoryLayout(out, state.areas);
  WriteFunctions(out, state);
  WriteSymbols(out, state);
  WriteMacros(out, state);
  WriteGraph(out, state);
}

void WriteMapFile() {
  MapState &state = State();
  if (state.stream.is_open()) {
    WriteMapText(state.stream);
    state.stream.close();
  }
  state.ClearLists();
}

void SetMapAllocationProbe(void (*probe)()) { AllocationProbe() = probe; }

void ResetMapFileModule() {
  AllocationProbe() = nullptr;
  MapState &state = State();
  if (state.stream.is_open())
    state.stream.close();
  state.stream.clear();
  state.ClearLists();
}

} // namespace tsw
