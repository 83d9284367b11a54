#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/pleasewait.h"

// The parts of start-up and shut-down that need no window: the command
// line, the project file, the pool error handler, the end of start-up with
// its three ways out, and the exit clean-up.
namespace tsw {

inline constexpr const char *kAppModule = "gui\\tswapp";

struct CommandLine {
  bool verbose = false;     // "/debug" in first place, by its first six characters
  std::string extraVersion; // the text after "-c"
  std::optional<std::string> file;
  std::string versionText; // "7.06P" and the "-c" text
};
CommandLine ParseCommandLine(int argc, const char *const *argv);

// Only a ".tsp" file that can be read is the project file; anything else
// (a C source named on the command line) leaves "tswd.tsp" in the program
// directory, so confirming the defines never writes into a source file.
std::string ProjectFilePath(const std::optional<std::string> &commandLineFile, const std::string &programDirectory);

// Raises what a pool failure with `code` means: out of memory for 2, an
// internal error for every other code, each from a line of its own so that
// reports tell the codes apart.
[[noreturn]] void MemErrHandler(int code);
// Puts MemErrHandler behind the pool manager.
void InstallMemErrHandler();

// The steps of the exit clean-up in their order; each runs at most once,
// however often the clean-up is called.
class ExitCleanup {
public:
  void Add(std::function<void()> step) { steps_.push_back({std::move(step), false}); }
  void Run();

private:
  struct Step {
    std::function<void()> run;
    bool done;
  };
  std::vector<Step> steps_;
};

// What the end of start-up needs of the program around it.
class StartupServices {
public:
  virtual ~StartupServices() = default;
  virtual plat::PleaseWaitService &PleaseWait() = 0;
  // Reads the compiler configuration and prepares the tables.
  virtual void PrepareCompiler() = 0;
  virtual bool LinkSerial() const = 0;
  // Compiles the BIOS and loads it when the board needs it.
  virtual void StartupLoadStep() = 0;
  virtual void ReinitCompilerTables() = 0;
  virtual void ShowMessageWindow() = 0;
  // Enables the status bar's texts, the idle run state and insert mode,
  // when the bar exists.
  virtual void EnableStatusBar() = 0;
  virtual bool SessionEnding() const = 0;
  virtual void RunExitCleanup() = 0;
};

// Prepares the compiler (and, on the serial link, the board) inside the
// please-wait dialog, then ends start-up. A link failure is reported; a
// compile failure leaves its diagnostics in the message window; anything
// else runs the clean-up and is passed on. A session ended meanwhile ends
// start-up with a user cancel.
void FinishStartup(StartupServices &services);

} // namespace tsw
