#pragma once

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/codegen_fixture.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

#include <map>

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

// Message texts for the diagnostics whose arguments a test reads.
class AsmTexts : public MessageTexts {
public:
  explicit AsmTexts(std::map<unsigned, std::string> texts) : texts_(std::move(texts)) { SetMessageTexts(this); }
  ~AsmTexts() override { SetMessageTexts(nullptr); }
  const char *Find(unsigned id) const override {
    auto it = texts_.find(id);
    return it == texts_.end() ? nullptr : it->second.c_str();
  }

private:
  std::map<unsigned, std::string> texts_;
};

// The assembler on the product's byte road: lines assembled into the
// current code cache, the bytes read back as the cache writes them out.
class AsmCodeTest : public CodegenTest {
protected:
  void SetUp() override {
    CodegenTest::SetUp();
    SetDiagnosticSink(&diagnostics);
  }
  // Through the product's own choice of processor, which selects the
  // assembler's tables.
  static void UseCpu(assembler::AsmCpu cpu) {
    CodeGen().SelectTargetCpu(cpu == assembler::AsmCpu::kCorvid ? tsw::TargetCpu::Corvid : tsw::TargetCpu::Z180);
  }
  // Later lines assemble from `logical` on.
  void StartAt(uint16_t logical) {
    Emitted();
    Caches().currentCode->SetEmitAddress(MakeAddr24(0, logical));
  }
  static TargetCpu DecoderCpu(assembler::AsmCpu cpu) {
    return cpu == assembler::AsmCpu::kCorvid ? TargetCpu::Corvid : TargetCpu::Z180;
  }
  // Every statement of the line, as the block compiler feeds them.
  static void AssembleAll(const std::string &line) {
    size_t position = 0;
    while (assembler::AssembleLine(line, position, false))
      ;
  }
  std::vector<uint8_t> Assemble(const std::string &line) {
    AssembleAll(line);
    return Emitted();
  }
  // The fatal error of a line, or 0 when it assembled.
  unsigned FatalOf(const std::string &line) {
    try {
      AssembleAll(line);
    } catch (const xCCErrOvflo &) {
      return diagnostics.records.empty() ? 1 : diagnostics.records.back().message;
    }
    return 0;
  }
  void NextCase() {
    NextCompile();
    diagnostics.records.clear();
    Emitted();
  }

  AsmSink diagnostics;
};

} // namespace tsw::testing
