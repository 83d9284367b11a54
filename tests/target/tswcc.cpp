// The command-line compile of one program, for the tests and benchmarks:
//   tswcc [-cpu z180|corvid] [-lib LIBDIR_FILE] [-bios KERNEL_SOURCE | -kernel] [-o DIR] FILE.c
// With -kernel, FILE.c is itself compiled as the BIOS, to its own image: the
// simulator loads that image beside a program's, where a board would keep
// its BIOS in flash.
// It stands in for the IDE shell around the product's own compile driver and
// prints the diagnostic list as "file:line:column: text". The exit code is 0
// for a compile without errors, 1 when it has errors, 2 for a bad command.
#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_session.h"
#include "compcore/link/linkhost.h"
#include "debugger/disasm.h"
#include "debugger/insnenv.h"
#include "debugger/stepper.h"
#include "foundation/langmodule.h"
#include "foundation/xerr.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tsw;

constexpr int kExitClean = 0;
constexpr int kExitErrors = 1;
constexpr int kExitUsage = 2;
// The compile request of the shell's "compile to file" command.
constexpr uint16_t kCompileToFileMode = 1;

struct Options {
  tsw::TargetCpu cpu = tsw::TargetCpu::Z180;
  std::string libDir;
  std::string bios;
  std::string outDir;
  std::string source;
  bool kernelOnly = false;
};

void Usage() {
  std::cerr << "usage: tswcc [-cpu z180|corvid] [-lib LIBDIR_FILE] [-bios KERNEL_SOURCE | -kernel] [-o DIR] FILE.c\n";
}

std::optional<Options> ParseArguments(int argc, char **argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool takesValue = arg == "-cpu" || arg == "-lib" || arg == "-bios" || arg == "-o";
    if (takesValue && i + 1 >= argc) {
      std::cerr << "tswcc: " << arg << " needs a value\n";
      return std::nullopt;
    }
    if (arg == "-cpu") {
      std::string cpu = argv[++i];
      if (cpu == "z180")
        options.cpu = tsw::TargetCpu::Z180;
      else if (cpu == "corvid")
        options.cpu = tsw::TargetCpu::Corvid;
      else {
        std::cerr << "tswcc: unknown processor '" << cpu << "' (z180 or corvid)\n";
        return std::nullopt;
      }
    } else if (arg == "-lib") {
      options.libDir = fs::absolute(argv[++i]).string();
    } else if (arg == "-bios") {
      options.bios = fs::absolute(argv[++i]).string();
    } else if (arg == "-o") {
      options.outDir = fs::absolute(argv[++i]).string();
    } else if (arg == "-kernel") {
      options.kernelOnly = true;
    } else if (arg.starts_with("-") || !options.source.empty()) {
      std::cerr << "tswcc: unexpected argument '" << arg << "'\n";
      return std::nullopt;
    } else {
      options.source = fs::absolute(arg).string();
    }
  }
  if (options.source.empty()) {
    std::cerr << "tswcc: no file to compile\n";
    return std::nullopt;
  }
  if (options.kernelOnly && !options.bios.empty()) {
    std::cerr << "tswcc: -kernel compiles FILE.c as the kernel; it takes no -bios\n";
    return std::nullopt;
  }
  return options;
}

// The shell of one compile request: the program, its library directory
// file and kernel source; no editor frames, no please-wait window.
class CommandLineShell : public CompilerShell {
public:
  CommandLineShell(const Options &options, std::string compilePath)
      : options_(options), compilePath_(std::move(compilePath)) {}
  // Library paths in the directory file are read relative to it.
  std::string ProgramDirectory() override {
    const std::string &anchor = options_.libDir.empty() ? compilePath_ : options_.libDir;
    return fs::path(anchor).parent_path().string();
  }
  std::string LibDirPath() override { return options_.libDir; }
  int16_t BiosFileTypeSetting() override { return 0; }
  bool UserBiosEnabled() override { return !options_.bios.empty(); }
  std::string DefaultUserBios() override { return options_.bios; }
  std::string CompilePath() override { return compilePath_; }
  void SetCompilePath(const std::string &path) override { compilePath_ = path; }
  std::string BiosSourcePath() override { return options_.bios; }
  void *CompileFrame() override { return nullptr; }
  void SetCompileFrame(void *) override {}
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return false; }
  void OpenPleaseWait() override {}
  void ClosePleaseWait() override {}
  void ShowStopBox(const std::string &title, const std::string &text) override {
    std::cerr << title << ": " << text << "\n";
  }
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }

private:
  const Options &options_;
  std::string compilePath_;
};

// The settings of the IDE a compile reads: the processor when the kernel
// does not name one. Images hold every byte at its own address from 0 on,
// so that the simulator loads a kernel's and a program's HEX side by side.
class CommandLineSettings : public LinkHost {
public:
  explicit CommandLineSettings(const Options &options) : options_(options) {}
  bool AssumeCorvidCpu() override { return options_.cpu == tsw::TargetCpu::Corvid; }
  bool ZeroPadBinFile() override { return true; }

private:
  const Options &options_;
};

// The debugger's decoder as the IDE has it beside the compiler: on the
// processor being compiled for, reading what the compiler just emitted.
class CompiledProcessor : public InsnEnvironment {
public:
  CompiledProcessor() { SetInsnEnvironment(this); }
  ~CompiledProcessor() override { SetInsnEnvironment(nullptr); }
  CompiledProcessor(const CompiledProcessor &) = delete;
  CompiledProcessor &operator=(const CompiledProcessor &) = delete;
  tsw::TargetCpu Cpu() override { return CodeGen().TargetCpu(); }
};

// Boxes go to the error stream; the please-wait lines are progress only.
class StreamMessages : public MessageOutput {
public:
  void ShowBox(const std::string &title, const std::string &text) override {
    std::cerr << (title.empty() ? "" : title + ": ") << text << "\n";
  }
  void ShowWaitLine(const std::string &) override {}
};

// The message texts of the English module beside this program; without it
// each message still shows its number.
class NumberOnlyTexts : public MessageTexts {
public:
  const char *Find(unsigned id) const override {
    text_ = "[" + std::to_string(id) + "]";
    return text_.c_str();
  }

private:
  mutable std::string text_;
};

std::string ProgramDirectoryOfThisTool() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().string();
}

// The program is compiled where its images are wanted: the outputs are
// written beside the compiled file.
std::optional<std::string> PlaceSource(const Options &options) {
  if (options.outDir.empty())
    return options.source;
  std::error_code error;
  fs::create_directories(options.outDir, error);
  fs::path placed = fs::path(options.outDir) / fs::path(options.source).filename();
  if (fs::path(options.source) == placed)
    return options.source;
  fs::copy_file(options.source, placed, fs::copy_options::overwrite_existing, error);
  if (error) {
    std::cerr << "tswcc: cannot copy " << options.source << " to " << options.outDir << ": " << error.message() << "\n";
    return std::nullopt;
  }
  return placed.string();
}

bool PrintDiagnostics(const std::string &compiled, const std::string &original) {
  bool errors = false;
  for (const sError *e = ErrorListHead(); e; e = e->next) {
    std::string file = e->file.empty() || e->file == compiled ? original : e->file;
    std::cerr << file << ":" << e->line << ":" << int(e->column) << ": " << e->text << "\n";
    errors = errors || e->kind == kErrorKind;
  }
  return errors;
}

} // namespace

int main(int argc, char **argv) {
  std::optional<Options> options = ParseArguments(argc, argv);
  if (!options) {
    Usage();
    return kExitUsage;
  }
  if (!fs::is_regular_file(options->source)) {
    std::cerr << "tswcc: cannot read " << options->source << "\n";
    return kExitUsage;
  }
  std::optional<std::string> compiled = PlaceSource(*options);
  if (!compiled)
    return kExitUsage;

  std::unique_ptr<LanguageModule> english = LanguageModule::Load("ENGLISH.DLL", ProgramDirectoryOfThisTool(), nullptr);
  NumberOnlyTexts numbers;
  SetMessageTexts(english ? static_cast<const MessageTexts *>(english.get()) : &numbers);

  CommandLineShell shell(*options, *compiled);
  StreamMessages messages;
  CompilerBoundaries boundaries;
  boundaries.shell = &shell;
  boundaries.messages = &messages;
  CommandLineSettings settings(*options);
  boundaries.linkShell = &settings;
  CompiledProcessor processor;
  boundaries.selectDisassemblerTables = [] { SelectDisassemblerTables(); };
  boundaries.selectStepperTables = [] { SelectStepperTables(); };
  boundaries.decodeInstruction = DecodeEmittedInstruction;
  AssembleCompiler(boundaries);
  // With a kernel source the request compiles it first, as the IDE's
  // compile does when the BIOS must be compiled before the program; that
  // first compile writes no image. A kernel compiled alone writes its own.
  BiosFirstFlag() = !options->bios.empty();
  BiosCompileFlag() = options->kernelOnly;
  ClearErrorList();
  uint16_t status = kCompileFailedBit;
  // A compile that stops (the error limit, a fatal error) throws past the
  // driver, as it does to the IDE's command level: the diagnostics recorded
  // so far are still printed, then the reason it stopped.
  std::string stopped;
  try {
    status = CompileFile(kCompileToFileMode);
  } catch (const xErr &error) {
    stopped = error.Text();
  }
  bool errors = PrintDiagnostics(*compiled, options->source);
  if (!stopped.empty())
    std::cerr << options->source << ": " << stopped << "\n";
  ResetCompiler();
  SetMessageTexts(nullptr);
  return errors || !stopped.empty() || (status & kCompileFailedBit) ? kExitErrors : kExitClean;
}
