#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Calls as a program meets them, compiled by the product's assembly to its
// image file and decoded.
namespace tsw::testing {

std::string DeclaredFunctionName();

namespace {

// Until the statement compiler is assembled, a function body here is a list
// of expression statements closed by a return: enough to put calls where a
// program has them.
class ExpressionStatementBodies : public DeclarationBackEnd {
public:
  bool CompileFunctionBody(int, int16_t, int16_t, uint16_t) override {
    if (SkipToOperand() != '{')
      return false;
    DefineLabelHere(DeclaredFunctionName(), kFixGlobal);
    ConsumeChar();
    while (SkipToOperand() != '}' && *InputCursor) {
      ValueRecord value;
      CompileExpressionList(value);
      ExpectChar(';');
    }
    ConsumeChar();
    EmitReturn(false);
    return true;
  }
};

class CallCompile : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    Reassemble();
  }
  // A program compile keeps the origins its directives defined, so each
  // program of a table starts from a fresh compiler.
  void Reassemble() {
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.backEnd = &bodies;
    AssembleCompiler(boundaries);
  }
  // The program's code from the start of root code.
  std::vector<uint8_t> Image(size_t n) {
    const std::string image = dir.Read("PROG.bin");
    return std::vector<uint8_t>(image.begin(), image.begin() + std::min(n, image.size()));
  }

  ExpressionStatementBodies bodies;
};

constexpr const char *kCorvidRoot = "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n";

// A named function's call goes to the BIOS's address when the BIOS defines
// the name, even over the program's own declaration; else to the function,
// patched in once it is placed. The pseudo functions emit nothing.
TEST_F(CallCompile, NamedCallsReachTheirTarget) {
  struct Case {
    const char *what;
    const char *program;
    std::vector<std::string> code;
  } cases[] = {
      // A call to a function not placed yet keeps a pad byte on the Corvid, so
      // that a longer call can replace it.
      {"defined later", "void f();\nvoid g() { f(); }\nvoid f() { }\n", {"call  1005", "nop", "ret", "ret"}},
      {"defined before", "void f();\nvoid f() { }\nvoid g() { f(); }\n", {"ret", "call  1000", "ret"}},
      {"BIOS first", "void biosf();\nvoid g() { biosf(); }\nvoid biosf() { }\n", {"call  4321", "ret", "ret"}},
      {"pseudo", "void FPUSH();\nvoid FNULL();\nvoid g() { FPUSH(); FNULL(); }\n", {"ret"}},
  };
  for (const Case &c : cases) {
    Reassemble();
    AddBiosSymbol("biosf", MakeAddr24(0, 0x4321));
    const uint16_t status = Compile(std::string(kCorvidRoot) + c.program);
    EXPECT_EQ(status, 0) << c.what << ::testing::PrintToString(Records());
    size_t bytes = 0;
    for (const std::string &line : c.code)
      bytes += line.rfind("call", 0) == 0 ? 3 : 1;
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, Image(bytes), c.code)) << c.what;
  }
}

} // namespace
} // namespace tsw::testing
