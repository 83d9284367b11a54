#include "foundation/inisetting.h"

#include "platform/profile.h"

namespace tsw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

void SplitDefines(std::string_view text, std::vector<std::string> &out) {
  enum class State { Between, Name, BeforeValue, Value, Quoted, AfterQuote };
  State state = State::Between;
  std::string name, value;
  auto addEntry = [&] {
    std::string_view n = TrimBlanks(name);
    if (!n.empty()) {
      out.emplace_back(n);
      out.emplace_back(TrimBlanks(value));
    }
    name.clear();
    value.clear();
    state = State::Between;
  };

  // One step past the end stands for the end of the text.
  for (size_t i = 0; i <= text.size(); ++i) {
    bool atEnd = i == text.size();
    char c = atEnd ? '\0' : text[i];
    switch (state) {
    case State::Between:
      if (atEnd)
        return;
      if (IsBlank(c))
        break;
      state = State::Name;
      [[fallthrough]];
    case State::Name:
      if (atEnd || c == ';')
        addEntry();
      else if (c == '=')
        state = State::BeforeValue;
      else if (c == '"' || c == '\\')
        return;
      else
        name += c;
      break;
    case State::BeforeValue:
      if (!atEnd && IsBlank(c))
        break;
      state = State::Value;
      [[fallthrough]];
    case State::Value:
      if (atEnd || c == ';') {
        addEntry();
      } else if (c == '=') {
        return;
      } else if (c == '"') {
        value += c;
        state = State::Quoted;
      } else if (c == '\\') {
        if (i + 1 >= text.size())
          return;
        value += c;
        value += text[++i];
      } else {
        value += c;
      }
      break;
    case State::Quoted:
      if (atEnd)
        return;
      value += c;
      if (c == '\\') {
        if (i + 1 >= text.size())
          return;
        value += text[++i];
      } else if (c == '"') {
        state = State::AfterQuote;
      }
      break;
    case State::AfterQuote:
      if (atEnd || c == ';')
        addEntry();
      else if (IsBlank(c))
        value += c;
      else
        return;
      break;
    }
  }
}

IniStringSetting::IniStringSetting(std::string settingsFile, std::vector<std::string> *pairs)
    : file_(std::move(settingsFile)), pairs_(pairs) {
  Load();
}

void IniStringSetting::Load() {
  // Read whole: the user types this list, and it may be long.
  value_ = plat::GetProfileString(section_.c_str(), key_.c_str(), "", file_);
  // The list is filled on loading too, so that names saved in an earlier
  // session take effect in the first compile after a restart.
  FillList();
}

void IniStringSetting::SetValue(std::string_view text) {
  value_ = std::string(text);
  FillList();
  Save();
}

void IniStringSetting::Save() {
  plat::WritePrivateProfileString(section_.c_str(), key_.c_str(), value_.c_str(), file_);
}

void IniStringSetting::FillList() {
  if (!pairs_)
    return;
  pairs_->clear();
  SplitDefines(value_, *pairs_);
}

} // namespace tsw
