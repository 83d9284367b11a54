#pragma once

#include <functional>
#include <optional>
#include <string>

#include "compcore/cc_fioz8/rti_file.h"

class QWidget;

// The run-time-information command's dialogs: where to save the file, and
// its message boxes.
namespace tsw {

class ShellRti : public RtiShell {
public:
  explicit ShellRti(QWidget *parent) : parent_(parent) {}
  // The system's save dialog, asking before it overwrites.
  std::optional<std::string> ChooseRtiFile() override;
  void ShowMessageBox(unsigned message) override;
  // Stands for the save dialog (tests); the system's while empty.
  std::function<std::optional<std::string>()> chooser;

private:
  QWidget *parent_;
};

} // namespace tsw
