#pragma once

#include <map>
#include <string>

#include "foundation/restext.h"
#include "gui/driverlink.h"

#include <memory>
#include <vector>

namespace tsw::testing {

// Numbered texts of a test, in place of the language module.
class MapTexts : public MessageTexts {
public:
  MapTexts(std::map<unsigned, std::string> texts = {}) : texts_(std::move(texts)) { SetMessageTexts(this); }
  ~MapTexts() override { SetMessageTexts(nullptr); }
  const char *Find(unsigned id) const override {
    auto it = texts_.find(id);
    return it == texts_.end() ? nullptr : it->second.c_str();
  }
  void Set(unsigned id, std::string text) { texts_[id] = std::move(text); }

private:
  std::map<unsigned, std::string> texts_;
};

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
