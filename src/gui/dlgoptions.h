#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/optionvalues.h"

class QWidget;

// The option dialogs over the settings store.
namespace tsw {

class LanguageModule;
class Settings;
struct EditorSettings;
struct StdioSettings;
struct FontSetting;
enum class PaneKind : uint8_t;
enum class ColorRole : uint8_t;

// The editor options as the dialog's controls give them: both flags, and a
// tab width typed as a signed number that is taken only from 1 up.
void ApplyEditorOptions(EditorSettings &editor, bool autoIndent, bool removeTrailingWhitespace,
                        const std::string &tabText);

// Runs the editor options dialog modally; true when OK stored its values.
bool RunEditorOptionsDialog(const LanguageModule &module, QWidget *parent, EditorSettings &editor);

// Runs the debugger options dialog modally: how the stdio pane keeps the
// program's output. True when OK stored the values.
bool RunDebuggerOptionsDialog(const LanguageModule &module, QWidget *parent, StdioSettings &stdio);

// The texts of the compile information dialog, control by control.
std::vector<std::pair<uint32_t, std::string>> CompileInformationTexts(const CompileStatistics &statistics);
// Shows them in the compile information dialog until the user closes it.
void RunCompileInformationDialog(const LanguageModule &module, QWidget *parent, const CompileStatistics &statistics);

// The display options: per window kind its font and colour pairs, in the
// order the dialog lists them.
struct DisplayItem {
  const char *name;
  bool isFont;
  ColorRole role; // of a colour pair
};
struct DisplayKind {
  const char *name;
  PaneKind kind;
  std::vector<DisplayItem> items;
};
const std::vector<DisplayKind> &DisplayKinds();

// The choosers the dialog opens: a font, and a colour from an initial
// one; nothing when the user cancels.
struct DisplayChoosers {
  std::function<std::optional<FontSetting>(QWidget *parent, const FontSetting &current)> font;
  std::function<std::optional<uint32_t>(QWidget *parent, uint32_t current)> color;
};
// The system's font and colour dialogs.
DisplayChoosers SystemChoosers(Settings &settings);

// Runs the display options dialog modally; it stays open, each OK
// choosing the selected item anew, until Cancel. `changed` runs after each
// chooser, so the panes show the new looks at once.
void RunDisplayOptionsDialog(const LanguageModule &module, QWidget *parent, Settings &settings,
                             const DisplayChoosers &choosers, const std::function<void()> &changed);

} // namespace tsw
