#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "compcore/link/regframe.h"

// What a TCP/IP board tells about a stop, and the values of the watch
// expressions it evaluated; the debugger engine reads both.
namespace tsw {

inline constexpr unsigned kEventSize = 557;
inline constexpr unsigned kEventCodeBlockSize = 255;
inline constexpr unsigned kEventStackBytes = 16;
inline constexpr unsigned kEventTextSize = 255;

// Offsets in the event message.
enum : unsigned {
  kEventFlagsAt = 0,
  kEventFrameAt = 1,
  kEventCodeAt = 31,
  kEventStackAt = 286,
  kEventTextAt = 302,
};

// The status bits, shared with the serial status byte.
enum : uint8_t {
  kStatusStdioWaiting = 0x01,
  kStatusStopped = 0x02,
  kStatusWantsInput = 0x08,
  kStatusNothing = 0x80,
};

struct TargetEvent {
  uint8_t flags = 0;
  RegisterFrame frame;
  std::array<uint8_t, kEventCodeBlockSize> code{};
  std::array<uint8_t, kEventStackBytes> stack{};
};

struct WatchResults {
  static constexpr unsigned kMaxResults = 40;
  static constexpr unsigned kResultSize = 26;
  uint8_t count = 0;
  std::array<uint8_t, kMaxResults * kResultSize> bytes{};
};

// The last event taken by a poll, and the last watch values read.
extern TargetEvent LastTargetEvent;
extern WatchResults CurrentWatchResults;

} // namespace tsw
