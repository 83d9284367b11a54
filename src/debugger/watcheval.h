#pragma once

#include "foundation/addr24.h"

#include <array>
#include <cstdint>
#include <string>

// A compiled watch fragment run by the debug kernel over the serial link:
// the kernel takes the fragment's address and a request, runs it, and
// leaves the 10-byte record ReturnWatchValue stored in its result variable.
namespace tsw {

inline constexpr size_t kWatchRecordSize = 10;
using WatchRecord = std::array<uint8_t, kWatchRecordSize>;

// Evaluation results: done, or the kernel stayed busy.
inline constexpr uint8_t kWatchEvaluated = 0;
inline constexpr uint8_t kWatchKernelBusy = 3;

// The kernel's result variable, where the watch statement points
// ReturnWatchValue.
ADDR24 WatchResultVariable();

// Runs the fragment at `fragment` and reads its record into `record`; the
// program's output waiting meanwhile goes to its pane.
uint8_t EvaluateWatchOnTarget(uint16_t fragment, WatchRecord &record);

// The bytes a char pointer of a watch points to, as many as a watch line
// can show.
inline constexpr uint16_t kWatchTextBytes = 64;
std::string ReadWatchText(uint16_t address);

} // namespace tsw
