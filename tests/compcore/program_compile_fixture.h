#pragma once

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/compiler_fixture.h"
#include "compcore/fixture_runtime.h"
#include "compcore/product_shell.h"
#include "support/tempdir.h"

#include <string>

// A whole program compiled through CompileFile by the compiler the product
// assembles: a directory of its own with a library directory holding one
// default header, of stand-ins for the run-time routines, and only the
// shell and its message output faked.
namespace tsw::testing {

class ProgramCompileTest : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", FixtureRuntimeLibrary());
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.backEnd = backEnd;
    boundaries.directiveShell = directiveShell;
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  // Compiles `program` as PROG.C; the error list holds this compile's
  // records only.
  uint16_t Compile(const std::string &program) {
    ClearErrorList();
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(1);
  }

  // Where the last compile placed a global label (a routine it linked from
  // the library, a function, an assembler label); 0 when it placed none.
  static uint16_t LabelAddress(const char *name) {
    const BRFixupRec *label = FindGlobalLabel(name);
    return label && label->defined ? Addr24FromLong(label->value).logical : 0;
  }

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
