#pragma once

#include <string>

#include "fakes/fake_texts.h"
#include "gui/driverlink.h"

#include <memory>
#include <vector>

namespace tsw::testing {

// The serial link's board boundary with nothing attached: each port the
// link opens is noted and fails to open.
class NoBoardAttached {
public:
  driver::BoardPortOpener Opener() {
    return [this](const std::string &path, std::string *why) -> std::unique_ptr<plat::SerialPort> {
      opened.push_back(path);
      if (why)
        *why = "no board attached";
      return nullptr;
    };
  }
  std::vector<std::string> opened;
};

} // namespace tsw::testing
