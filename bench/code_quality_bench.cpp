// Code quality: the code size and the simulated clock cycles of our
// compiler's output against SDCC's, program by program, with the ratios.
// The programs are those of the differential table. A figure is printed
// only for a program whose two builds both ran to their end with the
// oracle's results: the size of a wrong program says nothing. Any other
// outcome prints the reason instead and the exit code is 1.
//
//   bench_code_quality
#include <fmt/format.h>
#include <fmt/ranges.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "runner/intel_hex.h"
#include "runner/program_check.h"
#include "runner/results.h"
#include "runner/sdcc_oracle.h"
#include "runner/simulator.h"
#include "runner/tswcc_build.h"

namespace {

namespace fs = std::filesystem;
using namespace tsw::target;

std::string ReadText(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Figures {
  uint32_t codeBytes = 0;
  uint64_t cycles = 0;
  std::string hexImage;
  SymbolTable symbols;
};

// From reset to the halt after main: both builds count their own start-up
// (our kernel's and stub's, SDCC's crt0), a few dozen cycles.
std::optional<uint64_t> Cycles(const std::string &hexImage) {
  SimulatorRequest request;
  request.hexImage = hexImage;
  request.cycleLimit = 200'000'000;
  SimulatorRun run = RunOnSimulator(request);
  if (run.stop != SimStop::Halted)
    return std::nullopt;
  return run.ticks;
}

// The bytes of an image in [from, to).
uint32_t BytesBetween(const fs::path &hexFile, uint32_t from, uint32_t to) {
  std::optional<ImageBytes> image = ReadIntelHex(ReadText(hexFile));
  if (!image)
    return 0;
  uint32_t count = 0;
  for (auto at = image->lower_bound(from); at != image->end() && at->first < to; ++at)
    ++count;
  return count;
}

// Everything the program brings from the page the kernel hands over to:
// its functions, the library modules they pulled in, its start-up stub and
// constant data.
std::optional<Figures> Ours(const fs::path &source, const fs::path &dir) {
  const std::string library = TSW_Z180_LIBRARY;
  TswccBuildRequest request{TSW_TSWCC, library + "/LIB.DIR", library + "/SIMBIOS.C", source.string(), dir.string()};
  TswccBuild build = BuildWithTswcc(request);
  if (!build.ok)
    return std::nullopt;
  std::optional<ImageBytes> kernel = ReadIntelHex(ReadText(dir / "kernel" / "SIMBIOS.hex"));
  if (!kernel || kernel->empty())
    return std::nullopt;
  // The kernel ends in a jump to the program's first page.
  const uint32_t kernelEnd = kernel->rbegin()->first + 1;
  constexpr uint8_t kJump = 0xC3;
  if (kernelEnd < 3 || (*kernel)[kernelEnd - 3] != kJump)
    return std::nullopt;
  const uint32_t programStart = uint32_t((*kernel)[kernelEnd - 2] | (*kernel)[kernelEnd - 1] << 8);
  Figures figures;
  figures.codeBytes =
      BytesBetween(dir / fs::path(source.filename()).replace_extension(".hex"), programStart, 0x10000);
  std::optional<uint64_t> cycles = Cycles(build.hexImage);
  if (!cycles)
    return std::nullopt;
  figures.cycles = *cycles;
  figures.hexImage = build.hexImage;
  figures.symbols = build.symbols;
  return figures;
}

// The same of SDCC's image: everything from its code start to its data,
// the library routines it links and the initialisers included (its
// start-up lies below the code start).
std::optional<Figures> Sdcc(const fs::path &source, const fs::path &dir) {
  SdccBuild build = BuildWithSdcc({source.string(), TSW_SDCC_STARTUP, dir.string()});
  if (!build.ok)
    return std::nullopt;
  Figures figures;
  figures.codeBytes = BytesBetween(build.hexImage, kSdccCodeStart, kSdccDataStart);
  std::optional<uint64_t> cycles = Cycles(build.hexImage);
  if (!cycles)
    return std::nullopt;
  figures.cycles = *cycles;
  figures.hexImage = build.hexImage;
  figures.symbols = build.symbols;
  return figures;
}

// Why the two builds' results cannot be compared, or where ours differ
// from SDCC's (SDCC's held to the values stated by hand first); empty
// when they agree.
std::vector<std::string> ResultProblems(const fs::path &source, const Figures &ours, const Figures &sdcc) {
  std::vector<std::string> problems;
  const std::vector<ResultVariable> results = ReadResultDeclarations(ReadText(source));
  if (results.empty())
    return {"the program declares no result variables"};
  const ResultBytes oracle = RunAndReadResults(sdcc.hexImage, sdcc.symbols, results, problems);
  CheckStatedValues(results, oracle, problems);
  const ResultBytes mine = RunAndReadResults(ours.hexImage, ours.symbols, results, problems);
  CheckAgainstOracle(results, mine, oracle, problems);
  return problems;
}

} // namespace

int main() {
  bool failed = false;
  const fs::path programs = TSW_TARGET_PROGRAMS;
  const fs::path dir = fs::temp_directory_path() / fmt::format("tsw-bench-quality-{}", getpid());
  fmt::print("Code quality on the Z180 simulator: ours against sdcc -mz180\n\n");
  fmt::print("{:<18} {:>9} {:>9} {:>7}   {:>10} {:>10} {:>7}\n", "program", "bytes", "sdcc", "ratio", "cycles",
             "sdcc", "ratio");
  for (const char *name : {"sieve", "crc16", "bubble_sort", "recursion_fib", "matrix_multiply", "string_functions"}) {
    const fs::path source = programs / (std::string(name) + ".c");
    fs::create_directories(dir / name / "ours");
    fs::create_directories(dir / name / "sdcc");
    std::optional<Figures> ours = Ours(source, dir / name / "ours");
    std::optional<Figures> sdcc = Sdcc(source, dir / name / "sdcc");
    if (!ours || !sdcc) {
      fmt::print("{:<18} ERROR: {}\n", name,
                 !ours ? "our build did not run to its end" : "SDCC's build did not run to its end");
      failed = true;
      continue;
    }
    if (std::vector<std::string> problems = ResultProblems(source, *ours, *sdcc); !problems.empty()) {
      fmt::print("{:<18} ERROR: wrong results: {}\n", name, fmt::join(problems, "; "));
      failed = true;
      continue;
    }
    fmt::print("{:<18} {:>9} {:>9} {:>7.2f}   {:>10} {:>10} {:>7.2f}\n", name, ours->codeBytes, sdcc->codeBytes,
               double(ours->codeBytes) / sdcc->codeBytes, ours->cycles, sdcc->cycles,
               double(ours->cycles) / double(sdcc->cycles));
  }
  fmt::print("\nbytes: the image the program needs besides its start-up (its code, the library routines\n"
             "it links, constant data); cycles: the simulator's ticks from reset to the halt after main.\n");
  fs::remove_all(dir);
  return failed ? 1 : 0;
}
