#include "foundation/langmodule.h"

#include <dlfcn.h>

#include "lang/langabi.h"
#include "platform/paths.h"

namespace tsw {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char &c : lower)
    if (c >= 'A' && c <= 'Z')
      c = char(c - 'A' + 'a');
  return lower;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

std::string LanguageModuleFile(std::string_view name, std::string_view dir) {
  bool hasDir = name.find_first_of("/\\") != std::string_view::npos;
  if (hasDir || EndsWith(name, ".so"))
    return std::string(name);
  std::string_view stem = name.substr(0, name.rfind('.'));
  return plat::JoinPath(dir, "libtsw_" + Lower(stem) + ".so");
}

LanguageModule::LanguageModule(void *handle, std::string path, void *stringFn)
    : handle_(handle), path_(std::move(path)), stringFn_(stringFn) {}

LanguageModule::~LanguageModule() { dlclose(handle_); }

std::unique_ptr<LanguageModule> LanguageModule::Load(std::string_view name, std::string_view dir, std::string *error) {
  std::string path = LanguageModuleFile(name, dir);
  if (std::optional<std::string> found = plat::ResolvePath(path))
    path = *found;
  void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (error) {
      const char *reason = dlerror();
      *error = path + ": " + (reason ? reason : "cannot be loaded");
    }
    return nullptr;
  }
  void *stringFn = dlsym(handle, lang::kStringEntryPoint);
  if (!stringFn) {
    if (error)
      *error = path + ": not a language module (no " + lang::kStringEntryPoint + ")";
    dlclose(handle);
    return nullptr;
  }
  return std::unique_ptr<LanguageModule>(new LanguageModule(handle, std::move(path), stringFn));
}

const char *LanguageModule::Find(unsigned id) const { return reinterpret_cast<TswLangStringFn>(stringFn_)(id); }

std::optional<std::string_view> LanguageModule::Resource(const char *name) const {
  auto fn = reinterpret_cast<TswLangResourceFn>(dlsym(handle_, lang::kResourceEntryPoint));
  unsigned long size = 0;
  const unsigned char *bytes = fn && name ? fn(name, &size) : nullptr;
  if (!bytes)
    return std::nullopt;
  return std::string_view(reinterpret_cast<const char *>(bytes), size);
}

std::vector<std::string> LanguageModule::ResourceNames() const {
  auto fn = reinterpret_cast<TswLangResourceFn>(dlsym(handle_, lang::kResourceEntryPoint));
  unsigned long size = 0;
  const unsigned char *bytes = fn ? fn(nullptr, &size) : nullptr;
  std::vector<std::string> names;
  if (!bytes)
    return names;
  std::string_view list(reinterpret_cast<const char *>(bytes), size);
  while (!list.empty()) {
    size_t end = list.find('\0');
    names.emplace_back(list.substr(0, end));
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return names;
}

void *LanguageModule::Symbol(const char *name) const { return dlsym(handle_, name); }

} // namespace tsw
