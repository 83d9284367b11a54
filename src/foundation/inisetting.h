#pragma once

#include <string>
#include <string_view>
#include <vector>

// The user's predefined names: one settings-file entry (section "DEFINES",
// key "defs") holding "NAME=value;NAME2;..." that is split into name/value
// pairs for every compile.
namespace tsw {

// Skips leading and cuts trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);

// Appends two texts per entry to `out`, name then value, both trimmed. A
// malformed text stops the splitting at its first malformed point; the
// entries before it stay.
void SplitDefines(std::string_view text, std::vector<std::string> &out);

class IniStringSetting {
public:
  // Stores the file and the list, then loads the entry into both.
  IniStringSetting(std::string settingsFile, std::vector<std::string> *pairs);
  virtual ~IniStringSetting() = default;

  // Takes a new text, refills the list from it and saves it.
  virtual void SetValue(std::string_view text);
  // Reads the entry and refills the list from it, without saving.
  void Load();
  void Save();

  const std::string &Value() const { return value_; }

private:
  void FillList();

  std::string value_;
  std::string file_;
  std::vector<std::string> *pairs_;
  std::string key_ = "defs";
  std::string section_ = "DEFINES";
};

} // namespace tsw
