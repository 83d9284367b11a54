#pragma once

#include <cstdint>
#include <string>

// Profile (ini) files with the semantics stored settings rely on: sections
// and keys match without regard to case, comments and blank lines survive a
// rewrite, and a rewrite replaces the file whole or not at all.
namespace tsw::plat {

// Copies the value (or `def` when absent) into `buf`, cut to `size` - 1
// characters, and gives the number of characters copied.
uint32_t GetPrivateProfileString(const char *section, const char *key, const char *def, char *buf,
                                 uint32_t size, const std::string &file);
std::string GetProfileString(const char *section, const char *key, const char *def,
                             const std::string &file);

// Sets `key` in `section`; a null `value` deletes the key, a null `key` the
// whole section. False when the file could not be written; it is then as
// it was before.
bool WritePrivateProfileString(const char *section, const char *key, const char *value,
                               const std::string &file);

} // namespace tsw::plat
