// The whole target library built by the compiler for each processor: a
// program that needs every routine generated code calls pulls in every
// module, so an instruction one processor lacks, a slower form the
// assembler warns about or a relative jump out of reach shows here, even
// in a module no table program needs yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "compcore/cc_gen/routine_contracts.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

namespace fs = std::filesystem;
using testing::OurBuildRequest;
using tsw::testing::TempDir;

// The bit intrinsics' routines are C functions (BIT, RES and SET are also
// mnemonics, which no #asm operand can name): the program calls three of
// them, whose module holds them all.
const std::set<std::string> kCFunctionRoutines = {"BIT", "RES", "SET", "IBIT", "IRES", "ISET", "EBIT", "ERES", "ESET"};

// main calls the C routines; an #asm table names every other routine by
// its label, a few to a line.
std::string ProgramNeedingEveryRoutine() {
  std::string source = "char flags;\nvoid main(void) {\n  BIT(&flags, 1);\n  RES(&flags, 2);\n  SET(&flags, 3);\n}\n";
  source += "#asm\nevery_routine::\n";
  int onLine = 0;
  for (const RoutineContract &contract : RoutineContracts()) {
    std::string label(contract.name);
    if (kCFunctionRoutines.contains(label))
      continue;
    std::replace(label.begin(), label.end(), '.', '_');
    source += (onLine == 0 ? "\tdw " : ",") + label;
    if (++onLine == 6) {
      source += "\n";
      onLine = 0;
    }
  }
  source += onLine ? "\n#endasm\n" : "#endasm\n";
  return source;
}

class WholeLibraryBuildTest : public ::testing::TestWithParam<const char *> {};

TEST_P(WholeLibraryBuildTest, EveryModuleBuildsWithoutADiagnostic) {
  const std::string cpu = GetParam();
  TempDir dir;
  TswccBuildRequest request = OurBuildRequest();
  // The compile writes beside the kernel it reads: a copy of its own.
  const fs::path kernel = fs::path(dir.path()) / "kernel" / fs::path(request.kernel).filename();
  fs::create_directories(kernel.parent_path());
  fs::copy_file(request.kernel, kernel);
  const std::string source = dir.Write("every.c", ProgramNeedingEveryRoutine());
  fs::create_directories(fs::path(dir.path()) / "out");
  ProcessOutcome compile =
      RunProcess({request.tswcc, "-cpu", cpu, "-lib", request.libDir, "-bios", kernel.string(), "-o",
                  (fs::path(dir.path()) / "out").string(), source},
                 std::chrono::seconds(60));
  EXPECT_EQ(compile.exitCode, 0);
  EXPECT_EQ(compile.output, "");
}

INSTANTIATE_TEST_SUITE_P(Processors, WholeLibraryBuildTest, ::testing::Values("z180", "corvid"));

} // namespace
} // namespace tsw::target
