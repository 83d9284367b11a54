#include "platform/paths.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace tsw::plat {
namespace {

using tsw::testing::TempDir;

TEST(Paths, JoinAndSplitAcceptBothSeparators) {
  EXPECT_EQ(JoinPath("lib", "STDIO.LIB"), "lib/STDIO.LIB");
  EXPECT_EQ(JoinPath("lib/", "SUB\\X.LIB"), "lib/SUB/X.LIB");
  EXPECT_EQ(JoinPath("", "x.c"), "x.c");
  EXPECT_EQ(JoinPath("lib", "/abs/x.c"), "/abs/x.c");

  SplitName split = SplitPath("C\\LIB\\STDIO.LIB");
  EXPECT_EQ(split.dir, "C\\LIB");
  EXPECT_EQ(split.name, "STDIO.LIB");
  EXPECT_EQ(SplitPath("/x.c").dir, "/");
  EXPECT_EQ(SplitPath("x.c").dir, "");
}

TEST(Paths, UpperCasedBackslashNameOpensLowerCaseFile) {
  TempDir dir;
  std::string file = dir.Write("lib/stdio.lib", "x");

  std::optional<std::string> found = ResolvePath("LIB\\STDIO.LIB", dir.path());
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, file);
  EXPECT_EQ(PathKey(*found), PathKey(dir.path() + "\\LIB\\STDIO.LIB"));
}

TEST(Paths, ExactSpellingWinsOverOtherCase) {
  TempDir dir;
  dir.Write("Prog.c", "a");
  std::string exact = dir.Write("PROG.C", "b");
  EXPECT_EQ(ResolvePath("PROG.C", dir.path()), exact);
  EXPECT_FALSE(ResolvePath("MISSING.C", dir.path()));
  EXPECT_FALSE(ResolvePath("PROG.C\\INSIDE", dir.path()));
}

TEST(Paths, ReplaceExtensionNeverTouchesTheDirectory) {
  struct Case {
    const char *path, *ext, *expected;
  } cases[] = {
      {"PROG.C", "BRK", "PROG.BRK"},
      {"a", "MAP", "a.MAP"},
      {"dir.x/prog", "bin", "dir.x/prog.bin"},
      {"DIR.X\\PROG.C", "hex", "DIR.X\\PROG.hex"},
      {"x.tar.c", "o", "x.tar.o"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ReplaceExtension(c.path, c.ext), c.expected) << c.path;
}

TEST(Paths, AccessAndModificationTime) {
  TempDir dir;
  std::string file = dir.Write("f.txt", "x");
  EXPECT_TRUE(CanRead(file));
  EXPECT_TRUE(CanWrite(file));
  EXPECT_FALSE(CanRead(dir / "none"));
  EXPECT_TRUE(FileModTime(file).has_value());
  EXPECT_FALSE(FileModTime(dir / "none").has_value());
}

TEST(Paths, SystemConfigDirectoryFollowsTheEnvironment) {
  ::setenv("TSW_SYSCONFDIR", "/etc/tswtest", 1);
  EXPECT_EQ(SystemConfigDirectory(), "/etc/tswtest");
  ::unsetenv("TSW_SYSCONFDIR");
  EXPECT_FALSE(SystemConfigDirectory().empty());
  EXPECT_FALSE(ProgramDirectory().empty());
}

} // namespace
} // namespace tsw::plat
