// Figures of the text document model: load times, the cost of one edit and
// its undo in a full document, and the heap a loaded file takes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "c_source.h"
#include "gui/common/model/tswfile.h"
#include "gui/common/model/tswview.h"

namespace {

using namespace tsw::gui;
using Clock = std::chrono::steady_clock;

std::string WriteTemp(const std::string &name, const std::string &bytes) {
  std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <typename F> double MedianMs(int runs, F &&run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    run();
    times.push_back(Milliseconds(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

struct QuietRules : CharRules {
  bool IsWordChar(uint8_t c) const override { return std::isalnum(c) || c == '_'; }
  bool IsLeadByte(uint8_t) const override { return false; }
};

} // namespace

int main() {
  std::string small = CSource(kMaxLines);
  std::string smallPath = WriteTemp("tsw-bench-10k.c", small);
  std::string big = CSource(1000000);
  std::string bigPath = WriteTemp("tsw-bench-1m.c", big);

  double loadSmall = MedianMs(15, [&] { cBufFile doc(smallPath, false); });
  std::printf("load 10,000-line C file (%zu bytes): %.2f ms (goal < 20 ms)\n", small.size(), loadSmall);
  double loadBig = MedianMs(5, [&] { cBufFile doc(bigPath, false); });
  std::printf("load 1,000,000-line file (stops at %d lines): %.2f ms\n", kMaxLines, loadBig);

  {
    cBufFile doc(bigPath, false);
    QuietRules rules;
    cTextViewer view(doc, rules);
    TextPos middle = MakePos(doc.LinesUsed() / 2, 4);
    constexpr int kRounds = 2000;
    auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i) {
      view.SetCursor(middle);
      view.BeginUndoAction(middle);
      view.InsertChar("x");
      view.EditUndo();
    }
    std::printf("insert one character in the middle and undo it: %.4f ms (goal well below 2 ms)\n",
                Milliseconds(Clock::now() - start) / kRounds);
  }

  {
    size_t before = mallinfo2().uordblks;
    auto doc = std::make_unique<cBufFile>(smallPath, false);
    size_t after = mallinfo2().uordblks;
    std::printf("heap after loading, per file byte: %.2f (goal < 3)\n", double(after - before) / double(small.size()));
  }

  unlink(smallPath.c_str());
  unlink(bigPath.c_str());
  return 0;
}
