#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gui/optionvalues.h"

class QWidget;

// The memory layout dialogs: the memory map, the root memory map and the
// reserved memory, each value stepped by a small scroll bar through a fixed
// range and shown beside it.
namespace tsw {

class LanguageModule;

// The range one scroll bar steps through. Position 0 is the bar's top and
// stands for the maximum; values between the steps fall to the step below.
struct ValueRange {
  uint16_t minimum, maximum, step;
  const char *format; // printf, one unsigned number

  int Positions() const;
  // Where the bar stands for `value`, kept inside the bar.
  int PositionOf(uint16_t value) const;
  uint16_t ValueAt(int position) const;
  std::string Text(uint16_t value) const;
};

// The ranges of the dialogs' values.
namespace ranges {
extern const ValueRange kRome, kRams, kRame, kRomx, kRamg;
extern const ValueRange kUstk, kAstk, kHeap, kFree;
extern const ValueRange kLogrs, kLogxs;
} // namespace ranges

struct MemoryMapServices {
  // Whether the board's memory is taken as a Corvid's, which needs no port.
  bool assumeCorvidCpu = false;
  // Tries the serial port once the RAM layout is to come from the board;
  // false when it cannot be opened.
  std::function<bool()> tryPort;
};

// Each runs its dialog modally on the values; true when OK stored them.
bool RunMemoryMapDialog(const LanguageModule &module, QWidget *parent, MemoryMapOptionValues &values,
                        const MemoryMapServices &services);
bool RunRootMapDialog(const LanguageModule &module, QWidget *parent, RootMapOptionValues &values);
bool RunReservedMemoryDialog(const LanguageModule &module, QWidget *parent, ReservedMemoryOptionValues &values);

} // namespace tsw
