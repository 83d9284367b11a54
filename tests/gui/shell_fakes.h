#pragma once

#include <map>
#include <string>

#include "foundation/restext.h"

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

} // namespace tsw::testing
