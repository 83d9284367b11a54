#include "gui/printing.h"

#include <QFontMetrics>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

#include "gui/commands.h"
#include "gui/common/model/tswdisp.h"
#include "gui/common/tswview.h"

namespace tsw {
namespace {

// The dialogs take the focus, and a pane that loses it drops its selection:
// the selection is kept across them and put back.
class SelectionKept {
public:
  explicit SelectionKept(gui::cTextWidget &pane)
      : pane_(pane), range_{pane.Model().Anchor(), pane.Model().GetCursor()} {
    if (!pane.Model().HasSelection())
      range_ = {};
  }
  ~SelectionKept() {
    if (!range_.Empty())
      pane_.Model().SetSelection(range_.anchor, range_.end);
  }
  const PrintRange &Range() const { return range_; }

private:
  gui::cTextWidget &pane_;
  PrintRange range_;
};

} // namespace

QPrinter &ProgramPrinter() {
  static std::unique_ptr<QPrinter> printer;
  if (!printer) {
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The margins are the page layout's own.
    printer->setFullPage(true);
  }
  return *printer;
}

int PrintPane(gui::cTextWidget &pane, QPrinter &printer, const std::optional<PrintRange> &selectionOnly) {
  QPainter painter;
  if (!painter.begin(&printer))
    return 0;
  const double printerDpi = printer.resolution();
  const int screenDpiX = pane.logicalDpiX(), screenDpiY = pane.logicalDpiY();
  painter.scale(printerDpi / screenDpiX, printerDpi / screenDpiY);
  const QRect full = printer.pageLayout().fullRectPixels(printer.resolution());
  PageMetrics page;
  page.width = int32_t(full.width() * screenDpiX / printerDpi);
  page.height = int32_t(full.height() * screenDpiY / printerDpi);
  page.dpiX = screenDpiX;
  page.dpiY = screenDpiY;
  const QFont font = pane.PaneFont();
  const QFontMetrics metrics(font);
  const PageLayout layout = LayOutPage(page, PrintMargins{}, metrics.lineSpacing());
  if (layout.linesPerPage == 0)
    return 0;
  gui::cTextDisplay &model = pane.Model();
  const int32_t pages = PageCount(model.LineCount(), layout.linesPerPage);
  // The pages of an earlier ranged print stay in the printer: only a
  // print that asks for a range now is held to them.
  const bool ranged = printer.printRange() == QPrinter::PageRange;
  int32_t first = ranged && printer.fromPage() > 0 ? printer.fromPage() : 1;
  int32_t last = ranged && printer.toPage() > 0 ? std::min(printer.toPage(), pages) : pages;
  if (selectionOnly)
    std::tie(first, last) = SelectionPages(*selectionOnly, layout.linesPerPage);
  painter.setFont(font);
  int printed = 0;
  for (int32_t number = first; number <= last; ++number) {
    std::vector<std::string> rows = PageRows(model, number, layout.linesPerPage, selectionOnly, gui::TabSize());
    // The pages past the text's end would come out blank.
    if (rows.empty() && printed > 0)
      break;
    if (printed > 0)
      printer.newPage();
    for (size_t row = 0; row < rows.size(); ++row)
      painter.drawText(layout.leftX, layout.topY + int(row) * layout.lineHeight + metrics.ascent(),
                       QString::fromLatin1(rows[row].data(), qsizetype(rows[row].size())));
    // Text running into the right margin is covered.
    painter.fillRect(QRect(layout.clipX, 0, page.width - layout.clipX, page.height), Qt::white);
    ++printed;
  }
  return printed;
}

void AddPrintCommands(CommandHandlers &commands, gui::cTextWidget &pane) {
  auto canPrint = [] { return ProgramPrinter().isValid(); };
  commands.Add(
      cmd::kPrint,
      [&pane] {
        SelectionKept kept(pane);
        QPrintDialog dialog(&ProgramPrinter(), &pane);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, !kept.Range().Empty());
        if (dialog.exec() != QDialog::Accepted)
          return;
        const bool selection = ProgramPrinter().printRange() == QPrinter::Selection && !kept.Range().Empty();
        PrintPane(pane, ProgramPrinter(), selection ? std::optional<PrintRange>(kept.Range()) : std::nullopt);
        ProgramPrinter().setPrintRange(QPrinter::AllPages);
      },
      canPrint);
  commands.Add(
      cmd::kPrintSetup,
      [&pane] {
        SelectionKept kept(pane);
        QPageSetupDialog(&ProgramPrinter(), &pane).exec();
      },
      canPrint);
  commands.Add(
      cmd::kPrintPreview,
      [&pane] {
        SelectionKept kept(pane);
        QPrintPreviewDialog preview(&ProgramPrinter(), &pane);
        preview.setWindowTitle("Print Preview");
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &pane,
                         [&pane](QPrinter *printer) { PrintPane(pane, *printer, std::nullopt); });
        preview.exec();
      },
      canPrint);
}

} // namespace tsw
