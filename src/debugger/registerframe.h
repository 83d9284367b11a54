#pragma once

#include <cstddef> // before the link's frame, which uses size_t
#include <cstdint>

#include "compcore/link/regframe.h"
#include "debugger/insnenv.h"

// The register frame as the debug kernel keeps it in target memory: 26
// bytes, words little-endian, in the order AF BC DE HL SP PC, XPC and a pad
// byte, IX IY AF' BC' DE' HL'.
namespace tsw {

inline constexpr size_t kRegisterFrameByteCount = RegisterFrame::kSize;

TargetRegisterFrame DecodeRegisterFrame(const uint8_t *bytes);
// The pad byte is written as 0.
void EncodeRegisterFrame(const TargetRegisterFrame &frame, uint8_t *bytes);

inline TargetRegisterFrame DecodeRegisterFrame(const RegisterFrame &frame) {
  return DecodeRegisterFrame(frame.bytes.data());
}

inline ADDR24 ProgramCounterOf(const TargetRegisterFrame &frame) { return MakeAddr24(frame.xpc, frame.pc); }

} // namespace tsw
