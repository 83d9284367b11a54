// Figures of the editor's window: from one typed character in the middle of
// a full document to the screen painted again, and a whole repaint of a
// window of 60 lines, both into an offscreen image.
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "c_source.h"
#include "gui/common/model/tswfile.h"
#include "gui/common/model/tswview.h"
#include "gui/common/tswview.h"

namespace {

using namespace tsw::gui;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 200;
constexpr int kScreenLines = 60;
constexpr int kScreenColumns = 100;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <typename F> std::pair<double, double> MedianAndWorstMs(int runs, F &&run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    run();
    times.push_back(Milliseconds(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back()};
}

struct QuietRules : CharRules {
  bool IsWordChar(uint8_t c) const override { return std::isalnum(c) || c == '_'; }
  bool IsLeadByte(uint8_t) const override { return false; }
};

} // namespace

int main(int argc, char **argv) {
  if (!std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  UndoPool pool;
  cBufLine doc(kMaxLines, MakeMemoryStore(), &pool, nullptr);
  QuietRules rules;
  cTextViewer view(doc, rules);
  view.ReplaceRange(0, 0, CSource(kMaxLines));
  doc.ResetUndo();
  PaneHost host;
  cTextWidget pane(view, host);
  QSize cell = pane.CellSize();
  pane.resize(pane.LeftMargin() + kScreenColumns * cell.width() + 20, kScreenLines * cell.height() + 20);
  pane.show();
  QApplication::processEvents();
  QImage image(pane.viewport()->size(), QImage::Format_ARGB32_Premultiplied);

  int32_t middle = kMaxLines / 2;
  view.VScroll(ScrollCode::ThumbPosition, middle - kScreenLines / 2);
  view.SetCursor(MakePos(middle, 10));
  view.HScroll(ScrollCode::Top);
  // Each character typed is taken away again outside the timing, so that
  // every run types into the same line at the same place.
  TextPos at = MakePos(middle, 10);
  std::vector<double> typed;
  for (int run = 0; run < kRuns; ++run) {
    view.SetCursor(at);
    auto start = Clock::now();
    view.InsertChar("x");
    pane.viewport()->render(&image);
    typed.push_back(Milliseconds(Clock::now() - start));
    view.DeleteRange(at, view.GetCursor());
  }
  std::sort(typed.begin(), typed.end());
  double typeMedian = typed[typed.size() / 2], typeWorst = typed.back();
  view.SetCursor(at);
  view.InsertChar("x");
  auto [paintMedian, paintWorst] = MedianAndWorstMs(kRuns, [&] { pane.viewport()->render(&image); });

  if (const char *picture = std::getenv("TSW_BENCH_PICTURE"))
    image.save(picture);
  std::printf("editor window %dx%d cells, cell %dx%d px, document %d lines\n", kScreenColumns, kScreenLines,
              cell.width(), cell.height(), doc.LinesUsed());
  std::printf("keystroke to repainted screen: median %.3f ms, worst %.3f ms (goal < 2 ms)\n", typeMedian, typeWorst);
  std::printf("full repaint of %d lines:      median %.3f ms, worst %.3f ms\n", kScreenLines, paintMedian, paintWorst);
  return 0;
}
