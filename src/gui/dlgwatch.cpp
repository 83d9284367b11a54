#include "gui/dlgwatch.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <memory>

#include "gui/resbuilder.h"
#include "gui/watchlist.h"

namespace tsw {
namespace {

constexpr const char *kWatchTemplate = "DIALOG_WEXPR";
constexpr uint32_t kTextId = 101, kWatchesId = 102, kAddId = 103, kDeleteId = 104;

QString Latin1(const std::string &text) { return QString::fromLatin1(text.data(), int(text.size())); }
std::string Bytes(const QString &text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), size_t(bytes.size()));
}

bool Holds(const cWatchList &list, const std::string &text) {
  for (size_t i = 0; i < list.Count(); ++i)
    if (list.GetExpression(i) == text)
      return true;
  return false;
}

} // namespace

void PutInFront(cWatchList &list, const std::string &text) {
  if (!Holds(list, text))
    list.Insert(0, text);
}

WatchDialogResult RunWatchDialog(const LanguageModule &module, QWidget *parent, cWatchList &watches,
                                 cWatchList &history, const std::string &proposed,
                                 const std::function<void()> &listChanged) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kWatchTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  auto *text = dialog ? Control<QComboBox>(*dialog, kTextId) : nullptr;
  auto *list = dialog ? Control<QListWidget>(*dialog, kWatchesId) : nullptr;
  auto *add = dialog ? Control<QPushButton>(*dialog, kAddId) : nullptr;
  auto *remove = dialog ? Control<QPushButton>(*dialog, kDeleteId) : nullptr;
  if (!text || !list || !add || !remove)
    return {};
  text->setEditable(true);
  text->lineEdit()->setMaxLength(int(kWatchTextLimit));
  for (size_t i = 0; i < history.Count(); ++i)
    text->addItem(Latin1(history.GetExpression(i)));
  text->setEditText(Latin1(proposed.substr(0, kWatchTextLimit)));
  text->lineEdit()->selectAll();
  for (size_t i = 0; i < watches.Count(); ++i)
    list->addItem(Latin1(watches.GetExpression(i)));

  auto follow = [=, &watches] {
    add->setEnabled(!text->currentText().isEmpty());
    remove->setEnabled(watches.Count() > 0);
  };
  follow();
  QObject::connect(text, &QComboBox::editTextChanged, dialog, follow);
  // The list only shows: a selection goes at once.
  QObject::connect(list, &QListWidget::itemSelectionChanged, dialog, [list] { list->clearSelection(); });
  QObject::connect(add, &QPushButton::clicked, dialog, [&, follow] {
    const std::string typed = Bytes(text->currentText());
    if (typed.empty())
      return;
    if (!Holds(history, typed)) {
      history.Insert(0, typed);
      text->insertItem(0, Latin1(typed));
    }
    if (!Holds(watches, typed)) {
      watches.Insert(0, typed);
      list->insertItem(0, Latin1(typed));
    }
    text->setEditText(Latin1(typed));
    follow();
  });
  QObject::connect(remove, &QPushButton::clicked, dialog, [&, follow] {
    if (watches.Count() == 0)
      return;
    watches.Remove(0);
    delete list->takeItem(0);
    if (listChanged)
      listChanged();
    follow();
  });
  if (!ExecTemplateDialog(*dialog))
    return {};
  WatchDialogResult result;
  result.text = Bytes(text->currentText());
  result.end = result.text.empty() ? WatchDialogEnd::Empty : WatchDialogEnd::Text;
  return result;
}

} // namespace tsw
