#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "foundation/langmodule.h"
#include "foundation/restext.h"
#include "lang/langabi.h"
#include "platform/format.h"
#include "platform/paths.h"
#include "support/tempdir.h"

namespace tsw {
namespace {
using testing::TempDir;

// Where the built programs and modules are: the test's own directory when
// it is run by hand.
std::string BuildBin() {
  const char *bin = std::getenv("TSW_BUILD_BIN");
  return bin ? bin : plat::ProgramDirectory();
}

class LangModuleTest : public ::testing::Test {
protected:
  void SetUp() override { ResetMessageTextModule(); }
  void TearDown() override { ResetMessageTextModule(); }
};

TEST(LanguageModuleFileTest, MapsTheStoredNameToAFileBesideTheProgram) {
  EXPECT_EQ(LanguageModuleFile("ENGLISH.DLL", "/opt/tsw"), "/opt/tsw/libtsw_english.so");
  EXPECT_EQ(LanguageModuleFile("Japanese.dll", "/opt/tsw"), "/opt/tsw/libtsw_japanese.so");
  EXPECT_EQ(LanguageModuleFile("/x/y/libmine.so", "/opt/tsw"), "/x/y/libmine.so");
  EXPECT_EQ(LanguageModuleFile("libmine.so", "/opt/tsw"), "libmine.so");
}

TEST_F(LangModuleTest, EnglishModuleFromTheBuildTreeServesItsTexts) {
  std::string error;
  std::unique_ptr<LanguageModule> english = LanguageModule::Load("ENGLISH.DLL", BuildBin(), &error);
  ASSERT_TRUE(english) << error;
  SetMessageTexts(english.get());
  EXPECT_STREQ(GetResourceString(lang::kLanguageMarkId), lang::kEnglishMark);
  EXPECT_EQ(english->Find(0xFFFFFFF0u), nullptr);
  EXPECT_STREQ(GetResourceString(0xFFFFFFF0u), "");
  // Escapes in the catalogue arrive as their characters.
  std::string note = plat::FormatText(GetResourceString(5080), 18, 58181);
  EXPECT_EQ(note.front(), '\n');
  EXPECT_NE(note.find("12:E345"), std::string::npos) << note;
  EXPECT_EQ(english->Symbol("no_such_entry_point"), nullptr);
  SetMessageTexts(nullptr);
}

// A bracket report names the bracket it is about: a user looking for an
// unclosed '(' must not be sent after a '['.
TEST_F(LangModuleTest, EnglishBracketReportsNameTheirBracket) {
  std::string error;
  std::unique_ptr<LanguageModule> english = LanguageModule::Load("ENGLISH.DLL", BuildBin(), &error);
  ASSERT_TRUE(english) << error;
  SetMessageTexts(english.get());
  const struct {
    unsigned number;
    const char *text;
  } reports[] = {
      {464, "'/*' comment not closed"}, {2085, "'(' not closed"},
      {2086, "')' without '('"},         {2087, "'{' not closed"},
      {2088, "'}' without '{'"},         {2089, "']' without '['"},
      {2090, "'[' not closed"},          {2091, "'#asm' without '#endasm'"},
      {2094, "'*/' without '/*'"},       {2095, "'#endasm' without '#asm'"},
  };
  for (const auto &report : reports)
    EXPECT_STREQ(GetResourceString(report.number), report.text) << report.number;
  SetMessageTexts(nullptr);
}

TEST_F(LangModuleTest, ModuleThatCannotBeLoadedIsReported) {
  TempDir dir;
  std::ofstream(dir.path() + "/libtsw_broken.so") << "not a shared library";
  struct Case {
    const char *name;
    const char *expect;
  } cases[] = {{"MISSING.DLL", "libtsw_missing.so"}, {"BROKEN.DLL", "libtsw_broken.so"}};
  for (const Case &c : cases) {
    std::string error;
    EXPECT_EQ(LanguageModule::Load(c.name, dir.path(), &error), nullptr);
    EXPECT_NE(error.find(c.expect), std::string::npos) << error;
  }
  EXPECT_EQ(LanguageModule::Load("MISSING.DLL", dir.path(), nullptr), nullptr);
}

// Runs the catalogue compiler on `catalogue`; gives its exit status and
// what it said.
int RunStringGen(const TempDir &dir, const std::string &catalogue, std::string &said) {
  std::string in = dir.path() + "/strings.txt";
  std::ofstream(in, std::ios::binary) << catalogue;
  std::string err = dir.path() + "/err.txt";
  std::string cmd = "'" + BuildBin() + "/tsw_stringgen' '" + in + "' '" + dir.path() +
                    "/out.cpp' 2>'" + err + "'";
  int status = std::system(cmd.c_str());
  std::ifstream errIn(err);
  said.assign(std::istreambuf_iterator<char>(errIn), std::istreambuf_iterator<char>());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(LangModuleTest, CatalogueCompilerRefusesBadLinesClearly) {
  TempDir dir;
  struct Case {
    const char *catalogue;
    const char *message;
  } cases[] = {
      {"1\tone\n2\ttwo\n1\tagain\n", "strings.txt:3: message 1 is already defined at line 1"},
      {"# note\n\n5\tbad \\q here\n", "strings.txt:3: bad escape \\q"},
      {"7\tcut \\\n", "strings.txt:1: a backslash ends the text"},
      {"8\tzero \\x00\n", "strings.txt:1: a text cannot hold a zero byte"},
      {"text without number\n", "strings.txt:1: expected NUMBER<TAB>TEXT"},
      {"99999999999\tbig\n", "strings.txt:1: message number 99999999999 is too large"},
  };
  for (const Case &c : cases) {
    std::string said;
    EXPECT_EQ(RunStringGen(dir, c.catalogue, said), 1) << c.catalogue;
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
    EXPECT_FALSE(std::ifstream(dir.path() + "/out.cpp").good());
  }
}

TEST_F(LangModuleTest, CatalogueCompilerWritesEscapedLiterals) {
  TempDir dir;
  std::string said;
  ASSERT_EQ(RunStringGen(dir, "2\ta\\a\\aHelp \\\"q\\\" \\x41\\101\\t?\r\n1\t\n", said), 0) << said;
  std::ifstream out(dir.path() + "/out.cpp");
  std::string src((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
  EXPECT_NE(src.find("{1u, \"\"}"), std::string::npos) << src;
  EXPECT_NE(src.find("{2u, \"a\\007\\007Help \\\"q\\\" AA\\011\\077\"}"), std::string::npos) << src;
  EXPECT_LT(src.find("{1u,"), src.find("{2u,"));
}

} // namespace
} // namespace tsw
