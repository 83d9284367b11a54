#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/common/cc_editor_view.h"
#include "compcore/compiler_fixture.h"
#include "compcore/product_shell.h"
#include "foundation/xerr.h"
#include "platform/paths.h"
#include "support/tempdir.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace std::string_literals;

namespace tsw::testing {
namespace {

const char kLibA[] = "/*** beginheader a, b,\n"
                     "   c */\n"
                     "int a;\n"
                     "/*** endheader */\n"
                     "int a, b, c;\n"
                     "/* START FUNCTION DESCRIPTION ****\n"
                     "a    <LIBA.LIB>\n"
                     "END DESCRIPTION */\n"
                     "/*** beginheader d */\n"
                     "/*** endheader */\n"
                     "int d;\n";
const char kLibB[] = "/*** beginheader a, e */\n"
                     "/*** endheader */\n"
                     "/* START FUNCTION DESCRIPTION\n"
                     "a\n"
                     "*/\n";

class LibraryIndexTest : public CompilerFixture {
protected:
  void SetUp() override {
    CompilerFixture::SetUp();
    for (unsigned id : {kMsgIndexing, kMsgTakingModule, kMsgReadingLibrary, kMsgNoLibraryFile, kMsgDuplicateName,
                        kMsgCannotOpenLibrary, kMsgLibraryModifiedInEditor, kMsgLibraryChanged})
      texts_.ShowNumberAndArguments(id);
    SetLibraryProgramDirectory(dir.path());
    // The index's notices and boxes, each as its number and arguments.
    output.boxAs = [](const std::string &, const std::string &text) { return text; };
    SetMessageOutput(&output);
    libA = dir.Write("LIB/LIBA.LIB", kLibA);
    libB = dir.Write("LIB/LIBB.LIB", kLibB);
    libDir = dir.Write("LIB.DIR", "* comment\n\nLIB\\LIBA.LIB\t; first\nLIB\\LIBB;x\n");
  }
  int Count(unsigned message) const {
    return int(std::count_if(messages.begin(), messages.end(),
                             [&](const std::string &m) { return m.starts_with(std::to_string(message)); }));
  }
  void EnterAll() {
    for (ZLibEntry *lib : ModuleIndex().Libraries())
      InsertLibraryNames(*lib, ModuleIndex(), false);
  }
  static void Touch(const std::string &path, int seconds) {
    auto t = std::filesystem::last_write_time(path);
    std::filesystem::last_write_time(path, t + std::chrono::seconds(seconds));
  }

  TempDir dir;
  std::string libA, libB, libDir;
  void TearDown() override {
    SetMessageOutput(nullptr);
    CompilerFixture::TearDown();
  }

  RecordedMessages output;
  std::vector<std::string> &messages = output.shown;
};

TEST_F(LibraryIndexTest, ScanFindsModulesNamesAndBodies) {
  ZLibEntry m, d;
  ScanLibraryFile(libA, m, d);
  auto modules = ListElements(m.modules);
  ASSERT_EQ(modules.size(), 2u);
  EXPECT_EQ(ModuleNames(*modules[0]), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(modules[0]->headerLine, 1); // where its names end
  EXPECT_EQ(modules[0]->bodyLine, 3);
  std::string text = kLibA;
  EXPECT_EQ(modules[0]->bodyStart, text.find("/*** endheader"));
  EXPECT_EQ(modules[0]->bodyEnd, text.find("/*** beginheader d"));
  EXPECT_EQ(modules[1]->bodyEnd, text.size());
  auto descriptions = ListElements(d.modules);
  ASSERT_EQ(descriptions.size(), 1u);
  EXPECT_EQ(ModuleNames(*descriptions[0]), (std::vector<std::string>{"a"}));
}

TEST_F(LibraryIndexTest, HeaderErrorsEndTheCompile) {
  InstallErrorListSink();
  struct Case {
    const char *text;
    uint16_t line;
  } cases[] = {{"/*** beginheader x */\n/*** beginheader y */\n", 2},
               {"int x;\n/*** endheader */\n", 2},
               {"\n/*** beginheader x */\n", 2}};
  for (const Case &c : cases) {
    ClearErrorList();
    ResetSourceInputModule();
    std::string path = dir.Write("BAD.LIB", c.text);
    ZLibEntry m, d;
    EXPECT_THROW(ScanLibraryFile(path, m, d), xCCErrOvflo);
    ASSERT_NE(ErrorListHead(), nullptr);
    EXPECT_EQ(ErrorListHead()->line, c.line);
  }
  SetDiagnosticSink(nullptr);
}

TEST_F(LibraryIndexTest, LibraryWithAHeaderErrorIsScannedAgainByTheNextBuild) {
  InstallErrorListSink();
  dir.Write("LIB/BAD.LIB", "/*** beginheader x */\n/*** beginheader y */\n");
  dir.Write("LIB.DIR", "LIB\\LIBA.LIB\nLIB\\BAD.LIB\n");
  for (int build = 0; build < 2; ++build) {
    ClearErrorList();
    ResetSourceInputModule();
    ErrorSuppression() = 0;
    EXPECT_THROW(BuildLibraryIndex(libDir), xCCErrOvflo) << "build " << build;
    EXPECT_NE(ErrorListHead(), nullptr);
  }
  SetDiagnosticSink(nullptr);
}

TEST_F(LibraryIndexTest, CachesAreWrittenAndReadBackEqual) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ASSERT_EQ(ModuleIndex().libraries.Count(), 2u);
  EXPECT_TRUE(std::filesystem::exists(dir / "LIB/LIBA.MD1"));
  EXPECT_TRUE(std::filesystem::exists(dir / "LIB/LIBB.HX1"));
  ZLibEntry reread;
  const ZLibEntry &scanned = *ModuleIndex().Libraries()[0];
  reread.name = scanned.name;
  ASSERT_TRUE(LoadLibraryIndexCache(reread, libA, "MD1"));
  auto got = ListElements(reread.modules), want = ListElements(scanned.modules);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(ModuleNames(*got[i]), ModuleNames(*want[i]));
    EXPECT_EQ(got[i]->bodyStart, want[i]->bodyStart);
    EXPECT_EQ(got[i]->bodyEnd, want[i]->bodyEnd);
    EXPECT_EQ(got[i]->library, &reread);
  }
  EXPECT_EQ(reread.fileTime, scanned.fileTime);
}

// A library entry with every field distinct, and its cache bytes written
// out by hand: u32 time, u16 name length with the NUL, the name, u16
// modules; per module the six fixed fields (20 bytes, no padding), u16
// names, per name u16 length with the NUL and the bytes; little-endian.
TEST(LibraryCacheFormat, EntryStreamsByteForByte) {
  ZLibEntry lib;
  lib.name = BRString("LIB");
  lib.fileTime = 0x12345678;
  auto *first = lib.modules.AddTail(new ZModEntry());
  first->headerStart = 0x01020304;
  first->headerEnd = 0x05060708;
  first->headerLine = 0x090A;
  first->bodyStart = 0x0B0C0D0E;
  first->bodyEnd = 0x0F101112;
  first->bodyLine = 0x1314;
  first->names.AddTail(new BRString("ab"));
  first->names.AddTail(new BRString("c"));
  lib.modules.AddTail(new ZModEntry());

  const std::string expected = "\x78\x56\x34\x12" // file time
                               "\x04\x00"
                               "LIB\0"            // name
                               "\x02\x00"         // modules
                               "\x04\x03\x02\x01" // header start
                               "\x08\x07\x06\x05" // header end
                               "\x0a\x09"         // header line
                               "\x0e\x0d\x0c\x0b" // body start
                               "\x12\x11\x10\x0f" // body end
                               "\x14\x13"         // body line
                               "\x02\x00"         // names
                               "\x03\x00"
                               "ab\0"
                               "\x02\x00"
                               "c\0"
                               "\0\0\0\0\0\0\0\0\0\0" // second module: fixed part
                               "\0\0\0\0\0\0\0\0\0\0"
                               "\0\0"s; // and no names
  std::ostringstream out;
  ASSERT_TRUE(lib.Write(out));
  EXPECT_EQ(out.str(), expected);

  std::istringstream in(expected);
  ZLibEntry back;
  ASSERT_TRUE(back.Read(in));
  EXPECT_EQ(back.name, lib.name);
  EXPECT_EQ(back.fileTime, lib.fileTime);
  auto modules = ListElements(back.modules);
  ASSERT_EQ(modules.size(), 2u);
  EXPECT_EQ(modules[0]->bodyLine, 0x1314);
  EXPECT_EQ(ModuleNames(*modules[0]), (std::vector<std::string>{"ab", "c"}));
  EXPECT_EQ(modules[1]->library, &back);
  std::ostringstream again;
  ASSERT_TRUE(back.Write(again));
  EXPECT_EQ(again.str(), expected);
}

TEST_F(LibraryIndexTest, CacheFileHoldsTheEntryStreamForm) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  std::ostringstream out;
  ASSERT_TRUE(ModuleIndex().Libraries()[1]->Write(out));
  EXPECT_EQ(dir.Read("LIB/LIBB.MD1"), out.str());
}

TEST_F(LibraryIndexTest, TouchingOneLibraryRescansOnlyIt) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  auto cacheB = std::filesystem::last_write_time(dir / "LIB/LIBB.MD1");
  messages.clear();
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EXPECT_EQ(Count(kMsgLibraryChanged), 0);
  Touch(libA, 5);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EXPECT_EQ(Count(kMsgLibraryChanged), 1);
  EXPECT_EQ(std::filesystem::last_write_time(dir / "LIB/LIBB.MD1"), cacheB);
  EXPECT_EQ(ModuleIndex().Libraries()[0]->fileTime, plat::FileModTime(libA).value());
}

TEST_F(LibraryIndexTest, CorruptedCacheFallsBackToAScan) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  std::string good = dir.Read("LIB/LIBA.MD1");
  const std::vector<std::string> corrupt = {
      good.substr(0, good.size() - 3),                                 // cut short
      good + "x",                                                      // trailing bytes
      good.substr(0, 4) + std::string("\xff\xff", 2) + good.substr(6), // name length past the end
  };
  for (const std::string &bad : corrupt) {
    dir.Write("LIB/LIBA.MD1", bad);
    ZLibEntry e;
    e.name = ModuleIndex().Libraries()[0]->name;
    EXPECT_FALSE(LoadLibraryIndexCache(e, libA, "MD1"));
    EXPECT_TRUE(e.modules.Empty());
  }
  // A full rebuild with a bad cache still indexes the library.
  ResetLibraryIndexModule();
  SetLibraryProgramDirectory(dir.path());
  dir.Write("LIB/LIBA.MD1", corrupt[0]);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EXPECT_EQ(ModuleIndex().Libraries()[0]->modules.Count(), 2u);
  EXPECT_EQ(dir.Read("LIB/LIBA.MD1"), good);
}

TEST_F(LibraryIndexTest, CacheOutsideTheProgramDirectoryIsIgnored) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  SetLibraryProgramDirectory(dir / "elsewhere");
  ZLibEntry e;
  e.name = ModuleIndex().Libraries()[0]->name;
  EXPECT_FALSE(LoadLibraryIndexCache(e, libA, "MD1"));
}

TEST_F(LibraryIndexTest, DuplicateNamesReportedOnceAcrossCompiles) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EnterAll();
  EnterAll();
  EXPECT_EQ(Count(kMsgDuplicateName), 1);
  ZModEntry *m = nullptr;
  EXPECT_EQ(FindLibraryFunction("a", &m, true), 0); // two libraries describe it
  std::string libraryB(ModuleIndex().Libraries()[1]->name.View());
  ASSERT_EQ(FindLibraryFunction("a in " + libraryB, &m, false), 1);
  EXPECT_EQ(m->library, DescriptionIndex().Libraries()[1]);
  std::vector<std::string> listed;
  ListLibraryFunctions([&](const std::string &t) { listed.push_back(t); });
  EXPECT_EQ(listed.size(), 2u);

  // The next compile, with the index left standing as the driver leaves it:
  // the names entered stay, without a second 527.
  messages.clear();
  ClearLibraryLinkMarks();
  EnterAll();
  EXPECT_EQ(Count(kMsgDuplicateName), 0);
  EXPECT_NE(ModuleIndex().Find("d"), nullptr);
  // The later library wins the name.
  EXPECT_EQ(ModuleIndex().Find("a")->library, ModuleIndex().Libraries()[1]);
}

// The label table's pending list: names referenced before any definition,
// newest first, of which the defined ones go at each purge.
class FakePendingLabels : public PendingLabelNames {
public:
  std::vector<std::string> names; // the last one is popped first
  std::vector<std::string> defined;
  int purges = 0;
  void PurgeDefined() override {
    ++purges;
    std::erase_if(names, [&](const std::string &n) { return std::ranges::count(defined, n) > 0; });
  }
  std::optional<std::string> PopUndefined() override {
    if (names.empty())
      return std::nullopt;
    std::string name = names.back();
    names.pop_back();
    return name;
  }
  size_t Count() const override { return names.size(); }
};

TEST_F(LibraryIndexTest, NextNeededModuleTakesThenReports521) {
  InstallErrorListSink();
  FakePendingLabels pending;
  SetPendingLabelNames(&pending);
  SetErrorFileName("P.C", 1);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ClearLibraryLinkMarks();
  EnterAll();
  messages.clear();

  // A name no library defines is passed over; "b" is defined already.
  pending.names = {"d", "b", "zz"};
  pending.defined = {"b"};
  ZModEntry *m = NextNeededModule();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(ModuleNames(*m), (std::vector<std::string>{"d"}));
  EXPECT_EQ(pending.purges, 1);
  EXPECT_EQ(messages, (std::vector<std::string>{"140 d " + std::string(m->library->name.View())}));
  EXPECT_EQ(NextNeededModule(), nullptr);

  // The module was taken and still "d" is wanted: it did not define it.
  pending.names = {"d"};
  EXPECT_EQ(NextNeededModule(), nullptr);
  ASSERT_NE(ErrorListHead(), nullptr);
  EXPECT_EQ(ErrorListHead()->text, "E|P.C|[521]");
  EXPECT_EQ(Count(kMsgTakingModule), 1);

  // The next compile takes the module afresh.
  InitCompilerTables();
  EnterAll();
  pending.names = {"d"};
  EXPECT_NE(NextNeededModule(), nullptr);
  SetPendingLabelNames(nullptr);
  SetDiagnosticSink(nullptr);
}

TEST_F(LibraryIndexTest, NoModuleIsTakenOnceADiagnosticWasDropped) {
  FakePendingLabels pending;
  SetPendingLabelNames(&pending);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ClearLibraryLinkMarks();
  EnterAll();
  ErrorSuppression() = 1;
  RecordCompileError(1, 1, "dropped");
  ErrorSuppression() = 0;
  pending.names = {"d"};
  EXPECT_EQ(NextNeededModule(), nullptr);
  EXPECT_EQ(pending.names.size(), 1u);
  ClearErrorList();
  EXPECT_NE(NextNeededModule(), nullptr);
  SetPendingLabelNames(nullptr);
}

TEST_F(LibraryIndexTest, LibraryModifiedInAnEditorIsReportedWhenItsTimeIsTaken) {
  FakeEditors editors;
  editors.modified = {{libA, ""}};
  SetEditorView(&editors);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EXPECT_EQ(Count(kMsgLibraryModifiedInEditor), 1);
  messages.clear();
  ASSERT_EQ(BuildLibraryIndex(libDir), 0); // unchanged, but its time is taken again
  EXPECT_EQ(messages, (std::vector<std::string>{"137", "810"}));
  editors.modified = {{libDir, ""}};
  messages.clear();
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EXPECT_EQ(messages, (std::vector<std::string>{"137", "810"}));
  SetEditorView(nullptr);
}

TEST_F(LibraryIndexTest, FileTimeTest) {
  uint32_t stored = 7;
  EXPECT_EQ(FileTimeChanged("", stored), 1);
  EXPECT_EQ(FileTimeChanged(dir / "NONE.LIB", stored), 1);
  EXPECT_EQ(stored, 7u);
  EXPECT_EQ(FileTimeChanged(libA, stored), 1);
  EXPECT_EQ(stored, plat::FileModTime(libA).value());
  EXPECT_EQ(FileTimeChanged(libA, stored), 0);
  Touch(libA, 5);
  EXPECT_EQ(FileTimeChanged(libA, stored), 1);
}

// A BIOS compile of its own re-reads every library; one that the Compile
// command runs first goes by the directory file's time.
TEST_F(LibraryIndexTest, BiosCompileRebuildsUnlessTheCompileCommandRunsIt) {
  struct Case {
    bool biosCompile, compileCommand;
    int reads;
  } cases[] = {{false, false, 0}, {true, false, 2}, {true, true, 0}, {false, true, 0}};
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  for (const Case &c : cases) {
    BiosCompileFlag() = c.biosCompile;
    BiosFirstFlag() = c.compileCommand;
    messages.clear();
    ASSERT_EQ(BuildLibraryIndex(libDir), 0);
    EXPECT_EQ(Count(kMsgReadingLibrary), c.reads) << c.biosCompile << c.compileCommand;
    EXPECT_EQ(ModuleIndex().libraries.Count(), 2u);
  }
  BiosCompileFlag() = false;
  ResetCompileDriverModule();
}

TEST_F(LibraryIndexTest, MissingDirectoryFileOrLibrary) {
  EXPECT_EQ(BuildLibraryIndex(dir / "NONE.DIR"), 1);
  std::string withMissing = dir.Write("TWO.DIR", "LIB\\NOPE.LIB\nLIB\\LIBA.LIB\n");
  ASSERT_EQ(BuildLibraryIndex(withMissing), 0);
  EXPECT_EQ(Count(kMsgNoLibraryFile), 1);
  EXPECT_EQ(ModuleIndex().libraries.Count(), 1u);
}

} // namespace
} // namespace tsw::testing

#include "compcore/cc_go/cc_go_index.h"

namespace tsw::testing {
namespace {

TEST_F(LibraryIndexTest, DriverServiceBuildsAndSeesChangedLibraries) {
  ModuleIndexService service([&] { return libDir; });
  ASSERT_EQ(service.Build(dir.path()), 0);
  ASSERT_EQ(service.LibraryPaths().size(), 2u);
  std::string a = service.LibraryPaths()[0];
  EXPECT_FALSE(service.LibraryChanged(a)); // as indexed
  EXPECT_FALSE(service.LibraryChanged(a));
  Touch(libA, 5);
  EXPECT_TRUE(service.LibraryChanged(a));
  EXPECT_FALSE(service.LibraryChanged(a));
  EXPECT_TRUE(service.LibDirChanged(dir / "NONE.DIR"));
  // Changed since it was indexed, before the service first looked.
  std::string b = service.LibraryPaths()[1];
  Touch(libB, 5);
  EXPECT_TRUE(service.LibraryChanged(b));
  EXPECT_FALSE(service.LibraryChanged(b));
}

} // namespace
} // namespace tsw::testing

#include "compcore/cc_mod/cc_mod_link.h"

namespace tsw::testing {
namespace {

TEST_F(LibraryIndexTest, LineSourceLinkUsesLibrariesAndLinksModules) {
  ResetCompileDriverModule();
  FakePendingLabels pending;
  SetPendingLabelNames(&pending);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ClearLibraryLinkMarks();
  ModuleIndexLink link;
  std::string path;
  std::vector<ModuleSegment> headers;
  bool alreadyUsed = true;
  // A name matches by base name, in any case and directory, and by its
  // extension when it gives one.
  EXPECT_FALSE(link.UseLibrary("NOPE.LIB", path, headers, alreadyUsed));
  EXPECT_FALSE(link.UseLibrary("LIBA.C", path, headers, alreadyUsed));
  for (const char *name : {"liba", "OTHER\\liba.lib", "libb"}) {
    ASSERT_TRUE(link.UseLibrary(name, path, headers, alreadyUsed)) << name;
    EXPECT_EQ(path, std::string(name) == "libb" ? libB : libA) << name;
  }
  ClearLibraryLinkMarks();
  ResetCompileDriverModule();
  ASSERT_TRUE(link.UseLibrary("LIBA.LIB", path, headers, alreadyUsed));
  EXPECT_FALSE(alreadyUsed);
  EXPECT_EQ(path, libA);
  ASSERT_EQ(headers.size(), 2u);
  std::string text = kLibA;
  // The first module's names run over two lines: its header text is
  // numbered from the second.
  EXPECT_EQ(headers[0].firstLine, 1);
  EXPECT_EQ(headers[1].firstLine, 8);
  EXPECT_EQ(headers[1].end, text.find("/*** endheader */\nint d;"));
  EXPECT_EQ(UsedLibraries(), (std::vector<std::string>{"LIBA.LIB"}));
  ASSERT_TRUE(link.UseLibrary("LIBA.LIB", path, headers, alreadyUsed));
  EXPECT_TRUE(alreadyUsed);

  pending.names = {"d"};
  EXPECT_EQ(link.PendingNameCount(), 1u);
  ModuleSegment body;
  ASSERT_TRUE(link.NextModuleToLink(body));
  EXPECT_EQ(body.libraryPath, libA);
  EXPECT_EQ(body.start, text.rfind("/*** endheader"));
  EXPECT_EQ(body.end, text.size());
  EXPECT_EQ(body.firstLine, 9);
  EXPECT_FALSE(link.NextModuleToLink(body));
  SetPendingLabelNames(nullptr);
  ResetCompileDriverModule();
}

} // namespace
} // namespace tsw::testing
