#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "support/tempdir.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tsw::testing {

// The IDE shell of a compile request for one program in a directory of its
// own (with a library directory file and its libraries beside it), or, with
// no directory, for paths the test sets.
class ProgramShell : public CompilerShell {
public:
  explicit ProgramShell(const TempDir &dir) : ProgramShell(dir.path()) {}
  explicit ProgramShell(std::string directory = {})
      : programDir(std::move(directory)), libDir(InDirectory("LIB.DIR")), biosPath(InDirectory("BIOS.C")) {}
  std::string ProgramDirectory() override { return programDir; }
  std::string LibDirPath() override { return libDir; }
  int16_t BiosFileTypeSetting() override { return biosFileType; }
  bool UserBiosEnabled() override { return userBios; }
  std::string DefaultUserBios() override { return userBiosPath; }
  std::string CompilePath() override { return compilePath; }
  void SetCompilePath(const std::string &path) override { compilePath = path; }
  std::string BiosSourcePath() override { return biosPath; }
  void *CompileFrame() override { return frame; }
  void SetCompileFrame(void *f) override { frame = f; }
  void *BiosSourceFrame() override { return biosFrame; }
  bool PleaseWaitOpen() override { return waitOpen; }
  void OpenPleaseWait() override { waitOpen = true; }
  void ClosePleaseWait() override { waitOpen = false; }
  void ShowStopBox(const std::string &title, const std::string &text) override {
    boxes.push_back(title + boxSeparator + text);
  }
  std::optional<std::span<const uint8_t>> BiosInfoFile() override {
    if (!biosInfo)
      return std::nullopt;
    return std::span<const uint8_t>(*biosInfo);
  }

  std::string programDir, libDir, biosPath;
  std::string compilePath;
  std::string userBiosPath; // the BIOS the settings name
  int16_t biosFileType = 0;
  bool userBios = false;
  // The editor frames tied to the program's and the BIOS's compile.
  void *frame = nullptr;
  void *biosFrame = nullptr;
  bool waitOpen = true;
  std::optional<std::vector<uint8_t>> biosInfo; // the BIOS information file, none when not open
  // Each stop box as its title, this and its text.
  std::string boxSeparator;
  std::vector<std::string> boxes;

private:
  std::string InDirectory(const char *name) const { return programDir.empty() ? name : programDir + "/" + name; }
};

// The IDE's settings and board state as the directives ask for them, every
// answer settable; with a `log`, the calls that change the board's state
// are noted in it as they come.
class FakeDirectiveShell : public DirectiveShell {
public:
  explicit FakeDirectiveShell(std::vector<std::string> *log = nullptr) : log_(log) {}
  int DebugCodeMode() override { return debugCodeMode; }
  bool IsProgramLoaded() override { return loaded; }
  void SetProgramLoaded(bool on) override {
    loaded = on;
    Note(on ? "loaded" : "not loaded");
  }
  bool CompileWithoutBoard() override { return withoutBoard; }
  bool IdeBiosFlag() override { return ideBiosFlag; }
  int RunMode() override { return runMode; }
  std::vector<std::string> ProjectMacros() override { return macros; }
  int MemoryMode() override { return memoryMode; }
  bool RestrictWatchCode() override { return restrictWatchCode; }
  OfflineBoardDescription OfflineBoard() override { return offlineBoard; }
  int LoadBiosSymbolsFromBios() override {
    Note("bios symbols");
    return loadResult;
  }

  int debugCodeMode = 0;
  bool loaded = false;
  bool withoutBoard = false;
  bool ideBiosFlag = false;
  int runMode = 0;
  std::vector<std::string> macros; // name, value, name, value...
  int memoryMode = 0;
  bool restrictWatchCode = false;
  OfflineBoardDescription offlineBoard;
  int loadResult = 0;

private:
  void Note(const char *call) {
    if (log_)
      log_->push_back(call);
  }
  std::vector<std::string> *log_;
};

// The message boxes and please-wait lines of a compile, as shown: boxes and
// lines apart, and `shown` both in the order they came, each as the test's
// `boxAs` and `lineAs` write it.
class RecordedMessages : public MessageOutput {
public:
  using ShownAs = std::function<std::string(const std::string &title, const std::string &text)>;
  void ShowBox(const std::string &title, const std::string &text) override {
    boxes.push_back(title + text);
    shown.push_back(boxAs(title, text));
  }
  void ShowWaitLine(const std::string &text) override {
    lines.push_back(text);
    shown.push_back(lineAs({}, text));
  }
  size_t BoxesWith(std::string_view part) const {
    return size_t(std::ranges::count_if(boxes, [&](const std::string &b) { return b.find(part) != b.npos; }));
  }
  std::vector<std::string> boxes;
  std::vector<std::string> lines;
  std::vector<std::string> shown;
  ShownAs boxAs = [](const std::string &title, const std::string &text) { return title + text; };
  ShownAs lineAs = [](const std::string &, const std::string &text) { return text; };
};

} // namespace tsw::testing
