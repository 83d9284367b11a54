#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/compiler_fixture.h"
#include "compcore/fixture_runtime.h"
#include "compcore/product_shell.h"
#include "support/tempdir.h"

#include <string>

// A whole program compiled through CompileFile by the compiler the product
// assembles: a directory of its own with a library directory holding one
// default header, of stand-ins for the run-time routines unless the test
// names another, and only the shell and its message output faked.
namespace tsw::testing {

// A default header for programs that call nothing from a library.
inline constexpr const char *kDeclaresNothing = "/*** BeginHeader */\n/*** EndHeader */\n";

class ProgramCompileTest : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    dir.Write("LIB.DIR", libraryDirectory);
    dir.Write("LIB/DEFAULT.H", defaultHeader);
    CompilerBoundaries boundaries;
    boundaries.directiveShell = directiveShell;
    boundaries.backEnd = backEnd;
    Assemble(boundaries);
  }
  // A fresh compiler around this program's shell and message output, with
  // whichever other boundaries `boundaries` fakes.
  void Assemble(CompilerBoundaries boundaries = {}) {
    messages = RecordedMessages();
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  // Compiles `program` as PROG.C; the error list holds this compile's
  // records only.
  uint16_t Compile(const std::string &program, uint16_t mode = kCompileModeFiles) {
    ClearErrorList();
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(mode);
  }

  // Where the last compile placed a global label (a routine it linked from
  // the library, a function, an assembler label); 0 when it placed none.
  static uint16_t LabelAddress(const char *name) {
    const BRFixupRec *label = FindGlobalLabel(name);
    return label && label->defined ? Addr24FromLong(label->value).logical : 0;
  }

  // The library directory and its default header, set before SetUp.
  std::string libraryDirectory = "LIB\\DEFAULT.H\n";
  std::string defaultHeader = FixtureRuntimeLibrary();
  // What stands in for the function compiler, set before SetUp; null
  // compiles no bodies.
  DeclarationBackEnd *backEnd = nullptr;
  // The IDE's settings the directives read; null: none.
  DirectiveShell *directiveShell = nullptr;
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
};

} // namespace tsw::testing
