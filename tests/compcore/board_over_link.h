#pragma once

#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "foundation/restext.h"
#include "front1_fixture.h"
#include "link/serial_fixture.h"
#include "product_shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {

// Numbered texts; the image file's names its path, and the register pane's
// source line reads as the debugger shows it.
class BoardTexts : public NumberedTexts {
public:
  const char *Find(unsigned id) const override {
    switch (id) {
    case 5023: return "[5023 %s]";
    case 729: return "%s(%d)";
    default: return NumberedTexts::Find(id);
    }
  }
};

// The shell's side of the compile that the link's flags follow.
class BoardShell : public DirectiveShell {
public:
  bool IsProgramLoaded() override { return programLoaded; }
  void SetProgramLoaded(bool loaded) override { programLoaded = loaded; }
  bool CompileWithoutBoard() override { return withoutBoard; }
  bool programLoaded = false;
  bool withoutBoard = false;
};

// The product's compiler with the real board over the serial link, the
// board being the in-process fake kernel behind the fake port.
class BoardOverLink : public SerialLinkTest {
protected:
  void SetUp() override {
    SerialLinkTest::SetUp();
    SetMessageTexts(&texts);
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.boardOverLink = true;
    boundaries.directiveShell = &directives;
    boundaries.linkShell = &host;
    boundaries.kernel.connect = [this] { ++connects; };
    boundaries.kernel.pulseFlag = [this](uint8_t value) { pulses.push_back(value); };
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  void TearDown() override {
    ResetCompiler();
    SerialLinkTest::TearDown();
  }
  uint16_t Compile(const std::string &program) {
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(1);
  }
  // The target macros are defined while the BIOS compiles; its failure ends
  // the request there.
  void CompileBiosThatStops() {
    dir.Write("BIOS.C", "int b;\n#error \"stop\"\n");
    BiosFirstFlag() = true;
    EXPECT_NE(Compile("int a;\n") & kCompileFailedBit, 0);
  }

  BoardTexts texts;
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
  BoardShell directives;
  unsigned connects = 0;
  std::vector<uint8_t> pulses;
};

} // namespace tsw::testing
