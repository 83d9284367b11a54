#pragma once

#include "debugger/insnenv.h"
#include "foundation/addr24.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "foundation/msgnumbers.h"

// The lines the register, stack and dump panes show, and the location lines
// that head the register, stack and watch panes. Plain text over bytes and a
// register frame; the engine reads the board and hands the lines on.
namespace tsw {

// A statement's place in its source file, as the debugger shows it (not
// the compiler's input position).
struct SourceLocation {
  std::string file;
  uint16_t line = 0;
  uint8_t column = 0;
};


// The separator and then the source position of `pc` when one is known,
// else the address.
std::vector<std::string> PcLocationLines(ADDR24 pc, const std::optional<SourceLocation> &where);

// The flags of F (one letter per set bit, "SZXHXVNC" from bit 7 down) and XPC.
std::string FlagsLine(const TargetRegisterFrame &frame);
// The seven register lines below the location lines.
std::vector<std::string> RegisterLines(const TargetRegisterFrame &frame);

// One line "%04X: %04X" per word read at `sp`; `words` holds 2 bytes per line.
std::vector<std::string> StackLines(uint16_t sp, const uint8_t *words, size_t lineCount);

// How the dump address was given: the dump pane and its dialog keep it.
struct DumpAddressing {
  bool physicalForm = false;
  uint32_t physicalAddress = 0;
  ADDR24 address;           // the logical forms
  bool segmentForm = false; // typed as segment:offset
};

inline constexpr size_t kDumpBytesPerLine = 16;
inline constexpr size_t kDumpLines = 8;
inline constexpr size_t kDumpBlockSize = kDumpBytesPerLine * kDumpLines;

// Where the dump's bytes are read.
ADDR24 DumpReadAddress(const DumpAddressing &at);
// The lines of `count` bytes (a multiple of 16) read there.
std::vector<std::string> DumpLines(const DumpAddressing &at, const uint8_t *bytes, size_t count);

} // namespace tsw
