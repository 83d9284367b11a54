#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/common/cc_editor_view.h"
#include "platform/paths.h"
#include "support/tempdir.h"

#include <algorithm>
#include <array>
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

// The board as the directives reach it: an identification block unless it
// is not `readable`, settable answers, and with a `log`, each call that
// acts on the board.
class FakeLink : public TargetLink {
public:
  bool ReadIdBlock(std::array<uint8_t, kIdBlockSize> &block) override {
    if (!readable)
      return false;
    block = {};
    block[19] = 2;    // i16 at 19
    block[116] = 100; // u32 at 116
    block[122] = 28;  // i16 at 122
    return true;
  }
  uint16_t FlashDeviceId() const override { return flashId; }
  int8_t RamSizeCode() const override { return 4; }
  uint16_t BoardType() const override { return boardType; }
  uint32_t BaudRate() const override { return baudRate; }
  void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    Log("write " + std::to_string(count) + " @" + std::to_string(address.logical) + " = " + std::to_string(bytes[0]));
  }
  bool StartByteVetoed() const override { return vetoed; }
  void Delay(uint32_t milliseconds) override { Log("delay " + std::to_string(milliseconds)); }
  void TargetConnect() override { Log("connect"); }
  uint16_t QueryBoardTypeSerial() override {
    Log("board type");
    return BoardType();
  }
  void Log(const std::string &call) {
    if (log)
      log->push_back(call);
  }
  bool readable = true;
  bool vetoed = false;
  uint16_t flashId = 0xBFB6;
  uint16_t boardType = 0x1234;
  uint32_t baudRate = 115200;
  std::vector<std::string> *log = nullptr;
};

// The IDE's text windows: the active editor's caret (none: no editor is
// active), and the files open with unsaved changes, each with its text.
class FakeEditors : public EditorView {
public:
  struct Edited {
    std::string path;
    std::string text;
  };
  std::optional<uint32_t> ActiveEditorCursor() override { return cursor; }
  bool OpenAndModified(std::string_view path) override { return Find(path) != nullptr; }
  std::optional<std::string> ModifiedText(std::string_view path) override {
    const Edited *edited = Find(path);
    if (!edited)
      return std::nullopt;
    return edited->text;
  }

  std::optional<uint32_t> cursor;
  std::vector<Edited> modified;

private:
  const Edited *Find(std::string_view path) const {
    const std::string key = plat::PathKey(path);
    auto it = std::ranges::find_if(modified, [&](const Edited &e) { return plat::PathKey(e.path) == key; });
    return it == modified.end() ? nullptr : &*it;
  }
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
