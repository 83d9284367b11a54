#pragma once

#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/compile.h"
#include "foundation/reset.h"
#include "foundation/restext.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tsw::testing {

// Message texts that show their number and arguments, so tests check those
// and not the wording.
class NumberedTexts : public MessageTexts {
public:
  NumberedTexts() {
    texts_[kMsgErrorLine] = "E|%s|%s";
    texts_[kMsgWarningLine] = "W|%s|%s";
    texts_[kMsgNoFileName] = "ERROR";
    texts_[562] = "[562 %s %d]";
    texts_[4028] = "[4028 %s]";
  }
  // Message `id` shows its number and then each argument, as "140 d LIB".
  void ShowNumberAndArguments(unsigned id) {
    std::string text = std::to_string(id);
    const MessageSignature &signature = kMessageSignatures[CatalogueIndex(id)];
    for (uint8_t i = 0; i < signature.argCount; ++i)
      text += signature.args[i] == ArgKind::kText ? " %s" : " %d";
    texts_[id] = text;
  }
  const char *Find(unsigned id) const override {
    auto it = texts_.find(id);
    if (it == texts_.end())
      it = texts_.emplace(id, "[" + std::to_string(id) + "]").first;
    return it->second.c_str();
  }

private:
  mutable std::map<unsigned, std::string> texts_;
};

class CompilerFixture : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFoundation();
    SetMessageTexts(&texts_);
    ResetCompiler();
    ClearErrorList();
  }
  void TearDown() override {
    ResetCompiler();
    ResetFoundation();
  }

  // Each record as "file:line:text".
  static std::vector<std::string> Records() {
    std::vector<std::string> out;
    for (const sError *e = ErrorListHead(); e; e = e->next)
      out.push_back(e->file + ":" + std::to_string(e->line) + ":" + e->text);
    return out;
  }

  NumberedTexts texts_;
};

} // namespace tsw::testing
