#pragma once

#include <string>

// Where the compile's parts report to the map file: the #define handler
// and the assembler's global labels report through hooks installed here,
// and the compile pass opens the map before the program text and writes it
// after a successful compile.
namespace tsw {

// Each compiler assembly: the map emptied and its reporters installed.
void InstallMapReports();

// A program compile is set up: the map beside `programPath` opened.
void BeginMapFile(const std::string &programPath);
// The compile succeeded: the memory layout taken from the code and data
// caches, the last entry closed at the code's end, and the map written.
void FinishMapFile();

} // namespace tsw
