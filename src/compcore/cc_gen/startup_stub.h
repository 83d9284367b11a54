#pragma once

#include "foundation/addr24.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The code that runs before main: it sets up the interrupt vectors, the
// stack and the auxiliary stack, the heap and the bouncer vector, then calls
// main and exit. Behind it stand the board description and the compile's
// time stamp. Its length is measured when the compile starts, before main
// and the library exist, and the memory map keeps that much room for it.
namespace tsw {

inline constexpr size_t kBoardRecordSize = 84;
inline constexpr size_t kStartupBufferSize = 512;
// Seconds from the Unix epoch to 1 January 1980.
inline constexpr int64_t kStampEpochOffset = 315532800;
inline constexpr uint32_t kNoTimeStamp = 0xFFFFFFFF;

// The figures of the memory map and the compile driver the stub places.
struct StartupLayout {
  ADDR24 address;            // where the stub goes
  uint16_t vectorBase = 0;   // interrupt vectors (Z180: its high byte into I)
  uint8_t targetMode = 0;    // bit 0 pushed for the start-up routine
  // The memory map computes no figure for the pushed word, B and the two
  // RST 28h values: they stay 0 until it does.
  uint16_t mapWord = 0;      // pushed after it
  uint8_t segmentSpan = 0;   // into B
  uint16_t stackTop = 0;     // SP is one above
  uint16_t stackLimit = 0;   // its page into C; negated into STACK_LIMIT
  uint16_t auxStackTop = 0;  // AUX_STACK_PTR is one above
  uint16_t auxStackLimit = 0;
  uint16_t heapStart = 0;
  uint16_t heapEnd = 0;
  uint16_t heapSize = 0;
  uint16_t rst28Word = 0;
  uint8_t rst28OffByte = 0;
  bool globalInit = false;   // the program has a global initialisation
  bool timeStamp = true;     // the setting "Include Time Stamp"
  std::array<uint8_t, kBoardRecordSize> boardRecord{};
};

// What the stub needs outside the code generator: the clock and the image
// writer. The compiler's assembly installs the real one.
class StartupServices {
public:
  virtual ~StartupServices() = default;
  // Now, in seconds since the Unix epoch, corrected to local time.
  virtual int64_t LocalTime() { return kStampEpochOffset; }
  virtual void WriteStartup(ADDR24 address, const std::vector<uint8_t> &bytes) { (void)address, (void)bytes; }
  // The stamp's place, which the image writer fills in again.
  virtual void RecordStampAddress(ADDR24 address) { (void)address; }
};
// Null puts back the neutral services.
void SetStartupServices(StartupServices *services);

// The kernel the program starts on has its start-up routine: without one
// (a compile with no BIOS behind it) there is nothing to start the program.
bool StartupRoutineKnown();

// The length the stub, the board record and the stamp will take. Nothing is
// looked up yet: every optional part whose symbol may still appear counts.
uint16_t MeasureStartupStub(const StartupLayout &layout);
// Builds and writes the stub, padded to `reserved` bytes; 0 and nothing
// written when a symbol it needs is missing or it does not fit, else its
// length.
uint16_t WriteStartupStub(const StartupLayout &layout, uint16_t reserved);

} // namespace tsw
