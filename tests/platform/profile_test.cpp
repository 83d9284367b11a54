#include "platform/profile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tsw::plat {
namespace {

using tsw::testing::TempDir;

TEST(Profile, RoundTripKeepsCommentsAndMatchesWithoutCase) {
  TempDir dir;
  std::string file = dir.Write("prog.dbg", "; watch list\n[Debug Environment]\nWatch0 = a+b\n\n[Other]\nx=1\n");

  ASSERT_TRUE(WritePrivateProfileString("DEBUG ENVIRONMENT", "WATCH1", "c[2]", file));
  ASSERT_TRUE(WritePrivateProfileString("debug environment", "watch0", "q", file));

  EXPECT_EQ(GetProfileString("Debug Environment", "Watch0", "", file), "q");
  EXPECT_EQ(GetProfileString("DEBUG environment", "wAtCh1", "", file), "c[2]");
  EXPECT_EQ(GetProfileString("other", "X", "", file), "1");
  EXPECT_EQ(GetProfileString("Other", "missing", "dflt", file), "dflt");
  EXPECT_EQ(GetProfileString("Nowhere", "x", "dflt", file), "dflt");

  std::string text = dir.Read("prog.dbg");
  EXPECT_EQ(text.rfind("; watch list\n", 0), 0u) << text;
  // The new key stays inside its section, before the blank line.
  EXPECT_LT(text.find("WATCH1=c[2]"), text.find("[Other]"));
}

TEST(Profile, NullValueDeletesKeyAndNullKeyDeletesSection) {
  TempDir dir;
  std::string file = dir.Write("x.ini", "[A]\nk=1\nm=2\n[B]\nn=3\n");
  ASSERT_TRUE(WritePrivateProfileString("a", "K", nullptr, file));
  EXPECT_EQ(GetProfileString("A", "k", "gone", file), "gone");
  EXPECT_EQ(GetProfileString("A", "m", "", file), "2");
  ASSERT_TRUE(WritePrivateProfileString("B", nullptr, nullptr, file));
  EXPECT_EQ(GetProfileString("B", "n", "gone", file), "gone");
}

TEST(Profile, NewFileAndNewSection) {
  TempDir dir;
  std::string file = dir / "new.ini";
  ASSERT_TRUE(WritePrivateProfileString("DEFINES", "defs", "A=1;B", file));
  EXPECT_EQ(GetProfileString("defines", "DEFS", "", file), "A=1;B");
}

TEST(Profile, ValueIsCutToTheCallersBuffer) {
  TempDir dir;
  std::string file = dir.Write("x.ini", "[S]\nk=abcdefgh\n");
  char buf[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", buf, sizeof buf, file), 4u);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(GetPrivateProfileString("S", "none", "default", buf, sizeof buf, file), 4u);
  EXPECT_STREQ(buf, "defa");
}

TEST(Profile, FailedWriteLeavesTheOldFileWhole) {
  TempDir dir;
  std::string file = dir.Write("keep.ini", "[S]\nk=old\n");
  // A write to a file inside a directory that is not one fails even for
  // root; the old file is untouched.
  std::string impossible = dir.Write("plainfile", "") + "/x.ini";
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", impossible));

  // Replacing a directory by the new file fails at the rename step.
  std::filesystem::create_directory(dir / "isdir.ini");
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", dir / "isdir.ini"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "isdir.ini"));
  EXPECT_EQ(dir.Read("keep.ini"), "[S]\nk=old\n");
  // No temporary file is left behind.
  auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
  EXPECT_EQ(entries, 3);
}

} // namespace
} // namespace tsw::plat
