#include "debugger/registerframe.h"

namespace tsw {
namespace {

// The words in target order; XPC and its pad byte stand after PC.
constexpr size_t kXpcOffset = 12;
constexpr size_t kPadOffset = 13;

template <class Frame, class Visit> void ForEachWord(Frame &frame, Visit visit) {
  visit(0, frame.af);
  visit(2, frame.bc);
  visit(4, frame.de);
  visit(6, frame.hl);
  visit(8, frame.sp);
  visit(10, frame.pc);
  visit(14, frame.ix);
  visit(16, frame.iy);
  visit(18, frame.af_);
  visit(20, frame.bc_);
  visit(22, frame.de_);
  visit(24, frame.hl_);
}

} // namespace

TargetRegisterFrame DecodeRegisterFrame(const uint8_t *bytes) {
  TargetRegisterFrame frame;
  ForEachWord(frame, [&](size_t at, uint16_t &word) { word = uint16_t(bytes[at] | bytes[at + 1] << 8); });
  frame.xpc = bytes[kXpcOffset];
  return frame;
}

void EncodeRegisterFrame(const TargetRegisterFrame &frame, uint8_t *bytes) {
  ForEachWord(frame, [&](size_t at, const uint16_t &word) {
    bytes[at] = uint8_t(word);
    bytes[at + 1] = uint8_t(word >> 8);
  });
  bytes[kXpcOffset] = frame.xpc;
  bytes[kPadOffset] = 0;
}

} // namespace tsw
