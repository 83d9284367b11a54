#include "gui/buildcmds.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "foundation/msgnumbers.h"
#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/msgwin.h"
#include "gui/shellbuild.h"
#include "gui/shellpanes.h"
#include "gui/shellstate.h"
#include "gui/tswmainw.h"
#include "shell_board_fixture.h"

namespace tsw::testing {
namespace {

// Texts that show their number where the test gave none.
class NumberedFallbackTexts : public MessageTexts {
public:
  const char *Find(unsigned id) const override {
    auto it = texts.find(id);
    if (it == texts.end())
      it = texts.emplace(id, "[" + std::to_string(id) + "]").first;
    return it->second.c_str();
  }
  mutable std::map<unsigned, std::string> texts;
};

// The IDE's build commands through the product's own compiler, the message
// window made by the shell, and the serial link over the in-process kernel.
class ShellBuild : public ShellBoard {
protected:
  void SetUp() override {
    ShellBoard::SetUp();
    ResetShellState();
    plat::SetPleaseWait(&pleaseWait);
    numbered.texts = {{kMsgErrorLine, "%s: ERROR: %s"},
                      {kMsgWarningLine, "%s: WARNING: %s"},
                      {kMsgMessageRow, "line %d: %s"},
                      {kMsgCompiling, "Compiling %s"},
                      {kMsgBrkFileNotCreated, "no files in %s"}};
    SetMessageTexts(&numbered);
    window.resize(900, 600);
    window.show();
    window.SetPaneMaker([this](PaneFrameKind kind) { return panes.Make(kind); });
    window.SetBuildTarget(target, windows, [this] {
      BuildPaths paths;
      paths.programDirectory = dir.path();
      paths.defaultBios = "BIOS.C";
      return paths;
    });
    source.biosSourcePath = [this] { return window.Builds()->BiosPath(); };
    source.build = &window.Build();
  }
  void TearDown() override {
    ResetShellState();
    ShellBoard::TearDown();
  }
  void Command(uint16_t id) {
    const CommandHandlers::Entry *entry = window.Commands().Find(id);
    ASSERT_NE(entry, nullptr) << "command " << id << " has no worker";
    entry->worker();
  }
  cTextMessage *Messages() {
    auto *frame = dynamic_cast<cFrame *>(window.MessageFrame());
    return frame ? dynamic_cast<cTextMessage *>(frame->Pane()) : nullptr;
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    if (cTextMessage *pane = Messages())
      for (uint16_t i = 0; i < pane->Ring().UsedRows(); ++i)
        rows.emplace_back(pane->Ring().GetLine(i));
    return rows;
  }

  NumberedFallbackTexts numbered;
  CompileDriverControl compiler;
  PlaceholderEditorFactory editors;
  BoardEngine engine{settings};
  cMainWindow window{engine, compiler, settings, editors};
  ShellPanes panes{window, settings};
  DriverBuildTarget target{[] { return false; }};
  ShellBuildWindows windows{window};
};

TEST_F(ShellBuild, TheCompileCommandCompilesTheActiveEditorsFileAndListsItsErrors) {
  const std::string bios = dir.Write("BIOS/BIOS.C", "int biosword;\n");
  window.Build().biosFileTime = target.FileTime(bios);
  const std::string program = dir.Write("prog.c", "int a;\nint a;\nint b\n");
  Open();
  window.OpenFile(program);
  // Where start-up and an earlier load left the compiler: tables ready,
  // the board's BIOS built from these options.
  driver::Prepare();
  target.RememberCompileOptions();
  driver::SetCompileChanged(false);
  pleaseWait.calls.clear();
  Command(cmd::kCompile);

  EXPECT_TRUE(notifier.boxes.empty());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"line 2: prog.c: ERROR: [491]", "line 4: prog.c: ERROR: [492]"}));
  EXPECT_EQ(window.activeSubWindow(), window.MessageFrame()) << "the messages in front";
  auto *editor = dynamic_cast<cEditFrame *>(Shell().currentProgramFrame);
  ASSERT_NE(editor, nullptr) << "the compiled file's editor is the program's";
  EXPECT_EQ(editor->View()->Caret() >> 16, 1u) << "its caret on the first message's line";
  EXPECT_FALSE(window.Core().Debugging()) << "a failed compile loads nothing";
  EXPECT_FALSE(pleaseWait.busy);
  ASSERT_GE(pleaseWait.calls.size(), 2u);
  EXPECT_EQ(pleaseWait.calls.front(), "open cancel");
  EXPECT_EQ(pleaseWait.calls[1], "text Compiling " + program);

  // Mended, the next compile empties the list.
  dir.Write("prog.c", "int a;\n");
  Command(cmd::kCompile);
  EXPECT_TRUE(Rows().empty());
}

} // namespace
} // namespace tsw::testing
