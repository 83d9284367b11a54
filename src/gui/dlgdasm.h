#pragma once

#include <deque>
#include <optional>
#include <string>

#include "foundation/addr24.h"

class QWidget;

// The disassemble-at-address dialog: an address typed as segment:offset or
// as an offset alone, with the addresses typed before to choose from.
namespace tsw {

class LanguageModule;

inline constexpr const char *kDasmTemplate = "DIALOG_DASM";
inline constexpr uint32_t kDasmAddressId = 101;
// Offsets given alone stay below the kernel's own memory.
inline constexpr uint16_t kDasmOffsetLimit = 0xDEF0;

// "ss:*oooo", "ss:oooo" or "oooo" in hexadecimal; none for anything else.
std::optional<ADDR24> ParseDasmAddress(const std::string &text);

// What the dialog keeps between its uses.
struct DasmHistory {
  static constexpr size_t kMaxEntries = 15;
  static constexpr size_t kTextLimit = 10;
  std::string last;
  std::deque<std::string> entries;
  // A text joins the list unless it is there already; the oldest goes.
  void Add(const std::string &text);
};

// Runs the dialog modally; the address to list, none when cancelled. A text
// that is no address is refused with a message and the dialog stays.
std::optional<ADDR24> RunDasmDialog(const LanguageModule &module, QWidget *mainWindow, DasmHistory &history);

} // namespace tsw
