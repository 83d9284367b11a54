#pragma once

#include <cfenv>

namespace tsw {

// A compile's own floating-point environment. Constants are folded with the
// host's arithmetic, so the host's rounding mode would otherwise reach the
// target's bytes: inside the scope every fold rounds to nearest, as the
// target does, with every exception masked (a trap would end the IDE, not
// the compile). The host's mode, masks and raised flags are back when the
// scope ends, however it ends.
class CompileFloatEnvironment {
public:
  CompileFloatEnvironment() {
    std::feholdexcept(&host_);
    std::fesetround(FE_TONEAREST);
  }
  ~CompileFloatEnvironment() { std::fesetenv(&host_); }
  CompileFloatEnvironment(const CompileFloatEnvironment &) = delete;
  CompileFloatEnvironment &operator=(const CompileFloatEnvironment &) = delete;

private:
  std::fenv_t host_;
};

} // namespace tsw
