#include <QApplication>
#include <QMdiSubWindow>

#include <cstdio>
#include <cstdlib>

#include "gui/mainframe.h"
#include "gui/tswapp.h"
#include "gui/tswmainw.h"
#include "platform/notify.h"

namespace {

// For scripts/screenshot.sh: with TSW_SCREENSHOT naming a PNG file, the
// started program (TSW_SCREENSHOT_SIZE "WIDTHxHEIGHT" at that size) writes
// a picture of its main frame there and quits.
void TakeScreenshot(tsw::tswApp &app, const char *out) {
  tsw::cMainFrame *frame = app.MainFrame();
  if (const char *size = std::getenv("TSW_SCREENSHOT_SIZE")) {
    int width = 0, height = 0;
    if (std::sscanf(size, "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
      frame->showNormal();
      frame->resize(width, height);
    }
  }
  if (QMdiSubWindow *child = app.MainClient()->activeSubWindow())
    child->showMaximized();
  QApplication::processEvents();
  if (!frame->grab().save(out, "PNG"))
    std::fprintf(stderr, "tsw: cannot write %s\n", out);
  frame->close();
}

} // namespace

int main(int argc, char **argv) {
  tsw::RunOptions options;
  if (const char *out = std::getenv("TSW_SCREENSHOT")) {
    options.started = [out](tsw::tswApp &app) { TakeScreenshot(app, out); };
    // Nobody is there to answer a box, and no board is wanted: boxes go to
    // standard error, and the start-up load finds no port.
    options.notifier = &tsw::plat::Notifier();
    options.boardPort = [](const std::string &, std::string *why) -> std::unique_ptr<tsw::plat::SerialPort> {
      if (why)
        *why = "no board for a screenshot";
      return nullptr;
    };
  }
  return tsw::RunTsw(argc, argv, options);
}
