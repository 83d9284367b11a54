#include "fuzz_targets.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_parse/expr/cc_parse_box.h"
#include "compcore/product_shell.h"
#include "debugger/disasm.h"
#include "debugger/insnenv.h"
#include "foundation/xerr.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace tsw::fuzz {
namespace {

namespace fs = std::filesystem;

// A program directory of its own, made once per process and removed at its
// end, with a library directory file that lists the default header and one
// library.
class ProgramDirectory {
public:
  ProgramDirectory() : path_(fs::temp_directory_path() / ("tsw-fuzz-" + std::to_string(::getpid()))) {
    fs::create_directories(path_ / "LIB");
    std::ofstream(path_ / "LIB.DIR") << "LIB/DEFAULT.H\nLIB/A.LIB\n";
    std::ofstream(path_ / "LIB/DEFAULT.H") << "/*** BeginHeader */\n/*** EndHeader */\n";
    std::ofstream(path_ / "LIB/A.LIB")
        << "/*** beginheader fa */\nint fa();\n/*** endheader */\nint fa() { return 1; }\n";
  }
  ~ProgramDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path &Path() const { return path_; }

private:
  fs::path path_;
};

const fs::path &Directory() {
  static const ProgramDirectory dir;
  return dir.Path();
}

void Write(const fs::path &path, const uint8_t *data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data), long(size));
}

// The shell of a compile request for PROG.C in the program directory.
testing::ProgramShell ProgramRequest() {
  testing::ProgramShell shell(Directory().string());
  shell.compilePath = (Directory() / "PROG.C").string();
  return shell;
}

// A fresh compiler, as at program start, around `shell`.
void Assemble(testing::ProgramShell &shell) {
  CompilerBoundaries boundaries;
  boundaries.shell = &shell;
  AssembleCompiler(boundaries);
}

// The compiler's own reports are answers; an internal error, or anything
// else, is a fault and goes on to the fuzzer or the test.
template <class F> void Reporting(F &&run) {
  try {
    run();
  } catch (const xInternal &) {
    throw;
  } catch (const xErr &) {
  }
}

void CompileText(std::string_view program) {
  std::ofstream(Directory() / "PROG.C", std::ios::binary | std::ios::trunc) << program;
  Reporting([] { CompileFile(1); });
}

} // namespace

int CompileProgramText(const uint8_t *data, size_t size) {
  testing::ProgramShell shell = ProgramRequest();
  Assemble(shell);
  Write(Directory() / "PROG.C", data, size);
  Reporting([] { CompileFile(1); });
  ResetCompiler();
  return 0;
}

int ParseExpression(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  ParserHooks hooks;
  Reporting([&] {
    StringParserBlackBox box(hooks);
    box.RunExpressionParser(text.c_str());
    // The same parser once more: nothing of the first parse may be left.
    box.RunExpressionParser("a + 1)");
  });
  return 0;
}

int ReadLibrary(const uint8_t *data, size_t size) {
  const fs::path library = Directory() / "LIB/B.LIB";
  std::ofstream(Directory() / "LIB.DIR") << "LIB/DEFAULT.H\nLIB/B.LIB\n";
  fs::remove(Directory() / "LIB/B.MD1");
  fs::remove(Directory() / "LIB/B.HX1");
  Write(library, data, size);
  // The first start scans the library and writes its caches, the second
  // reads them back.
  for (int start = 0; start < 2; ++start) {
    testing::ProgramShell shell = ProgramRequest();
    Assemble(shell);
    CompileText("#use \"B.LIB\"\nint g;\n");
  }
  std::ofstream(Directory() / "LIB.DIR") << "LIB/DEFAULT.H\nLIB/A.LIB\n";
  ResetCompiler();
  return 0;
}

int ReadLibraryCaches(const uint8_t *data, size_t size) {
  {
    testing::ProgramShell shell = ProgramRequest();
    Assemble(shell);
    CompileText("#use \"A.LIB\"\n");
  }
  // The caches stand after the library, so that they are taken.
  const auto later = fs::last_write_time(Directory() / "LIB/A.LIB") + std::chrono::seconds(1);
  for (const char *cache : {"LIB/A.MD1", "LIB/A.HX1"}) {
    Write(Directory() / cache, data, size);
    fs::last_write_time(Directory() / cache, later);
  }
  testing::ProgramShell shell = ProgramRequest();
  Assemble(shell);
  CompileText("#use \"A.LIB\"\nint g;\n");
  ResetCompiler();
  return 0;
}

int ReadBiosInformation(const uint8_t *data, size_t size) {
  testing::ProgramShell shell = ProgramRequest();
  shell.biosInfo = std::vector<uint8_t>(data, data + size);
  Assemble(shell);
  Reporting([] { CompileStage(true); });
  ResetCompiler();
  return 0;
}

int ReadCompilerConfiguration(const uint8_t *data, size_t size) {
  Write(Directory() / "tsw.cfg", data, size);
  testing::ProgramShell shell = ProgramRequest();
  Assemble(shell);
  CompileText("int g;\n");
  fs::remove(Directory() / "tsw.cfg");
  ResetCompiler();
  return 0;
}

int DecodeInstructions(const uint8_t *data, size_t size) {
  struct Processor : InsnEnvironment {
    explicit Processor(TargetCpu cpu) : cpu_(cpu) {}
    TargetCpu Cpu() override { return cpu_; }
    TargetCpu cpu_;
  };
  for (TargetCpu cpu : {TargetCpu::Z180, TargetCpu::Corvid}) {
    Processor processor(cpu);
    SetInsnEnvironment(&processor);
    SelectDisassemblerTables();
    for (size_t at = 0; at < size;) {
      uint16_t length = 0;
      std::string text;
      DisassembleOne(ADDR24{}, data + at, size - at, &length, &text);
      at += length ? length : 1;
    }
    SetInsnEnvironment(nullptr);
  }
  ResetDisassemblerModule();
  return 0;
}

} // namespace tsw::fuzz
