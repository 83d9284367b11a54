#pragma once

#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/xerr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A fresh compiler for each assembler test, with every diagnostic kept with
// its position so a test can say which column an error points at.
namespace tsw::testing {

struct AsmDiagnostic {
  unsigned message = 0;
  int kind = 0; // 2 error, 1 serious, 0 trivial
  uint16_t column = 0;
  std::string text;
};

class AsmSink : public DiagnosticSink {
public:
  bool RecordError(unsigned message, uint16_t, uint16_t column, const std::string &text) override {
    records.push_back({message, 2, column, text});
    return false;
  }
  void RecordWarning(unsigned message, int level, uint16_t, uint16_t, const std::string &text) override {
    records.push_back({message, level, 0, text});
  }
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> out;
    for (const AsmDiagnostic &d : records)
      out.push_back(d.message);
    return out;
  }
  std::vector<AsmDiagnostic> records;
};

class AsmTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetCompiler();
    SetDiagnosticSink(&sink);
  }
  void TearDown() override { ResetCompiler(); }
  // A fatal report ends the compile: the next case starts a new one.
  void NextCompile() {
    ResetSourceInputModule();
    sink.records.clear();
  }

  AsmSink sink;
};

} // namespace tsw::testing
