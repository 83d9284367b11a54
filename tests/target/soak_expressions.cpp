// Runs many generated expression programs through SDCC (or our compiler) on
// the simulator and keeps every disagreement with the generator's own
// values as a minimal reproducer:
//   tsw_expr_soak FIRST_SEED COUNT OUT_DIR [sdcc|tswcc [DEPTH]]
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "runner/exprgen.h"
#include "runner/program_check.h"

namespace {

using namespace tsw::target;

bool &ThroughOurCompiler() {
  static bool ours = false;
  return ours;
}

std::vector<std::string> Check(const ExprProgram &program, const std::string &dir) {
  std::string source = dir + "/expr.c";
  std::ofstream(source) << RenderExprProgram(program);
  if (!ThroughOurCompiler())
    return CheckProgramWithSdcc(source, TSW_SDCC_STARTUP, dir);
  const std::string library = TSW_Z180_LIBRARY;
  TswccBuildRequest request{TSW_TSWCC, library + "/LIB.DIR", library + "/SIMBIOS.C", source, dir};
  return CheckProgramWithTswcc(source, request);
}

} // namespace

int main(int argc, char **argv) {
  const std::string compiler = argc >= 5 ? argv[4] : "sdcc";
  ExprLimits limits;
  if (argc == 6)
    limits.maxDepth = std::atoi(argv[5]);
  if (argc < 4 || argc > 6 || (compiler != "sdcc" && compiler != "tswcc") || limits.maxDepth < 1) {
    std::cerr << "usage: tsw_expr_soak FIRST_SEED COUNT OUT_DIR [sdcc|tswcc [DEPTH]]\n";
    return 2;
  }
  ThroughOurCompiler() = compiler == "tswcc";
  uint64_t first = std::stoull(argv[1]);
  uint64_t count = std::stoull(argv[2]);
  std::filesystem::path out = argv[3];
  std::filesystem::create_directories(out);
  std::filesystem::path work = out / ("work-" + std::to_string(first));
  std::filesystem::create_directories(work);

  int disagreements = 0;
  for (uint64_t seed = first; seed < first + count; ++seed) {
    ExprProgram program = GenerateExprProgram(seed, limits);
    std::vector<std::string> problems = Check(program, work.string());
    if (problems.empty())
      continue;
    ++disagreements;
    std::set<size_t> failing = ResultsWithWrongValues(problems);
    bool wholeProgram = failing.empty();
    if (wholeProgram) {
      // Not a wrong value (a build or run failure): keep the whole program,
      // and shrink each result that fails the same way on its own.
      std::ofstream(out / ("seed-" + std::to_string(seed) + ".c")) << RenderExprProgram(program) << "/*\n"
                                                                   << problems.front() << "\n*/\n";
      for (size_t result = 0; result < program.results.size(); ++result)
        failing.insert(result);
    }
    for (size_t result : failing) {
      ExprProgram smallest = MinimizeExprProgram(
          program, result, [&](const ExprProgram &candidate) { return !Check(candidate, work.string()).empty(); });
      if (wholeProgram && smallest.results.size() != 1)
        continue;
      std::string name = "seed-" + std::to_string(seed) + "-r" + std::to_string(result) + ".c";
      std::ofstream(out / name) << RenderExprProgram(smallest);
      std::cout << "disagreement kept in " << (out / name).string() << "\n";
    }
  }
  std::filesystem::remove_all(work);
  std::cout << count << " programs from seed " << first << ": " << disagreements << " with disagreements\n";
  return disagreements == 0 ? 0 : 1;
}
