#include "compcore/cc_go/cc_go.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go_paths.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_bios.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "platform/paths.h"

#include <algorithm>
#include <exception>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_go";
constexpr size_t kNoLibDirFormatChars = 64;
constexpr size_t kTitleChars = 32;
constexpr uint8_t kStageUnread = 0, kStageConfigRead = 1, kStageBiosPending = 2, kStageReady = 3;

struct CompileOptions {
  uint16_t mask = 0;
  int16_t biosFileType = 0;
  bool userBios = false;
  std::string userBiosPath;
};

struct DriverState {
  uint8_t stage = kStageUnread;
  std::string configPath;
  int16_t biosFileType = 0;
  CompileOptions last;
  uint16_t currentMask = 0;
  CompilerShell *shell = nullptr;
  LibraryIndexService *index = nullptr;
  CompileProgramFn pass;
};

DriverState &State() {
  static DriverState s;
  return s;
}

bool FileOpensForReading(const std::string &path) { return plat::ResolvePath(path).has_value(); }

std::string ChooseConfigPath(const std::string &programDir) {
  for (const std::string &dir : {programDir, plat::CurrentDirectory(), plat::SystemConfigDirectory()}) {
    auto path = plat::ResolvePath(kCompilerConfigName, dir);
    if (path && plat::CanRead(*path) && plat::CanWrite(*path))
      return *path;
  }
  return plat::JoinPath(programDir, kCompilerConfigName);
}

int BuildIndex() {
  DriverState &s = State();
  return s.index && s.shell ? s.index->Build(s.shell->ProgramDirectory()) : 1;
}

CompileOptions CurrentOptions() {
  CompilerShell *shell = State().shell;
  CompileOptions o;
  o.mask = RunTimeCheckMask();
  if (shell) {
    o.biosFileType = shell->BiosFileTypeSetting();
    o.userBios = shell->UserBiosEnabled();
    o.userBiosPath = shell->DefaultUserBios();
  }
  return o;
}

// What CompileFile changes for the BIOS compile, put back however it ends.
class BiosCompileScope {
public:
  explicit BiosCompileScope(CompilerShell &shell)
      : shell_(shell), path_(shell.CompilePath()), frame_(shell.CompileFrame()), quiet_(MessageOutputQuiet()) {
    shell.SetCompilePath(shell.BiosSourcePath());
    shell.SetCompileFrame(shell.BiosSourceFrame());
    BiosCompileFlag() = true;
    ClearBiosLibraries();
    DisableMessageOutput();
  }
  ~BiosCompileScope() {
    if (quiet_)
      DisableMessageOutput();
    else
      EnableMessageOutput();
    shell_.SetCompileFrame(frame_);
    shell_.SetCompilePath(path_);
    // The program compile that follows is no BIOS compile, whoever set
    // the flag before.
    BiosCompileFlag() = false;
  }
  BiosCompileScope(const BiosCompileScope &) = delete;
  BiosCompileScope &operator=(const BiosCompileScope &) = delete;

private:
  CompilerShell &shell_;
  std::string path_;
  void *frame_;
  bool quiet_;
};

uint16_t RunPass(const std::string &path, uint16_t mode) {
  if (!State().pass)
    return kCompileFailedBit;
  try {
    return State().pass(path, mode);
  } catch (const xErr &) {
    throw;
  } catch (const std::exception &) {
    // A fault of the compiler itself, in any stage of the BIOS's compile or
    // the program's: the IDE reports it as one.
    throw xInternal(kModule, __LINE__);
  }
}

} // namespace

void SetCompilerShell(CompilerShell *shell) { State().shell = shell; }
void SetLibraryIndexService(LibraryIndexService *index) { State().index = index; }
void SetCompileProgram(CompileProgramFn pass) { State().pass = std::move(pass); }

uint16_t CompileFile(uint16_t mode) {
  DriverState &s = State();
  CompilerShell &shell = *s.shell;
  std::string libDir = shell.LibDirPath();
  if (!FileOpensForReading(libDir)) {
    std::string format = std::string(GetResourceString(kMsgNoLibDir)).substr(0, kNoLibDirFormatChars);
    std::string title = std::string(GetResourceString(kMsgReportTitle)).substr(0, kTitleChars);
    ClearErrorList();
    shell.ClosePleaseWait();
    shell.ShowStopBox(title, plat::FormatText(format, libDir));
    return kCompileFailedBit;
  }
  s.biosFileType = shell.BiosFileTypeSetting();
  if (BiosFirstFlag()) {
    uint16_t status;
    {
      BiosCompileScope scope(shell);
      status = RunPass(shell.BiosSourcePath(), mode);
    }
    EnableMessageOutput();
    if (status & kCompileFailedBit)
      return status;
  }
  if (!shell.PleaseWaitOpen())
    shell.OpenPleaseWait();
  if (BiosCompileFlag())
    ClearUsedLibraries();
  BiosFirstFlag() = false;
  EnableMessageOutput();
  return RunPass(shell.CompilePath(), mode);
}

int PrepareCompilerSession(bool loadBiosSymbols) {
  ErrorSuppression() = 0;
  if (BiosCompileFlag())
    BuildIndex();
  try {
    return CompileStage(loadBiosSymbols);
  } catch (const xErr &) {
    return 1;
  }
}

int CompileStage(bool loadBiosSymbols) {
  DriverState &s = State();
  int result = 0;
  try {
    if (s.stage == kStageUnread) {
      s.configPath = ChooseConfigPath(s.shell ? s.shell->ProgramDirectory() : plat::ProgramDirectory());
      ReadCompilerConfig(s.configPath);
      s.stage = kStageConfigRead;
    }
    if (s.stage == kStageConfigRead) {
      if (BuildIndex() == 0)
        s.stage = kStageReady;
      else
        result = 1;
    } else if (s.stage == kStageBiosPending) {
      s.stage = kStageReady;
    }
    if (loadBiosSymbols)
      RefreshBiosSymbols();
  } catch (...) {
    InitCompilerTables();
    throw;
  }
  InitCompilerTables();
  return result;
}

int ReinitCompilerTables() {
  InitCompilerTables();
  return 1;
}

void RefreshBiosSymbols() {
  DriverState &s = State();
  uint8_t stage = s.stage;
  ClearBiosSymbols();
  s.stage = std::min(s.stage, kStageBiosPending);
  std::optional<std::span<const uint8_t>> file;
  if (s.shell)
    file = s.shell->BiosInfoFile();
  if (LoadBiosSymbols(file) != 0)
    throw xTCErr(kMsgBiosSymbolsFailed, kModule, __LINE__);
  s.stage = stage;
}

uint8_t GetCompileStage() { return State().stage; }
void SetCompileStage(uint8_t stage) { State().stage = stage; }
const std::string &CompilerConfigPath() { return State().configPath; }
bool SaveCompilerConfig() { return WriteCompilerConfig(State().configPath); }

bool LibrariesChanged() {
  DriverState &s = State();
  if (!s.shell || !s.index)
    return true;
  std::string libDir = s.shell->LibDirPath();
  std::string programDir = plat::JoinPath(s.shell->ProgramDirectory(), "");
  std::string found;
  if (!OpenOnSearchPath(libDir, programDir, "", "r", 0, &found))
    return true;
  if (s.index->LibDirChanged(found))
    s.index->Build(s.shell->ProgramDirectory());
  for (const std::string &path : s.index->LibraryPaths()) {
    size_t cut = path.find_last_of("\\/");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (std::find(UsedLibraries().begin(), UsedLibraries().end(), name) != UsedLibraries().end() &&
        s.index->LibraryChanged(path))
      return true;
  }
  return false;
}

uint16_t RunTimeCheckMask() {
  const CompilerSettings &c = CompilerConfig();
  return uint16_t(c.index * 2 + c.ptr * 4 + c.stack * 8 + c.size * 16);
}

uint16_t CurrentRunTimeCheckMask() { return State().currentMask; }

void RememberCompileOptions() { State().last = CurrentOptions(); }

int CompileOptionsChanged() {
  DriverState &s = State();
  CompileOptions now = CurrentOptions();
  if (now.mask == s.last.mask && now.biosFileType == s.last.biosFileType && now.userBios == s.last.userBios &&
      (!now.userBios || plat::PathKey(now.userBiosPath) == plat::PathKey(s.last.userBiosPath)))
    return 0;
  s.currentMask = now.mask;
  s.last = now;
  return 1;
}

int16_t DriverBiosFileType() { return State().biosFileType; }
int16_t GetBiosFileType() { return State().shell ? State().shell->BiosFileTypeSetting() : 0; }
bool IsUserBiosEnabled() { return State().shell && State().shell->UserBiosEnabled(); }

void ResetTargetCompileFlags() {
  DriverState &s = State();
  SetCompileOptionFlag(1);
  BiosCompileFlag() = false;
  BiosFirstFlag() = false;
  if (s.shell && s.shell->PleaseWaitOpen())
    s.shell->ClosePleaseWait();
}

void ResetCompileDriverModule() {
  State() = DriverState();
  BiosFirstFlag() = false;
  SetCompileOptionFlag(0);
  ClearUsedLibraries();
}

} // namespace tsw
