#include "gui/debugpanes.h"

#include <QTest>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debugengine.h"
#include "debugger/debuglink_adapter.h"
#include "debugger/dumppane.h"
#include "gui/commands.h"
#include "gui/frames.h"
#include "gui/shelldebugui.h"
#include "gui/shellpanes.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "gui/tswmainw.h"
#include "pane_fixture.h"
#include "shell_board_fixture.h"

namespace tsw::testing {
namespace {

bool StartsWith(const std::string &text, const std::string &start) { return text.rfind(start, 0) == 0; }

// The debugger's panes as the shell makes and feeds them, over the engine
// on the serial link to the in-process kernel; the scripted CPU stops where
// the test says.
class DebugPanes : public ShellBoard {
protected:
  void SetUp() override {
    ShellBoard::SetUp();
    ResetShellState();
    plat::SetPleaseWait(&pleaseWait);
    kernel.onWrite = [this](uint32_t physical, unsigned count) { cpu.KernelSeesWrite(physical, uint16_t(count)); };
    kernel.statusSource = [this] { return cpu.QueryTargetStatus(0xFF); };
    InstallDebugger(&ui);
    SetDebugSeams(&link, &products, &ui);
    window.resize(900, 600);
    window.show();
    window.SetPaneMaker([this](PaneFrameKind kind) { return panes.Make(kind); });
    window.paneOpened = [this](DebugPane pane, TextPane &shown) { ui.FillOpenedPane(pane, shown); };
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
  template <class P> P *Pane(DebugPane pane) {
    auto *frame = dynamic_cast<cFrame *>(window.PaneFrame(pane));
    return frame ? dynamic_cast<P *>(frame->Pane()) : nullptr;
  }
  // A program of three statements, stopped at its first by a reset.
  void StopAtTheStart() {
    cpu.Poke(0x4100, {kDebugHook, 0x3E, 0x01});
    cpu.Poke(0x4103, {kDebugHook, 0x3E, 0x02});
    cpu.Poke(0x4106, {kDebugHook, 0x18, 0xFD});
    const std::string source = dir.Write("main.c", "a = 1;\nb = 2;\nfor (;;);\n");
    const uint16_t statements[] = {0x4100, 0x4103, 0x4106};
    for (uint16_t line = 1; line <= 3; ++line)
      products.AddStatement(MakeAddr24(0, statements[line - 1]), source, line, 1);
    std::vector<uint16_t> stops = {0x4100, 0x4101, 0x4103};
    cpu.script = [stops, n = size_t(0)](const TargetRegisterFrame &, DebugFakeBoard &) mutable {
      std::optional<DebugFakeBoard::Stop> stop;
      if (n < stops.size())
        stop = DebugFakeBoard::Stop{stops[n], 0, {}, {}};
      ++n;
      return stop;
    };
    Open();
    TargetConnect();
    window.Core().ArrangeDebugWindows(RunState::Stopped);
    Command(cmd::kReset);
    ASSERT_EQ(ProgramFrame().pc, 0x4100);
  }

  DebugFakeBoard cpu{&kernel.memory};
  TargetDebugLink link;
  DebugFakeProducts products;
  CompileDriverControl compiler;
  cTextEditFactory editors;
  BoardEngine engine{settings};
  cMainWindow window{engine, compiler, settings, editors};
  ShellDebugUi ui{window};
  ShellPanes panes{window, settings};
};

TEST_F(DebugPanes, OpenedPanesShowTheStoppedProgramAndFollowItsSteps) {
  StopAtTheStart();
  Command(cmd::kToggleRegisters);
  Command(cmd::kToggleStack);
  Command(cmd::kToggleAssembly);
  auto *registers = Pane<cLinePane>(DebugPane::Register);
  auto *stack = Pane<cLinePane>(DebugPane::Stack);
  auto *assembly = Pane<cListingPane>(DebugPane::Assembly);
  ASSERT_TRUE(registers && stack && assembly);
  auto pcLine = [&] {
    for (const std::string &line : registers->Lines())
      if (StartsWith(line, "PC  "))
        return line.substr(0, 8);
    return std::string("none");
  };
  EXPECT_EQ(pcLine(), "PC  4100");
  std::vector<std::string> words = stack->Lines();
  ASSERT_GE(words.size(), kStackPaneWords);
  EXPECT_EQ(words.back().size(), std::string("FFFE: 0000").size()) << "a word a line below the PC's place";
  EXPECT_FALSE(assembly->ClockCounts().empty()) << "the listing around the PC";
  EXPECT_NE(assembly->ColorRanges(), nullptr) << "the PC's line marked";
  EXPECT_TRUE(window.PollTimerRunning()) << "polling again after the panes read the board";

  Command(cmd::kStepOver);
  window.Core().PollTick();
  ASSERT_EQ(window.Core().State(), RunState::Stopped);
  ASSERT_NE(ProgramFrame().pc, 0x4100);
  EXPECT_EQ(pcLine(), fmt::format("PC  {:04X}", ProgramFrame().pc)) << "the stop refreshed the open pane";
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(DebugPanes, TheWatchCommandsUpdateAndClearTheWatchPane) {
  StopAtTheStart();
  Command(cmd::kShowWatch);
  auto *watch = Pane<cWatchPane>(DebugPane::Watch);
  ASSERT_NE(watch, nullptr);
  const size_t before = watch->Lines().size();
  Command(cmd::kUpdateWatches);
  const std::vector<std::string> lines = watch->Lines();
  const std::vector<std::string> place = PcLocationLines(MakeAddr24(0, 0x4100), products.FindSourceForAddress(MakeAddr24(0, 0x4100)));
  ASSERT_EQ(lines.size(), before + place.size()) << "the place of the pc, and no watch yet";
  EXPECT_EQ(std::vector<std::string>(lines.end() - place.size(), lines.end()), place);
  EXPECT_TRUE(window.PollTimerRunning()) << "polling again after the update";
  Command(cmd::kClearWatches);
  EXPECT_TRUE(watch->Lines().empty());
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(DebugPanes, TheStatementWhereTheProgramStandsIsMarkedInItsEditor) {
  StopAtTheStart();
  auto marked = [](cTextEdit &edit, gui::TextPos at) {
    const gui::cRangeData *data = nullptr;
    return edit.EditWidget()->ColorRanges() && edit.EditWidget()->ColorRanges()->Lookup(at, nullptr, &data) &&
           data->IsEqual(gui::cColorPair(0x0000FF00, 0x000000FF));
  };
  ASSERT_EQ(cTextEdit::Editors().size(), 1u) << "the stop opened the program's file";
  cTextEdit &edit = *cTextEdit::Editors().front();
  EXPECT_TRUE(marked(edit, gui::MakePos(0, 0))) << "red on green at the first statement";
  Command(cmd::kStepOver);
  window.Core().PollTick();
  const TextPosition at = ExecutionMarkerInUse().position;
  ASSERT_NE(at, 0u);
  EXPECT_TRUE(marked(edit, at));
  EXPECT_FALSE(marked(edit, gui::MakePos(0, 0))) << "the old mark is gone";
}

TEST_F(DebugPanes, DisassemblingAtTheCaretListsItsStatementsCode) {
  StopAtTheStart();
  ASSERT_EQ(window.PaneFrame(DebugPane::Assembly), nullptr);
  ASSERT_EQ(cTextEdit::Editors().size(), 1u);
  cTextEdit &edit = *cTextEdit::Editors().front();
  edit.SetCaret(1, 0);
  Command(cmd::kDasmAtCaret);
  auto *assembly = Pane<cListingPane>(DebugPane::Assembly);
  ASSERT_NE(assembly, nullptr) << "the listing opens";
  ASSERT_FALSE(assembly->ClockCounts().empty());
  const int32_t caretRow = gui::PosLine(assembly->Cursor());
  EXPECT_NE(std::string(assembly->Ring().GetLine(caretRow)).find("4103"), std::string::npos)
      << "the listing's caret on the statement's address: " << assembly->Ring().GetLine(caretRow);
  EXPECT_TRUE(window.PollTimerRunning());
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST_F(DebugPanes, TheDumpPaneShowsTheBoardsBytesFromTheAddressAsked) {
  StopAtTheStart();
  DumpAddressing at;
  at.address = MakeAddr24(0, 0x4103);
  ShowDumpAtAddress(at, 0, nullptr);
  auto *dump = Pane<cDumpPane>(DebugPane::Dump);
  ASSERT_NE(dump, nullptr) << "asking for a dump opens the pane";
  std::vector<std::string> lines = dump->Lines();
  ASSERT_EQ(lines.size(), kDumpLines);
  // Lines start on a 16-byte boundary.
  EXPECT_TRUE(StartsWith(lines[0], "4100 ")) << lines[0];
  EXPECT_NE(lines[0].find(" 3E 01 "), std::string::npos) << lines[0];
  EXPECT_TRUE(StartsWith(lines[1], "4110 ")) << lines[1];
  dump->ScrollLineDown();
  EXPECT_TRUE(StartsWith(dump->Lines()[0], "4110 "));
  // The caret keys go on into memory past the last and the first row.
  dump->setFocus();
  for (int i = 0; i < 8; ++i)
    QTest::keyClick(dump, Qt::Key_Down);
  EXPECT_TRUE(StartsWith(dump->Lines()[0], "4120 ")) << dump->Lines()[0];
  QTest::keyClick(dump, Qt::Key_PageUp);
  EXPECT_TRUE(StartsWith(dump->Lines()[0], "40a0 ")) << dump->Lines()[0];
  EXPECT_TRUE(window.PollTimerRunning());
  EXPECT_TRUE(notifier.boxes.empty());
}

TEST(DumpScrollTest, TheDumpWrapsAtTheEndsOfItsSpace) {
  struct Case {
    const char *name;
    bool physical;
    uint32_t from; // physical address or logical offset
    DumpScroll code;
    uint32_t to;
  };
  const Case cases[] = {
      {"line up from the first line wraps to the last page", true, 0x0, DumpScroll::LineUp, 0xFFF80},
      {"line down past the last page wraps to 0", true, 0xFFF80, DumpScroll::LineDown, 0x0},
      {"page down", true, 0x100, DumpScroll::PageDown, 0x180},
      {"page up below 0 goes to 0", true, 0x40, DumpScroll::PageUp, 0x0},
      {"bottom", true, 0x10, DumpScroll::Bottom, 0xFFF80},
      {"logical line up wraps to its last page", false, 0x0, DumpScroll::LineUp, 0xFF80},
      {"logical line down past the last page goes on", false, 0xFF80, DumpScroll::LineDown, 0xFF90},
      {"logical keeps the offset within its line", false, 0x4103, DumpScroll::LineDown, 0x4113},
      {"logical top", false, 0x4100, DumpScroll::Top, 0x0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DumpAddressing at;
    at.physicalForm = c.physical;
    at.segmentForm = !c.physical;
    if (c.physical)
      at.physicalAddress = c.from;
    else
      at.address = MakeAddr24(0x12, uint16_t(c.from));
    DumpAddressing moved = ScrollDump(at, c.code);
    EXPECT_EQ(c.physical ? moved.physicalAddress : moved.address.logical, c.to);
    if (!c.physical) {
      EXPECT_EQ(moved.address.segment, 0x12) << "the segment stays";
    }
  }
}

class ListingSumTest : public QtSuite {
protected:
  void SetUp() override {
    const int16_t counts[] = {4, 7, 0, 10, 11, 12, 13, 6, 6, 6};
    for (int i = 0; i < 10; ++i)
      pane.AppendLine(fmt::format("{:04X}  row {}", 0x4100 + i, i), counts[i]);
  }
  std::string Row(int32_t row) { return pane.Ring().GetLine(row); }
  RecordingPaneHost host;
  cListingPane pane{host, 0xFF, 0xFF00};
};

TEST_F(ListingSumTest, DraggingAddsUpTheCountsOfTheRowsPassed) {
  pane.SumPress(3);
  pane.SumDrag(7);
  EXPECT_EQ(Row(6), "4106  row 6" + std::string(29, ' ') + "  46") << "rows 3 to 6: 10 + 11 + 12 + 13, to column 44";
  pane.SumDrag(6);
  EXPECT_EQ(Row(6), "4106  row 6") << "the row gets its text back";
  EXPECT_EQ(Row(5).substr(40, 4), "  33");
  pane.SumDrag(4);
  EXPECT_EQ(Row(5).substr(40, 4), "  33") << "closer to the anchor the last sum stays";
  pane.SumRelease();
  // A run over a row without a count is marked incomplete.
  pane.SumPress(1);
  EXPECT_EQ(Row(5), "4105  row 5") << "a press takes the old sum away";
  pane.SumDrag(4);
  EXPECT_EQ(Row(3).substr(39), "  *17");
  pane.SumRelease();
  pane.SumPress(8);
  EXPECT_EQ(Row(3), "4103  row 3");
}

class StdioPaneTest : public QtSuite {
protected:
  RecordingPaneHost host;
  cStdioPane pane{host};
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < pane.Ring().UsedRows(); ++i)
      rows.emplace_back(pane.Ring().GetLine(i));
    return rows;
  }
  void Write(const std::string &text) { pane.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size()); }
};

TEST_F(StdioPaneTest, OutputGoesOnInTheSameRowUntilALineEnds) {
  struct Case {
    const char *name;
    std::vector<std::string> blocks;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"a line in two blocks", {"hello\nwor", "ld\n"}, {"hello", "world"}},
      {"carriage returns dropped", {"a\r\nb\r\n"}, {"a", "b"}},
      {"an empty line first", {"\nx"}, {"", "x"}},
      {"a line longer than a row goes on below", {std::string(200, 'y')},
       {std::string(kDebugPaneWidth - 1, 'y'), std::string(200 - (kDebugPaneWidth - 1), 'y')}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    pane.Clear();
    for (const std::string &block : c.blocks)
      Write(block);
    EXPECT_EQ(Rows(), c.rows);
  }
}

TEST_F(StdioPaneTest, TypedKeysWaitForTheProgramInOrder) {
  QTest::keyClicks(&pane, "ab");
  QTest::keyClick(&pane, Qt::Key_Return);
  EXPECT_EQ(pane.ReadTyped(), 'a');
  EXPECT_EQ(pane.ReadTyped(), 'b');
  EXPECT_EQ(pane.ReadTyped(), '\r');
  EXPECT_EQ(pane.ReadTyped(), std::nullopt);
}

} // namespace
} // namespace tsw::testing
