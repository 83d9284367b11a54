#include "gui/tswmainw.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/tswedit.h"
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

// The editors of the main window take the settings' fonts again when the
// display options change, and only then.
class DisplayOptionsSignal : public testing::QtSuite {
protected:
  void SetUp() override { ResetShellState(); }
  void TearDown() override { ResetShellState(); }

  testing::ConfigHome home;
  testing::TempDir sources;
  Settings settings{"7.06P", "/nowhere/"};
  BoardEngine engine{settings};
  CompileDriverControl compiler;
  cTextEditFactory editors{[this] {
    EditorEnvironment environment;
    environment.settings = &settings;
    return environment;
  }()};
  cMainWindow window{engine, compiler, settings, editors};
};

TEST_F(DisplayOptionsSignal, EveryEditorTakesItsFontAgainWhenTheOptionsChange) {
  const std::string file = sources.Write("a.c", "int a;\n");
  window.OpenFile(file);
  window.OpenFile(sources.Write("b.c", "int b;\n"));
  std::vector<cTextEdit *> edits(cTextEdit::Editors().begin(), cTextEdit::Editors().end());
  ASSERT_EQ(edits.size(), 2u);
  const int before = edits[0]->EditWidget()->PaneFont().pixelSize();
  settings.Pane(PaneKind::kEditor).font.height = -(before + 7);
  EXPECT_EQ(edits[0]->EditWidget()->PaneFont().pixelSize(), before) << "not before the signal";
  window.NotifyDisplayOptionsChanged();
  for (cTextEdit *edit : edits)
    EXPECT_EQ(edit->EditWidget()->PaneFont().pixelSize(), before + 7);
}

} // namespace
} // namespace tsw
