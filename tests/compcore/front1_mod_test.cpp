#include "compcore/cc_in.h"
#include "compcore/cc_mod.h"
#include "platform/paths.h"
#include "foundation/xerr.h"
#include "front1_fixture.h"
#include "support/tempdir.h"

#include <filesystem>

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

class LibraryIndexTest : public Front1Test {
protected:
  void SetUp() override {
    Front1Test::SetUp();
    ResetLibraryIndexModule();
    SetLibraryProgramDirectory(dir.path());
    SetLibraryIndexMessages([this](const LibraryIndexMessage &m) {
      std::string text = std::to_string(m.message);
      for (const std::string &a : m.args)
        text += " " + a;
      messages.push_back(text);
    });
    libA = dir.Write("LIB/LIBA.LIB", kLibA);
    libB = dir.Write("LIB/LIBB.LIB", kLibB);
    libDir = dir.Write("LIB.DIR", "* comment\n\nLIB\\LIBA.LIB\t; first\nLIB\\LIBB;x\n");
  }
  void TearDown() override {
    ResetLibraryIndexModule();
    Front1Test::TearDown();
  }
  int Count(unsigned message) const {
    return int(std::count_if(messages.begin(), messages.end(),
                             [&](const std::string &m) { return m.starts_with(std::to_string(message)); }));
  }
  void EnterAll() {
    for (auto &lib : ModuleIndex().libraries)
      InsertLibraryNames(*lib, ModuleIndex(), false);
  }
  static void Touch(const std::string &path, int seconds) {
    auto t = std::filesystem::last_write_time(path);
    std::filesystem::last_write_time(path, t + std::chrono::seconds(seconds));
  }

  TempDir dir;
  std::string libA, libB, libDir;
  std::vector<std::string> messages;
};

TEST_F(LibraryIndexTest, ScanFindsModulesNamesAndBodies) {
  ZLibEntry m, d;
  ScanLibraryFile(libA, m, d);
  ASSERT_EQ(m.modules.size(), 2u);
  EXPECT_EQ(m.modules[0]->names, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(m.modules[0]->headerLine, 0);
  EXPECT_EQ(m.modules[0]->bodyLine, 3);
  std::string text = kLibA;
  EXPECT_EQ(m.modules[0]->bodyStart, text.find("/*** endheader"));
  EXPECT_EQ(m.modules[0]->bodyEnd, text.find("/*** beginheader d"));
  EXPECT_EQ(m.modules[1]->bodyEnd, text.size());
  ASSERT_EQ(d.modules.size(), 1u);
  EXPECT_EQ(d.modules[0]->names, (std::vector<std::string>{"a"}));
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

TEST_F(LibraryIndexTest, CachesAreWrittenAndReadBackEqual) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ASSERT_EQ(ModuleIndex().libraries.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(dir / "LIB/LIBA.MD1"));
  EXPECT_TRUE(std::filesystem::exists(dir / "LIB/LIBB.HX1"));
  ZLibEntry reread;
  reread.name = ModuleIndex().libraries[0]->name;
  ASSERT_TRUE(LoadLibraryIndexCache(reread, libA, "MD1"));
  const ZLibEntry &scanned = *ModuleIndex().libraries[0];
  ASSERT_EQ(reread.modules.size(), scanned.modules.size());
  for (size_t i = 0; i < reread.modules.size(); ++i) {
    EXPECT_EQ(reread.modules[i]->names, scanned.modules[i]->names);
    EXPECT_EQ(reread.modules[i]->bodyStart, scanned.modules[i]->bodyStart);
    EXPECT_EQ(reread.modules[i]->bodyEnd, scanned.modules[i]->bodyEnd);
  }
  EXPECT_EQ(reread.fileTime, scanned.fileTime);
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
  EXPECT_EQ(ModuleIndex().libraries[0]->fileTime, plat::FileModTime(libA).value());
}

TEST_F(LibraryIndexTest, CorruptedCacheFallsBackToAScan) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  std::string good = dir.Read("LIB/LIBA.MD1");
  const std::vector<std::string> corrupt = {
      good.substr(0, good.size() - 3),           // cut short
      good + "x",                                // trailing bytes
      good.substr(0, 4) + std::string("\xff\xff", 2) + good.substr(6), // name length past the end
  };
  for (const std::string &bad : corrupt) {
    dir.Write("LIB/LIBA.MD1", bad);
    ZLibEntry e;
    e.name = ModuleIndex().libraries[0]->name;
    EXPECT_FALSE(LoadLibraryIndexCache(e, libA, "MD1"));
  }
  // A full rebuild with a bad cache still indexes the library.
  ResetLibraryIndexModule();
  SetLibraryProgramDirectory(dir.path());
  dir.Write("LIB/LIBA.MD1", corrupt[0]);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EXPECT_EQ(ModuleIndex().libraries[0]->modules.size(), 2u);
  EXPECT_EQ(dir.Read("LIB/LIBA.MD1"), good);
}

TEST_F(LibraryIndexTest, CacheOutsideTheProgramDirectoryIsIgnored) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  SetLibraryProgramDirectory(dir / "elsewhere");
  ZLibEntry e;
  e.name = ModuleIndex().libraries[0]->name;
  EXPECT_FALSE(LoadLibraryIndexCache(e, libA, "MD1"));
}

TEST_F(LibraryIndexTest, DuplicateNamesReportedOnceAcrossCompiles) {
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  EnterAll();
  EnterAll();
  EXPECT_EQ(Count(kMsgDuplicateName), 1);
  ZModEntry *m = nullptr;
  EXPECT_EQ(FindLibraryFunction("a", &m, true), 0); // two libraries describe it
  ASSERT_EQ(FindLibraryFunction("a in " + ModuleIndex().libraries[1]->name, &m, false), 1);
  EXPECT_EQ(m->library, DescriptionIndex().libraries[1].get());
  std::vector<std::string> listed;
  ListLibraryFunctions([&](const std::string &t) { listed.push_back(t); });
  EXPECT_EQ(listed.size(), 2u);

  // The next compile: names are entered again without a second 527.
  messages.clear();
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ClearLibraryLinkMarks();
  for (auto &lib : ModuleIndex().libraries)
    InsertLibraryNames(*lib, ModuleIndex(), false);
  EXPECT_EQ(Count(kMsgDuplicateName), 1);
  EXPECT_EQ(ModuleIndex().hash.count({"d", nullptr}), 1u);
}

TEST_F(LibraryIndexTest, NextNeededModuleTakesThenReports521) {
  InstallErrorListSink();
  SetErrorFileName("P.C", 1);
  ASSERT_EQ(BuildLibraryIndex(libDir), 0);
  ClearLibraryLinkMarks();
  EnterAll();
  ZModEntry *m = NextNeededModule({"zz", "d"});
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->names, (std::vector<std::string>{"d"}));
  EXPECT_EQ(Count(kMsgTakingModule), 1);
  EXPECT_EQ(NextNeededModule({"d"}), nullptr);
  ASSERT_NE(ErrorListHead(), nullptr);
  EXPECT_EQ(ErrorListHead()->text, "E|P.C|[521]");
  EXPECT_EQ(NextNeededModule({"zz"}), nullptr);
  // The next compile takes the module afresh.
  InitCompilerTables();
  EnterAll();
  EXPECT_NE(NextNeededModule({"d"}), nullptr);
  SetDiagnosticSink(nullptr);
}

TEST_F(LibraryIndexTest, MissingDirectoryFileOrLibrary) {
  EXPECT_EQ(BuildLibraryIndex(dir / "NONE.DIR"), 1);
  std::string withMissing = dir.Write("TWO.DIR", "LIB\\NOPE.LIB\nLIB\\LIBA.LIB\n");
  ASSERT_EQ(BuildLibraryIndex(withMissing), 0);
  EXPECT_EQ(Count(kMsgNoLibraryFile), 1);
  EXPECT_EQ(ModuleIndex().libraries.size(), 1u);
}

} // namespace
} // namespace tsw::testing

#include "compcore/cc_go_index.h"

namespace tsw::testing {
namespace {

TEST_F(LibraryIndexTest, DriverServiceBuildsAndSeesChangedLibraries) {
  ModuleIndexService service([&] { return libDir; });
  ASSERT_EQ(service.Build(dir.path()), 0);
  ASSERT_EQ(service.LibraryPaths().size(), 2u);
  std::string a = service.LibraryPaths()[0];
  EXPECT_TRUE(service.LibraryChanged(a)); // first sight
  EXPECT_FALSE(service.LibraryChanged(a));
  Touch(libA, 5);
  EXPECT_TRUE(service.LibraryChanged(a));
  EXPECT_FALSE(service.LibraryChanged(a));
  EXPECT_TRUE(service.LibDirChanged(dir / "NONE.DIR"));
}

} // namespace
} // namespace tsw::testing
