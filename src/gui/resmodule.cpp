#include "gui/resmodule.h"

#include "gui/settings.h"
#include "lang/langabi.h"
#include "platform/notify.h"
#include "platform/paths.h"

#include <cstring>

namespace tsw {
namespace {

void Box(const char *text) { plat::Notifier().MessageBox("", text, plat::Buttons::Ok, plat::Icon::None); }

// A fallback is looked for beside the program first, then where the
// system's loader looks.
std::unique_ptr<LanguageModule> LoadFallback(const char *name, const std::string &programDirectory) {
  if (auto module = LanguageModule::Load(name, programDirectory, nullptr))
    return module;
  return LanguageModule::Load(LanguageModuleFile(name, ""), "", nullptr);
}

struct HookName {
  void *InputMethodHooks::*hook;
  const char *symbol;
  const char *failure;
};
constexpr HookName kHooks[] = {
    {&InputMethodHooks::extraAlpha, "zExtraAlpha", "Error assigning pzExtraAlpha"},
    {&InputMethodHooks::moveImeConvertWindow, "MOVEIMECONVERTWIN", "Error assigning pMoveImeConvertWin"},
    {&InputMethodHooks::setImeFont, "SetImeFont", "Error assigning pSetImeFont"},
};

} // namespace

StartupModule LoadStartupModule(std::string_view versionText, const std::string &programDirectory) {
  std::string name = kEnglishModuleName;
  ReadResourceModuleName(versionText, name);
  // Only the setting's name and extension count; the module sits beside
  // the program.
  std::string file = LanguageModuleFile(plat::SplitPath(name).name, programDirectory);

  StartupModule result;
  result.module = LanguageModule::Load(file, programDirectory, nullptr);
  if (!result.module) {
    Box("Cannot find resource module \nspecified in TSW.INI.\nAttempting to load ENGLISH.DLL");
    result.module = LoadFallback(kEnglishModuleName, programDirectory);
  }
  if (!result.module) {
    Box("Cannot find ENGLISH.DLL\nAttempting to load JAPANESE.DLL");
    result.module = LoadFallback(kJapaneseModuleName, programDirectory);
  }
  if (!result.module) {
    Box("Cannot find valid resource module!");
    return result;
  }

  SetMessageTexts(result.module.get());
  const char *mark = result.module->Find(lang::kLanguageMarkId);
  if (!mark || std::strcmp(mark, lang::kEnglishMark) != 0) {
    for (const HookName &hook : kHooks) {
      result.hooks.*hook.hook = result.module->Symbol(hook.symbol);
      if (!(result.hooks.*hook.hook))
        Box(hook.failure);
    }
  }
  return result;
}

} // namespace tsw
