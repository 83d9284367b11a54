#include <gtest/gtest.h>

#include <fmt/format.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "compcore/product_shell.h"
#include "fakes/fake_texts.h"
#include "foundation/reset.h"
#include "foundation/restext.h"
#include "marked_program.h"
#include "runner/intel_hex.h"
#include "runner/simulator.h"
#include "target_fixture.h"

// Watch fragments as the kernel runs them: the program, stopped inside a
// function, calls each fragment, which hands its value to ReturnWatchValue;
// the values stored show that the fragment reached the stopped function's
// parameter, its local, its static local and a global.
namespace tsw::target::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kResults = 0xC100;
// One fragment per watch at a fixed place between the program's code and
// its data, so that the program can call them where it stops, as the
// kernel would.
constexpr uint16_t kFragments[] = {0xB000, 0xB080, 0xB100, 0xB180};
constexpr uint16_t kFragmentRoom = 0x80;
constexpr uint16_t kWatchVariables = 0xB200;

const std::string kProgram = fmt::format(
    "int g;\n"
    "void ReturnWatchValue(void *result, int value) {{ *(int *)result = value; }}\n"
    "int probe(int n) {{\n"
    "  static int calls;\n"
    "  int doubled;\n"
    "  doubled = n + n;\n"
    "  calls = calls + 5;\n"
    "#asm\n"
    "  call {:#06x}\n"
    "  call {:#06x}\n"
    "  call {:#06x}\n"
    "  call {:#06x}\n"
    "#endasm\n"
    "  return doubled;\n"
    "}}\n"
    "int main(void) {{ g = 1000; probe(21); return 0; }}\n",
    kFragments[0], kFragments[1], kFragments[2], kFragments[3]);

class WatchRun : public ::testing::Test {
protected:
  void TearDown() override {
    ResetCompiler();
    SetMessageTexts(nullptr);
    ResetFoundation();
  }
  // The same program compiled here, on a copy of the kernel, so that this
  // process holds what the compile left for its watches.
  void CompileHere(const std::string &source) {
    ResetFoundation();
    SetMessageTexts(&texts_);
    const std::string library = TSW_Z180_LIBRARY;
    const fs::path kernelDir = fs::path(dir.path()) / "here";
    fs::create_directories(kernelDir);
    const fs::path kernel = kernelDir / "SIMBIOS.C";
    fs::copy_file(library + "/SIMBIOS.C", kernel, fs::copy_options::overwrite_existing);
    // The IDE's compile request for the program on the simulator's kernel.
    shell_ = tsw::testing::ProgramShell(library);
    shell_.userBios = true;
    shell_.userBiosPath = shell_.biosPath = kernel.string();
    shell_.compilePath = dir.Write("here/prog.c", source);
    CompilerBoundaries boundaries;
    boundaries.shell = &shell_;
    AssembleCompiler(boundaries);
    Output().zeroPadBin = true;
    BiosFirstFlag() = true;
    BiosCompileFlag() = false;
    ClearErrorList();
    ASSERT_EQ(CompileFile(1) & kCompileFailedBit, 0);
  }
  static uint16_t AddressOf(const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }

  tsw::testing::TempDir dir;
  tsw::testing::FakeTexts texts_{{}, tsw::testing::NumberInBrackets};
  tsw::testing::ProgramShell shell_;
};

TEST_F(WatchRun, FragmentsReadTheStoppedFunctionsParameterLocalsAndAGlobal) {
  TswccBuildRequest request = OurBuildRequest();
  request.outputDir = dir.path();
  request.source = dir.Write("prog.c", kProgram);
  TswccBuild build = BuildWithTswcc(request);
  ASSERT_TRUE(build.ok) << build.log;
  CompileHere(kProgram);
  // Both compiles placed the program alike.
  ASSERT_EQ(SymbolAddress(build.symbols, "probe"), AddressOf("probe"));

  const CompiledFunctionRecord *probe = FunctionAt(MakeAddr24(0, AddressOf("probe")));
  ASSERT_NE(probe, nullptr);
  const char *expressions[] = {"n", "doubled", "g + doubled", "calls"};
  std::ifstream hex(build.hexImage);
  std::stringstream text;
  text << hex.rdbuf();
  std::optional<ImageBytes> image = ReadIntelHex(text.str());
  ASSERT_TRUE(image);
  for (size_t i = 0; i < std::size(expressions); ++i) {
    MarkCompileStopPosition(probe->recordedWord, probe->recordedByte);
    WatchCompileRequest watch;
    watch.statement = fmt::format("ReturnWatchValue((void *)0x0000{:04X}, {});", kResults + 2 * i, expressions[i]);
    watch.codeAddress = MakeAddr24(0, kFragments[i]);
    watch.codeRoom = kFragmentRoom;
    watch.variableAddress = MakeAddr24(0, kWatchVariables);
    watch.staticLocals = probe->third;
    const WatchCompileResult result = CompileWatchStatement(watch);
    ASSERT_NE(result.count, 0) << expressions[i];
    std::vector<uint8_t> bytes(size_t(result.codeEnd.logical - kFragments[i]));
    ASSERT_TRUE(ReadEmittedPhysical(kFragments[i], uint32_t(bytes.size()), bytes.data()));
    for (size_t k = 0; k < bytes.size(); ++k)
      (*image)[kFragments[i] + uint32_t(k)] = bytes[k];
  }
  SimulatorRequest run;
  run.hexImage = dir.Write("watch.hex", WriteIntelHex(*image));
  run.dumps.push_back({kResults, 2 * std::size(expressions)});
  SimulatorRun result = RunOnSimulator(run);
  ASSERT_EQ(result.stop, SimStop::Halted) << result.log;
  const uint16_t expected[] = {21, 42, 1042, 5};
  for (size_t i = 0; i < std::size(expressions); ++i) {
    auto bytes = result.Read(kResults + 2 * uint32_t(i), 2);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(uint16_t((*bytes)[0] | (*bytes)[1] << 8), expected[i]) << expressions[i];
  }
}

// A pointer to void is a parameter of its own two bytes: the parameters
// after it are read where the caller put them.
TEST(VoidPointerParameter, TheParametersAfterItAreReadWhereTheCallerPutThem) {
  ExpectMarksAfterRun({"void pointer first",
                       "int second(void *p, int v) { return v; }\n"
                       "void store(void *at, int v) { *(int *)at = v; }\n",
                       "  MARK(0) = second((void *)0, 7);\n  store(&MARK(1), 9);\n", {7, 9}});
}

} // namespace
} // namespace tsw::target::testing
