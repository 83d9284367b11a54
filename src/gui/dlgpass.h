#pragma once

#include "gui/tswcdlg.h"

class QWidget;

// The pass-phrase dialog: the language module's template, run modally and
// centred over the main window, the focus in its edit field; and the
// dialogs that only inform.
namespace tsw {

class LanguageModule;

inline constexpr const char *kPassPhraseTemplate = "DIALOG_TCPPASS";
inline constexpr uint32_t kPassPhraseEditId = 103;
inline constexpr uint32_t kPassPhraseRememberId = 101;

// Not accepted when the module has no such template.
PassPhraseEntry RunPassPhraseDialog(const LanguageModule &module, QWidget *mainWindow);

// A dialog that only informs: the template shown modally until its OK
// button closes it; false when the module has no such template.
bool RunInformationDialog(const LanguageModule &module, const char *name, QWidget *owner);

} // namespace tsw
