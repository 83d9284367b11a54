#pragma once

#include <optional>
#include <string>

#include "gui/funchelp.h"

class QDialog;
class QWidget;

// The function help's two dialogs over the language module's templates:
// the list of described library functions, and the assistant that shows
// one function's description and writes a call of it.
namespace tsw {

class LanguageModule;
class Settings;

// The list, modal: the entry chosen as "function in library", none after
// Cancel or when nothing was chosen. The help button shows the help file
// the settings name; without settings it is off.
std::optional<std::string> RunBrowseDialog(const LanguageModule &module, QWidget *parent,
                                           const Settings *settings = nullptr);

// The assistant, modeless and shown; it closes with `parent`. Null when
// the module has no template for it.
QDialog *OpenFunctionAssistant(const LanguageModule &module, QWidget *parent, const AssistantRequest &request,
                               const Settings *settings = nullptr);
// The assistant opened last, while it is open.
QDialog *CurrentFunctionAssistant();
// Every open assistant's panes take the display options as they are now.
void ApplyDisplayOptionsToAssistants();

class ModuleFunctionHelpDialogs : public FunctionHelpDialogs {
public:
  ModuleFunctionHelpDialogs(const LanguageModule &module, const Settings *settings)
      : module_(module), settings_(settings) {}
  std::optional<std::string> Browse(QWidget *parent) override { return RunBrowseDialog(module_, parent, settings_); }
  void OpenAssistant(QWidget *parent, const AssistantRequest &request) override {
    OpenFunctionAssistant(module_, parent, request, settings_);
  }

private:
  const LanguageModule &module_;
  const Settings *settings_;
};

} // namespace tsw
