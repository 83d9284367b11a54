#pragma once

#include "foundation/restext.h"

#include <map>
#include <string>

namespace tsw::testing {

// Numbered message texts for a test; installs itself for its lifetime.
class DebugFakeTexts : public MessageTexts {
public:
  explicit DebugFakeTexts(std::map<unsigned, std::string> texts) : texts_(std::move(texts)) { SetMessageTexts(this); }
  ~DebugFakeTexts() override { ResetMessageTextModule(); }
  const char *Find(unsigned id) const override {
    auto it = texts_.find(id);
    return it == texts_.end() ? nullptr : it->second.c_str();
  }

private:
  std::map<unsigned, std::string> texts_;
};

} // namespace tsw::testing
