#include "compcore/cc_go/cc_go_paths.h"
#include "compcore/common/cc_editor_view.h"
#include "compcore/product_shell.h"
#include "platform/paths.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

TEST(MakeFilePath, CompletesNamesAgainstTheRightDirectory) {
  const std::string cwd = plat::CurrentDirectory();
  struct Case {
    const char *path, *defaultPath, *ext;
    uint16_t flags;
    std::string expected;
  } cases[] = {
      {"PROG", "/opt/tsw/LIB.DIR", "brk", kPathFromDefault, "/opt/tsw/PROG.brk"},
      {"PROG.C", "/opt/tsw/LIB.DIR", "brk", kPathFromDefault, "/opt/tsw/PROG.C"},
      {"PROG.C", "/opt/tsw/LIB.DIR", "brk", kPathFromDefault | kPathReplaceExtension, "/opt/tsw/PROG.brk"},
      {"LIB\\MATH.LIB", "/opt/tsw/", "", kPathFromDefault, "/opt/tsw/LIB/MATH.LIB"},
      {"PROG.C", "/opt/tsw/LIB.DIR", "", 0, cwd + "/PROG.C"},
      {"PROG.C", "NODIR", "", kPathFromDefault, cwd + "/PROG.C"},
      {"/abs/PROG", "/opt/tsw/", "c", kPathFromDefault, "/abs/PROG.c"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(MakeFilePath(c.path, c.defaultPath, c.ext, c.flags), c.expected) << c.path << " " << c.flags;
}

TEST(OpenOnSearchPath, FallsBackToTheDefaultDirectoryWhateverTheCase) {
  TempDir dir;
  std::string lib = dir.Write("Lib/Math.lib", "x");
  std::string found;
  FilePtr file = OpenOnSearchPath("LIB\\MATH", dir.path() + "/LIB.DIR", "LIB", "r", 0, &found);
  ASSERT_TRUE(file);
  EXPECT_EQ(found, lib);
  EXPECT_EQ(std::fgetc(file.get()), 'x');

  EXPECT_FALSE(OpenOnSearchPath("NONE", dir.path() + "/", "LIB", "r", 0, &found));
  EXPECT_EQ(found, dir.path() + "/NONE.LIB");

  std::string where;
  ASSERT_TRUE(FindOnSearchPath(where, dir.path() + "/", "lib/math.LIB", "", 0));
  EXPECT_EQ(where, lib);
  EXPECT_FALSE(FindOnSearchPath(where, dir.path() + "/", "NONE", "LIB", 0));
}

TEST(OpenWithPath, MakesANewFileInTheDirectoryAsFound) {
  TempDir dir;
  dir.Write("Out/keep", "");
  std::string path = "OUT\\PROG";
  FilePtr file = OpenWithPath(path, dir.path() + "/", "brk", "w", kPathFromDefault);
  ASSERT_TRUE(file);
  EXPECT_EQ(path, dir.path() + "/Out/PROG.brk");
}

TEST(EditorCursor, LineAndColumnOfTheActiveEditor) {
  EXPECT_EQ(GetEditorCursorLine(), 0);
  FakeEditors caret;
  SetEditorView(&caret);
  EXPECT_EQ(GetEditorCursorColumn(), 0);
  caret.cursor = (uint32_t(1234) << 16) | 56;
  EXPECT_EQ(GetEditorCursorLine(), 1234);
  EXPECT_EQ(GetEditorCursorColumn(), 56);
  SetEditorView(nullptr);
}

} // namespace
} // namespace tsw::testing
