#include "gui/tswapp_core.h"

#include <cstring>

#include "foundation/version.h"
#include "foundation/xerr.h"
#include "platform/paths.h"
#include "platform/pool.h"

namespace tsw {
namespace {

constexpr const char *kDebugSwitch = "/debug";
constexpr size_t kDebugSwitchLength = 6;
constexpr const char *kExtraVersionSwitch = "-c";
constexpr const char *kProjectExtension = ".tsp";
constexpr const char *kDefaultProjectFile = "tswd.tsp";

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && plat::EqualNoCase(text.substr(text.size() - tail.size()), tail);
}

// The pool manager's error codes.
int PoolErrorCode(plat::MemError error) {
  switch (error) {
  case plat::MemError::BadParameter: return 1;
  case plat::MemError::OutOfMemory: return 2;
  case plat::MemError::BadPointer: return 3;
  case plat::MemError::WrongPool: return 4;
  case plat::MemError::BadPool: return 5;
  }
  return 99;
}

} // namespace

CommandLine ParseCommandLine(int argc, const char *const *argv) {
  CommandLine line;
  int at = 1;
  if (argc >= 2 && std::strlen(argv[1]) >= kDebugSwitchLength &&
      plat::EqualNoCase(std::string_view(argv[1], kDebugSwitchLength), kDebugSwitch)) {
    line.verbose = true;
    ++at;
  }
  if (at + 1 < argc && std::strcmp(argv[at], kExtraVersionSwitch) == 0) {
    line.extraVersion = argv[at + 1];
    at += 2;
  }
  if (at < argc)
    line.file = argv[at];
  line.versionText = FullVersionText(line.extraVersion);
  return line;
}

std::string ProjectFilePath(const std::optional<std::string> &commandLineFile, const std::string &programDirectory) {
  if (commandLineFile && EndsWithNoCase(*commandLineFile, kProjectExtension) && plat::CanRead(*commandLineFile))
    return *commandLineFile;
  return plat::JoinPath(programDirectory, kDefaultProjectFile);
}

void MemErrHandler(int code) {
  // One line per code, so a report's line tells which failure it was.
  switch (code) {
  case 2: throw xNoMem(kAppModule, __LINE__);
  case 1: throw xInternal(kAppModule, __LINE__);
  case 3: throw xInternal(kAppModule, __LINE__);
  case 4: throw xInternal(kAppModule, __LINE__);
  case 5: throw xInternal(kAppModule, __LINE__);
  case 6: throw xInternal(kAppModule, __LINE__);
  case 7: throw xInternal(kAppModule, __LINE__);
  case 8: throw xInternal(kAppModule, __LINE__);
  case 9: throw xInternal(kAppModule, __LINE__);
  case 10: throw xInternal(kAppModule, __LINE__);
  case 11: throw xInternal(kAppModule, __LINE__);
  case 12: throw xInternal(kAppModule, __LINE__);
  case 13: throw xInternal(kAppModule, __LINE__);
  case 14: throw xInternal(kAppModule, __LINE__);
  case 15: throw xInternal(kAppModule, __LINE__);
  default: throw xInternal(kAppModule, __LINE__);
  }
}

void InstallMemErrHandler() {
  plat::MemSetErrorHandler([](plat::MemError error, plat::MEM_POOL) { MemErrHandler(PoolErrorCode(error)); });
}

void ExitCleanup::Run() {
  for (Step &step : steps_) {
    if (step.done)
      continue;
    step.done = true;
    step.run();
  }
}

void FinishStartup(StartupServices &services) {
  plat::PleaseWaitService &wait = services.PleaseWait();
  try {
    wait.Open(false);
    wait.SetText("");
    services.PrepareCompiler();
    if (services.LinkSerial())
      services.StartupLoadStep();
    wait.Close();
  } catch (const xTCErr &error) {
    services.ReinitCompilerTables();
    wait.Close();
    error.Report();
  } catch (const xErr &) {
    services.ReinitCompilerTables();
    wait.Close();
    services.ShowMessageWindow();
  } catch (...) {
    wait.Close();
    services.RunExitCleanup();
    throw;
  }
  services.EnableStatusBar();
  if (services.SessionEnding())
    throw xUserCancel(kAppModule, __LINE__);
}

} // namespace tsw
