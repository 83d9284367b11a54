#include "gui/msgwin.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

#include "foundation/restext.h"
#include "gui/settings.h"
#include "platform/notify.h"

namespace tsw {
cShellRingPane::cShellRingPane(uint16_t rows, uint16_t width, uint16_t minRows, gui::PaneHost &host)
    : RingStore(rows, width, minRows), gui::cRingPane(RingStore::ring, host) {}

Size cShellRingPane::CellSize() const {
  QSize cell = cTextWidget::CellSize();
  return {cell.width(), cell.height()};
}

void cShellRingPane::ShowRows(const std::vector<std::string> &rows) {
  gui::cTextCircular &ring = Ring();
  ring.Clear();
  for (const std::string &row : rows)
    ring.AppendLine(row);
}

cTextMessage::cTextMessage(uint16_t rows, gui::PaneHost &host, SourceShower showSource)
    : cShellRingPane(rows, kWidth, 0, host), showSource_(std::move(showSource)) {
  setObjectName("MessageWindow");
}

void cTextMessage::SetCurrentColors(uint32_t foreground, uint32_t background) {
  currentFg_ = foreground;
  currentBg_ = background;
  if (list_.Current())
    SelectCurrent();
}

void cTextMessage::Reload(std::vector<Diagnostic> records, const MessageLimits &limits) {
  list_.Load(std::move(records), limits);
  Refill();
  SelectCurrent();
}

void cTextMessage::Refill() {
  gui::cTextCircular &ring = Ring();
  // The caret may not drag the view along while the rows go in.
  ring.SetKeepCaretInView(false);
  ShowRows(list_.Rows());
  ring.SetKeepCaretInView(true);
  ring.SetCursor(ring.GetCursor());
  ClearColorRanges(true);
}

void cTextMessage::SelectCurrent() {
  std::optional<size_t> current = list_.Current();
  if (!current)
    return;
  const int32_t row = int32_t(*current);
  Ring().SetCursor(gui::MakePos(row, 0));
  ClearColorRanges(true);
  AddColorRange(gui::MakePos(row, 0), gui::MakePos(row + 1, 0), currentBg_, currentFg_, true);
  if (showSource_)
    showSource_(*list_.CurrentRecord());
}

void cTextMessage::NextMessage() {
  list_.Next();
  SelectCurrent();
}

void cTextMessage::PreviousMessage() {
  list_.Previous();
  SelectCurrent();
}

void cTextMessage::AdjustPositions(const std::string &fileName, const std::string &programPath, gui::TextPos from,
                                   gui::TextPos oldEnd, gui::TextPos newEnd) {
  if (!list_.AdjustPositions(fileName, programPath, from, oldEnd, newEnd))
    return;
  Refill();
  if (std::optional<size_t> current = list_.Current()) {
    const int32_t row = int32_t(*current);
    Ring().SetCursor(gui::MakePos(row, 0));
    AddColorRange(gui::MakePos(row, 0), gui::MakePos(row + 1, 0), currentBg_, currentFg_, true);
  }
}

bool cTextMessage::KeyTyped(QKeyEvent *) { return false; }

void cTextMessage::keyPressEvent(QKeyEvent *event) {
  // Only F1 acts here: the rows are the compiler's, and moving among them
  // is the next and previous message commands' work.
  if (event->key() != Qt::Key_F1) {
    event->ignore();
    return;
  }
  event->accept();
  const Diagnostic *current = list_.CurrentRecord();
  if (!current)
    return;
  std::string help = current->help.empty() ? std::string(GetResourceString(kMsgNoMessageHelp)) : current->help;
  plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), help, plat::Buttons::Ok, plat::Icon::Information);
}

void cTextMessage::mousePressEvent(QMouseEvent *event) {
  cShellRingPane::mousePressEvent(event);
  if (event->button() != Qt::LeftButton || list_.Empty())
    return;
  list_.Select(size_t(std::max(0, gui::PosLine(Ring().GetCursor()))));
  SelectCurrent();
}

uint16_t MessageRows(const Settings &settings) {
  const CompilerPreferences &compiler = settings.compiler;
  // The ring keeps every row the limits let through, with the closing
  // note, so that a row always stands for its message.
  const unsigned kept = unsigned(compiler.maxErrors) + compiler.maxSeriousWarnings + compiler.maxTrivialWarnings + 2;
  return uint16_t(std::min<unsigned>(std::max<unsigned>(compiler.maxRows, kept), 0xFFFF));
}

MessageLimits MessageLimitsOf(const Settings &settings) {
  const CompilerPreferences &compiler = settings.compiler;
  return {compiler.maxErrors, uint16_t(compiler.maxSeriousWarnings + compiler.maxTrivialWarnings)};
}

} // namespace tsw
