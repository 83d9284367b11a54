#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

// The files behind the program's standard input and output: every output
// block logged to the output file, input characters taken from the input
// file while it has any. A file that cannot be used switches its setting
// off, and the pane alone serves.
namespace tsw {

struct StdioSettings;

class StdioFiles {
public:
  explicit StdioFiles(StdioSettings &settings) : settings_(settings) {}

  // Opened and closed around each block, so the file is whole on disk
  // after every one; the first block after a reset starts the file anew
  // unless output is appended.
  void Write(const uint8_t *bytes, size_t count);
  // The next input character from the file, LF as CR; nothing when input
  // comes from the keyboard.
  std::optional<uint8_t> ReadInput();
  // A new debugging run.
  void Reset();

private:
  struct Closer {
    void operator()(std::FILE *file) const { std::fclose(file); }
  };

  StdioSettings &settings_;
  std::unique_ptr<std::FILE, Closer> input_;
  bool inputOpened_ = false;
  bool truncate_ = false;
};

} // namespace tsw
