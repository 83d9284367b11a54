#pragma once

#include <functional>
#include <string>
#include <vector>

#include "gui/common/tswcirc.h"
#include "gui/compilercharrules.h"
#include "gui/msglist.h"
#include "gui/textpane.h"

// The panes whose rows the shell fills: a ring of rows in a ring pane's
// window, which is also the pane its frame holds.
namespace tsw {

class Settings;

// The ring comes before the window that shows it.
struct RingStore {
  RingStore(uint16_t rows, uint16_t width, uint16_t minRows) : ring(rules, rows, width, minRows) {}
  CompilerCharRules rules;
  gui::cTextCircular ring;
};

class cShellRingPane : private RingStore, public gui::cRingPane, public TextPane {
public:
  cShellRingPane(uint16_t rows, uint16_t width, uint16_t minRows, gui::PaneHost &host);

  // TextPane.
  QWidget *Widget() override { return this; }
  Size CellSize() const override;
  void Clear() override { Ring().Clear(); }

  // The rows, replaced; the caret stays where it was.
  void ShowRows(const std::vector<std::string> &rows);
};

// The compile's diagnostics, one a row. One message is current: its row is
// highlighted and its source line is shown in its editor.
class cTextMessage : public cShellRingPane {
public:
  static constexpr uint16_t kWidth = 180;
  static constexpr uint32_t kCurrentFg = 0x0000FF00; // green
  static constexpr uint32_t kCurrentBg = 0x000000FF; // red

  // `showSource` puts the current message's file in front with its caret
  // on the message (line and column from 1).
  using SourceShower = std::function<void(const Diagnostic &message)>;
  cTextMessage(uint16_t rows, gui::PaneHost &host, SourceShower showSource);

  // The rows afresh from the diagnostics, the first one current.
  void Reload(std::vector<Diagnostic> records, const MessageLimits &limits);
  void NextMessage();
  void PreviousMessage();
  const MessageList &List() const { return list_; }
  // What the editor of the compiled program reports of its edits.
  void AdjustPositions(const std::string &fileName, const std::string &programPath, gui::TextPos from,
                       gui::TextPos oldEnd, gui::TextPos newEnd);

  uint32_t CurrentFg() const { return currentFg_; }
  uint32_t CurrentBg() const { return currentBg_; }
  void SetCurrentColors(uint32_t foreground, uint32_t background);

protected:
  bool KeyTyped(QKeyEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  void Refill();
  void SelectCurrent();

  MessageList list_;
  SourceShower showSource_;
  uint32_t currentFg_ = kCurrentFg, currentBg_ = kCurrentBg;
};

// The message window's row count and limits from the settings.
uint16_t MessageRows(const Settings &settings);
MessageLimits MessageLimitsOf(const Settings &settings);

} // namespace tsw
