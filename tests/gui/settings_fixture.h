#pragma once

#include "support/tempdir.h"

#include <stdlib.h>

#include <optional>
#include <string>

namespace tsw::testing {

// Points $XDG_CONFIG_HOME at a fresh directory for one test.
class ConfigHome {
public:
  ConfigHome() {
    if (const char *old = ::getenv("XDG_CONFIG_HOME"))
      old_ = old;
    ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  }
  ~ConfigHome() {
    if (old_)
      ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
  }
  const TempDir &dir() const { return dir_; }
  std::string Base() const { return dir_ / "Brindle/TSW/Corvid"; }

private:
  TempDir dir_;
  std::optional<std::string> old_;
};

} // namespace tsw::testing
