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

// The list, modal: the entry chosen as "function in library", none after
// Cancel or when nothing was chosen.
std::optional<std::string> RunBrowseDialog(const LanguageModule &module, QWidget *parent);

// The assistant, modeless and shown; it closes with `parent`. Null when
// the module has no template for it.
QDialog *OpenFunctionAssistant(const LanguageModule &module, QWidget *parent, const AssistantRequest &request);
// The assistant opened last, while it is open.
QDialog *CurrentFunctionAssistant();

class ModuleFunctionHelpDialogs : public FunctionHelpDialogs {
public:
  explicit ModuleFunctionHelpDialogs(const LanguageModule &module) : module_(module) {}
  std::optional<std::string> Browse(QWidget *parent) override { return RunBrowseDialog(module_, parent); }
  void OpenAssistant(QWidget *parent, const AssistantRequest &request) override {
    OpenFunctionAssistant(module_, parent, request);
  }

private:
  const LanguageModule &module_;
};

} // namespace tsw
