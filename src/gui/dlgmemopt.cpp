#include "gui/dlgmemopt.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/resbuilder.h"
#include "platform/notify.h"

namespace tsw {

namespace ranges {
// Memory map values are 4096-byte pages, shown as their address.
const ValueRange kRome{0, 0x80, 1, "%X000h"};
const ValueRange kRams{0, 0xFF, 1, "%X000h"};
const ValueRange kRame{0, 0xFF, 1, "%X000h"};
const ValueRange kRomx{1, 0xB, 1, "%X000h"};
const ValueRange kRamg{0, 0x8000, 0x8000, "%4Xh"};
const ValueRange kUstk{0, 0xFF00, 0x100, "%Xh"};
const ValueRange kAstk{0, 0x4000, 0x10, "%Xh"};
const ValueRange kHeap{0, 0x8000, 0x100, "%Xh"};
const ValueRange kFree{0, 0x8000, 0x100, "%Xh"};
const ValueRange kLogrs{0, 0xFF00, 0x100, "%Xh"};
const ValueRange kLogxs{0, 0xC000, 0x100, "%Xh"};
} // namespace ranges

namespace {

constexpr uint32_t kRamConfiguredId = 117;
constexpr int kMaxPositions = 32767;

// One value of a dialog on its scroll bar: the bar's position and the text
// beside it always stand for the value.
class RangeScroller {
public:
  RangeScroller(QScrollBar &bar, QLabel &display, uint16_t &value, const ValueRange &range)
      : bar_(bar), display_(display), value_(value), range_(range) {
    bar_.setRange(0, range_.Positions());
    bar_.setSingleStep(1);
    Sync();
    QObject::connect(&bar_, &QScrollBar::valueChanged, &bar_, [this](int) { Show(); });
  }
  // The bar to the value, then the value as the bar has it.
  void Sync() {
    const QSignalBlocker quiet(&bar_);
    bar_.setValue(range_.PositionOf(value_));
    Show();
  }
  void SetEnabled(bool on) { bar_.setEnabled(on); }

private:
  void Show() {
    value_ = range_.ValueAt(bar_.value());
    display_.setText(QString::fromStdString(range_.Text(value_)));
  }

  QScrollBar &bar_;
  QLabel &display_;
  uint16_t &value_;
  const ValueRange &range_;
};

struct ScrolledValue {
  uint32_t bar, display;
  uint16_t *value;
  const ValueRange *range;
};

// A memory dialog over its values: each value on its scroll bar, OK and
// Cancel, help off until the help viewer comes.
class MemoryDialog {
public:
  MemoryDialog(const LanguageModule &module, const char *name, QWidget *parent)
      : made_(LoadDialogTemplate(module, name, parent, nullptr)), dialog_(dynamic_cast<QDialog *>(made_.get())) {}

  // False when the template lacks one of the controls.
  bool Bind(std::initializer_list<ScrolledValue> values) {
    if (!dialog_)
      return false;
    for (const ScrolledValue &v : values) {
      auto *bar = Control<QScrollBar>(*dialog_, v.bar);
      auto *display = Control<QLabel>(*dialog_, v.display);
      if (!bar || !display)
        return false;
      scrollers_.push_back(std::make_unique<RangeScroller>(*bar, *display, *v.value, *v.range));
    }
    return true;
  }
  QDialog &Dialog() { return *dialog_; }
  RangeScroller &Scroller(size_t i) { return *scrollers_[i]; }
  bool Exec() { return ExecTemplateDialog(*dialog_); }

private:
  std::unique_ptr<QWidget> made_;
  QDialog *dialog_;
  std::vector<std::unique_ptr<RangeScroller>> scrollers_;
};

} // namespace

int ValueRange::Positions() const { return std::min((maximum - minimum) / step, kMaxPositions); }

int ValueRange::PositionOf(uint16_t value) const {
  const int index = (int(value) - int(minimum)) / int(step);
  return std::clamp(Positions() - index, 0, Positions());
}

uint16_t ValueRange::ValueAt(int position) const { return uint16_t((Positions() - position) * step + minimum); }

std::string ValueRange::Text(uint16_t value) const {
  char text[16];
  std::snprintf(text, sizeof text, format, unsigned(value));
  return text;
}

bool RunMemoryMapDialog(const LanguageModule &module, QWidget *parent, MemoryMapOptionValues &values,
                        const MemoryMapServices &services) {
  // Edited on a copy: Cancel leaves the values as they were.
  MemoryMapOptionValues edited = values;
  MemoryDialog dialog(module, "DIALOG_MEMMAP", parent);
  if (!dialog.Bind({{109, 104, &edited.rome, &ranges::kRome},
                    {110, 103, &edited.rams, &ranges::kRams},
                    {111, 101, &edited.rame, &ranges::kRame},
                    {112, 107, &edited.romx, &ranges::kRomx},
                    {113, 108, &edited.ramg, &ranges::kRamg}}))
    return false;
  auto *configured = Control<QCheckBox>(dialog.Dialog(), kRamConfiguredId);
  if (!configured)
    return false;
  // The RAM scroll bars are free only while the board does not set the
  // RAM layout itself.
  constexpr size_t kRamScrollers[] = {1, 2, 4};
  auto updateRamControls = [&] {
    const bool fromBoard = edited.ramcfg != 0;
    if (fromBoard && !services.assumeCorvidCpu && services.tryPort && !services.tryPort()) {
      // One text after the other: the resource texts share one buffer.
      std::string text = GetResourceString(kMsgTargetUnreachable);
      text += GetResourceString(kMsgPortNotOpened);
      const std::string title = GetResourceString(kMsgMessageTitle);
      plat::Notifier().MessageBox(title, text, plat::Buttons::Ok, plat::Icon::Warning);
    }
    for (size_t i : kRamScrollers) {
      if (fromBoard)
        dialog.Scroller(i).Sync();
      dialog.Scroller(i).SetEnabled(!fromBoard);
    }
  };
  configured->setChecked(edited.ramcfg != 0);
  updateRamControls();
  QObject::connect(configured, &QCheckBox::clicked, &dialog.Dialog(), [&](bool on) {
    edited.ramcfg = on ? 1 : 0;
    updateRamControls();
  });
  if (!dialog.Exec())
    return false;
  edited.ramcfg = configured->isChecked() ? 1 : 0;
  values = edited;
  return true;
}

bool RunRootMapDialog(const LanguageModule &module, QWidget *parent, RootMapOptionValues &values) {
  RootMapOptionValues edited = values;
  MemoryDialog dialog(module, "DIALOG_ROOTMAP", parent);
  if (!dialog.Bind({{105, 101, &edited.ustk, &ranges::kUstk},
                    {106, 102, &edited.astk, &ranges::kAstk},
                    {107, 103, &edited.heap, &ranges::kHeap},
                    {108, 104, &edited.free, &ranges::kFree}}) ||
      !dialog.Exec())
    return false;
  values = edited;
  return true;
}

bool RunReservedMemoryDialog(const LanguageModule &module, QWidget *parent, ReservedMemoryOptionValues &values) {
  ReservedMemoryOptionValues edited = values;
  MemoryDialog dialog(module, "DIALOG_RSVOPT", parent);
  if (!dialog.Bind({{103, 101, &edited.logrs, &ranges::kLogrs}, {104, 102, &edited.logxs, &ranges::kLogxs}}) ||
      !dialog.Exec())
    return false;
  values = edited;
  return true;
}

} // namespace tsw
