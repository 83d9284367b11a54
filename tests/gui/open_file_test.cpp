#include "gui/tswmainw.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/shellstate.h"
#include "qt_fixture.h"
#include "settings_fixture.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

class OpenFileCommand : public testing::QtSuite {
protected:
  void SetUp() override { ResetShellState(); }
  void TearDown() override { ResetShellState(); }

  testing::ConfigHome home;
  testing::TempDir sources;
  Settings settings{"7.06P", "/nowhere/"};
  BoardEngine engine{settings};
  CompileDriverControl compiler;
  PlaceholderEditorFactory editors;
  cMainWindow window{engine, compiler, settings, editors};
};

TEST_F(OpenFileCommand, TheChosenFileOpensAndACancelOpensNothing) {
  const std::string file = sources.Write("chosen.c", "int a;\n");
  struct Case {
    const char *name;
    std::optional<std::string> chosen;
    int frames;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt, 0},
      {"a file chosen", file, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    window.chooseOpenFile = [&] { return c.chosen; };
    window.Commands().Find(cmd::kOpen)->worker();
    EXPECT_EQ(window.subWindowList().size(), c.frames);
  }
  auto *frame = dynamic_cast<cEditFrame *>(window.subWindowList().front());
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->View()->ShowsFile(file));
  // A file that cannot be read is the caller's to report.
  window.chooseOpenFile = [&] { return std::optional<std::string>(sources / "gone.c"); };
  EXPECT_THROW(window.Commands().Find(cmd::kOpen)->worker(), xFileOpen);
  EXPECT_EQ(window.subWindowList().size(), 1);
}

} // namespace
} // namespace tsw
