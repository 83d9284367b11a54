#include "compcore/common/cc_session.h"

#include <algorithm>

namespace tsw {
namespace {

struct SessionState {
  CompilerSettings settings{};
  bool biosCompile = false;
  bool biosFirst = false;
  uint8_t compileOptionFlag = 0;
  std::vector<std::string> usedLibraries;
  std::vector<std::string> biosLibraries;
  uint32_t biosDataOrigin = 0;
};

SessionState &State() {
  static SessionState s;
  return s;
}

} // namespace

CompilerSettings &CompilerConfig() { return State().settings; }
bool &BiosCompileFlag() { return State().biosCompile; }
bool &BiosFirstFlag() { return State().biosFirst; }
uint8_t SetCompileOptionFlag(uint8_t value) { return State().compileOptionFlag = value; }
uint8_t GetCompileOptionFlag() { return State().compileOptionFlag; }

namespace {
void AddOnce(std::vector<std::string> &names, std::string_view name) {
  if (std::find(names.begin(), names.end(), name) == names.end())
    names.emplace_back(name);
}
} // namespace

void AddUsedLibrary(std::string_view fileName) { AddOnce(State().usedLibraries, fileName); }
void AddBiosLibrary(std::string_view name) { AddOnce(State().biosLibraries, name); }
const std::vector<std::string> &BiosLibraries() { return State().biosLibraries; }
void ClearBiosLibraries() { State().biosLibraries.clear(); }

const std::vector<std::string> &UsedLibraries() { return State().usedLibraries; }
void ClearUsedLibraries() { State().usedLibraries.clear(); }
uint32_t &BiosDataOrigin() { return State().biosDataOrigin; }
void ResetCompileSession() { State() = SessionState(); }

} // namespace tsw
