#pragma once

#include "foundation/menures.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

} // namespace tsw
