#include "platform/rewrite.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tsw::plat {
namespace {

using tsw::testing::TempDir;

std::string Contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

enum class Kind { kPlain, kReadOnly, kSymlink, kSecondName };

struct RewriteCase {
  const char *what;
  Kind kind;
  bool replaced; // removed, for the write to make a new file
};

// Only a plain writable file of one name is replaced; anything else stays
// the file it is, so that the caller's write reaches it (through every other
// name) or is refused, as a write in place is.
TEST(RemoveBeforeRewrite, OnlyAPlainWritableFileOfOneNameIsReplaced) {
  const RewriteCase cases[] = {
      {"a plain file", Kind::kPlain, true},
      {"a read-only file", Kind::kReadOnly, false},
      {"a symbolic link", Kind::kSymlink, false},
      {"a file of two names", Kind::kSecondName, false},
  };
  for (const RewriteCase &c : cases) {
    TempDir dir;
    const std::string path = dir.Write(c.kind == Kind::kSymlink ? "target" : "PROG.map", "old");
    const std::string name = dir.path() + "/PROG.map";
    const std::string other = dir.path() + "/other";
    if (c.kind == Kind::kReadOnly)
      std::filesystem::permissions(name, std::filesystem::perms::owner_read);
    if (c.kind == Kind::kSymlink)
      std::filesystem::create_symlink(path, name);
    if (c.kind == Kind::kSecondName)
      std::filesystem::create_hard_link(name, other);

    RemoveBeforeRewrite(name);
    const bool removed = !std::filesystem::exists(std::filesystem::symlink_status(name));
    std::ofstream(name, std::ios::binary | std::ios::trunc) << "new";

    EXPECT_EQ(removed, c.replaced) << c.what;
    if (c.kind == Kind::kSymlink) {
      EXPECT_EQ(Contents(path), "new") << c.what;
    } else if (c.kind == Kind::kSecondName) {
      EXPECT_EQ(Contents(other), "new") << c.what;
    } else if (c.kind == Kind::kPlain) {
      EXPECT_EQ(Contents(name), "new") << c.what;
    }
    std::filesystem::permissions(name, std::filesystem::perms::owner_all);
  }
}

TEST(RemoveBeforeRewrite, NoFileIsNothingToDo) {
  TempDir dir;
  RemoveBeforeRewrite(dir.path() + "/PROG.map");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/PROG.map"));
}

} // namespace
} // namespace tsw::plat
