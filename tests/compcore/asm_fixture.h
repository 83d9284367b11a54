#pragma once

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/codegen_fixture.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/recording_sink.h"
#include "fakes/fake_texts.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A fresh compiler for each assembler test, with every diagnostic kept with
// its position so a test can say which column an error points at.
namespace tsw::testing {

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

  RecordingSink sink;
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

  RecordingSink diagnostics;
};

} // namespace tsw::testing
