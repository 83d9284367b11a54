#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "support/tempdir.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tsw::testing {

// The IDE shell of a compile request for one program in a directory of its
// own, with a library directory file and its libraries beside it.
class ProgramShell : public CompilerShell {
public:
  explicit ProgramShell(const TempDir &dir) : dir_(dir) {}
  std::string ProgramDirectory() override { return dir_.path(); }
  std::string LibDirPath() override { return dir_ / "LIB.DIR"; }
  int16_t BiosFileTypeSetting() override { return biosFileType; }
  bool UserBiosEnabled() override { return userBios; }
  std::string DefaultUserBios() override { return {}; }
  std::string CompilePath() override { return compilePath; }
  void SetCompilePath(const std::string &path) override { compilePath = path; }
  std::string BiosSourcePath() override { return dir_ / "BIOS.C"; }
  void *CompileFrame() override { return nullptr; }
  void SetCompileFrame(void *) override {}
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return true; }
  void OpenPleaseWait() override {}
  void ClosePleaseWait() override {}
  void ShowStopBox(const std::string &title, const std::string &text) override { boxes.push_back(title + text); }
  std::optional<std::span<const uint8_t>> BiosInfoFile() override {
    if (biosInfo.empty())
      return std::nullopt;
    return std::span<const uint8_t>(biosInfo);
  }

  std::string compilePath;
  std::vector<uint8_t> biosInfo; // the BIOS information file, none when empty
  int16_t biosFileType = 0;
  bool userBios = false;
  std::vector<std::string> boxes;

private:
  const TempDir &dir_;
};

// The message boxes and please-wait lines of a compile, as shown.
class RecordedMessages : public MessageOutput {
public:
  void ShowBox(const std::string &title, const std::string &text) override { boxes.push_back(title + text); }
  void ShowWaitLine(const std::string &text) override { lines.push_back(text); }
  size_t BoxesWith(std::string_view part) const {
    return size_t(std::ranges::count_if(boxes, [&](const std::string &b) { return b.find(part) != b.npos; }));
  }
  std::vector<std::string> boxes;
  std::vector<std::string> lines;
};

} // namespace tsw::testing
