#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/common/tswview.h"

namespace tsw::testing {

// The world around a pane, recorded: beeps, the clipboard, the caret
// messages to the status bar and the message boxes.
class RecordingPaneHost : public gui::PaneHost {
public:
  struct CaretMessage {
    QWidget *pane;
    bool known;
    gui::DisplayPos caret;
    bool operator==(const CaretMessage &) const = default;
  };

  void Beep() override { ++beeps; }
  bool SetClipboardText(const QString &text) override {
    if (clipboardFails)
      return false;
    clipboard = text;
    return true;
  }
  std::optional<QString> ClipboardText() override { return clipboard; }
  void CaretStatus(QWidget *pane, bool known, gui::DisplayPos caret) override {
    carets.push_back({pane, known, caret});
  }
  void ShowMessage(QWidget *, uint32_t message, uint32_t caption) override { messages.emplace_back(message, caption); }

  int beeps = 0;
  bool clipboardFails = false;
  std::optional<QString> clipboard;
  std::vector<CaretMessage> carets;
  std::vector<std::pair<uint32_t, uint32_t>> messages;
};

} // namespace tsw::testing
