#pragma once

#include "foundation/langmodule.h"

#include <memory>
#include <string>
#include <string_view>

// Finding and loading the language module at start-up: the one the
// settings name, else the English one, else the Japanese one.
namespace tsw {

inline constexpr const char *kEnglishModuleName = "ENGLISH.DLL";
inline constexpr const char *kJapaneseModuleName = "JAPANESE.DLL";

// Entry points a module for a double-byte language carries for the editor's
// input method; null when missing. Qt's input methods serve where they are.
struct InputMethodHooks {
  void *extraAlpha = nullptr;
  void *moveImeConvertWindow = nullptr;
  void *setImeFont = nullptr;
};

struct StartupModule {
  std::unique_ptr<LanguageModule> module;
  InputMethodHooks hooks;
};

// Loads the module named by the settings of `versionText` (by default the
// English one) from `programDirectory`, telling the user through the
// notification seam what it falls back to. On success the module's texts
// are the ones in use (undo with SetMessageTexts(nullptr) before releasing
// it). Null when no module could be loaded: start-up cannot go on.
StartupModule LoadStartupModule(std::string_view versionText, const std::string &programDirectory);

} // namespace tsw
