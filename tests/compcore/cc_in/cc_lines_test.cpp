#include "compcore/cc_er/cc_er.h"
#include "compcore/front_end_fixture.h"

#include "fakes/fake_texts.h"
#include "foundation/restext.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class RecordingPositions : public CodeGenerator {
public:
  void StartStatementPositions(const std::string &file, uint16_t line, uint16_t) override {
    calls.push_back("start " + file + " " + std::to_string(line));
  }
  void FlushStatementPosition(uint16_t, uint16_t) override { calls.push_back("flush"); }
  std::vector<std::string> calls;
};

class Front2Progress : public FrontEndFixture {
protected:
  void SetUp() override {
    FrontEndFixture::SetUp();
    SetMessageTexts(&texts);
    output.boxAs = [](const std::string &, const std::string &text) { return "box " + text; };
    SetMessageOutput(&output);
    SetCodeGenerator(&positions);
  }
  void TearDown() override {
    FrontEndFixture::TearDown();
    SetMessageTexts(nullptr);
  }
  static std::string Lines(const char *text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i)
      all += std::string(text) + "\n";
    return all;
  }

  // Only the progress message has a text, and it shows its argument alone.
  FakeTexts texts{{{750, "%d"}}};
  RecordedMessages output;
  RecordingPositions positions;
  TempDir dir;
};

TEST_F(Front2Progress, EveryTenthProgramLineIsReportedButNoLibraryLine) {
  std::string headers = dir.Write("LIB.LIB", Lines("h;", 25));
  std::string bodies = dir.Write("BODY.LIB", Lines("b;", 25));
  index.libraries["LIB.LIB"] = {{headers, 0, 1000, 0}};
  index.bodies = {{bodies, 0, 1000, 0}};
  Start("#use lib.lib\n" + Lines("p;", 24));
  DeliverAll();
  EXPECT_EQ(output.shown, (std::vector<std::string>{"1", "11", "21"}));
  EXPECT_FALSE(ProgressEnabled());
}

TEST_F(Front2Progress, WatchCompileReportsNoProgress) {
  SetProgramSource("EDIT.C", std::make_unique<MemoryLineStream>(Lines("w;", 12)));
  ResetLineSourcesAt(1, 1);
  DeliverAll();
  EXPECT_TRUE(output.shown.empty());
}

TEST_F(Front2Progress, EachFileStartsAndClosesItsSourcePositions) {
  std::string headers = dir.Write("LIB.LIB", "h1;\nh2;");
  index.libraries["LIB.LIB"] = {{headers, 0, 1000, 0}};
  Start("a;\n#use lib.lib\nb;");
  DeliverAll();
  const std::vector<std::string> expected = {
      "start PROG.C 0",          // back from the prologue's default header
      "start PROG.C 0",          // the program starts
      "start " + headers + " 0", // the library's headers
      "flush",
      "start PROG.C 1", // back after the #use line
      "flush",          // the program has ended
  };
  EXPECT_EQ(positions.calls, expected);
}

} // namespace
} // namespace tsw::testing
