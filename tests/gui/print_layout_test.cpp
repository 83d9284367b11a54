#include "gui/printlayout.h"
#include "gui/printing.h"

#include <QPrinter>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/commands.h"
#include "gui/common/model/tswcirc.h"
#include "gui/common/tswcirc.h"
#include "gui/compilercharrules.h"
#include "gui/frames.h"
#include "gui/textpane.h"
#include "gui/common/model/tswdisp.h"
#include "gui/tswedit.h"
#include "qt_fixture.h"
#include "support/tempdir.h"

namespace tsw {
namespace {

using gui::MakePos;

TEST(PrintLayout, MarginsAndTheLineHeightGiveTheLinesOfAPage) {
  struct Case {
    const char *name;
    PageMetrics page;
    int32_t lineHeight;
    PageLayout expected; // leftX, topY, clipX, lineHeight, linesPerPage
  };
  const Case cases[] = {
      // A letter page at 96 pixels an inch.
      {"letter", {816, 1056, 96, 96}, 16, {17, 16, 801, 16, 63}},
      {"no metrics", {816, 1056, 96, 96}, 0, {17, 16, 801, 10, 102}},
      {"shorter than the margins", {816, 30, 96, 96}, 16, {17, 16, 801, 16, 0}},
      {"finer screen", {1632, 2112, 192, 192}, 16, {35, 32, 1601, 16, 127}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const PageLayout got = LayOutPage(c.page, PrintMargins{}, c.lineHeight);
    EXPECT_EQ(got.leftX, c.expected.leftX);
    EXPECT_EQ(got.topY, c.expected.topY);
    EXPECT_EQ(got.clipX, c.expected.clipX);
    EXPECT_EQ(got.lineHeight, c.expected.lineHeight);
    EXPECT_EQ(got.linesPerPage, c.expected.linesPerPage);
  }
}

TEST(PrintLayout, PagesAndSelectionPages) {
  EXPECT_EQ(PageCount(32000, 60), 534);
  EXPECT_EQ(PageCount(119, 60), 2);
  EXPECT_EQ(PageCount(0, 60), 1);
  EXPECT_EQ(PageCount(100, 0), 0);
  struct Case {
    gui::TextPos anchor, end;
    std::pair<int32_t, int32_t> pages;
  };
  const Case cases[] = {
      {MakePos(2, 1), MakePos(8, 1), {1, 3}},
      // Ending at the start of a page's first line leaves that page out.
      {MakePos(2, 1), MakePos(8, 0), {1, 2}},
      {MakePos(8, 0), MakePos(2, 1), {1, 2}},
      {MakePos(5, 0), MakePos(5, 3), {2, 2}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(SelectionPages({c.anchor, c.end}, 4), c.pages);
}

TEST(PrintLayout, TabsExpandFromTheLineStartAndLinesStopAtTheLimit) {
  const std::string long253(253, 'x');
  const std::pair<std::string, std::string> cases[] = {
      {"a\tb", "a  b"},
      {"\tx", "   x"},
      {"abc\td", "abc   d"},
      {std::string(300, 'y'), std::string(kMaxPrintLine, 'y')},
      // The tab's blanks would reach the limit: the line ends there.
      {long253 + "\tz", long253},
      {std::string(250, 'x') + "\tz", std::string(250, 'x') + "  z"},
  };
  for (const auto &[line, printed] : cases)
    EXPECT_EQ(ExpandTabsForPrint(line, 3), printed) << line.size();
}

class PrintPaneTest : public testing::QtSuite {
protected:
  void SetUp() override { gui::SetTabSize(3); }
  cTextEdit &Editor(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i)
      text += "L" + std::to_string(i) + (i + 1 < lines ? "\n" : "");
    edit.emplace(std::nullopt, EditorEnvironment{});
    edit->Core().InsertText(0, text);
    return *edit;
  }
  std::unique_ptr<QPrinter> PdfPrinter(const std::string &name) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setFullPage(true);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(dir / name));
    return printer;
  }
  // Pages of a PDF file, by its page objects.
  int PdfPages(const std::string &name) {
    const std::string pdf = dir.Read(name);
    int pages = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
      pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    return pages;
  }

  testing::TempDir dir;
  std::optional<cTextEdit> edit;
};

TEST_F(PrintPaneTest, EachPageTakesItsLinesAndASelectionPrintsOnlyItsLinesPackedToTheTop) {
  cTextEdit &editor = Editor(10);
  gui::cTextDisplay &pane = editor.Core();
  using Rows = std::vector<std::string>;
  EXPECT_EQ(PageRows(pane, 1, 4, std::nullopt, 3), (Rows{"L0", "L1", "L2", "L3"}));
  EXPECT_EQ(PageRows(pane, 3, 4, std::nullopt, 3), (Rows{"L8", "L9"}));
  EXPECT_EQ(PageRows(pane, 4, 4, std::nullopt, 3), Rows{});
  const PrintRange selected{MakePos(2, 1), MakePos(5, 0)};
  EXPECT_EQ(PageRows(pane, 1, 4, selected, 3), (Rows{"L2", "L3"}));
  EXPECT_EQ(PageRows(pane, 2, 4, selected, 3), (Rows{"L4", "L5"}));
  EXPECT_EQ(PageRows(pane, 3, 4, selected, 3), Rows{});
}

TEST_F(PrintPaneTest, APrintOfAPaneWritesItsPagesAndNoBlankOnesAfterTheText) {
  cTextEdit &editor = Editor(400);
  auto all = PdfPrinter("all.pdf");
  const int pages = PrintPane(*editor.EditWidget(), *all, std::nullopt);
  EXPECT_GT(pages, 1);
  EXPECT_EQ(PdfPages("all.pdf"), pages);

  auto second = PdfPrinter("second.pdf");
  second->setFromTo(2, 2);
  second->setPrintRange(QPrinter::PageRange);
  EXPECT_EQ(PrintPane(*editor.EditWidget(), *second, std::nullopt), 1);
  // The range left from that print holds no later print of all pages, as
  // the preview's is.
  second->setPrintRange(QPrinter::AllPages);
  second->setOutputFileName(QString::fromStdString(dir / "again.pdf"));
  EXPECT_EQ(PrintPane(*editor.EditWidget(), *second, std::nullopt), pages);

  auto selection = PdfPrinter("selection.pdf");
  EXPECT_EQ(PrintPane(*editor.EditWidget(), *selection, PrintRange{MakePos(1, 0), MakePos(3, 2)}), 1);
  EXPECT_EQ(PdfPages("selection.pdf"), 1);
}

TEST_F(PrintPaneTest, ALandscapePageHoldsFewerLinesSoTheTextTakesMorePages) {
  cTextEdit &editor = Editor(400);
  auto portrait = PdfPrinter("portrait.pdf");
  auto landscape = PdfPrinter("landscape.pdf");
  landscape->setPageOrientation(QPageLayout::Landscape);
  const int portraitPages = PrintPane(*editor.EditWidget(), *portrait, std::nullopt);
  const int landscapePages = PrintPane(*editor.EditWidget(), *landscape, std::nullopt);
  EXPECT_GT(landscapePages, portraitPages);
  EXPECT_EQ(PdfPages("landscape.pdf"), landscapePages);
}

TEST_F(PrintPaneTest, TheEditorOffersPrintingWhileThePrinterCanPrint) {
  cTextEdit &editor = Editor(3);
  ProgramPrinter().setOutputFileName(QString::fromStdString(dir / "out.pdf"));
  for (uint16_t id : {cmd::kPrint, cmd::kPrintSetup, cmd::kPrintPreview}) {
    SCOPED_TRACE(id);
    const CommandHandlers::Entry *entry = editor.EditWidget()->OwnCommands().Find(id);
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->enabler);
    EXPECT_EQ(entry->enabler(), ProgramPrinter().isValid());
  }
  EXPECT_TRUE(ProgramPrinter().isValid()) << "a file is always there to print to";
  ProgramPrinter().setOutputFileName({});
}

// A ring pane in a frame of its own, as the debugger's panes stand.
class RingTextPane : public TextPane {
public:
  // The window goes with the frame it is put in.
  RingTextPane() : ring_(rules_, 20, 80, 1), widget_(new gui::cRingPane(ring_, gui::DefaultPaneHost())) {}
  QWidget *Widget() override { return widget_; }
  Size CellSize() const override { return {}; }
  void Clear() override {}
  gui::cTextCircular &Ring() { return ring_; }

private:
  CompilerCharRules rules_;
  gui::cTextCircular ring_;
  gui::cRingPane *widget_;
};

TEST_F(PrintPaneTest, APaneWithoutCommandsOfItsOwnPrintsThroughItsFrame) {
  RingTextPane pane;
  pane.Ring().AppendLine("first row");
  auto *frame = new cFrame(&pane, nullptr, {});
  for (uint16_t id : {cmd::kPrint, cmd::kPrintSetup, cmd::kPrintPreview})
    EXPECT_NE(frame->OwnCommands().Find(id), nullptr) << id;
  auto printer = PdfPrinter("ring.pdf");
  EXPECT_EQ(PrintPane(*static_cast<gui::cTextWidget *>(pane.Widget()), *printer, std::nullopt), 1);
  delete frame; // with the pane's window, before the rows it shows
}

} // namespace
} // namespace tsw
