#include "gui/stdiofiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gui/settings.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

class StdioFilesTest : public ::testing::Test {
protected:
  void SetUp() override {
    settings.stdio.outputPath = dir / "TS.OUT";
    settings.stdio.inputPath = dir / "TS.IN";
  }
  void Write(const std::string &text) { files.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size()); }
  std::vector<std::optional<uint8_t>> Read(int count) {
    std::vector<std::optional<uint8_t>> got;
    for (int i = 0; i < count; ++i)
      got.push_back(files.ReadInput());
    return got;
  }

  testing::TempDir dir;
  Settings settings{"test", "/tmp/"};
  StdioFiles files{settings.stdio};
};

TEST_F(StdioFilesTest, OutputStartsAnewAtTheFirstBlockOfARunUnlessAppended) {
  struct Case {
    bool append;
    std::string expected;
  };
  for (const Case &c : {Case{false, "cd"}, Case{true, "oldabcd"}}) {
    dir.Write("TS.OUT", "old");
    settings.stdio.outputToFile = true;
    settings.stdio.appendOutput = c.append;
    files.Reset();
    Write("a");
    Write("b");
    files.Reset();
    Write("c");
    Write("d");
    EXPECT_EQ(dir.Read("TS.OUT"), c.expected) << c.append;
  }
  settings.stdio.outputToFile = false;
  Write("e");
  EXPECT_EQ(dir.Read("TS.OUT"), "oldabcd") << "nothing logged while off";
}

TEST_F(StdioFilesTest, AnOutputFileThatCannotBeWrittenSwitchesLoggingOff) {
  settings.stdio.outputToFile = true;
  settings.stdio.outputPath = dir / "no/such/dir/TS.OUT";
  files.Reset();
  Write("lost");
  EXPECT_FALSE(settings.stdio.outputToFile);
}

TEST_F(StdioFilesTest, InputComesFromTheFileLineFeedsAsReturnsThenFromTheKeyboard) {
  dir.Write("TS.IN", "x\ny");
  settings.stdio.inputFromFile = true;
  files.Reset();
  using R = std::vector<std::optional<uint8_t>>;
  EXPECT_EQ(Read(5), (R{'x', '\r', 'y', std::nullopt, std::nullopt}));
  EXPECT_TRUE(settings.stdio.inputFromFile) << "a file read to its end stays chosen for the next run";
  files.Reset();
  EXPECT_EQ(Read(1), R{'x'}) << "a new run reads the file from its start";

  settings.stdio.inputPath = dir / "missing.in";
  files.Reset();
  EXPECT_EQ(Read(1), R{std::nullopt});
  EXPECT_FALSE(settings.stdio.inputFromFile) << "a file that cannot be opened switches file input off";
}

} // namespace
} // namespace tsw
