#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/restext.h"

// Loading a language module. Modules are named as users and stored settings
// name them ("ENGLISH.DLL"); the file loaded is libtsw_<stem>.so beside the
// program, the stem lower-cased ("ENGLISH.DLL" -> libtsw_english.so). A name
// that holds a directory or ends in ".so" is taken as the file itself.
namespace tsw {

std::string LanguageModuleFile(std::string_view name, std::string_view dir);

class LanguageModule : public MessageTexts {
public:
  ~LanguageModule() override;
  LanguageModule(const LanguageModule &) = delete;
  LanguageModule &operator=(const LanguageModule &) = delete;

  // Null, with the reason in `error`, when the file cannot be loaded or is
  // not a language module.
  static std::unique_ptr<LanguageModule> Load(std::string_view name, std::string_view dir, std::string *error);

  const char *Find(unsigned id) const override;
  // The bytes of a named resource (a menu, an accelerator table, a dialog
  // template); nothing when the module has no such resource.
  std::optional<std::string_view> Resource(const char *name) const;
  std::vector<std::string> ResourceNames() const;
  // An optional entry point of the module; null when it has none.
  void *Symbol(const char *name) const;
  const std::string &Path() const { return path_; }

private:
  LanguageModule(void *handle, std::string path, void *stringFn);

  void *handle_;
  std::string path_;
  void *stringFn_;
};

} // namespace tsw
