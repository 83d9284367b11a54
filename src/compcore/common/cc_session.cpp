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

void AddUsedLibrary(std::string_view fileName) {
  auto &used = State().usedLibraries;
  if (std::find(used.begin(), used.end(), fileName) == used.end())
    used.emplace_back(fileName);
}

const std::vector<std::string> &UsedLibraries() { return State().usedLibraries; }
void ClearUsedLibraries() { State().usedLibraries.clear(); }
uint32_t &BiosDataOrigin() { return State().biosDataOrigin; }
void ResetCompileSession() { State() = SessionState(); }

} // namespace tsw
