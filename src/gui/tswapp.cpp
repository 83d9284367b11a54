#include "gui/tswapp.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace tsw {

int RunTsw(int argc, char **argv, const std::function<void()> &started) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kProgramName);

  QMainWindow frame;
  frame.setWindowTitle(kProgramName);
  frame.resize(800, 600);
  frame.show();

  if (started)
    QTimer::singleShot(0, &app, started);
  return QApplication::exec();
}

} // namespace tsw
