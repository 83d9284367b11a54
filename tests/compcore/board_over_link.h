#pragma once

#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compiler_fixture.h"
#include "fakes/fake_id_block.h"
#include "foundation/restext.h"
#include "link/serial_fixture.h"
#include "product_shell.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tsw::testing {

// The board's symbol table as the kernel keeps it: the length, then each
// symbol's 3-byte value and its name, the last character marked.
inline std::vector<uint8_t> BoardSymbolTable(const std::vector<std::pair<std::string, uint32_t>> &symbols) {
  std::vector<uint8_t> table(2, 0);
  for (const auto &[name, value] : symbols) {
    for (unsigned shift = 0; shift < 24; shift += 8)
      table.push_back(uint8_t(value >> shift));
    for (size_t i = 0; i < name.size(); ++i)
      table.push_back(uint8_t(name[i] | (i + 1 == name.size() ? 0x80 : 0)));
  }
  const size_t length = table.size() - 2;
  table[0] = uint8_t(length);
  table[1] = uint8_t(length >> 8);
  return table;
}

// A well-formed identification block of 132 bytes as the board keeps it,
// naming its 4096-byte page (offset 19), its extra size (offset 122) and
// the board type (offset 2).
inline std::vector<uint8_t> MakeIdBlock(uint16_t page, uint16_t extra, uint16_t boardType = 0) {
  std::vector<uint8_t> b(132, 0);
  b[2] = uint8_t(boardType);
  b[3] = uint8_t(boardType >> 8);
  b[19] = uint8_t(page);
  b[20] = uint8_t(page >> 8);
  b[116] = 132;
  b[122] = uint8_t(extra);
  b[123] = uint8_t(extra >> 8);
  for (unsigned i = 0; i < 6; ++i)
    b[126 + i] = i % 2 ? 0xAA : 0x55;
  SealIdBlock(b.data());
  return b;
}

// The product's compiler with the real board through the link, whichever
// fake board the link fixture `LinkFixture` puts behind it.
template <class LinkFixture> class ProductCompilerOver : public LinkFixture {
protected:
  void SetUp() override {
    LinkFixture::SetUp();
    // The image file's text names its path, and the register pane's source
    // line reads as the debugger shows it.
    texts.Set(5023, "[5023 %s]");
    texts.Set(729, "%s(%d)");
    SetMessageTexts(&texts);
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    CompilerBoundaries boundaries;
    boundaries.shell = &shell;
    boundaries.messages = &messages;
    boundaries.boardOverLink = true;
    boundaries.directiveShell = &directives;
    boundaries.linkShell = &this->host;
    boundaries.kernel.connect = [this] { ++connects; };
    boundaries.kernel.pulseFlag = [this](uint8_t value) { pulses.push_back(value); };
    AssembleCompiler(boundaries);
    ClearErrorList();
  }
  void TearDown() override {
    ResetCompiler();
    LinkFixture::TearDown();
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

  NumberedTexts texts;
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
  // The shell's side of the compile that the link's flags follow.
  FakeDirectiveShell directives;
  unsigned connects = 0;
  std::vector<uint8_t> pulses;
};

// The board is the in-process kernel behind the fake serial port.
using BoardOverLink = ProductCompilerOver<SerialLinkTest>;

} // namespace tsw::testing
