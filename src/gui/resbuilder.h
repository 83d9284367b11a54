#pragma once

#include "foundation/menures.h"
#include "foundation/rescatalog.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QDialog;
class QMenu;
class QString;
class QMenuBar;
class QShortcut;
class QWidget;

// Menus, accelerators and dialog templates of the language module, made
// into Qt objects. An action's data is its command id.
namespace tsw {

class LanguageModule;

// The named menu or accelerator table of the module; nothing, with the
// reason in `error`, when it has none or it does not parse.
std::optional<MenuResource> LoadMenuResource(const LanguageModule &module, const char *name, std::string *error);
std::optional<AcceleratorTable> LoadAcceleratorTable(const LanguageModule &module, const char *name,
                                                     std::string *error);

// Appends the menu's popups to `bar` (items at the top level become
// actions of the bar).
void BuildMenuBar(const MenuResource &menu, QMenuBar &bar);
// The menu's items in one popup titled `title`.
std::unique_ptr<QMenu> BuildPopupMenu(const MenuResource &menu, const QString &title, QWidget *parent);

// One shortcut per key on `window`, each running `run` with its command
// id; owned by `window`. Keys Qt cannot read are skipped.
std::vector<QShortcut *> InstallAccelerators(const AcceleratorTable &table, QWidget &window,
                                             const std::function<void(uint32_t)> &run);

// A dialog template of the module; null, with the reason in `error`, when
// it has none or it does not load.
std::unique_ptr<QWidget> LoadDialogTemplate(const LanguageModule &module, const char *name, QWidget *parent,
                                            std::string *error);
// The control of a template by its id; null when it has none.
QWidget *FindControl(QWidget &dialog, uint32_t id);
// The control as the kind of widget the caller expects; null when it has
// none or it is another kind.
template <class W> W *Control(QWidget &dialog, uint32_t id) { return dynamic_cast<W *>(FindControl(dialog, id)); }

// The buttons every template numbers alike.
constexpr uint32_t kOkButtonId = rescatalog::kOk, kCancelButtonId = rescatalog::kCancel,
                   kHelpButtonId = rescatalog::kHelp;

// Cancel rejects; OK runs `ok`, which accepts once what the user entered
// holds, or without it simply accepts.
void ConnectOkCancel(QDialog &dialog, const std::function<void()> &ok = {});
// The ending the dialogs share: Help (`helpId`) off until the help viewer
// comes, OK and Cancel connected, then the dialog run modally. True when
// the user accepted it.
bool ExecTemplateDialog(QDialog &dialog, const std::function<void()> &ok = {}, uint32_t helpId = kHelpButtonId);

} // namespace tsw
