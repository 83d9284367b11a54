#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "debugger/panetext.h"
#include "gui/dlgdasm.h"

class QWidget;

// The memory dump dialog: an address in the physical or a logical form,
// shown in the dump pane or written as dump lines into a file.
namespace tsw {

class LanguageModule;

inline constexpr const char *kDumpTemplate = "DIALOG_DUMP";
inline constexpr uint32_t kDumpDefaultLength = 128;
inline constexpr uint16_t kLogicalDumpLimit = 0xE000;

// The typed address, or the number of the message that says what is wrong
// with it.
struct DumpAddressParse {
  std::optional<DumpAddressing> at;
  unsigned error = 0;
};
// `previous` is the addressing in use; what the text does not give stays.
DumpAddressParse ParseDumpAddress(const std::string &text, bool physicalForm, const DumpAddressing &previous);

// What the dialog keeps between its uses.
struct DumpDialogState {
  bool physicalForm = false;
  DasmHistory addresses;
  DasmHistory files;
  DumpAddressing at;
};

// The whole flash, read from physical address 0 in blocks of 4096 bytes,
// each block written as it comes. `read` reads the board; `write` is false
// when the file did not take the block whole; `progress` learns the bytes
// done after each block. 0 when the copy is whole, else the system's error
// of the failed write (the file holds the blocks before it).
inline constexpr uint32_t kFlashCopyBlock = 4096;
struct FlashCopy {
  std::function<void(uint32_t physical, uint32_t count, uint8_t *out)> read;
  std::function<bool(const uint8_t *bytes, uint32_t count)> write;
  std::function<void(uint32_t done, uint32_t total)> progress;
};
int CopyFlash(uint32_t flashSize, const FlashCopy &copy);

// What the dialog does with an accepted address.
struct DumpActions {
  std::function<void(const DumpAddressing &at)> showPane;
  // False when the file cannot be made.
  std::function<bool(const DumpAddressing &at, uint32_t length, const std::string &file)> writeFile;
  // The board's flash size in bytes, 0 when the compiled BIOS gives none,
  // and the copy of the whole flash into a file; without it the flash copy
  // is not offered.
  uint32_t flashSize = 0;
  std::function<void(const std::string &file)> copyFlash;
};

// Runs the dialog modally; true when it ended with a dump done.
bool RunDumpDialog(const LanguageModule &module, QWidget *mainWindow, DumpDialogState &state,
                   const DumpActions &actions);

} // namespace tsw
