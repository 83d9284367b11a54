#pragma once

#include "compcore/cc_rom/rom_listing.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <string>
#include <vector>

// One whole compile of the BIOS or of a program: the target chosen, the
// compiler prepared, the outputs decided, the program text through the
// compile loop, then the source positions, the listing and the image files
// or the board. The compile request (CompileFile) runs it once, or twice
// when the BIOS is compiled first.
namespace tsw {

inline constexpr uint16_t kCompileModeBoard = 0;
inline constexpr uint16_t kCompileModeFiles = 1;

// Where a BIOS compiled with a program loaded leaves the program's start-up
// code.
inline constexpr char kStartupCodeLabel[] = "$STARTUPCODE";

// The status word of the diagnostic list, with the failed bit added when
// the compile failed for any reason: a failed output or send is a failed
// compile. A ".brk" file that cannot be written throws xFileOpen (5146 when
// it is marked read-only, else 5147 with the program's directory); a fault
// of the compiler itself passes on after the clean-up.
uint16_t CompileProgram(const std::string &programPath, uint16_t mode);

// What the last compile left for the information dialog, the start-up code
// and the download package.
struct CompileInformation {
  ADDR24 dataPointerBase{};
  ADDR24 rootCodeStart{};
  ADDR24 rootVariableStart{};
  ADDR24 xmemCodeOrigin{};
  ADDR24 xmemCodeCurrent{};
  uint32_t xmemDataStart = 0; // physical
  uint32_t xmemDataEnd = 0;   // physical
  uint16_t stackOrigin = 0;
  uint16_t stackTop = 0;
  uint16_t freeBase = 0;
  uint16_t freeTop = 0;
  uint16_t watchCodeStart = 0;
  uint16_t watchCodeEnd = 0;
  // The root code's end rounded up to a page, and its last byte.
  uint16_t codeEnd = 0;
  uint16_t codeEndLast = 0;
  // The last byte of the root code itself, and the lowest root variable's
  // first byte (one above the top of root data when there is none).
  uint16_t rootCodeLast = 0;
  uint16_t rootDataLow = 0;
  // The lines read, and when the compile began and ended on the tick
  // clock; recorded however the compile ends.
  uint32_t linesCompiled = 0;
  uint32_t startMs = 0, endMs = 0;
  // The compile's time stamp, 0xFFFFFFFF when none is wanted.
  uint32_t timeStamp = 0;
  // The run-time checks and warnings the program text is compiled with.
  uint16_t runtimeCheckMask = 0;
  // What the link carried since the last BIOS compile, by the program
  // compile.
  uint32_t bytesWritten = 0;
  uint32_t bytesSent = 0;
  uint32_t bytesSentOutsideCommands = 0;
};

// The checks of the configuration as the program text is compiled with
// them: index 0x02, pointer 0x04, stack 0x08, size 0x10, warnings 0x20 and
// all warnings 0x40.
inline constexpr uint16_t kCheckWarnings = 0x20;
inline constexpr uint16_t kCheckAllWarnings = 0x40;
uint16_t BuildRuntimeCheckMask();
const CompileInformation &LastCompileInformation();

// The download package of a compile: a header of where the program lies,
// then each image range with its bytes read from the program's ".bin"
// image (image base in kilobytes) and a CRC-16 of them. False with the
// message shown when it cannot be written whole; no package is then left.
bool WriteDownloadPackage(const std::string &programPath, const std::vector<ImageRange> &ranges, uint32_t imageBaseKb);

// ---- watch statements ------------------------------------------------------

// Where the next watch compile reads the program again: the position the
// compile recorded for the function that holds the program counter (its
// compiled-function record's two values). Column 0 is no position in the
// program.
void MarkCompileStopPosition(uint16_t line, uint8_t column);

// One watch statement, compiled after a program compile as the body of the
// function whose position was marked: its parameters and locals are reached
// as that function's code reaches them.
struct WatchCompileRequest {
  std::string statement;
  // The fragment's first byte in the board's watch code area, and the room
  // the area has from there.
  ADDR24 codeAddress{};
  uint16_t codeRoom = 0;
  // Where the statement's own variables go.
  ADDR24 variableAddress{};
  // Where the function's static locals were placed from (its compiled
  // record's third address): they keep their addresses in the watch.
  ADDR24 staticLocals{};
};
struct WatchCompileResult {
  // 0 when nothing was compiled; else 1, or 2 when the statement reads the
  // function's parameters or automatic variables.
  uint16_t count = 0;
  // The first byte after the fragment: where the next one goes.
  ADDR24 codeEnd{};
};
// Every diagnostic of the statement is thrown as xWatch with its text, and
// the symbols the statement entered are taken back; the program's labels
// and symbols stay as the program compile left them.
WatchCompileResult CompileWatchStatement(const WatchCompileRequest &request);

void ResetCompileDriver();

} // namespace tsw
