#include "foundation/langmodule.h"
#include "foundation/msgcatalog.h"
#include "foundation/msgsig.h"
#include "foundation/restext.h"
#include "lang/langabi.h"
#include "platform/format.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace tsw {
namespace {

std::string BuildBin() {
  const char *bin = std::getenv("TSW_BUILD_BIN");
  return bin ? bin : plat::ProgramDirectory();
}

class EnglishCatalogue : public ::testing::Test {
protected:
  void SetUp() override {
    ResetMessageTextModule();
    std::string error;
    english = LanguageModule::Load("ENGLISH.DLL", BuildBin(), &error);
    ASSERT_TRUE(english) << error;
    SetMessageTexts(english.get());
  }
  void TearDown() override { ResetMessageTextModule(); }
  std::string Text(unsigned id) { return GetResourceString(id); }

  std::unique_ptr<LanguageModule> english;
};

TEST_F(EnglishCatalogue, EveryTextFitsItsSignatureAndNoneIsMissing) {
  std::vector<std::string> problems = CheckLanguageModule([&](unsigned id) { return english->Find(id); });
  for (const std::string &p : problems)
    ADD_FAILURE() << p;
}

TEST_F(EnglishCatalogue, TextsTheProgramLooksInto) {
  EXPECT_EQ(Text(lang::kLanguageMarkId), lang::kEnglishMark);
  // The message window picks its rows by these words.
  EXPECT_EQ(Text(739), "ERROR");
  EXPECT_NE(Text(809).find("ERROR"), std::string::npos);
  EXPECT_NE(Text(743).find("WARNING"), std::string::npos);
  // Titles go into 40-character buffers, 32 where the driver uses them.
  EXPECT_LE(Text(5000).size(), 32u);
  EXPECT_LE(Text(5001).size(), 32u);
  EXPECT_LE(plat::FormatText(Text(4028), "C:\\TSW\\LIB.DIR").size(), 64u);
  EXPECT_LE(plat::FormatText(Text(5079), 0x12, 0xE345).size(), 64u);
  EXPECT_LE(plat::FormatText(Text(5080), 0x12, 0xE345).size(), 64u);
  for (unsigned id : {5021u, 5022u, 5023u, 5146u, 5147u, 5148u}) {
    const MessageSignature *s = FindMessageSignature(id);
    ASSERT_NE(s, nullptr) << id;
    ASSERT_EQ(s->argCount, 1) << id;
    EXPECT_EQ(s->args[0], ArgKind::kText) << id;
  }
}

template <unsigned Id, class... A>
concept Formattable = requires(A... args) { FormatMessage<Id>(args...); };

// Call sites with the wrong arguments do not compile.
static_assert(Formattable<493, const char *>);
static_assert(Formattable<562, std::string, int>);
static_assert(!Formattable<493>);                  // too few
static_assert(!Formattable<493, int>);             // a number for a name
static_assert(!Formattable<562, const char *, const char *>);
static_assert(!Formattable<140, const char *>);    // 140 takes two
static_assert(!Formattable<3, int>);               // no such message

TEST_F(EnglishCatalogue, TypedFormattingFillsTheArgumentsIn) {
  EXPECT_EQ(FormatMessage<493>("counter"), plat::FormatText(Text(493), "counter"));
  EXPECT_NE(FormatMessage<562>(")", 12).find("12"), std::string::npos);
}

TEST(MessageChecker, CatchesTextsThatDisagreeWithTheirCallers) {
  const MessageSignature nameAndLine{562, MessageUse::kCompileError, {ArgKind::kText, ArgKind::kInt}};
  struct Case {
    const char *text;
    size_t problems;
  } cases[] = {
      {"'%s' does not match line %d", 0},
      {"%-10s at %i\a\ahelp 100%%", 0},
      {"line %d: '%s'", 2},          // the two kinds swapped
      {"'%s' does not match", 1},   // one argument too few
      {"%s %d %d", 1},              // one too many
      {"%s %ld", 1},                // long where an int is given
      {"%s %*d", 2},                // a star width: unknown kind, and one argument short
      {"%s %d 50% off", 1},         // "% o" is a conversion
      {"%s %d %", 1},               // a stray '%'
  };
  for (const Case &c : cases)
    EXPECT_EQ(CheckMessageText(nameAndLine, c.text).size(), c.problems) << c.text;
}

TEST(MessageChecker, ModuleCheckReportsMissingAndStrayNumbers) {
  std::map<unsigned, const char *> texts;
  for (const MessageSignature &s : kMessageSignatures)
    texts[s.id] = s.argCount ? "%s" : "fixed";
  texts.erase(493);     // missing
  texts[4] = "stray";   // not in the catalogue
  texts[140] = "%d %d"; // wrong kinds
  auto find = [&](unsigned id) -> const char * {
    auto it = texts.find(id);
    return it == texts.end() ? nullptr : it->second;
  };
  std::vector<std::string> problems = CheckLanguageModule(find);
  auto said = [&](const std::string &start) {
    return std::any_of(problems.begin(), problems.end(), [&](const std::string &p) { return p.rfind(start, 0) == 0; });
  };
  EXPECT_TRUE(said("493: no text"));
  EXPECT_TRUE(said("4: not in the catalogue"));
  EXPECT_TRUE(said("140: argument 1"));
}

TEST(MessageChecker, CatalogueIsSortedAndUnique) {
  for (size_t i = 1; i < std::size(kMessageSignatures); ++i)
    EXPECT_LT(kMessageSignatures[i - 1].id, kMessageSignatures[i].id);
  EXPECT_EQ(FindMessageSignature(3), nullptr);
  ASSERT_NE(FindMessageSignature(4027), nullptr);
  EXPECT_EQ(FindMessageSignature(4027)->argCount, 3);
}

} // namespace
} // namespace tsw
