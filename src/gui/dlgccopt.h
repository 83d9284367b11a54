#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "gui/optionvalues.h"

class QWidget;

// The compiler options dialog and the defines dialog it opens.
namespace tsw {

class LanguageModule;
class Settings;

// A file the user picks for one of the dialog's path fields.
struct FileChoice {
  std::string filter; // Qt's form: "Name (*.x);;Other (*.y)"
  std::string title;
  std::string initial; // the field's text, or a directory to start in
};

struct CompilerOptionsServices {
  // The user's defines text, and where a confirmed new text goes.
  std::function<std::string()> definesText;
  std::function<void(const std::string &)> setDefines;
  // None when the user cancels; the system's file dialog while empty.
  std::function<std::optional<std::string>(QWidget *parent, const FileChoice &choice)> chooseFile;
  // Where a file choice starts when its field is empty.
  std::string executableDirectory;
};

// The library directory file the compiler reads: the user's own when it
// is enabled, else the program directory's default one.
std::string CompilerLibraryDirectory(const Settings &settings, const std::string &programDirectory);

// Runs the compiler options dialog modally; true when OK stored the
// settings and `values`. A refused number keeps the dialog open and stores
// nothing, so Cancel after it leaves everything as it was.
bool RunCompilerOptionsDialog(const LanguageModule &module, QWidget *parent, Settings &settings,
                              CompilerOptionValues &values, const CompilerOptionsServices &services);

// Runs the defines dialog on `text`; the whole new text when OK ended it.
std::optional<std::string> RunDefinesDialog(const LanguageModule &module, QWidget *parent, const std::string &text);

} // namespace tsw
