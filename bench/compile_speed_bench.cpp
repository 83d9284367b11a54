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

// One function of the program, about 33 lines: two loops and a do loop,
// an if/else, a switch, int and long arithmetic and a call of the
// function before it. `xmem` puts ours in extended memory: a program this
// size does not fit the root code.
std::string GeneratedFunction(int index, bool ours) {
  const std::string call = index ? fmt::format("f{}(i, b)", index - 1) : "i + b";
  return fmt::format(R"({}int f{}(int a, int b) {{
  int i;
  int s;
  long t;
  s = {};
  t = 0;
  for (i = 0; i < a; i++) {{
    if (i & 1)
      s += b * i;
    else
      s -= {} >> 1;
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

// Runs a command with its output thrown away; the wall time and the peak
// resident size of its process.
std::optional<Measure> Run(const std::vector<std::string> &argv) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0)
    return std::nullopt;
  if (pid == 0) {
    std::vector<char *> args;
    for (const std::string &a : argv)
      args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    if (FILE *null = std::fopen("/dev/null", "w")) {
      dup2(fileno(null), STDOUT_FILENO);
      dup2(fileno(null), STDERR_FILENO);
    }
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

  const auto tswcc = [&](const fs::path &source) {
    return std::vector<std::string>{TSW_TSWCC,           "-lib", library + "/LIB.DIR", "-bios", (dir / "SIMBIOS.C").string(),
                                    "-o", (dir / "out").string(), source.string()};
  };
  struct Row {
    std::string name;
    std::vector<std::string> command;
    int lines;
  };
  const std::vector<Row> rows = {
      {"tswcc (ours)", tswcc(oursFile), ours.lines},
      {"tcc -c", {"tcc", "-c", standardFile.string(), "-o", (dir / "standard.o").string()}, standard.lines},
      {"sdcc -mz180 -c", {"sdcc", "-mz180", "-c", standardFile.string(), "-o", (dir / "standard.rel").string()},
       standard.lines},
  };

  fmt::print("Compile speed: one generated program of {} lines ({} for ours, with xmem)\n\n", standard.lines,
             ours.lines);
  fmt::print("{:<16} {:>10} {:>12} {:>10} {:>12} {:>12}\n", "compiler", "seconds", "lines/s", "peak MiB", "time/ours",
             "memory/ours");
  std::optional<Measure> reference;
  for (const Row &row : rows) {
    std::optional<Measure> m = Run(row.command);
    if (!m || m->exitCode == 127) {
      fmt::print("{:<16} not installed\n", row.name);
      continue;
    }
    if (!reference)
      reference = m;
    fmt::print("{:<16} {:>10.3f} {:>12.0f} {:>10.1f} {:>12.2f} {:>12.2f}{}\n", row.name, m->seconds,
               row.lines / m->seconds, m->peakKiB / 1024.0, m->seconds / reference->seconds,
               double(m->peakKiB) / double(reference->peakKiB),
               m->exitCode ? fmt::format("  (exit {})", m->exitCode) : std::string());
  }
  if (std::optional<Measure> empty = Run(tswcc(emptyFile)))
    fmt::print("\nOurs on an empty program (the kernel and the library index alone): {:.3f} s, {:.1f} MiB\n",
               empty->seconds, empty->peakKiB / 1024.0);
  fs::remove_all(dir);
  return 0;
}
