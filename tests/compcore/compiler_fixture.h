#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_brackets.h"
#include "fakes/fake_texts.h"
#include "foundation/reset.h"
#include "foundation/restext.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tsw::testing {

// Message texts that show their number where a test gave none, and the
// error-list lines as their parts, so tests check those and not the wording.
class NumberedTexts : public FakeTexts {
public:
  NumberedTexts()
      : FakeTexts({{kMsgErrorLine, "E|%s|%s"},
                   {kMsgWarningLine, "W|%s|%s"},
                   {kMsgNoFileName, "ERROR"},
                   {562, "[562 %s %d]"},
                   {4028, "[4028 %s]"}},
                  NumberInBrackets) {}
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
