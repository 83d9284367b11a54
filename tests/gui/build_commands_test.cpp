#include "gui/buildcmds.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "foundation/langmodule.h"
#include "foundation/msgnumbers.h"
#include "gui/resbuilder.h"
#include "platform/format.h"
#include "support/buildbin.h"
#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/msgwin.h"
#include "gui/shellbuild.h"
#include "gui/shelldebugui.h"
#include "gui/shellpanes.h"
#include "gui/shellrti.h"
#include "gui/shellstate.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/link/linksettings.h"
#include "debugger/debug_fake_board.h"
#include "debugger/debugengine.h"
#include "gui/tswapp.h"
#include "gui/tswedit.h"
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

// Where a kernel directory keeps the board's memory layout, and the layout
// of a board whose extended window starts at 0xE000.
constexpr uint16_t kDirectoryLayoutByte = 0x2C;
constexpr uint8_t kBoardLayout = 0xE2;

// The IDE's build commands through the product's own compiler, the message
// window made by the shell, and the serial link over the in-process kernel.
class ShellBuild : public ShellBoard {
protected:
  void SetUp() override {
    ShellBoard::SetUp();
    ResetShellState();
    plat::SetPleaseWait(&pleaseWait);
    // The kernel behind the port answers the stop a program compile asks for.
    kernel.onWrite = [this](uint32_t physical, unsigned count) {
      boardWrites.push_back(physical);
      cpu.KernelSeesWrite(physical, uint16_t(count));
    };
    // Its memory laid out as a board's: the window where a board has it,
    // so the kernel's root variables stay below it.
    cpu.Memory()[DebugFakeBoard::kDirectory + kDirectoryLayoutByte] = kBoardLayout;
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
    editors.SetMessagePositions(&positions);
    positions.window = [this] { return &window; };
    source.build = &window.Build();
    InstallDebugger(&ui);
  }
  void TearDown() override {
    InstallDebugger(nullptr);
    ResetShellState();
    ShellBoard::TearDown();
  }
  void Command(uint16_t id) {
    const CommandHandlers::Entry *entry = window.Commands().Find(id);
    ASSERT_NE(entry, nullptr) << "command " << id << " has no worker";
    entry->worker();
  }
  // Where start-up and an earlier load leave the compiler and the board:
  // tables ready, the board's BIOS built from these options, its kernel
  // connected.
  void AfterAnEarlierLoad() {
    Open();
    driver::Prepare();
    TargetConnect();
    pleaseWait.Close();
    target.RememberCompileOptions();
    driver::SetCompileChanged(false);
    pleaseWait.calls.clear();
    boardWrites.clear();
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

  DebugFakeBoard cpu{&kernel.memory};
  // Where each write frame landed, in order.
  std::vector<uint32_t> boardWrites;
  NumberedFallbackTexts numbered;
  CompileDriverControl compiler;
  ShellMessagePositions positions;
  cTextEditFactory editors;
  BoardEngine engine{settings};
  cMainWindow window{engine, compiler, settings, editors};
  ShellPanes panes{window, settings};
  DriverBuildTarget target{[] { return false; }};
  ShellDebugUi ui{window};
  ShellBuildWindows windows{window};
};

TEST_F(ShellBuild, TheCompileCommandCompilesTheActiveEditorsFileAndListsItsErrors) {
  const std::string bios = dir.Write("BIOS/BIOS.C", "#rvarorg rootdata 0 0xbfff 0x1000 apply\nint biosword;\n");
  window.Build().biosFileTime = target.FileTime(bios);
  const std::string program = dir.Write("prog.c", "int a;\nint a;\nint b\n");
  window.OpenFile(program);
  AfterAnEarlierLoad();
  Command(cmd::kCompile);

  EXPECT_TRUE(notifier.boxes.empty());
  EXPECT_EQ(Rows(), (std::vector<std::string>{"line 2: prog.c: ERROR: [491]", "line 4: prog.c: ERROR: [492]"}));
  EXPECT_EQ(window.activeSubWindow(), window.MessageFrame()) << "the messages in front";
  auto *editor = dynamic_cast<cEditFrame *>(Shell().currentProgramFrame);
  ASSERT_NE(editor, nullptr) << "the compiled file's editor is the program's";
  EXPECT_EQ(editor->View()->Caret() >> 16, 1u) << "its caret on the first message's line";
  auto *edit = dynamic_cast<cTextEdit *>(editor->View());
  ASSERT_NE(edit, nullptr);
  auto markedLine = [&]() -> std::optional<int32_t> {
    for (int32_t line = 0; line < 6; ++line) {
      const gui::cRangeData *data = nullptr;
      if (edit->EditWidget()->ColorRanges() &&
          edit->EditWidget()->ColorRanges()->Lookup(gui::MakePos(line, 0), nullptr, &data) &&
          data->IsEqual(gui::cColorPair(cTextMessage::kCurrentBg, cTextMessage::kCurrentFg)))
        return line;
    }
    return std::nullopt;
  };
  EXPECT_EQ(markedLine(), 1) << "the message's line marked in its editor";
  EXPECT_FALSE(window.Core().Debugging()) << "a failed compile loads nothing";
  EXPECT_FALSE(pleaseWait.busy);
  auto opened = std::find(pleaseWait.calls.begin(), pleaseWait.calls.end(), "open cancel");
  ASSERT_NE(opened, pleaseWait.calls.end()) << "a compile can be cancelled";
  ASSERT_NE(opened + 1, pleaseWait.calls.end());
  EXPECT_EQ(opened[1], "text Compiling " + program);

  // The messages follow the edits of the program, and the next message
  // command takes the caret to the next one.
  editor->View()->SetCaret(0, 0);
  QTest::keyClick(editor->View()->Widget(), Qt::Key_Return);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"line 3: prog.c: ERROR: [491]", "line 5: prog.c: ERROR: [492]"}));
  Command(cmd::kNextMessage);
  EXPECT_EQ(editor->View()->Caret() >> 16, 4u);
  EXPECT_EQ(markedLine(), 4) << "the mark moves with the current message";
  Command(cmd::kNextMessage);
  EXPECT_EQ(editor->View()->Caret() >> 16, 2u) << "on from the last is the first";
  ASSERT_TRUE(editor->View()->Save());

  // Mended and compiled with debugging off: the list empties and the
  // program is loaded to run on its own.
  dir.Write("prog.c", "int a;\n");
  window.Build().optionA = false;
  Command(cmd::kCompile);
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(window.Core().Debugging());
  EXPECT_EQ(window.Build().downloadState, 2u);
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].text, "[4001]");
}

TEST_F(ShellBuild, AProgramCompileStopsTheRunningProgramAndLoadsOnlyOnceItStopped) {
  const std::string bios = dir.Write("BIOS/BIOS.C", "#rvarorg rootdata 0 0xbfff 0x1000 apply\nint biosword;\n");
  window.Build().biosFileTime = target.FileTime(bios);
  const std::string program = dir.Write("prog.c", "int a;\n");
  window.OpenFile(program);
  struct Case {
    const char *name;
    bool ignoresStop;
    bool compiled;
  };
  const Case cases[] = {
      {"the kernel stops", false, true},
      {"the kernel keeps running", true, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    AfterAnEarlierLoad();
    notifier.boxes.clear();
    cpu.ignoresStop = c.ignoresStop;
    cpu.Memory()[DebugFakeBoard::DoneFlag()] = 0; // the last program running
    window.Build().optionA = false;
    Command(cmd::kCompile);

    EXPECT_NE(std::find(boardWrites.begin(), boardWrites.end(), DebugFakeBoard::StopRequest()), boardWrites.end())
        << "the kernel is asked to stop";
    if (!c.compiled) {
      EXPECT_EQ(boardWrites.back(), DebugFakeBoard::StdioFlag()) << "a board that did not stop is left alone";
    }
    EXPECT_EQ(window.Build().downloadState == 2, c.compiled);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    if (c.compiled)
      EXPECT_EQ(notifier.boxes[0].text, "[4001]");
    else
      EXPECT_TRUE(notifier.boxes[0].text.ends_with("[5077]")) << notifier.boxes[0].text;
  }
}

TEST_F(ShellBuild, TheCompileStampsTheProgramOnlyWhileTheSettingAsksForIt) {
  const std::string bios = dir.Write("BIOS/BIOS.C", "#rvarorg rootdata 0 0xbfff 0x1000 apply\nint biosword;\n");
  window.Build().biosFileTime = target.FileTime(bios);
  window.OpenFile(dir.Write("prog.c", "int a;\n"));
  for (bool stamped : {false, true}) {
    SCOPED_TRACE(stamped);
    settings.compiler.includeTimeStamp = stamped;
    AfterAnEarlierLoad();
    window.Build().optionA = false;
    Command(cmd::kCompile);
    EXPECT_EQ(window.Build().downloadState, 2u) << "compiled and loaded";
    // What the start-up code holds when a compile writes no stamp.
    constexpr uint32_t kUnstamped = 0xFFFFFFFF;
    EXPECT_EQ(LastCompileInformation().timeStamp != kUnstamped, stamped);
  }
}

TEST_F(ShellBuild, TheRunTimeInformationCommandWritesTheBoardsFileWhereTheUserSaysOnly) {
  ShellRti rti(&window);
  SetRtiShell(&rti);
  Open();
  struct Case {
    const char *name;
    std::optional<std::string> chosen;
    bool written;
  };
  const Case cases[] = {
      {"saved", dir / "board.rti", true},
      {"the dialog cancelled", std::nullopt, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir / "board.rti");
    rti.chooser = [&] { return c.chosen; };
    Command(cmd::kSaveRti);
    EXPECT_EQ(std::filesystem::exists(dir / "board.rti"), c.written);
    if (c.written) {
      EXPECT_GE(std::filesystem::file_size(dir / "board.rti"), kRtiHeaderBytes);
    }
    EXPECT_TRUE(notifier.boxes.empty());
  }
  SetRtiShell(nullptr);
}

// The information command shows the last compile's figures: the lines
// and the root data it recorded, whatever state the shell is in.
TEST_F(ShellBuild, TheInformationCommandShowsTheLastCompilesFigures) {
  std::string error;
  std::unique_ptr<LanguageModule> module = LanguageModule::Load("ENGLISH.DLL", BuildBin(), &error);
  ASSERT_NE(module, nullptr) << error;
  window.SetLanguageModule(module.get());
  numbered.texts[kMsgLinesCompiled] = "lines %u";
  numbered.texts[kMsgRootDataSize] = "root data %u";
  const std::string bios = dir.Write("BIOS/BIOS.C", "#rvarorg rootdata 0 0xbfff 0x1000 apply\nint biosword;\n");
  window.Build().biosFileTime = target.FileTime(bios);
  window.OpenFile(dir.Write("prog.c", "int a;\nlong b;\n\n"));
  AfterAnEarlierLoad();
  window.Build().optionA = false;
  Command(cmd::kCompile);
  ASSERT_EQ(window.Build().downloadState, 2u) << "compiled and loaded";
  const uint32_t lines = LastCompileInformation().linesCompiled;
  ASSERT_GT(lines, 3u);

  const CommandHandlers::Entry *entry = window.Commands().Find(cmd::kInformation);
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(!entry->enabler || entry->enabler()) << "always enabled";
  std::map<uint32_t, std::string> shown;
  QTimer::singleShot(0, [&] {
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    for (uint32_t id : {113u, 114u, 115u, 126u, 128u})
      if (auto *label = Control<QLabel>(*dialog, id))
        shown[id] = label->text().toStdString();
    Control<QPushButton>(*dialog, kOkButtonId)->click();
  });
  Command(cmd::kInformation);
  EXPECT_EQ(shown[128], "lines " + std::to_string(lines));
  // The program's int and long are all of its root data.
  const CompileStatistics figures = driver::LastCompileStatistics();
  EXPECT_EQ(shown[113], plat::FormatText("%04X", figures.rootDataStart));
  EXPECT_EQ(shown[114], plat::FormatText("%04X", figures.rootDataEnd));
  EXPECT_EQ(figures.rootDataEnd - figures.rootDataStart + 1, 6) << "the program's six bytes";
  EXPECT_EQ(shown[126], "root data " + std::to_string(figures.rootDataEnd - figures.rootDataStart + 1));
}

TEST(ShellLinkSettings, TheLinkWorksWithTheUsersPortRateAndAddress) {
  Settings settings{"7.06P", "/nowhere/"};
  settings.comm.port = 4;
  settings.comm.baudRate = 57600;
  settings.comm.useTcp = true;
  settings.comm.netAddressText = "10.0.0.20";
  settings.comm.controllerName = std::string(300, 'n');
  settings.comm.tcpPort = 4300;
  CurrentLinkSettings.currentBaud = 2400;
  ApplyLinkSettings(settings.comm);
  const LinkSettings &link = CurrentLinkSettings;
  EXPECT_EQ(link.port, 4);
  EXPECT_EQ(link.baud, 57600u);
  EXPECT_EQ(link.currentBaud, 57600u) << "the next open uses the user's rate";
  EXPECT_EQ(link.useTcp, 1);
  EXPECT_STREQ(link.netAddressText, "10.0.0.20");
  EXPECT_EQ(std::string(link.controllerName).size(), LinkSettings::kControllerNameSize - 1);
  EXPECT_EQ(link.tcpPort, 4300);
  CurrentLinkSettings = LinkSettings{};
}

} // namespace
} // namespace tsw::testing
