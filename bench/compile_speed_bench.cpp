// Compile speed: our compiler, tcc and SDCC side by side on one generated
// program of functions with loops, branches, calls and arithmetic. Prints
// each compiler's time, lines per second and peak memory, and the ratios
// to ours. The figures are for reading, never checked.
//
//   bench_compile_speed [LINES]     (30000 by default)
#include <fmt/format.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One function of the program, about 55 lines: a comment and macros as a
// program's header part has them, then two loops and a do loop,
// an if/else, a switch, int and long arithmetic and a call of the
// function before it. `xmem` puts ours in extended memory: a program this
// size does not fit the root code. The declarations keep the code to what
// a Z180 board's memory holds (about 800 bytes of ours a function).
std::string GeneratedFunction(int index, bool ours) {
  const std::string call = index ? fmt::format("f{}(i, b)", index - 1) : "i + b";
  return fmt::format(R"(/* f{1}: folds the table through two loops and a do loop.
   a is the number of rounds of the first loop, b its step;
   the result mixes the last sum with one element of the table.
   The names below are this function's constants and helpers as
   a header gives them; the body spells them out in full.
   Every function of this program has the same shape, so the
   compile time is spread evenly over the whole file and one
   slow construct shows in every function rather than once.
   The comment and the names cost no code, as in a real file,
   where about a third of the lines are comments, blank lines
   and declarations.
*/
#define F{1}_ROUNDS 3
#define F{1}_STEP 4
#define F{1}_LIMIT 1000
#define F{1}_FOLD 100000
#define F{1}_MIX(a, b) ((a) ^ (b))
#define F{1}_ELEMENT(b) table[(b) & 15]
#define F{1}_ODD(i) ((i) & 1)
#define F{1}_THIRD(s) ((s) / 3)
#define F{1}_CASES 4
#define F{1}_REMAINDER 77
{0}int f{1}(int a, int b) {{
  int i;
  int s;
  long t;
  s = {2};
  t = 0;
  for (i = 0; i < a; i++) {{
    if (i & 1)
      s += b * i;
    else
      s -= {3} >> 1;
    table[i & 15] = s;
  }}
  while (s > 1000)
    s = s / 3 + (a ^ b);
  do {{
    t = t * 3 + s;
    s--;
  }} while (s > 0 && t < 100000);
  switch (a & 3) {{
  case 0: s = s + 1; break;
  case 1: s = s - 2; break;
  case 2: s = s * 5; break;
  default: s = -s;
  }}
  if (t > 5000 || s < -5)
    s = s + (int)(t % 77);
  return s + table[b & 15];
}}

)",
                     ours ? "xmem " : "", index, index % 97, call);
}

struct Program {
  std::string text;
  int lines = 0;
};

Program GeneratedProgram(int wantedLines, bool ours) {
  Program program{"int table[16];\n", 1};
  int index = 0;
  while (program.lines < wantedLines) {
    const std::string function = GeneratedFunction(index++, ours);
    program.text += function;
    program.lines += int(std::count(function.begin(), function.end(), '\n'));
  }
  program.text += fmt::format("int r;\nvoid main(void) {{\n  r = f{}(3, 4);\n}}\n", index - 1);
  program.lines += 4;
  return program;
}

struct Measure {
  int exitCode = -1;
  double seconds = 0;
  long peakKiB = 0;
};

// Where a compile's error stream goes, in the directory it runs in: its
// first line explains a failed compile.
constexpr char kErrorsFile[] = "errors.txt";

// Runs a command in `dir` with its output thrown away; the wall time and
// the peak resident size of its process.
std::optional<Measure> Run(const std::vector<std::string> &argv, const fs::path &dir) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0)
    return std::nullopt;
  if (pid == 0) {
    std::vector<char *> args;
    for (const std::string &a : argv)
      args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    if (chdir(dir.c_str()) != 0)
      _exit(126);
    if (FILE *null = std::fopen("/dev/null", "w"))
      dup2(fileno(null), STDOUT_FILENO);
    if (FILE *errors = std::fopen(kErrorsFile, "w"))
      dup2(fileno(errors), STDERR_FILENO);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid)
    return std::nullopt;
  Measure m;
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  m.peakKiB = usage.ru_maxrss;
  return m;
}

fs::path Write(const fs::path &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Our compile reads its configuration from the directory it runs in: the
// memory of a Z180 board with 512 KiB of RAM from 80000h, where extended-
// memory code runs up to the last page below the top of the address space.
// The compiler's own default (128 KiB) holds about 5,000 lines of this
// program; "sym" makes room for the names of its macros.
constexpr char kBoardConfig[] = "ramcfg= 0\nrams  = 80\nrame  = ff\nsym   = 30000\n";

// A compile counts only when it exited 0 and wrote its output; otherwise
// the reason, for the line printed in place of its figures.
std::optional<std::string> Failure(const Measure &m, const fs::path &output) {
  if (m.exitCode != 0)
    return m.exitCode < 0 ? std::string("killed by a signal") : fmt::format("exit code {}", m.exitCode);
  std::error_code error;
  if (!fs::exists(output, error) || fs::file_size(output, error) == 0)
    return fmt::format("no output {}", output.filename().string());
  return std::nullopt;
}

std::string FirstErrorLine(const fs::path &dir) {
  std::ifstream in(dir / kErrorsFile);
  std::string line;
  std::getline(in, line);
  return line;
}

} // namespace

int main(int argc, char **argv) {
  const int wanted = argc > 1 ? std::atoi(argv[1]) : 30000;
  const fs::path dir = fs::temp_directory_path() / fmt::format("tsw-bench-compile-{}", getpid());
  fs::create_directories(dir / "out");
  const std::string library = TSW_Z180_LIBRARY;
  // The compile writes beside the kernel it reads.
  fs::copy_file(library + "/SIMBIOS.C", dir / "SIMBIOS.C");

  const Program ours = GeneratedProgram(wanted, true);
  const Program standard = GeneratedProgram(wanted, false);
  const fs::path oursFile = Write(dir / "generated.c", ours.text);
  const fs::path standardFile = Write(dir / "standard.c", standard.text);
  const fs::path emptyFile = Write(dir / "empty.c", "void main(void) {}\n");

  Write(dir / "tsw.cfg", kBoardConfig);

  const auto tswcc = [&](const fs::path &source) {
    return std::vector<std::string>{TSW_TSWCC,           "-lib", library + "/LIB.DIR", "-bios", (dir / "SIMBIOS.C").string(),
                                    "-o", (dir / "out").string(), source.string()};
  };
  const auto hexOf = [&](const fs::path &source) {
    return dir / "out" / fs::path(source.filename()).replace_extension(".hex");
  };
  struct Row {
    std::string name;
    std::vector<std::string> command;
    int lines;
    fs::path output;
  };
  const std::vector<Row> rows = {
      {"tswcc (ours)", tswcc(oursFile), ours.lines, hexOf(oursFile)},
      {"tcc -c", {"tcc", "-c", standardFile.string(), "-o", (dir / "standard.o").string()}, standard.lines,
       dir / "standard.o"},
      {"sdcc -mz180 -c", {"sdcc", "-mz180", "-c", standardFile.string(), "-o", (dir / "standard.rel").string()},
       standard.lines, dir / "standard.rel"},
  };

  fmt::print("Compile speed: one generated program of {} lines ({} for ours, with xmem)\n\n", standard.lines,
             ours.lines);
  fmt::print("{:<16} {:>10} {:>12} {:>10} {:>12} {:>12}\n", "compiler", "seconds", "lines/s", "peak MiB", "time/ours",
             "memory/ours");
  bool failed = false;
  std::optional<Measure> reference;
  for (const Row &row : rows) {
    std::error_code ignored;
    fs::remove(row.output, ignored);
    std::optional<Measure> m = Run(row.command, dir);
    if (!m || m->exitCode == 127) {
      fmt::print("{:<16} not installed\n", row.name);
      continue;
    }
    if (std::optional<std::string> failure = Failure(*m, row.output)) {
      fmt::print("{:<16} ERROR: the compile failed ({}) after {:.3f} s: no figure\n{:<16} {}\n", row.name, *failure,
                 m->seconds, "", FirstErrorLine(dir));
      failed = true;
      continue;
    }
    // The ratios are to ours: without our figure there are none.
    if (&row == &rows.front())
      reference = m;
    const std::string ratios = reference ? fmt::format("{:>12.2f} {:>12.2f}", m->seconds / reference->seconds,
                                                       double(m->peakKiB) / double(reference->peakKiB))
                                         : fmt::format("{:>12} {:>12}", "-", "-");
    fmt::print("{:<16} {:>10.3f} {:>12.0f} {:>10.1f} {}\n", row.name, m->seconds, row.lines / m->seconds,
               m->peakKiB / 1024.0, ratios);
  }
  if (std::optional<Measure> empty = Run(tswcc(emptyFile), dir)) {
    if (std::optional<std::string> failure = Failure(*empty, hexOf(emptyFile))) {
      fmt::print("\nERROR: ours on an empty program failed ({}): {}\n", *failure, FirstErrorLine(dir));
      failed = true;
    } else {
      fmt::print("\nOurs on an empty program (the kernel and the library index alone): {:.3f} s, {:.1f} MiB\n",
                 empty->seconds, empty->peakKiB / 1024.0);
    }
  }
  fs::remove_all(dir);
  return failed ? 1 : 0;
}
