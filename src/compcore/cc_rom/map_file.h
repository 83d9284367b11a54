#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <iosfwd>
#include <set>
#include <string>
#include <string_view>

// The map file: what the compile reports of its functions, assembler labels,
// data symbols, macros and calls, kept in the order reported and written
// beside the program at the end of a successful compile. Nothing reads it
// back; it is the programmer's view of where everything went.
namespace tsw {

// Where a record's text came from; an empty file means none.
struct MapSource {
  std::string file;
  uint32_t line = 0;
};

// One function, assembler global label or macro.
struct MapRecord {
  uint32_t size = 0;
  // Only a compiled function knows its size; a label's is indeterminate.
  bool sized = false;
  std::string name;
  MapSource source;
  ADDR24 start;
  // Names called from this function, in byte-wise order, each once.
  std::set<std::string> calls;
};

// One data symbol row, its numbers already taken from the symbol table.
struct MapSymbol {
  // A parameter or auto local: it has a frame offset, not an address.
  bool onFrame = false;
  ADDR24 address;
  int16_t frameOffset = 0;
  // The frame is addressed through IX rather than SP.
  bool ixFrame = false;
  uint32_t size = 0;
  std::string name;
  MapSource source;
  std::string typeText;
};

struct MapArea {
  ADDR24 start;
  ADDR24 end;
};

struct MapAreas {
  MapArea rootCode;
  MapArea rootData;
  MapArea xmemCode;
};

// A compile begins: every list is emptied and, when the program has a path,
// the map beside it is opened (created or truncated). A map that cannot be
// opened silently receives nothing.
void MakeMapFileName(std::string_view programPath);

// A function or "name::" label starts at `start`; it becomes the record
// that receives the calls reported next. Answers the source line recorded.
uint16_t MapFileAddFunction(std::string_view name, ADDR24 start, bool sized, const MapSource &source);
// The record named ends at `end`. A size of 0 waits for the next non-zero
// size, so code that shares its bytes with the one after shows that size.
void SetMapEntrySize(std::string_view name, ADDR24 end);
// The function or label being reported, unless it has ended already, ends
// at `end`: a new one begins.
void CloseCurrentMapEntry(ADDR24 end);
// The current function calls `callee`.
void MapFileAddName(std::string_view callee);
void MapFileAddMacro(std::string_view name, const MapSource &source);
void MapFileAddSymbol(MapSymbol symbol);
void SetMapAreas(const MapAreas &areas);

// Writes the whole map to the stream opened by MakeMapFileName, closes it
// and empties every list.
void WriteMapFile();
// The same text to any stream, the lists left as they are.
void WriteMapText(std::ostream &out);

void ResetMapFileModule();

// Runs before each allocation of the map writer: a probe that throws
// std::bad_alloc there stands for a memory that is full. Null: none.
void SetMapAllocationProbe(void (*probe)());

} // namespace tsw
