#include "gui/stdiofiles.h"

#include "gui/settings.h"

namespace tsw {

void StdioFiles::Write(const uint8_t *bytes, size_t count) {
  if (!settings_.outputToFile)
    return;
  std::unique_ptr<std::FILE, Closer> file(std::fopen(settings_.outputPath.c_str(), truncate_ ? "w" : "a"));
  truncate_ = false;
  bool written = file && std::fwrite(bytes, 1, count, file.get()) == count;
  if (file)
    written = std::fclose(file.release()) == 0 && written;
  if (!written)
    settings_.outputToFile = false;
}

std::optional<uint8_t> StdioFiles::ReadInput() {
  if (!settings_.inputFromFile)
    return std::nullopt;
  if (!inputOpened_) {
    inputOpened_ = true;
    input_.reset(std::fopen(settings_.inputPath.c_str(), "r"));
    if (!input_) {
      settings_.inputFromFile = false;
      return std::nullopt;
    }
  }
  if (!input_)
    return std::nullopt;
  const int c = std::fgetc(input_.get());
  if (c == EOF) {
    // Read to its end: the keyboard serves from here on.
    input_.reset();
    return std::nullopt;
  }
  return uint8_t(c == '\n' ? '\r' : c);
}

void StdioFiles::Reset() {
  input_.reset();
  inputOpened_ = false;
  if (!settings_.appendOutput)
    truncate_ = true;
}

} // namespace tsw
