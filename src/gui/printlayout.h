#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/model/textpos.h"

// How a text pane goes onto paper, apart from the printer: the margins, the
// lines a page holds, which lines each page prints and how a line is
// prepared for it. All lengths are in screen pixels; a page is the
// printer's page at the screen's resolution, so the print looks as the
// pane does.
namespace tsw {

namespace gui {
class cTextDisplay;
}

// Thousandths of an inch, as a new printer starts.
struct PrintMargins {
  int32_t left = 183;
  int32_t top = 171;
  int32_t right = 165;
  int32_t bottom = 183;
};

struct PageMetrics {
  int32_t width = 0;
  int32_t height = 0;
  // Pixels per inch of the screen, across and down.
  int32_t dpiX = 96;
  int32_t dpiY = 96;
};

// Where a page's text goes.
struct PageLayout {
  int32_t leftX = 0;
  int32_t topY = 0;
  // Text beyond this x is covered by the page's background.
  int32_t clipX = 0;
  int32_t lineHeight = 0;
  // 0 when the margins leave no room for a line: nothing is printed.
  int32_t linesPerPage = 0;
};
// A missing line height (a font without metrics) counts as 10 pixels.
PageLayout LayOutPage(const PageMetrics &page, const PrintMargins &margins, int32_t lineHeight);

// The pages a pane of `lineCount` lines needs; a partial page and the page
// after a full last one both count, as the page painter stops at the
// text's end.
int32_t PageCount(int32_t lineCount, int32_t linesPerPage);

// A printed line holds at most this many characters.
inline constexpr size_t kMaxPrintLine = 255;
// Tabs become blanks up to the next stop of `tabSize`, counted from the
// start of the line; a tab whose blanks would reach the line's limit ends
// the line there.
std::string ExpandTabsForPrint(const std::string &line, int32_t tabSize);

// The lines a print takes: all, or those of the saved selection's lines
// (inclusive), packed to the top of each page.
struct PrintRange {
  gui::TextPos anchor = gui::kNoPos;
  gui::TextPos end = gui::kNoPos;
  bool Empty() const { return anchor == end; }
};

// The texts of page `page` (from 1), cut and with their tabs expanded; a
// line the pane does not have ends the page.
std::vector<std::string> PageRows(gui::cTextDisplay &pane, int32_t page, int32_t linesPerPage,
                                  const std::optional<PrintRange> &selectionOnly, int32_t tabSize);

// The first and last page (from 1) holding the selection's lines; a
// selection that ends at the start of a line does not take that line.
std::pair<int32_t, int32_t> SelectionPages(const PrintRange &range, int32_t linesPerPage);

} // namespace tsw
