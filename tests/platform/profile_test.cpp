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

TEST(ProfileDocument, TextsReadBackExactly) {
  TempDir dir;
  const std::string texts[] = {"plain", " leading", "trailing ", "\"quoted\"", "'single'",       "\"half",
                               "a=b;c", "",         "  ",        "x\"",        "; not a comment"};
  {
    ProfileDocument doc(dir / "t.ini");
    for (size_t i = 0; i < std::size(texts); ++i)
      doc.Set("S", "k" + std::to_string(i), texts[i]);
    ASSERT_TRUE(doc.Save());
  }
  ProfileDocument again(dir / "t.ini");
  for (size_t i = 0; i < std::size(texts); ++i)
    EXPECT_EQ(again.Get("s", "K" + std::to_string(i)), texts[i]) << i;
  // A line end would start a new entry: the value ends there.
  again.Set("S", "inject", "ok\n[Other]\nk=evil");
  EXPECT_EQ(again.Get("S", "inject"), "ok");
  EXPECT_EQ(again.Get("Other", "k"), std::nullopt);
}

TEST(ProfileDocument, DamagedFileIsReadWhereItParsesAndSurvivesASave) {
  TempDir dir;
  std::string longLine(1 << 20, 'x');
  std::string binary("\x01\xff\x00\x7f=\x80", 6);
  std::string damaged =
      "[Main\nlost=1\n[Main]\n" + binary + "\nk=first\nk=second\n" + longLine + "\nno equals sign\n[Tail]\nlast=end";
  std::string file = dir.Write("d.ini", damaged);

  ProfileDocument doc(file);
  EXPECT_EQ(doc.Get("Main", "k"), "first");  // the first of duplicate keys counts
  EXPECT_EQ(doc.Get("Tail", "last"), "end"); // no final line end
  doc.Set("Main", "new", "1");
  doc.Set("Main", "k", "changed");
  ASSERT_TRUE(doc.Save());

  std::string text = dir.Read("d.ini");
  for (const std::string &kept : {std::string("[Main\nlost=1\n"), binary, std::string("k=second\n"), longLine,
                                  std::string("no equals sign\n"), std::string("last=end\n")})
    EXPECT_NE(text.find(kept), std::string::npos) << kept.substr(0, 20);
  EXPECT_NE(text.find("k=changed\n"), std::string::npos);
  EXPECT_EQ(ProfileDocument(file).Get("main", "NEW"), "1");
}

TEST(ProfileDocument, SaveKeepsKeysAnotherWriterAdded) {
  TempDir dir;
  std::string file = dir.Write("s.ini", "[A]\nmine=0\n");
  ProfileDocument doc(file);
  ASSERT_TRUE(WritePrivateProfileString("A", "theirs", "7", file));
  ASSERT_TRUE(WritePrivateProfileString("B", "other", "8", file));
  doc.Set("A", "mine", "1");
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(GetProfileString("A", "theirs", "", file), "7");
  EXPECT_EQ(GetProfileString("B", "other", "", file), "8");
  EXPECT_EQ(GetProfileString("A", "mine", "", file), "1");
  EXPECT_FALSE(doc.HasChanges());
}

TEST(ProfileDocument, WriteProtectedFileIsLeftAlone) {
  TempDir dir;
  std::string file = dir.Write("ro.ini", "[A]\nk=old\n");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  ProfileDocument doc(file);
  doc.Set("A", "k", "new");
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(doc.HasChanges());
  EXPECT_EQ(dir.Read("ro.ini"), "[A]\nk=old\n");
}

} // namespace
} // namespace tsw::plat
