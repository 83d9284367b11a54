#pragma once

#include "gui/tswcdlg.h"

class QWidget;

// The pass-phrase dialog: the language module's template, run modally and
// centred over the main window, the focus in its edit field.
namespace tsw {

class LanguageModule;

inline constexpr const char *kPassPhraseTemplate = "DIALOG_TCPPASS";
inline constexpr uint32_t kPassPhraseEditId = 103;
inline constexpr uint32_t kPassPhraseRememberId = 101;

// Not accepted when the module has no such template.
PassPhraseEntry RunPassPhraseDialog(const LanguageModule &module, QWidget *mainWindow);

} // namespace tsw
