#include "gui/debuginfo.h"

#include "platform/profile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tsw {
namespace {

namespace fs = std::filesystem;
using tsw::testing::TempDir;
using Texts = std::vector<std::string>;

TEST(DebugFile, NameSharesDirectoryAndStem) {
  EXPECT_EQ(DebugFilePath("/src/prog.c"), "/src/prog.DBG");
  EXPECT_EQ(DebugFilePath("/src/prog"), "/src/prog.DBG");
  EXPECT_EQ(DebugFilePath("/src.d/prog"), "/src.d/prog.DBG");
  EXPECT_EQ(DebugFilePath("/src/prog.h"), DebugFilePath("/src/prog.c"));
}

TEST(DebugFile, SavedListsLoadBackAndEmptyListsRemoveTheFile) {
  TempDir dir;
  std::string source = dir.Write("prog.c", "main(){}\n");
  cDebugInfo info;
  info.Watches().Insert(-1, "i");
  info.Watches().Insert(-1, "buf[3]");
  ASSERT_TRUE(SaveWatches(source, info));
  std::string file = dir / "prog.DBG";
  EXPECT_EQ(plat::GetProfileString("Debug Environment", "Number of Watches", "", file), "2");
  EXPECT_EQ(plat::GetProfileString("Debug Environment", "Watch1", "", file), "buf[3]");
  EXPECT_EQ(plat::GetProfileString("Debug Environment", "Number of cbWatches", "absent", file), "absent");

  cDebugInfo back;
  LoadWatches(source, back);
  EXPECT_EQ(back.Watches().Expressions(), (Texts{"i", "buf[3]"}));
  EXPECT_EQ(back.History().Count(), 0u);

  back.Watches().Clear();
  ASSERT_TRUE(SaveWatches(source, back));
  EXPECT_FALSE(fs::exists(file));
}

TEST(DebugFile, DamagedOrMissingEntriesLoadAsTheyCan) {
  struct Case {
    const char *name;
    const char *contents;
    Texts watches, history;
  };
  std::string longText(300, 'e');
  std::string longFile = "[Debug Environment]\nNumber of Watches=1\nWatch0=" + longText + "\n";
  const Case cases[] = {
      {"count beyond entries", "[Debug Environment]\nNumber of Watches=3\nWatch1=x\n", {";", "x", ";"}, {}},
      {"negative count", "[Debug Environment]\nNumber of Watches=-4\nWatch0=x\n", {}, {}},
      {"huge count is bounded", "[Debug Environment]\nNumber of cbWatches=4000000000\n", {}, Texts(1024, ";")},
      {"text cut to 255", longFile.c_str(), {std::string(255, 'e')}, {}},
      {"history alone", "[debug environment]\nnumber of cbwatches=1\ncbwatch0=k+1\n", {}, {"k+1"}},
  };
  for (const Case &c : cases) {
    TempDir dir;
    dir.Write("p.DBG", c.contents);
    cDebugInfo info;
    LoadWatches(dir / "p.c", info);
    EXPECT_EQ(info.Watches().Expressions(), c.watches) << c.name;
    EXPECT_EQ(info.History().Expressions(), c.history) << c.name;
  }
}

TEST(DebugFile, DocumentsSharingTheFileDoNotUndoEachOther) {
  TempDir dir;
  dir.Write("prog.DBG", "[Debug Environment]\nNumber of Watches=1\nWatch0=old\n");
  cDebugInfo source, header;
  LoadWatches(dir / "prog.c", source);
  LoadWatches(dir / "prog.h", header);
  source.Watches().Insert(-1, "new");
  ASSERT_TRUE(SaveWatches(dir / "prog.c", source));
  ASSERT_TRUE(SaveWatches(dir / "prog.h", header)); // unchanged: the file stays
  cDebugInfo back;
  LoadWatches(dir / "prog.c", back);
  EXPECT_EQ(back.Watches().Expressions(), (Texts{"old", "new"}));
}

TEST(DebugFile, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  std::string old = "[Debug Environment]\nNumber of Watches=1\nWatch0=old\n";
  std::string file = dir.Write("prog.DBG", old);
  fs::permissions(file, fs::perms::owner_read);
  cDebugInfo info;
  LoadWatches(dir / "prog.c", info);
  info.History().Insert(-1, "typed");
  EXPECT_FALSE(SaveWatches(dir / "prog.c", info));
  EXPECT_EQ(dir.Read("prog.DBG"), old);
  EXPECT_TRUE(info.ChangedSinceFile());
}

TEST(DebugFile, CopyTakesBothListsUncompiled) {
  cDebugInfo from, to;
  from.Watches().Insert(-1, "a");
  from.History().Insert(-1, "b");
  to.Watches().Insert(-1, "gone");
  to.CopyFrom(from);
  EXPECT_EQ(to.Watches().Expressions(), (Texts{"a"}));
  EXPECT_EQ(to.History().Expressions(), (Texts{"b"}));
  EXPECT_FALSE(to.Watches().IsCompiled());

  // A copy of a loaded document changes nothing on its own.
  TempDir dir;
  dir.Write("p.DBG", "[Debug Environment]\nNumber of Watches=1\nWatch0=w\n");
  cDebugInfo loaded, copy;
  LoadWatches(dir / "p.c", loaded);
  copy.CopyFrom(loaded);
  EXPECT_FALSE(copy.ChangedSinceFile());
}

TEST(DebugFile, DocumentsLoadAndSaveTheirWatchesThroughThePort) {
  TempDir dir;
  std::string source = dir.Write("prog.c", "main(){}\n");
  dir.Write("prog.DBG", "[Debug Environment]\nNumber of Watches=1\nWatch0=count\n");
  {
    gui::DocumentOptions options;
    options.debugInfo = DebugInfoForDocuments();
    gui::cBufFile document(source, false, std::move(options));
    auto *port = dynamic_cast<DebugInfoDocumentPort *>(document.GetDebugInfo());
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->Info().Watches().Expressions(), (Texts{"count"}));
    port->Info().History().Insert(-1, "count + 1");

    gui::DocumentOptions copyOptions;
    copyOptions.debugInfo = DebugInfoForDocuments();
    gui::cBufFile copy(document, std::move(copyOptions));
    auto *copied = dynamic_cast<DebugInfoDocumentPort *>(copy.GetDebugInfo());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Info().History().Expressions(), (Texts{"count + 1"}));
  }
  cDebugInfo back;
  LoadWatches(source, back);
  EXPECT_EQ(back.Watches().Expressions(), (Texts{"count"}));
  EXPECT_EQ(back.History().Expressions(), (Texts{"count + 1"}));
}

} // namespace
} // namespace tsw
