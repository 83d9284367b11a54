#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Profile (ini) files with the semantics stored settings rely on: sections
// and keys match without regard to case, comments, unknown keys and lines
// that do not parse survive a rewrite, and a rewrite replaces the file whole
// or not at all.
namespace tsw::plat {

// One profile file read once, changed in memory and written once. Saving
// reads the file again and sets only the keys changed here over it, so keys
// another writer added meanwhile stay.
class ProfileDocument {
public:
  // Reads `path`; a missing or unreadable file gives an empty document.
  explicit ProfileDocument(std::string path);

  const std::string &Path() const { return path_; }
  // The value of the first `key` in a section named `section`.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // A value with an outer blank or quote is stored quoted so it reads back
  // as it was; a line end cuts the value, since it would end the entry.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  void Remove(std::string_view section, std::string_view key);
  void RemoveSection(std::string_view section);
  bool HasChanges() const { return !changes_.empty(); }

  // False when the file could not be replaced (it is then as it was); a file
  // without write permission is never replaced.
  bool Save();
  std::string Text() const;

private:
  struct Line {
    std::string raw;
    enum Kind : uint8_t { kOther, kSection, kEntry } kind = kOther;
    std::string name; // the section or key name
    std::string value;
  };
  struct Change {
    std::string section, key; // an empty key with no value drops the section
    std::optional<std::string> value;
  };

  void Parse(std::string_view text);
  void Apply(const Change &change);

  std::string path_;
  std::vector<Line> lines_;
  std::vector<Change> changes_;
};

// Copies the value (or `def` when absent) into `buf`, cut to `size` - 1
// characters, and gives the number of characters copied.
uint32_t GetPrivateProfileString(const char *section, const char *key, const char *def, char *buf, uint32_t size,
                                 const std::string &file);
std::string GetProfileString(const char *section, const char *key, const char *def, const std::string &file);

// Sets `key` in `section`; a null `value` deletes the key, a null `key` the
// whole section. False when the file could not be written; it is then as
// it was before.
bool WritePrivateProfileString(const char *section, const char *key, const char *value, const std::string &file);

} // namespace tsw::plat
