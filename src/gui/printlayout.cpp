#include "gui/printlayout.h"

#include <algorithm>

#include "gui/common/model/tswdisp.h"

namespace tsw {
namespace {

constexpr int32_t kThousandths = 1000;
constexpr int32_t kLineHeightWithoutMetrics = 10;

} // namespace

PageLayout LayOutPage(const PageMetrics &page, const PrintMargins &margins, int32_t lineHeight) {
  PageLayout layout;
  layout.lineHeight = lineHeight > 0 ? lineHeight : kLineHeightWithoutMetrics;
  layout.leftX = page.dpiX * margins.left / kThousandths;
  layout.topY = page.dpiY * margins.top / kThousandths;
  layout.clipX = page.width - page.dpiX * margins.right / kThousandths;
  const int32_t usable = page.height - (margins.top + margins.bottom) * page.dpiY / kThousandths;
  layout.linesPerPage = usable > 0 ? usable / layout.lineHeight : 0;
  return layout;
}

int32_t PageCount(int32_t lineCount, int32_t linesPerPage) {
  return linesPerPage > 0 ? lineCount / linesPerPage + 1 : 0;
}

std::string ExpandTabsForPrint(const std::string &line, int32_t tabSize) {
  const size_t size = size_t(std::max(tabSize, 1));
  std::string out = line.substr(0, kMaxPrintLine);
  for (size_t tab = out.find('\t'); tab != std::string::npos; tab = out.find('\t', tab)) {
    const size_t blanks = size - tab % size;
    if (out.size() - 1 + blanks >= kMaxPrintLine) {
      out.resize(tab);
      break;
    }
    out.replace(tab, 1, blanks, ' ');
    tab += blanks;
  }
  return out;
}

std::vector<std::string> PageRows(gui::cTextDisplay &pane, int32_t page, int32_t linesPerPage,
                                  const std::optional<PrintRange> &selectionOnly, int32_t tabSize) {
  std::vector<std::string> rows;
  if (linesPerPage <= 0 || page < 1)
    return rows;
  int32_t firstSelected = 0, lastSelected = 0;
  if (selectionOnly) {
    firstSelected = std::min(gui::PosLine(selectionOnly->anchor), gui::PosLine(selectionOnly->end));
    lastSelected = std::max(gui::PosLine(selectionOnly->anchor), gui::PosLine(selectionOnly->end));
  }
  for (int32_t i = 0; i < linesPerPage; ++i) {
    const int32_t line = (page - 1) * linesPerPage + i;
    if (selectionOnly && (line < firstSelected || line > lastSelected))
      continue;
    const char *text = line < pane.LineCount() ? pane.GetLine(line) : nullptr;
    if (!text)
      break;
    std::string copy(text, std::min(std::char_traits<char>::length(text), kMaxPrintLine));
    pane.ReleaseLine(line);
    rows.push_back(ExpandTabsForPrint(copy, tabSize));
  }
  return rows;
}

std::pair<int32_t, int32_t> SelectionPages(const PrintRange &range, int32_t linesPerPage) {
  const gui::TextPos from = std::min(range.anchor, range.end), to = std::max(range.anchor, range.end);
  const int32_t perPage = std::max(linesPerPage, 1);
  const int32_t lastLine = gui::PosColumn(to) == 0 ? gui::PosLine(to) - 1 : gui::PosLine(to);
  return {gui::PosLine(from) / perPage + 1, std::max(lastLine, gui::PosLine(from)) / perPage + 1};
}

} // namespace tsw
