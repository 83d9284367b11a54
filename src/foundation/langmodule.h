#pragma once

#include <memory>
#include <string>
#include <string_view>

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
  static std::unique_ptr<LanguageModule> Load(std::string_view name, std::string_view dir,
                                              std::string *error);

  const char *Find(unsigned id) const override;
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
