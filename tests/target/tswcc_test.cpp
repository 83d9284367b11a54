#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "runner/process.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

using tsw::testing::TempDir;

const std::string kTswcc = TSW_TSWCC;

// A program directory with the smallest library directory file a compile
// accepts.
class TswccTest : public ::testing::Test {
protected:
  void SetUp() override {
    libDir = dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
  }
  ProcessOutcome Run(std::vector<std::string> args) {
    args.insert(args.begin(), kTswcc);
    return RunProcess(args, std::chrono::seconds(30), dir.path());
  }
  TempDir dir;
  std::string libDir;
};

TEST_F(TswccTest, ReportsEachDiagnosticAtItsPlaceAndFailsOnErrors) {
  struct Case {
    const char *name;
    const char *program;
    int exitCode;
    std::vector<std::string> lines; // parts of the output, each expected
  };
  const Case cases[] = {
      {"clean", "int a;\nchar *p;\nstruct s { int m; } v;\n", 0, {}},
      {"error", "int a;\nconst int c;\n", 1, {"prog.c:2:12: "}},
      {"warning only", "int if;\n", 0, {"prog.c:1:7: "}},
      {"error after warning", "int if;\n\nconst int c;\n", 1, {"prog.c:1:7: ", "prog.c:3:12: "}},
  };
  // Without a BIOS the Corvid's root variables need an origin of the
  // program's own, one line ahead of the text.
  constexpr const char *kCorvidRootData = "#rvarorg rv 0 0x3fff 0x1000 apply\n";
  auto oneLineLower = [](const std::string &place) {
    const size_t colon = place.find(':');
    const size_t next = place.find(':', colon + 1);
    return place.substr(0, colon + 1) + std::to_string(std::stoi(place.substr(colon + 1, next - colon - 1)) + 1) +
           place.substr(next);
  };
  for (const Case &c : cases) {
    for (const std::string cpu : {"z180", "corvid"}) {
      const bool corvid = cpu == "corvid";
      std::string source = dir.Write("prog.c", (corvid ? std::string(kCorvidRootData) : std::string()) + c.program);
      ProcessOutcome outcome = Run({"-cpu", cpu, "-lib", libDir, source});
      ASSERT_TRUE(outcome.started) << kTswcc;
      EXPECT_EQ(outcome.exitCode, c.exitCode) << c.name << " " << cpu << ": " << outcome.output;
      for (const std::string &line : c.lines)
        EXPECT_NE(outcome.output.find(corvid ? oneLineLower(line) : line), std::string::npos)
            << c.name << " " << cpu << ": " << outcome.output;
      if (c.lines.empty()) {
        EXPECT_EQ(outcome.output, "") << c.name << " " << cpu;
      }
    }
  }
}

// The processor chosen is the one the compile uses: only the Corvid knows
// the origin directives, and only an origin places the code.
TEST_F(TswccTest, TheProcessorChosenIsTheOneCompiledFor) {
  std::string source = dir.Write("prog.c", "#rcodorg rc 0 0x1000 0x1000 apply\n#asm\nf::\n\tld hl,1\n\tret\n#endasm\n");
  ProcessOutcome corvid = Run({"-cpu", "corvid", "-lib", libDir, source});
  EXPECT_EQ(corvid.exitCode, 0) << corvid.output;
  ProcessOutcome z180 = Run({"-cpu", "z180", "-lib", libDir, source});
  EXPECT_EQ(z180.exitCode, 1) << z180.output;
}

// Compiled in the output directory, the program's diagnostics still name
// the file the user gave.
TEST_F(TswccTest, AnOutputDirectoryKeepsTheSourceNameInDiagnostics) {
  std::string source = dir.Write("prog.c", "const int c;\n");
  ProcessOutcome outcome = Run({"-lib", libDir, "-o", dir / "out", source});
  EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
  EXPECT_NE(outcome.output.find(source + ":1:12: "), std::string::npos) << outcome.output;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "out"));
}

// The error limit stops the compile by an exception: the driver still
// prints what was recorded and why it stopped, and fails.
// A clean compile to files leaves the image, its HEX twin and the
// source-position file in the output directory, and nothing beside the
// source.
TEST_F(TswccTest, TheOutputsOfACompileLandInTheOutputDirectory) {
  std::string source = dir.Write("src/prog.c", "int a;\nlong b;\n");
  ProcessOutcome outcome = Run({"-lib", libDir, "-o", dir / "out", source});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  for (const char *file : {"out/prog.bin", "out/prog.hex", "out/prog.brk"})
    EXPECT_TRUE(std::filesystem::exists(dir / file)) << file;
  for (const char *file : {"src/prog.bin", "src/prog.hex", "src/prog.brk"})
    EXPECT_FALSE(std::filesystem::exists(dir / file)) << file;
}

TEST_F(TswccTest, ACompileStoppedAtTheErrorLimitStillReports) {
  // One error more than the diagnostic list keeps.
  constexpr int kErrors = 1001;
  std::string program;
  for (int i = 0; i < kErrors; ++i)
    program += "const int c" + std::to_string(i) + ";\n";
  std::string source = dir.Write("prog.c", program);
  ProcessOutcome outcome = Run({"-lib", libDir, source});
  EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("prog.c:1:"), std::string::npos) << outcome.output;
  EXPECT_NE(outcome.output.find("compile stopped"), std::string::npos) << outcome.output;
}

// With a kernel source the kernel is compiled first: its errors are the
// compile's, named by the kernel's file, and stop the program's compile.
TEST_F(TswccTest, AKernelSourceIsCompiledBeforeTheProgram) {
  struct Case {
    const char *kernel;
    const char *program;
    int exitCode;
    const char *line; // part of the output, "" for none at all
  };
  const Case cases[] = {
      {"int kernel_word;\n", "int a;\n", 0, ""},
      {"int k;\nconst int c;\n", "int a;\n", 1, "bios.c:2:12: "},
      // The program compile sees what the kernel declared.
      {"int shared;\n", "int shared;\n", 1, "prog.c:1:"},
  };
  for (const Case &c : cases) {
    std::string kernel = dir.Write("bios.c", c.kernel);
    std::string source = dir.Write("prog.c", c.program);
    ProcessOutcome outcome = Run({"-lib", libDir, "-bios", kernel, source});
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.kernel << ": " << outcome.output;
    if (*c.line == 0) {
      EXPECT_EQ(outcome.output, "") << c.kernel;
    } else {
      EXPECT_NE(outcome.output.find(c.line), std::string::npos) << c.kernel << ": " << outcome.output;
    }
  }
}

// A kernel compiled alone leaves its own image, which a compile of a
// program on that kernel (whose kernel pass writes nothing) does not touch.
TEST_F(TswccTest, AKernelCompiledAloneWritesItsImage) {
  std::string kernel = dir.Write("k/bios.c", "int kernel_word;\n");
  ProcessOutcome outcome = Run({"-lib", libDir, "-kernel", kernel});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  ASSERT_TRUE(std::filesystem::exists(dir / "k/bios.hex"));
  std::string image = dir.Read("k/bios.hex");
  std::string source = dir.Write("prog.c", "int a;\n");
  outcome = Run({"-lib", libDir, "-bios", kernel, "-o", dir / "out", source});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
  EXPECT_EQ(dir.Read("k/bios.hex"), image);
  EXPECT_TRUE(std::filesystem::exists(dir / "out/prog.hex"));
}

TEST_F(TswccTest, RefusesABadCommandWithUsage) {
  std::string source = dir.Write("prog.c", "int a;\n");
  const std::vector<std::vector<std::string>> commands = {
      {},
      {"-cpu", "i8086", source},
      {"-lib"},
      {source, source},
      {"-x", source},
      {dir / "missing.c"},
      {"-kernel", "-bios", source, source},
  };
  for (const std::vector<std::string> &command : commands) {
    ProcessOutcome outcome = Run(command);
    EXPECT_EQ(outcome.exitCode, 2) << ::testing::PrintToString(command) << ": " << outcome.output;
    EXPECT_NE(outcome.output.find("tswcc"), std::string::npos) << ::testing::PrintToString(command);
  }
}

TEST_F(TswccTest, AMissingLibraryDirectoryFileIsAnError) {
  std::string source = dir.Write("prog.c", "int a;\n");
  ProcessOutcome outcome = Run({"-lib", dir / "NONE.DIR", source});
  EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("library directory"), std::string::npos) << outcome.output;
}

} // namespace
} // namespace tsw::target
