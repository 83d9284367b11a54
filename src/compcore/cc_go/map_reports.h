#pragma once

#include <string>
#include <string_view>

// Where the compile's parts report to the map file: the #define handler
// and the assembler's global labels report through hooks installed here,
// and the compile pass opens the map before the program text and writes it
// after a successful compile.
namespace tsw {

// Each compiler assembly: the map emptied and its reporters installed.
void InstallMapReports();

struct SymbolRecord;

// A global or static placed in data memory, under the name the map shows.
void ReportMapDataSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol);
void ReportMapFrameSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol, int16_t frameOffset,
                          bool ixFrame);
// A compiled function starts at the current code address: the entry before
// it ends there.
void ReportMapFunctionBegins(std::string_view name, uint32_t headerLine);
void ReportMapFunctionEnds(std::string_view name);

// A program compile is set up: the map beside `programPath` opened.
void BeginMapFile(const std::string &programPath);
// The compile succeeded: the memory layout taken from the code and data
// caches, the last entry closed at the code's end, and the map written.
void FinishMapFile();

} // namespace tsw
