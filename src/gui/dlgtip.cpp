#include "gui/dlgtip.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "gui/resbuilder.h"
#include "platform/profile.h"

namespace tsw {
namespace {

constexpr const char *kSection = "TipOfTheDay", *kTipsSection = "Tips";
constexpr size_t kHeadingMarkWithin = 50;
constexpr size_t kTipTextLimit = 2050;
constexpr uint32_t kPreviousId = 101, kHeadingId = 11003, kTextId = 11004, kNextId = 11012, kStartupId = 11013,
                   kDefaultHeadingId = 11030;

} // namespace

namespace {

// The two characters backslash and n stand for a line break.
std::string WithLineBreaks(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

} // namespace

Tip SplitTip(const std::string &whole) {
  const std::string text = whole.substr(0, kTipTextLimit);
  const size_t mark = text.find('^');
  Tip tip;
  if (mark != std::string::npos && mark > 0 && mark < kHeadingMarkWithin) {
    tip.heading = WithLineBreaks(text.substr(0, mark));
    tip.text = WithLineBreaks(text.substr(mark + 1));
  } else {
    tip.text = WithLineBreaks(text);
  }
  return tip;
}

int TipFile::Number(const char *key) const {
  return std::atoi(plat::GetProfileString(kSection, key, "0", path_).c_str());
}

bool TipFile::ShowAtStartup() const { return Number("Startup") != 0; }

void TipFile::SetShowAtStartup(bool show) {
  plat::WritePrivateProfileString(kSection, "Startup", show ? "1" : "0", path_);
}

std::optional<Tip> TipFile::Show(int number) {
  number = std::max(number, 0);
  std::string text = plat::GetProfileString(kTipsSection, std::to_string(number).c_str(), "", path_);
  if (text.empty()) {
    // Past the last tip the first one follows.
    number = 0;
    text = plat::GetProfileString(kTipsSection, "0", "", path_);
    if (text.empty())
      return std::nullopt;
  }
  plat::WritePrivateProfileString(kSection, "Pos", std::to_string(number).c_str(), path_);
  return SplitTip(text);
}

std::optional<Tip> TipFile::Next() { return Show(Number("Pos") + 1); }

std::optional<Tip> TipFile::Previous() {
  int number = Number("Pos") - 1;
  if (number < 0)
    number = Number("Max");
  return Show(number);
}

void RunTipDialog(const LanguageModule &module, QWidget *owner, TipFile &tips) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kTipTemplate, owner, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  if (!dialog)
    return;
  auto *heading = dynamic_cast<QLabel *>(FindControl(*dialog, kHeadingId));
  auto *text = dynamic_cast<QPlainTextEdit *>(FindControl(*dialog, kTextId));
  auto *fallback = dynamic_cast<QLabel *>(FindControl(*dialog, kDefaultHeadingId));
  if (!heading || !text)
    return;
  text->setReadOnly(true);
  heading->setStyleSheet("color: rgb(0, 0, 255)");
  const QString ownHeading = fallback ? fallback->text() : QString();
  auto show = [=](const std::optional<Tip> &tip) {
    if (!tip)
      return;
    heading->setText(tip->heading.empty() ? ownHeading : QString::fromStdString(tip->heading));
    text->setPlainText(QString::fromStdString(tip->text));
  };
  if (auto *startup = dynamic_cast<QCheckBox *>(FindControl(*dialog, kStartupId))) {
    startup->setChecked(tips.ShowAtStartup());
    QObject::connect(startup, &QCheckBox::toggled, dialog, [&tips](bool on) { tips.SetShowAtStartup(on); });
  }
  if (auto *next = dynamic_cast<QPushButton *>(FindControl(*dialog, kNextId)))
    QObject::connect(next, &QPushButton::clicked, dialog, [&tips, show] { show(tips.Next()); });
  if (auto *previous = dynamic_cast<QPushButton *>(FindControl(*dialog, kPreviousId)))
    QObject::connect(previous, &QPushButton::clicked, dialog, [&tips, show] { show(tips.Previous()); });
  show(tips.Next());
  ExecTemplateDialog(*dialog);
}

} // namespace tsw
