#pragma once

#include "foundation/msgnumbers.h"
#include <cstdint>
#include <optional>
#include <string>

// The run-time-information file: the board's identification values, the
// BIOS's debug block and its low memory, saved on the user's command; the
// BIOS compile reads its header back for the memory sizes.
namespace tsw {

inline constexpr size_t kRtiHeaderBytes = 33;

// The shell's side: the save dialog ("*.RTI", overwrite prompt) and the
// message box.
class RtiShell {
public:
  virtual ~RtiShell() = default;
  // Null when the user cancels.
  virtual std::optional<std::string> ChooseRtiFile() = 0;
  virtual void ShowMessageBox(unsigned message) = 0;
};
void SetRtiShell(RtiShell *shell);

// The command: asks for the name, reads the board, writes the file; false
// when it was cancelled or failed.
bool SaveRtiFile();
// The BIOS information file the BIOS load reads.
bool OpenRtiFile(const std::string &path);
void CloseRtiFile();
// The open file's first 33 bytes; false (buffer untouched) when no file is
// open or it is shorter.
bool ReadRtiHeader(uint8_t *buffer);
// The memory sizes the header describes; nothing changes without one.
void DecodeMemorySizeCodes(uint16_t &rams, uint16_t &rame, uint16_t &ramg, uint16_t &rome);

} // namespace tsw
