#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "foundation/xerr.h"
#include "compcore/compiler_fixture.h"
#include "compcore/product_shell.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tsw::testing {
namespace {

// What one compile leaves to the next, and what leaves a compile at all:
// programs compiled through CompileFile as the product assembles the
// compiler, only the shell, the directive shell and the messages ours.
class CompileSession : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    Assemble();
  }
  void Assemble(DirectiveShell *directiveShell = nullptr) {
    messages = RecordedMessages();
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.directiveShell = directiveShell;
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  uint16_t Compile(const std::string &program) {
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(1);
  }
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
};

// A fault of ours in any stage of a compile, the BIOS's as well as the
// program's, reaches the IDE as an internal error, which it reports; the
// compiler is whole again for the next compile.
TEST_F(CompileSession, AFaultInAnyStageLeavesAsAnInternalError) {
  // Asked once the BIOS text is compiled, where its end is laid out.
  struct FaultyShell : DirectiveShell {
    bool IsProgramLoaded() override { throw std::runtime_error("a fault"); }
  } faulty;
  dir.Write("BIOS.C", "int biosVariable;\n");
  Assemble(&faulty);
  BiosFirstFlag() = true;
  EXPECT_THROW(Compile("int g;\n"), xInternal);
  Assemble();
  BiosFirstFlag() = false;
  EXPECT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
}

} // namespace
} // namespace tsw::testing
