#include "gui/resbuilder.h"

#include "foundation/langmodule.h"
#include "foundation/rescatalog.h"

#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QUiLoader>

#include <algorithm>

namespace tsw {
namespace {

std::optional<MenuResources> ParseResource(const LanguageModule &module, const char *name, std::string *error) {
  std::optional<std::string_view> bytes = module.Resource(name);
  if (!bytes) {
    if (error)
      *error = std::string(name) + ": no such resource in " + module.Path();
    return std::nullopt;
  }
  std::string reason;
  std::optional<MenuResources> parsed = ParseMenuResources(*bytes, &reason);
  if (!parsed && error)
    *error = std::string(name) + ": " + reason;
  return parsed;
}

bool IsCheckable(uint32_t id) {
  return std::find(std::begin(kCheckableCommands), std::end(kCheckableCommands), id) != std::end(kCheckableCommands);
}

void AddNodes(const std::vector<MenuNode> &nodes, QMenu &menu) {
  for (const MenuNode &node : nodes) {
    switch (node.kind) {
    case MenuNode::Kind::kSeparator: menu.addSeparator(); break;
    case MenuNode::Kind::kPopup: AddNodes(node.children, *menu.addMenu(QString::fromStdString(node.text))); break;
    case MenuNode::Kind::kItem: {
      QAction *action = menu.addAction(QString::fromStdString(node.text));
      action->setData(node.id);
      action->setCheckable(IsCheckable(node.id));
      break;
    }
    }
  }
}

} // namespace

std::optional<MenuResource> LoadMenuResource(const LanguageModule &module, const char *name, std::string *error) {
  std::optional<MenuResources> parsed = ParseResource(module, name, error);
  if (!parsed)
    return std::nullopt;
  for (MenuResource &menu : parsed->menus)
    if (menu.name == name)
      return std::move(menu);
  if (error)
    *error = std::string(name) + ": the resource holds no menu of that name";
  return std::nullopt;
}

std::optional<AcceleratorTable> LoadAcceleratorTable(const LanguageModule &module, const char *name,
                                                     std::string *error) {
  std::optional<MenuResources> parsed = ParseResource(module, name, error);
  if (!parsed)
    return std::nullopt;
  for (AcceleratorTable &table : parsed->accelerators)
    if (table.name == name)
      return std::move(table);
  if (error)
    *error = std::string(name) + ": the resource holds no accelerator table of that name";
  return std::nullopt;
}

void BuildMenuBar(const MenuResource &menu, QMenuBar &bar) {
  for (const MenuNode &node : menu.items) {
    if (node.kind == MenuNode::Kind::kPopup) {
      AddNodes(node.children, *bar.addMenu(QString::fromStdString(node.text)));
    } else if (node.kind == MenuNode::Kind::kItem) {
      QAction *action = bar.addAction(QString::fromStdString(node.text));
      action->setData(node.id);
    } else {
      bar.addSeparator();
    }
  }
}

std::unique_ptr<QMenu> BuildPopupMenu(const MenuResource &menu, const QString &title, QWidget *parent) {
  auto popup = std::make_unique<QMenu>(title, parent);
  AddNodes(menu.items, *popup);
  return popup;
}

std::vector<QShortcut *> InstallAccelerators(const AcceleratorTable &table, QWidget &window,
                                             const std::function<void(uint32_t)> &run) {
  std::vector<QShortcut *> shortcuts;
  for (const Accelerator &key : table.keys) {
    QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(key.key), QKeySequence::PortableText);
    if (sequence.isEmpty() || sequence[0].key() == Qt::Key_unknown)
      continue;
    auto *shortcut = new QShortcut(sequence, &window);
    shortcut->setContext(Qt::WindowShortcut);
    uint32_t id = key.id;
    QObject::connect(shortcut, &QShortcut::activated, &window, [run, id] { run(id); });
    shortcuts.push_back(shortcut);
  }
  return shortcuts;
}

std::unique_ptr<QWidget> LoadDialogTemplate(const LanguageModule &module, const char *name, QWidget *parent,
                                            std::string *error) {
  std::optional<std::string_view> bytes = module.Resource(name);
  if (!bytes) {
    if (error)
      *error = std::string(name) + ": no such template in " + module.Path();
    return nullptr;
  }
  QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QUiLoader loader;
  std::unique_ptr<QWidget> dialog(loader.load(&buffer, parent));
  if (!dialog && error)
    *error = std::string(name) + ": " + loader.errorString().toStdString();
  // The loader makes the form a child of its parent; a dialog is a window
  // of its own over the parent, not a part painted inside it.
  if (auto *box = qobject_cast<QDialog *>(dialog.get()); box && parent)
    box->setWindowFlags(box->windowFlags() | Qt::Dialog);
  return dialog;
}

QWidget *FindControl(QWidget &dialog, uint32_t id) {
  return dialog.findChild<QWidget *>(QString(kControlNamePrefix) + QString::number(id));
}

void ConnectOkCancel(QDialog &dialog, const std::function<void()> &ok) {
  if (auto *button = Control<QPushButton>(dialog, kOkButtonId)) {
    if (ok)
      QObject::connect(button, &QPushButton::clicked, &dialog, ok);
    else
      QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
  }
  if (auto *button = Control<QPushButton>(dialog, kCancelButtonId))
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
}

bool ExecTemplateDialog(QDialog &dialog, const std::function<void()> &ok, uint32_t helpId) {
  if (auto *help = Control<QPushButton>(dialog, helpId))
    help->setEnabled(false);
  ConnectOkCancel(dialog, ok);
  return dialog.exec() == QDialog::Accepted;
}

} // namespace tsw
