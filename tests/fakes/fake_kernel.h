#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/addr24.h"

namespace tsw::testing {

// A board's debug kernel as the serial link sees it: a byte state machine
// over 1 MiB of memory. What it assumes where the protocol leaves room:
// - a count byte of 0 means 256 bytes (or the sector size it is given);
// - a header or data block whose sum is wrong is answered with NAK;
// - a frame left unfinished for 100 ms of silence is dropped, and the next
//   byte starts a new command;
// - addresses map to memory as the foundation's ADDR24 does, byte by byte.
class FakeKernel {
public:
  static constexpr uint32_t kMemorySize = 1u << 20;
  static constexpr uint32_t kSilenceDropMs = 100;

  FakeKernel() : memory(kMemorySize, 0) {}

  // One byte from the host, arriving at `now`; the answer goes to `out`.
  void Feed(uint8_t byte, uint32_t now, std::vector<uint8_t> &out);

  uint8_t Peek(uint32_t physical) const { return memory[physical & (kMemorySize - 1)]; }
  void Poke(uint32_t physical, const std::vector<uint8_t> &bytes);

  std::vector<uint8_t> memory;
  uint8_t status = 0x80;
  uint8_t ramSize = 0x20;
  uint16_t flashId = 0x01B0;
  uint16_t boardType = 0x1234;

  // Faults of the kernel itself.
  unsigned nakHeaders = 0;  // the next n headers are refused
  unsigned badReadSums = 0; // the next n read frames end with a wrong sum
  bool silent = false;      // answers nothing at all
  bool statusNoComplement = false;
  unsigned strayForAck = 0; // the next n ACKs are sent as 0x41

  // What it took.
  unsigned headers = 0;
  unsigned readFrames = 0;
  unsigned writeFrames = 0;
  unsigned queries = 0;
  std::vector<unsigned> frameCounts; // count of each frame
  // A CPU behind the kernel: told of each write frame once its bytes are in
  // memory, and asked for the status byte (the fixed `status` when unset).
  std::function<void(uint32_t physical, unsigned count)> onWrite;
  std::function<uint8_t()> statusSource;

  // What a count byte of 0 stands for (a kernel taking flash sectors whole
  // may take more).
  unsigned zeroCountMeans = 256;

private:
  enum class State { Idle, Header, WriteData, WriteSum };
  void Ack(std::vector<uint8_t> &out);
  void StartFrame(std::vector<uint8_t> &out);

  State state_ = State::Idle;
  std::vector<uint8_t> header_;
  std::vector<uint8_t> data_;
  unsigned count_ = 0;
  uint32_t lastByteAt_ = 0;
};

} // namespace tsw::testing
