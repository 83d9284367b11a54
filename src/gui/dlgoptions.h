#pragma once

#include <string>

class QWidget;

// The option dialogs over the settings store.
namespace tsw {

class LanguageModule;
struct EditorSettings;

// The editor options as the dialog's controls give them: both flags, and a
// tab width typed as a signed number that is taken only from 1 up.
void ApplyEditorOptions(EditorSettings &editor, bool autoIndent, bool removeTrailingWhitespace,
                        const std::string &tabText);

// Runs the editor options dialog modally; true when OK stored its values.
bool RunEditorOptionsDialog(const LanguageModule &module, QWidget *parent, EditorSettings &editor);

} // namespace tsw
