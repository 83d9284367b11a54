#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The board's register frame exactly as the debug kernel keeps it in target
// memory: 16-bit words low byte first, XPC one byte followed by a pad byte.
namespace tsw {

enum class FrameReg : uint8_t {
  AF = 0,
  BC = 2,
  DE = 4,
  HL = 6,
  SP = 8,
  PC = 10,
  XPC = 12, // one byte; the next one is padding
  IX = 14,
  IY = 16,
  AFAlt = 18,
  BCAlt = 20,
  DEAlt = 22,
  HLAlt = 24,
};

struct RegisterFrame {
  static constexpr size_t kSize = 26;
  std::array<uint8_t, kSize> bytes{};

  uint16_t Word(FrameReg r) const {
    auto at = size_t(r);
    return uint16_t(bytes[at] | bytes[at + 1] << 8);
  }
  void SetWord(FrameReg r, uint16_t value) {
    auto at = size_t(r);
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
  }
  uint8_t Xpc() const { return bytes[size_t(FrameReg::XPC)]; }
  void SetXpc(uint8_t value) { bytes[size_t(FrameReg::XPC)] = value; }
};

// The stopped program's frame, as the host keeps it between runs; the
// TCP/IP run and step replies bring it back.
extern RegisterFrame ProgramRegisterFrame;

} // namespace tsw
