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
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "foundation/reset.h"
#include "foundation/restext.h"
#include "runner/intel_hex.h"
#include "runner/simulator.h"
#include "marked_program.h"
#include "target_fixture.h"

// Watch fragments as the kernel runs them: the program, stopped inside a
// function, calls each fragment, which hands its value to the library's
// ReturnWatchValue; the records it stores show that the fragment reached
// the stopped function's parameter, its local, its static local and
// globals, each with its own size, type and declarator.
namespace tsw::target::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kResults = 0xC100;
// The record ReturnWatchValue stores: size, type code, declarator, value.
constexpr uint16_t kRecordBytes = 10;
// One fragment per watch at a fixed place between the program's code and
// its data, so that the program can call them where it stops, as the
// kernel would.
constexpr uint16_t kFragments[] = {0xB000, 0xB080, 0xB100, 0xB180, 0xB200, 0xB280, 0xB300};
constexpr uint16_t kFragmentRoom = 0x80;
constexpr uint16_t kWatchVariables = 0xB400;

std::string FragmentCalls() {
  std::string calls;
  for (uint16_t at : kFragments)
    calls += fmt::format("  call {:#06x}\n", at);
  return calls;
}

// The program names ReturnWatchValue once, so that its library module is
// linked as the kernel's would be.
const std::string kProgram = "int g;\n"
                             "long big;\n"
                             "char letter;\n"
                             "int *where;\n"
                             "int probe(int n) {\n"
                             "  static int calls;\n"
                             "  int doubled;\n"
                             "  doubled = n + n;\n"
                             "  calls = calls + 5;\n"
                             "#asm\n" +
                             FragmentCalls() +
                             "#endasm\n"
                             "  return doubled;\n"
                             "}\n"
                             "int main(void) {\n"
                             "  g = 1000; big = 100000L; letter = 'x'; where = &g;\n"
                             "  if (g < 0) ReturnWatchValue((void *)0, g);\n"
                             "  probe(21);\n"
                             "  return 0;\n"
                             "}\n";

// The IDE's compile request for the program on the simulator's kernel.
class KernelShell : public CompilerShell {
public:
  KernelShell(std::string libDir, std::string kernel, std::string program)
      : libDir_(std::move(libDir)), kernel_(std::move(kernel)), program_(std::move(program)) {}
  std::string ProgramDirectory() override { return fs::path(libDir_).parent_path().string(); }
  std::string LibDirPath() override { return libDir_; }
  int16_t BiosFileTypeSetting() override { return 0; }
  bool UserBiosEnabled() override { return true; }
  std::string DefaultUserBios() override { return kernel_; }
  std::string CompilePath() override { return program_; }
  void SetCompilePath(const std::string &path) override { program_ = path; }
  std::string BiosSourcePath() override { return kernel_; }
  void *CompileFrame() override { return nullptr; }
  void SetCompileFrame(void *) override {}
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return false; }
  void OpenPleaseWait() override {}
  void ClosePleaseWait() override {}
  void ShowStopBox(const std::string &, const std::string &) override {}
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }

private:
  std::string libDir_, kernel_, program_;
};

class NumberTexts : public MessageTexts {
public:
  const char *Find(unsigned id) const override {
    text_ = "[" + std::to_string(id) + "]";
    return text_.c_str();
  }

private:
  mutable std::string text_;
};

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
    shell_ = std::make_unique<KernelShell>(library + "/LIB.DIR", kernel.string(),
                                           dir.Write("here/prog.c", source));
    CompilerBoundaries boundaries;
    boundaries.shell = shell_.get();
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
  NumberTexts texts_;
  std::unique_ptr<KernelShell> shell_;
};

TEST_F(WatchRun, FragmentsHandTheStoppedFunctionsValuesWithTheirTypesToTheLibrary) {
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
  struct Watch {
    const char *expression;
    uint8_t size;
    uint8_t type;
    uint32_t declarator;
    uint32_t value;
  } watches[] = {
      {"n", 2, kTypeInt, 0, 21},
      {"doubled", 2, kTypeInt, 0, 42},
      {"g + doubled", 2, kTypeInt, 0, 1042},
      {"calls", 2, kTypeInt, 0, 5},
      {"big", 4, kTypeLong, 0, 100000},
      {"letter", 1, kTypeChar, 0, 'x'},
      {"where", 2, kTypeInt, kLevelPointer, AddressOf("g")},
  };
  static_assert(std::size(watches) == std::size(kFragments));
  std::ifstream hex(build.hexImage);
  std::stringstream text;
  text << hex.rdbuf();
  std::optional<ImageBytes> image = ReadIntelHex(text.str());
  ASSERT_TRUE(image);
  for (size_t i = 0; i < std::size(watches); ++i) {
    MarkCompileStopPosition(probe->recordedWord, probe->recordedByte);
    WatchCompileRequest watch;
    watch.statement = fmt::format("ReturnWatchValue((void *)0x0000{:04X}, {});", kResults + kRecordBytes * i,
                                  watches[i].expression);
    watch.codeAddress = MakeAddr24(0, kFragments[i]);
    watch.codeRoom = kFragmentRoom;
    watch.variableAddress = MakeAddr24(0, kWatchVariables);
    watch.staticLocals = probe->third;
    const WatchCompileResult result = CompileWatchStatement(watch);
    ASSERT_NE(result.count, 0) << watches[i].expression;
    std::vector<uint8_t> bytes(size_t(result.codeEnd.logical - kFragments[i]));
    ASSERT_TRUE(ReadEmittedPhysical(kFragments[i], uint32_t(bytes.size()), bytes.data()));
    for (size_t k = 0; k < bytes.size(); ++k)
      (*image)[kFragments[i] + uint32_t(k)] = bytes[k];
  }
  SimulatorRequest run;
  run.hexImage = dir.Write("watch.hex", WriteIntelHex(*image));
  run.dumps.push_back({kResults, kRecordBytes * std::size(watches)});
  SimulatorRun result = RunOnSimulator(run);
  ASSERT_EQ(result.stop, SimStop::Halted) << result.log;
  auto word = [](const std::vector<uint8_t> &b, size_t at) { return uint32_t(b[at] | b[at + 1] << 8); };
  for (size_t i = 0; i < std::size(watches); ++i) {
    const Watch &w = watches[i];
    auto bytes = result.Read(kResults + kRecordBytes * uint32_t(i), kRecordBytes);
    ASSERT_TRUE(bytes);
    const std::vector<uint8_t> &r = *bytes;
    EXPECT_EQ(r[0], w.size) << w.expression;
    EXPECT_EQ(r[1], w.type) << w.expression;
    EXPECT_EQ(word(r, 2) | word(r, 4) << 16, w.declarator) << w.expression;
    EXPECT_EQ(word(r, 6) | word(r, 8) << 16, w.value) << w.expression;
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
