#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <functional>

// Where a compile's bytes go besides the listing: the board, through the
// link, and the settings the driver chose for this compile's outputs.
namespace tsw {

class OutputTarget {
public:
  virtual ~OutputTarget() = default;
  // False when the board cannot be read.
  virtual bool ReadTargetMemory(uint32_t count, ADDR24 address, uint8_t *buffer) = 0;
  virtual void WriteTargetMemory(uint32_t count, ADDR24 address, const uint8_t *bytes) = 0;
  // One flash-sector chunk over the serial link.
  virtual void WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *bytes) = 0;
  virtual void WriteProgramBytesTcp(uint16_t count, ADDR24 address, const uint8_t *bytes) = 0;
  virtual bool FullDuplex() = 0;
  virtual bool UseTcp() = 0;
  // Asks the kernel to make its debug block readable (1) and releases it (2).
  virtual void PulseKernelFlag(uint16_t which) = 0;
  // Brings a kernel that runs the last program to a stop, so that the
  // program about to be compiled can be loaded in its place.
  virtual void SynchronizeDebugKernel() = 0;
};
// How the board is asked for a physical address: root addresses plain,
// the rest through the window.
inline ADDR24 BoardAddressOf(uint32_t physical) {
  return physical < ExtWindowStart ? MakeAddr24(0, uint16_t(physical)) : PhysicalToAddr24(physical);
}

// Null when no board is attached: the compile then writes files only.
void SetOutputTarget(OutputTarget *target);
OutputTarget *CurrentOutputTarget();

// The output bits of the compile driver.
enum : uint8_t {
  kOutputBit01 = 0x01,
  kOutputBit02 = 0x02,
  kOutputListing = 0x10,
  kOutputBoard = 0x20,
};

// What the code being emitted is: a program or BIOS compile (0), a watch
// compile being set up (1), watch code (2).
enum class CodeOutputMode : uint8_t { kProgram = 0, kWatchSetup = 1, kWatchCode = 2 };

struct OutputSettings {
  uint8_t outputBits = 0;
  CodeOutputMode codeMode = CodeOutputMode::kProgram;
  bool includeBios = false;
  bool zeroPadBin = false;
  bool includeTimeStamp = true;
  // The compiled BIOS's FLASH_SECTORSIZE; 0 when it has none.
  uint32_t flashSectorSize = 0;
  // The last address of the BIOS code.
  uint32_t biosCodeEnd = 0;
  // Words of the listing's closing lines.
  uint16_t ivecBase = 0;
  uint16_t scodBase = 0;
  // Physical offsets of the image checksum and the compile time stamp,
  // recorded by the BIOS compile.
  uint32_t checksumPosition = 0;
  uint32_t timeStampPosition = 0;
};
OutputSettings &Output();

// Pumps the please-wait dialog between pieces of long work.
void SetProgressCallback(std::function<void()> progress);
void PumpProgress();

// No board, the default settings, no progress callback.
void ResetOutputModule();

} // namespace tsw
