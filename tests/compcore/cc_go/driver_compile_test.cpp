#include "compcore/byte_road_fixture.h"
#include "compcore/cc_fioz8/rti_file.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_session.h"
#include "compcore/compiler_fixture.h"
#include "compcore/product_shell.h"
#include "foundation/crc16.h"
#include "foundation/memorymap.h"
#include "foundation/xerr.h"
#include "platform/format.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// A BIOS and a program in a directory of their own, compiled through
// CompileFile with the compiler as the product assembles it: only the
// shell and the message output are ours, and there is no board.
class DriverCompile : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ClearErrorList();
  }
  uint16_t Compile(const std::string &program, uint16_t mode = kCompileModeFiles) {
    shell.compilePath = dir.Write("PROG.C", program);
    return CompileFile(mode);
  }
  bool Exists(const char *name) const { return std::filesystem::exists(dir / name); }
  TempDir dir;
  ProgramShell shell{dir};
  RecordedMessages messages;
};

// The BIOS compile of a two-step request writes only its source positions;
// the program compile then writes its image, the image's HEX twin and its
// own source positions, and leaves no BIOS compile behind it.
TEST_F(DriverCompile, BiosThenProgramToFilesWritesTheProgramsOutputsOnly) {
  dir.Write("BIOS.C", "int biosVariable;\n");
  BiosFirstFlag() = true;
  ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());

  struct Case {
    const char *file;
    bool written;
  };
  const Case cases[] = {{"BIOS.brk", true},
                        {"BIOS.rom", false},
                        {"BIOS.bin", false},
                        {"BIOS.hex", false},
                        {"PROG.brk", true},
                        {"PROG.bin", true},
                        {"PROG.hex", true},
                        // The listing is the image's source, removed once the image is built.
                        {"PROG.rom", false},
                        {"PROG.hdl", false},
                        {"PROG.bdl", false}};
  for (const Case &c : cases)
    EXPECT_EQ(Exists(c.file), c.written) << c.file;
  // The BIOS's source positions are written before the program is read.
  EXPECT_LE(std::filesystem::last_write_time(dir / "BIOS.brk"), std::filesystem::last_write_time(dir / "PROG.brk"));

  EXPECT_FALSE(BiosCompileFlag());
  EXPECT_FALSE(BiosFirstFlag());
  EXPECT_EQ(CurrentCpu(), TargetCpu::Z180);
  EXPECT_EQ(Output().outputBits, kOutputListing | kOutputBit01);
  // The BIOS compile is quiet: one announcement, the program's, before its
  // listing is opened and its lines are read.
  EXPECT_EQ(messages.lines, (std::vector<std::string>{"[133]", "[141]", "[750]", "[731]"}));
}

// A compile to files writes what "romc" asks for, and says it wrote images
// only when it did.
TEST_F(DriverCompile, ACompileToFilesWritesTheOutputsRomcAsksFor) {
  struct Case {
    uint16_t romc;
    uint8_t bits;
    std::vector<const char *> written;
    std::vector<const char *> absent;
    bool announced; // 731
  };
  const Case cases[] = {
      {0, kOutputListing | kOutputBit01, {"PROG.bin", "PROG.hex"}, {"PROG.bpf", "PROG.dlp"}, true},
      {1, kOutputListing, {"PROG.bpf", "PROG.hex"}, {"PROG.bin", "PROG.dlp"}, true},
      {3, kOutputListing | kOutputBit02, {"PROG.bin", "PROG.dlp"}, {"PROG.bpf", "PROG.dlp.part"}, true},
      {2, kOutputBit01, {"PROG.brk"}, {"PROG.bin", "PROG.hex", "PROG.rom"}, false},
      {4, kOutputBit01, {"PROG.brk"}, {"PROG.bin", "PROG.hex", "PROG.rom"}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.romc);
    for (const char *name : {"PROG.bin", "PROG.bpf", "PROG.hex", "PROG.dlp", "PROG.rom", "PROG.brk"})
      std::filesystem::remove(dir / name);
    dir.Write("tsw.cfg", "romc  = " + std::to_string(c.romc) + "\n");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    messages.lines.clear();
    ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records())
                                      << ::testing::PrintToString(messages.lines);
    EXPECT_EQ(Output().outputBits, c.bits);
    for (const char *name : c.written)
      EXPECT_TRUE(Exists(name)) << name;
    for (const char *name : c.absent)
      EXPECT_FALSE(Exists(name)) << name;
    EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[133]"), 1);
    EXPECT_EQ(messages.lines.back() == "[731]", c.announced) << ::testing::PrintToString(messages.lines);
  }
}

// An error in the program leaves the user the source positions and no
// image: a failed compile never looks like a written one.
TEST_F(DriverCompile, AFailedCompileWritesItsSourcePositionsOnly) {
  const uint16_t status = Compile("const int c;\n");
  EXPECT_NE(status & kCompileFailedBit, 0);
  EXPECT_TRUE(Exists("PROG.brk"));
  for (const char *name : {"PROG.bin", "PROG.hex", "PROG.dlp"})
    EXPECT_FALSE(Exists(name)) << name;
  EXPECT_EQ(messages.BoxesWith("[731]"), 0u);
  EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[731]"), 0);
}

// A ".brk" file the compile may not replace stops it before any work, with
// the file's or the directory's name for the user.
TEST_F(DriverCompile, AnUnwritableBrkFileStopsTheCompile) {
  struct Case {
    const char *name;
    unsigned message;
    bool readOnlyFile; // else a directory stands where the file goes
  };
  const Case cases[] = {{"read-only", kMsgBrkFileReadOnly, true}, {"not creatable", kMsgBrkFileNotCreated, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir / "PROG.brk");
    std::string expectedName;
    if (c.readOnlyFile) {
      dir.Write("PROG.brk", "old\n");
      std::filesystem::permissions(dir / "PROG.brk", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::others_read);
      expectedName = dir / "PROG.brk";
    } else {
      std::filesystem::create_directory(dir / "PROG.brk");
      expectedName = dir.path();
    }
    try {
      Compile("int g;\n");
      ADD_FAILURE() << "compiled";
    } catch (const xFileOpen &e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(std::filesystem::path(e.FileName()), std::filesystem::path(expectedName));
    }
    EXPECT_FALSE(Exists("PROG.bin"));
    if (c.readOnlyFile) {
      EXPECT_EQ(dir.Read("PROG.brk"), "old\n");
    }
    std::filesystem::permissions(dir / "PROG.brk", std::filesystem::perms::owner_all);
    std::filesystem::remove_all(dir / "PROG.brk");
  }
}

// The memory sizes of the BIOS's information file serve a BIOS compile; a
// compile to the board gives the user's own back, also when it is stopped,
// and the file is closed with the compile.
TEST_F(DriverCompile, BoardCompilesGiveTheUsersMemorySizesBack) {
  struct Case {
    const char *name;
    uint16_t mode;
    bool stopped;
    uint16_t ramsAfter;
  };
  const Case cases[] = {{"files", kCompileModeFiles, false, 0x40},
                        {"board", kCompileModeBoard, false, 0x80},
                        {"board, stopped", kCompileModeBoard, true, 0x80}};
  std::string header(256, '\0');
  header[2] = 0x40; // the BIOS's RAM start page
  const std::string rti = dir.Write("BIOS.rti", header);
  dir.Write("BIOS.C", "int b;\n");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ASSERT_EQ(CompileStage(false), 0);
    ASSERT_EQ(CompilerConfig().rams, 0x80);
    ASSERT_TRUE(OpenRtiFile(rti));
    std::filesystem::remove_all(dir / "BIOS.brk");
    if (c.stopped)
      std::filesystem::create_directory(dir / "BIOS.brk");
    BiosCompileFlag() = true;
    shell.compilePath = dir / "BIOS.C";
    if (c.stopped)
      EXPECT_THROW(CompileFile(c.mode), xFileOpen);
    else
      CompileFile(c.mode);
    EXPECT_EQ(CompilerConfig().rams, c.ramsAfter);
    uint8_t left[64];
    EXPECT_FALSE(ReadRtiHeader(left)) << "the information file is left open";
    std::filesystem::remove_all(dir / "BIOS.brk");
    BiosCompileFlag() = false;
  }
}

// A BIOS information file whose root data ends at `dataTop`, with a table
// of the given symbols.
std::vector<uint8_t> BiosInfoWithDataTop(uint16_t dataTop,
                                         const std::vector<std::pair<std::string, uint32_t>> &symbols = {{"x", 0}}) {
  std::vector<uint8_t> table;
  for (const auto &[name, value] : symbols) {
    table.insert(table.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)});
    for (size_t i = 0; i < name.size(); ++i)
      table.push_back(uint8_t(name[i] | (i + 1 == name.size() ? 0x80 : 0)));
  }
  std::vector<uint8_t> info(kBiosInfoHeaderSize + table.size() + 0x10, 0);
  info[19] = uint8_t(dataTop);
  info[20] = uint8_t(dataTop >> 8);
  info[31] = uint8_t(table.size());
  std::copy(table.begin(), table.end(), info.begin() + kBiosInfoHeaderSize);
  return info;
}

// The BIOS's start-up finds the program's free memory and vectors by the
// symbols the driver defines from the memory map.
TEST_F(DriverCompile, TheDriverDefinesWhereTheFreeMemoryAndVectorsLie) {
  shell.biosInfo = BiosInfoWithDataTop(0xBFFF);
  dir.Write("tsw.cfg", "free  = 10\n");
  ASSERT_EQ(CompileStage(true), 0);
  ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
  struct Case {
    const char *symbol;
    uint16_t logical;
  };
  const Case cases[] = {{"FREE_BASE", 0xBFF0}, {"FREE_TOP", 0xC000}, {"INT_VEC", MemoryMap().ivec_base}};
  for (const Case &c : cases)
    EXPECT_EQ(LookupBiosSymbol(c.symbol, MakeAddr24(0xEE, 0xEEEE)).logical, c.logical) << c.symbol;
  EXPECT_EQ(LastCompileInformation().freeBase, 0xBFF0);
  EXPECT_EQ(LastCompileInformation().freeTop, 0xBFFF);
}

// A board whose sector writes fail from the given one on, as a link does
// when the board stops answering.
class FailingBoard : public RecordingOutputTarget {
public:
  void WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *bytes) override {
    RecordingOutputTarget::WriteTargetBlock(count, address, bytes);
    if (failFrom >= 0 && blocks.size() > size_t(failFrom))
      throw xTCErr(kMsgInternal, "test", 1);
  }
  int failFrom = -1;
};

class ProgramLoadedShell : public DirectiveShell {
public:
  bool IsProgramLoaded() override { return loaded; }
  bool loaded = false;
};

class BoardShellFlags : public DirectiveShell {
public:
  bool CompileWithoutBoard() override { return offline; }
  bool offline = false;
};

// A program compiled to the board: its flash image goes out sector by
// sector, only the sectors it wrote, and a failed sector is a failed compile
// that sends nothing more.
TEST_F(DriverCompile, TheFlashImageGoesToTheBoardSectorBySector) {
  std::string blob(300, '\0');
  for (size_t i = 0; i < blob.size(); ++i)
    blob[i] = char(i * 7 + 1);
  dir.Write("BLOB.BIN", blob);
  const std::string program =
      "#pragma Corvid\n#xcodorg xc 0x10 0xE000 0x1000 apply\n#ximport \"" + (dir / "BLOB.BIN") + "\" blob\n";
  struct Case {
    const char *name;
    bool offline;
    bool tcp;
    bool zeroPad;
    int failFrom;
    size_t blocksTried;
    bool failed;
    std::vector<std::string> progress;
  };
  // The import's length word and 300 bytes fill three sectors of 128.
  const Case cases[] = {
      {"serial board", false, false, false, -1, 3, false, {"128/384", "256/384", "384/384"}},
      {"board fails at the first sector", false, false, false, 0, 1, true, {"128/384"}},
      {"board fails at the second sector", false, false, false, 1, 2, true, {"128/384", "256/384"}},
      {"without a board", true, false, false, -1, 0, false, {}},
      {"without a board, zero padded", true, false, true, -1, 0, false, {}},
      // The image is downloaded whole; a link that is not there fails it.
      {"TCP/IP board not connected", false, true, false, -1, 0, true, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FailingBoard board;
    board.failFrom = c.failFrom;
    board.useTcp = c.tcp;
    BoardShellFlags flags;
    flags.offline = c.offline;
    AssembleCompiler({.shell = &shell, .messages = &messages, .directiveShell = &flags, .codeTarget = &board});
    Output().zeroPadBin = c.zeroPad;
    messages.lines.clear();
    std::filesystem::remove(dir / "PROG.bin");
    const uint16_t status = Compile(program, kCompileModeBoard);
    // The next compile marks its own sectors.
    EXPECT_EQ(CountWrittenBlocks(), 0u);
    EXPECT_EQ((status & kCompileFailedBit) != 0, c.failed) << ::testing::PrintToString(Records());
    ASSERT_EQ(board.blocks.size(), c.blocksTried);
    for (size_t k = 0; k < board.blocks.size(); ++k) {
      EXPECT_EQ(Addr24ToPhysical(board.blocks[k].address), 0x1E000 + 128 * k) << k;
      std::string expected = std::string("\x2C\x01\x00\x00", 4) + blob;
      expected.resize(384, '\0');
      EXPECT_EQ(std::string(board.blocks[k].bytes.begin(), board.blocks[k].bytes.end()), expected.substr(128 * k, 128))
          << k;
    }
    std::vector<std::string> progress;
    for (const std::string &line : messages.lines)
      if (line.find('/') != std::string::npos)
        progress.push_back(line);
    EXPECT_EQ(progress, c.progress);
    EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[134]"), 1);
    if (c.offline || c.tcp) {
      // The sectors go into the image instead: without a board at their
      // offset in the compiled range, zero padded or for a download at
      // their physical address.
      const size_t at = c.offline && !c.zeroPad ? 0 : 0x1E000;
      const std::string image = dir.Read("PROG.bin");
      ASSERT_GE(image.size(), at + 304);
      EXPECT_EQ(image.substr(at + 4, 300), blob);
      EXPECT_TRUE(Exists("PROG.hex"));
    }
  }
}

// The package a loader takes: a header of where the program lies with its
// CRC-16, then each range with its bytes from the image and their CRC-16.
TEST_F(DriverCompile, TheDownloadPackageCarriesEachRangeWithItsCrc) {
  std::string image = "123456789";
  std::string large(600, '\0');
  for (size_t i = 0; i < large.size(); ++i)
    large[i] = char(i);
  image += large;
  dir.Write("PROG.bin", image);
  const std::string program = dir / "PROG.C";
  constexpr uint32_t kBase = 0x1000; // the image's first byte, 4 KiB
  ASSERT_TRUE(WriteDownloadPackage(program, {{kBase, 9}, {kBase + 9, 600}}, kBase / 1024));
  const std::string package = dir.Read("PROG.dlp");
  ASSERT_EQ(package.size(), 128u + (16 + 9 + 2) + (16 + 600 + 2));
  auto u16 = [&](size_t at) { return unsigned(uint8_t(package[at]) | uint8_t(package[at + 1]) << 8); };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  EXPECT_EQ(u16(32), 2u); // records
  EXPECT_EQ(package.substr(34, 92), std::string(92, '\0'));
  EXPECT_EQ(u16(126), ComputeCrc16(reinterpret_cast<const uint8_t *>(package.data()), 126));
  struct Record {
    size_t at;
    uint32_t start, length;
    uint16_t crc;
  };
  const Record records[] = {
      {128, kBase, 9, 0x31C3},
      {128 + 27, kBase + 9, 600, ComputeCrc16(reinterpret_cast<const uint8_t *>(large.data()), large.size())},
  };
  for (const Record &r : records) {
    EXPECT_EQ(u32(r.at), r.start);
    EXPECT_EQ(u32(r.at + 4), r.length);
    EXPECT_EQ(u32(r.at + 8), 0u);
    EXPECT_EQ(u32(r.at + 12), 0u);
    EXPECT_EQ(package.substr(r.at + 16, r.length), image.substr(r.start - kBase, r.length));
    EXPECT_EQ(u16(r.at + 16 + r.length), r.crc);
  }
}

// A package that cannot be written whole is not left for a loader to take.
TEST_F(DriverCompile, AFailedPackageLeavesNoPackage) {
  struct Case {
    const char *name;
    std::vector<ImageRange> ranges;
    bool blockPackage; // a directory where the package is written
    const char *message;
  };
  const Case cases[] = {
      {"range before the image", {{0x1000 - 1, 4}}, false, "[2075]"},
      {"range past the image's end", {{0x1000, 4}, {0x1000 + 8, 4}}, false, "[2076]"},
      {"package not creatable", {{0x1000, 4}}, true, "[2074]"},
  };
  dir.Write("PROG.bin", "0123456789");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    messages.lines.clear();
    std::filesystem::remove_all(dir / "PROG.dlp.part");
    std::filesystem::remove(dir / "PROG.dlp");
    if (c.blockPackage)
      std::filesystem::create_directory(dir / "PROG.dlp.part");
    EXPECT_FALSE(WriteDownloadPackage(dir / "PROG.C", c.ranges, 4));
    EXPECT_FALSE(Exists("PROG.dlp"));
    if (!c.blockPackage) {
      EXPECT_FALSE(Exists("PROG.dlp.part"));
    }
    EXPECT_EQ(messages.lines, (std::vector<std::string>{c.message}));
  }
  std::filesystem::remove_all(dir / "PROG.dlp.part");
}

// Root code that reaches root data fails the compile, even by no byte at
// all; the files still show the user the layout, the board gets nothing.
TEST_F(DriverCompile, RootCodeReachingRootDataFailsTheCompile) {
  struct Case {
    uint16_t heap;
    bool overlaps;
    int overlap; // bytes, when it does
  };
  // Root data ends below the heap: a larger heap lowers its start onto the
  // root code's last byte and below it.
  const Case cases[] = {{0x148, false, 0}, {0x149, true, 0}, {0x14A, true, 1}};
  shell.biosInfo = BiosInfoWithDataTop(0x1FF);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.heap);
    dir.Write("tsw.cfg", "free  = 0\nastk  = 0\nheap  = " + plat::FormatText("%x", c.heap) + "\n");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ASSERT_EQ(CompileStage(true), 0);
    ClearErrorList();
    std::filesystem::remove(dir / "PROG.bin");
    // A declaration that takes no storage: the layout alone decides.
    const uint16_t status = Compile("extern int g;\n");
    const RootCodeAndDataLimits limits = RootLimits();
    EXPECT_EQ(limits.dataStart <= limits.codeTop, c.overlaps) << std::hex << limits.codeTop << " " << limits.dataStart;
    EXPECT_EQ((status & kCompileFailedBit) != 0, c.overlaps);
    const std::vector<std::string> records = Records();
    EXPECT_EQ(std::ranges::count_if(records, [](const std::string &r) { return r.find("[503]") != r.npos; }),
              c.overlaps ? 1 : 0)
        << ::testing::PrintToString(records);
    if (c.overlaps) {
      EXPECT_EQ(int(limits.codeTop - limits.dataStart), c.overlap);
    }
    EXPECT_TRUE(Exists("PROG.bin"));
  }
}

// The BIOS's words for its start-up are stored into the image where the
// BIOS asks for them: the stack's page and the page above the root code.
TEST_F(DriverCompile, TheBiosWordsAreStoredWhereTheBiosAsks) {
  shell.biosInfo = BiosInfoWithDataTop(0xBFFF, {{"DATA_BASE", 0x0100}, {"CODE_TOP", 0x0104}, {"IOP_STACKORG", 0xD800}});
  ASSERT_EQ(CompileStage(true), 0);
  ClearErrorList();
  ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
  uint8_t words[6] = {};
  ASSERT_TRUE(ReadEmittedBytes(MakeAddr24(0, 0x100), 2, words));
  ASSERT_TRUE(ReadEmittedBytes(MakeAddr24(0, 0x104), 2, words + 4));
  const uint16_t codeTop = RootLimits().codeTop;
  const uint16_t codePage = uint16_t((codeTop + 0x1000) & 0xF000);
  EXPECT_EQ(words[0] | words[1] << 8, 0xD000);
  EXPECT_EQ(words[4] | words[5] << 8, codePage);
  EXPECT_EQ(LastCompileInformation().stackOrigin, 0xD800);
}

// A BIOS compiled alone ends in a jump to the page after its root code; with
// a program loaded on the board that place is the program's start-up code.
TEST_F(DriverCompile, TheBiosEndsInTheWayToTheProgram) {
  struct Case {
    bool programLoaded;
    bool jump;
  };
  dir.Write("BIOS.C", "#pragma Corvid\n#rcodorg rootcode 0 0x1000 0x1000 apply\n#rvarorg rootdata 0 0xbfff 0x1000 apply\n"
                      "int b;\n");
  for (const Case c : {Case{false, true}, Case{true, false}}) {
    SCOPED_TRACE(c.programLoaded);
    ProgramLoadedShell loaded;
    loaded.loaded = c.programLoaded;
    AssembleCompiler({.shell = &shell, .messages = &messages, .directiveShell = &loaded});
    BiosCompileFlag() = true;
    shell.compilePath = dir / "BIOS.C";
    ASSERT_EQ(CompileFile(kCompileModeFiles), 0)
        << ::testing::PrintToString(Records()) << ::testing::PrintToString(messages.lines);
    const uint16_t end = uint16_t(RootLimits().codeTop + 1);
    const uint16_t at = uint16_t(c.jump ? end - 3 : end);
    const uint16_t startup = uint16_t((at + 0x1FF) & 0xFF00);
    uint8_t bytes[3] = {};
    ReadEmittedBytes(MakeAddr24(0, at), 3, bytes);
    if (c.jump) {
      EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 3),
                (std::vector<uint8_t>{0xC3, uint8_t(startup), uint8_t(startup >> 8)}));
      EXPECT_EQ(FindGlobalLabel(kStartupCodeLabel), nullptr);
    } else {
      const BRFixupRec *label = FindGlobalLabel(kStartupCodeLabel);
      ASSERT_NE(label, nullptr);
      EXPECT_TRUE(label->defined);
      EXPECT_EQ(Addr24Logical(Addr24FromLong(label->value)), startup);
    }
    BiosCompileFlag() = false;
  }
}

// An editor holding the program with unsaved edits.
class EditedProgram : public EditorView {
public:
  std::optional<uint32_t> ActiveEditorCursor() override { return std::nullopt; }
  bool OpenAndModified(std::string_view path) override { return modified && path == program; }
  std::optional<std::string> ModifiedText(std::string_view path) override {
    if (path != program)
      return std::nullopt;
    return text;
  }
  std::string program;
  std::string text;
  bool modified = true;
};

// What the user sees in the editor is what is compiled: unsaved edits win
// over the file, a saved editor leaves the file to be read.
TEST_F(DriverCompile, UnsavedEditsAreCompiledInPlaceOfTheFile) {
  struct Case {
    bool modified;
    const char *error; // the record expected, from the text compiled
  };
  const Case cases[] = {{true, "[549]"}, {false, "[2096]"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.modified);
    EditedProgram editor;
    editor.program = dir / "PROG.C";
    editor.text = "const int c;\n";
    editor.modified = c.modified;
    AssembleCompiler({.shell = &shell, .messages = &messages, .editors = &editor});
    ClearErrorList();
    Compile("int if;\n");
    const std::vector<std::string> records = Records();
    ASSERT_EQ(records.size(), 1u) << ::testing::PrintToString(records);
    EXPECT_NE(records[0].find(c.error), std::string::npos) << records[0];
  }
}

// An editor whose text cannot be had: the user cancelled.
class CancellingEditor : public EditedProgram {
public:
  std::optional<std::string> ModifiedText(std::string_view) override { throw xUserCancel("test", 1); }
};

// A compile stopped on its way through the text leaves its source positions
// and a closed listing, gives the user's memory sizes back and passes the
// stop on to the command.
TEST_F(DriverCompile, AStoppedCompileCleansUpAndPassesTheStopOn) {
  CancellingEditor editor;
  editor.program = dir / "PROG.C";
  AssembleCompiler({.shell = &shell, .messages = &messages, .editors = &editor});
  ASSERT_EQ(CompileStage(false), 0);
  CompilerConfig().rams = 0x44;
  shell.compilePath = dir.Write("PROG.C", "int g;\n");
  EXPECT_THROW(CompileFile(kCompileModeBoard), xUserCancel);
  EXPECT_EQ(CompilerConfig().rams, 0x44);
  EXPECT_TRUE(Exists("PROG.brk"));
  EXPECT_FALSE(Exists("PROG.bdl"));
  const std::string listing = dir.Read("PROG.rom");
  EXPECT_NE(listing.find("library="), std::string::npos) << listing;
  EXPECT_EQ(CurrentErrorFileName(), GetResourceString(kMsgNoFileName));
}

// The program text is compiled with the configuration's checks and its
// warning level; a time stamp only when one is wanted.
TEST_F(DriverCompile, TheTextIsCompiledWithTheConfiguredChecks) {
  struct Case {
    const char *config;
    bool timeStamp;
    uint16_t mask;
  };
  const Case cases[] = {
      {"warn  = 0\nindex = 0\nptr   = 0\n", true, 0x00},
      {"warn  = 1\nindex = 1\nptr   = 0\nstack = 1\n", true, 0x02 | 0x08 | kCheckWarnings},
      {"warn  = 2\nindex = 0\nptr   = 1\nsize  = 1\n", false, 0x04 | 0x10 | kCheckWarnings | kCheckAllWarnings},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.config);
    dir.Write("tsw.cfg", c.config);
    AssembleCompiler({.shell = &shell, .messages = &messages});
    Output().includeTimeStamp = c.timeStamp;
    ASSERT_EQ(Compile("int g;\n"), 0) << ::testing::PrintToString(Records());
    EXPECT_EQ(LastCompileInformation().runtimeCheckMask, c.mask);
    EXPECT_EQ(LastCompileInformation().timeStamp == 0xFFFFFFFF, !c.timeStamp);
  }
}

// Image files that cannot be built fail the compile with 617, and nothing
// is announced as written.
TEST_F(DriverCompile, ImageFilesThatCannotBeBuiltFailTheCompile) {
  struct Case {
    uint16_t romc;
    const char *blocked; // a directory where this file goes
  };
  const Case cases[] = {{0, "PROG.bin"}, {0, "PROG.hex"}, {1, "PROG.bpf"}, {3, "PROG.bin"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.blocked);
    dir.Write("tsw.cfg", "romc  = " + std::to_string(c.romc) + "\n");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    messages.lines.clear();
    for (const char *name : {"PROG.bin", "PROG.bpf", "PROG.hex", "PROG.dlp"})
      std::filesystem::remove_all(dir / name);
    std::filesystem::create_directory(dir / c.blocked);
    const uint16_t status = Compile("int g;\n");
    EXPECT_NE(status & kCompileFailedBit, 0);
    EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[617]"), 1)
        << ::testing::PrintToString(messages.lines);
    EXPECT_EQ(std::count(messages.lines.begin(), messages.lines.end(), "[731]"), 0);
    EXPECT_FALSE(Exists("PROG.dlp"));
    std::filesystem::remove_all(dir / c.blocked);
  }
}

// A compile to the board whose root code reaches root data writes its
// image for the user to look at, and sends the board none of it.
TEST_F(DriverCompile, RootCodeReachingRootDataSendsTheBoardNothing) {
  dir.Write("BLOB.BIN", std::string(200, '\x5A'));
  shell.biosInfo = BiosInfoWithDataTop(0x1FF);
  dir.Write("tsw.cfg", "free  = 0\nastk  = 0\nheap  = 1ff\n");
  RecordingOutputTarget board;
  AssembleCompiler({.shell = &shell, .messages = &messages, .codeTarget = &board});
  ASSERT_EQ(CompileStage(true), 0);
  ClearErrorList();
  const uint16_t status =
      Compile("#pragma Corvid\n#xcodorg xc 0x10 0xE000 0x1000 apply\n#ximport \"" + (dir / "BLOB.BIN") + "\" blob\n",
              kCompileModeBoard);
  EXPECT_NE(status & kCompileFailedBit, 0);
  EXPECT_TRUE(board.blocks.empty());
  EXPECT_TRUE(Exists("PROG.bdl"));
  const std::vector<std::string> records = Records();
  EXPECT_EQ(std::ranges::count_if(records, [](const std::string &r) { return r.find("[503]") != r.npos; }), 1)
      << ::testing::PrintToString(records);
}

// A program compile first stops the kernel that runs the last program, so
// that the new one can be loaded in its place.
TEST_F(DriverCompile, AProgramCompileStopsTheRunningKernelFirst) {
  shell.biosInfo = BiosInfoWithDataTop(0x1FF);
  RecordingOutputTarget board;
  AssembleCompiler({.shell = &shell, .messages = &messages, .codeTarget = &board});
  ASSERT_EQ(CompileStage(true), 0);
  ClearErrorList();
  Compile("#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\nint f(void) { return 1; }\n");
  EXPECT_EQ(board.synchronized, 1) << ::testing::PrintToString(Records());
}

// Extended-memory code ends on an even address: an odd end gets one zero.
TEST_F(DriverCompile, ExtendedMemoryCodeEndsOnAnEvenAddress) {
  struct Case {
    size_t importBytes; // after the 4-byte length
    size_t imageBytes;
  };
  const Case cases[] = {{3, 8}, {4, 8}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.importBytes);
    dir.Write("BLOB.BIN", std::string(c.importBytes, '\x7E'));
    std::filesystem::remove(dir / "PROG.bin");
    AssembleCompiler({.shell = &shell, .messages = &messages});
    ASSERT_EQ(
        Compile("#pragma Corvid\n#xcodorg xc 0x10 0xE000 0x1000 apply\n#ximport \"" + (dir / "BLOB.BIN") + "\" blob\n"),
        0)
        << ::testing::PrintToString(Records());
    const std::string image = dir.Read("PROG.bin");
    ASSERT_EQ(image.size(), c.imageBytes);
    EXPECT_EQ(image.substr(4, c.importBytes), std::string(c.importBytes, '\x7E'));
    EXPECT_EQ(image.substr(4 + c.importBytes), std::string(c.imageBytes - 4 - c.importBytes, '\0'));
  }
}
} // namespace
} // namespace tsw::testing
