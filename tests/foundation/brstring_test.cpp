#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/brstring.h"

namespace tsw {
namespace {

class BRStringTest : public ::testing::Test {
protected:
  void SetUp() override { ResetStringModule(); }
  void TearDown() override { FreeStringTable(); }
};

TEST_F(BRStringTest, EqualTextsShareOneEntryUntilTheLastRelease) {
  uint16_t before = StringTableCount();
  {
    BRString a("main");
    BRString b("main");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.Entry(), b.Entry());
    EXPECT_EQ(a.RefCount(), 2u);
    EXPECT_EQ(StringTableCount(), before + 1);
    BRString c("Main");
    EXPECT_FALSE(a == c);
  }
  EXPECT_EQ(FindStringEntry("main"), nullptr);
  EXPECT_EQ(StringTableCount(), before);
}

TEST_F(BRStringTest, SelfAssignmentKeepsTextAndCount) {
  BRString a("x");
  BRString &same = a;
  a = same;
  EXPECT_STREQ(a.Text(), "x");
  EXPECT_EQ(a.RefCount(), 1u);
  a.Attach(a.Entry());
  EXPECT_EQ(a.RefCount(), 1u);
}

TEST_F(BRStringTest, AssignmentMovesTheReference) {
  BRString a("one");
  BRString b("two");
  b = a;
  EXPECT_EQ(FindStringEntry("two"), nullptr);
  EXPECT_EQ(a.RefCount(), 2u);
  BRString c(std::move(b));
  EXPECT_EQ(a.RefCount(), 2u);
  EXPECT_STREQ(b.Text(), "");
}

TEST_F(BRStringTest, InternTellsNewFromPresentAndAlwaysAddsAReference) {
  BRString a;
  EXPECT_EQ(a.Intern("name"), 1);
  BRString b;
  EXPECT_EQ(b.Intern("name"), 0);
  EXPECT_EQ(a.RefCount(), 2u);
}

TEST_F(BRStringTest, ReleaseNeverDrivesTheCountBelowZero) {
  BRString a("t");
  a.Release();
  a.Release(); // a null handle: nothing happens
  EXPECT_EQ(FindStringEntry("t"), nullptr);
}

TEST_F(BRStringTest, PurgeUnusedRemovesOnlyUnreferencedEntries) {
  BRString kept("kept");
  FindOrAddStringEntry("orphan1");
  FindOrAddStringEntry("orphan2");
  EXPECT_EQ(BRString::PurgeUnused(), 2);
  EXPECT_EQ(FindStringEntry("orphan1"), nullptr);
  EXPECT_EQ(FindStringEntry("orphan2"), nullptr);
  EXPECT_EQ(kept.RefCount(), 1u);
  EXPECT_EQ(BRString::PurgeUnused(), 0);
}

TEST_F(BRStringTest, EmptyTextLivesAsLongAsTheSharedHandle) {
  ASSERT_NE(FindStringEntry(""), nullptr);
  {
    BRString e("");
    EXPECT_EQ(e, BRString::Empty());
  }
  EXPECT_NE(FindStringEntry(""), nullptr);
  BRString::PurgeUnused();
  EXPECT_NE(FindStringEntry(""), nullptr);
}

TEST_F(BRStringTest, OrderedSetsUseCollationWhileBucketsUseBytes) {
  std::set<BRString> names;
  for (const char *n : {"b", "B", "a", "A"})
    names.insert(BRString(n));
  std::string order;
  for (const BRString &n : names)
    order += n.Text();
  EXPECT_EQ(order, "aAbB");
}

TEST_F(BRStringTest, ManyNamesStayDistinct) {
  std::vector<BRString> names;
  for (int i = 0; i < 5000; ++i)
    names.emplace_back(std::to_string(i));
  for (int i = 0; i < 5000; ++i)
    EXPECT_EQ(names[i], BRString(std::to_string(i)));
  EXPECT_EQ(StringTableCount(), 5001);
}

// A test that resets the table and leaves it in use: the sanitizer run
// reports a leak at exit unless the table frees itself then.
TEST(BRStringTableLifetime, ATableLeftInUseIsFreedAtExit) {
  ResetStringModule();
  BRString kept("kept to the end of the test");
  EXPECT_EQ(kept.RefCount(), 1u);
}

} // namespace
} // namespace tsw
