// Figures of the front end on declaration files: lines per second through
// the compiler as the product assembles it, and how the time grows with the
// file (time(10N) / time(N) is 10 for a compile linear in its input).
//
// Only the compile is timed, as the IDE runs it: the compiler is assembled
// and its configuration read once, as at the IDE's start, and the same file
// is then compiled several times. The first compile also pays for touching
// the tables' memory; the best and the median of all of them are shown, since
// other work on the machine only ever adds time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"

namespace {

std::string gDir;

std::string Path(const std::string &name) { return gDir + "/" + name; }

void Write(const std::string &name, const std::string &text) { std::ofstream(Path(name), std::ios::binary) << text; }

class BenchShell : public tsw::CompilerShell {
public:
  std::string ProgramDirectory() override { return gDir; }
  std::string LibDirPath() override { return Path("LIB.DIR"); }
  int16_t BiosFileTypeSetting() override { return 0; }
  bool UserBiosEnabled() override { return false; }
  std::string DefaultUserBios() override { return {}; }
  std::string CompilePath() override { return Path("PROG.C"); }
  void SetCompilePath(const std::string &) override {}
  std::string BiosSourcePath() override { return Path("BIOS.C"); }
  void *CompileFrame() override { return nullptr; }
  void SetCompileFrame(void *) override {}
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return true; }
  void OpenPleaseWait() override {}
  void ClosePleaseWait() override {}
  void ShowStopBox(const std::string &, const std::string &) override {}
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }
};

// A name of the given number in few letters, so that many fit the name memory.
std::string ShortName(int n) {
  std::string name = "v";
  do {
    name.push_back(char('a' + n % 26));
    n /= 26;
  } while (n);
  return name;
}

// `lines` declarations: distinct globals as far as the name memory holds
// them (the first kDistinct), then declarations of those names again.
std::string DeclarationFile(int lines) {
  constexpr int kDistinct = 8000;
  std::string text;
  for (int line = 0; line < lines; ++line)
    text += line < kDistinct ? "int " + ShortName(line) + ";\n" : "extern int " + ShortName(line % kDistinct) + ";\n";
  return text;
}

// One #if line that uses one macro `uses` times.
std::string MacroUseFile(int uses) {
  std::string text = "#define Z 0\n#if Z";
  for (int use = 1; use < uses; ++use)
    text += "+Z";
  return text + "\n#endif\n";
}

constexpr int kCompilesPerFile = 7;

struct Timing {
  double first = 0, best = 0, median = 0; // seconds
};

Timing CompileSeconds(const std::string &program, const char *what, int size) {
  Write("PROG.C", program);
  BenchShell shell;
  tsw::CompilerBoundaries boundaries;
  boundaries.shell = &shell;
  tsw::AssembleCompiler(boundaries);
  tsw::CompileStage(false);
  std::vector<double> seconds;
  for (int compile = 0; compile < kCompilesPerFile; ++compile) {
    const auto start = std::chrono::steady_clock::now();
    const uint16_t status = tsw::CompileFile(1);
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (status != 0)
      std::printf("%s: %d: the compile failed (status %u, %u records)\n", what, size, status,
                  tsw::ErrorRecordCount());
  }
  Timing timing;
  timing.first = seconds.front();
  std::sort(seconds.begin(), seconds.end());
  timing.best = seconds.front();
  timing.median = seconds[seconds.size() / 2];
  return timing;
}

} // namespace

int main() {
  char dir[] = "/tmp/tsw-bench-XXXXXX";
  if (!::mkdtemp(dir))
    return 1;
  gDir = dir;
  ::mkdir(Path("LIB").c_str(), 0755);
  Write("LIB.DIR", "LIB/DEFAULT.H\n");
  Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
  // The largest symbol limit: the table sizes follow it.
  Write("tsw.cfg", "sym = 65535\n");
  std::printf("%d compiles of each file; best and median (first)\n", kCompilesPerFile);
  Timing previous;
  for (int lines : {1000, 10000, 100000}) {
    const Timing t = CompileSeconds(DeclarationFile(lines), "declarations", lines);
    std::printf("declarations: %6d lines: %7.1f ms %7.1f ms (%.1f), %8.0f %8.0f lines/s", lines, t.best * 1000,
                t.median * 1000, t.first * 1000, lines / t.best, lines / t.median);
    if (previous.best > 0)
      std::printf(", time(10N)/time(N) %.1f %.1f", t.best / previous.best, t.median / previous.median);
    std::printf("\n");
    previous = t;
  }
  double previousPerUse = 0;
  for (int uses : {2000, 8000, 15000}) {
    const double seconds = CompileSeconds(MacroUseFile(uses), "macro uses on one line", uses).best;
    const double perUse = seconds / uses;
    std::printf("macro uses on one line: %5d: %6.1f ms", uses, seconds * 1000);
    if (previousPerUse > 0)
      std::printf(", time per use %.2f times the last", perUse / previousPerUse);
    std::printf("\n");
    previousPerUse = perUse;
  }
  tsw::ResetCompiler();
  std::system(("rm -rf " + gDir).c_str());
  return 0;
}
