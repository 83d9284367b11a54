#include "gui/common/model/tswfile.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/xerr.h"
#include "model_fixture.h"
#include "support/tempdir.h"

namespace tsw::gui {
namespace {

namespace fs = std::filesystem;
using testing::CountingStore;
using testing::RecordingDocEvents;
using tsw::testing::TempDir;

struct FileFixture : ::testing::Test {
  TempDir dir;
  UndoPool pool;
  RecordingDocEvents events;

  DocumentOptions Options() {
    DocumentOptions options;
    options.store = MakeMemoryStore();
    options.pool = &pool;
    options.events = &events;
    return options;
  }
  std::unique_ptr<cBufFile> Open(const std::string &path) { return std::make_unique<cBufFile>(path, false, Options()); }
  std::vector<std::string> DirEntries() {
    std::vector<std::string> names;
    for (auto &entry : fs::directory_iterator(dir.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

struct LoadCase {
  const char *name;
  std::string bytes;
  std::vector<std::pair<std::string, LineEnd>> lines;
  bool longLineBox;
};

std::vector<LoadCase> LoadCases() {
  std::string l512(512, 'p'), l2000(2000, 'q');
  using E = LineEnd;
  return {
      {"CR LF between", "a\r\nb", {{"a", E::CRLF}, {"b", E::None}}, false},
      {"CR LF after the last", "a\r\nb\r\n", {{"a", E::CRLF}, {"b", E::CRLF}, {"", E::None}}, false},
      {"mixed ends", "a\nb\r\nc", {{"a", E::LF}, {"b", E::CRLF}, {"c", E::None}}, false},
      {"lone CR is a byte", "a\rb\n\r", {{"a\rb", E::LF}, {"\r", E::None}}, false},
      {"NUL is a byte", std::string("a\0b\nc", 5), {{std::string("a\0b", 3), E::LF}, {"c", E::None}}, false},
      {"only line ends", "\n\r\n", {{"", E::LF}, {"", E::CRLF}, {"", E::None}}, false},
      {"empty", "", {{"", E::None}}, false},
      {"512 bytes and LF", l512 + "\n", {{l512, E::LF}, {"", E::None}}, false},
      {"512 bytes and CR LF", l512 + "\r\nx", {{l512, E::CRLF}, {"x", E::None}}, false},
      {"512 bytes at the end", l512, {{l512, E::None}}, false},
      {"513 bytes", l512 + "z\n", {{l512, E::None}, {"z", E::LF}, {"", E::None}}, true},
      {"512 bytes and a CR byte", l512 + "\rx", {{l512, E::None}, {"\rx", E::None}}, true},
      {"2000 bytes",
       l2000 + "\nx",
       {{l2000.substr(0, 512), E::None},
        {l2000.substr(512, 512), E::None},
        {l2000.substr(1024, 512), E::None},
        {l2000.substr(1536), E::LF},
        {"x", E::None}},
       true},
  };
}

TEST_F(FileFixture, LoadSplitsLikeTheCompilerAndSaveGivesTheSameBytes) {
  for (const LoadCase &c : LoadCases()) {
    SCOPED_TRACE(c.name);
    events.messages.clear();
    std::string path = dir.Write("in.c", c.bytes);
    auto doc = Open(path);
    ASSERT_EQ(doc->LinesUsed(), int32_t(c.lines.size()));
    for (int32_t line = 0; line < doc->LinesUsed(); ++line) {
      EXPECT_EQ(doc->LineText(line), c.lines[size_t(line)].first) << line;
      EXPECT_EQ(doc->LineEndOf(line), c.lines[size_t(line)].second) << line;
    }
    std::vector<std::pair<uint32_t, uint32_t>> boxes;
    if (c.longLineBox)
      boxes.emplace_back(kMsgLongLine, kMsgLongLineCaption);
    EXPECT_EQ(events.messages, boxes) << "one box per load";
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(doc->CanUndo());
    doc->SetModified();
    ASSERT_TRUE(doc->Save(path));
    EXPECT_EQ(dir.Read("in.c"), c.bytes);
    EXPECT_FALSE(doc->IsModified());
  }
}

TEST_F(FileFixture, ContinuedLinesMapToFileLinesAndJoinInTheStream) {
  std::string path = dir.Write("long.c", "a\n" + std::string(1100, 'w') + "\nb");
  auto doc = Open(path);
  ASSERT_EQ(doc->LinesUsed(), 5);
  struct Case {
    int32_t docLine, fileLine;
  } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}};
  for (const Case &c : cases) {
    EXPECT_EQ(doc->DocLineToFileLine(c.docLine), c.fileLine) << c.docLine;
    if (c.docLine != 2 && c.docLine != 3) {
      EXPECT_EQ(doc->FileLineToDocLine(c.fileLine), c.docLine) << c.fileLine;
    }
  }
  std::ostringstream out;
  doc->WriteToStream(out);
  EXPECT_EQ(out.str(), "a\n" + std::string(1100, 'w') + "\nb\n");
}

TEST_F(FileFixture, LoadStoppedAtTheLineLimitRefusesEverySave) {
  std::string bytes;
  for (int i = 0; i < kMaxLines; ++i)
    bytes += "x\n";
  bytes += "last";
  std::string path = dir.Write("big.c", bytes);
  auto doc = Open(path);
  EXPECT_TRUE(doc->IsIncomplete());
  EXPECT_EQ(doc->LinesUsed(), kMaxLines);
  EXPECT_EQ(events.messages, (std::vector<std::pair<uint32_t, uint32_t>>{{kMsgTooManyLines, 0}}));
  doc->SetModified();
  EXPECT_EQ(doc->Save(path).failure, SaveFailure::Incomplete);
  EXPECT_EQ(doc->Save(dir / "other.c").failure, SaveFailure::Incomplete);
  EXPECT_EQ(dir.Read("big.c"), bytes);
  EXPECT_FALSE(fs::exists(dir / "other.c"));
}

TEST_F(FileFixture, MissingFileIsNewAndNothingIsCreated) {
  auto doc = Open(dir / "new.c");
  EXPECT_EQ(doc->LinesUsed(), 1);
  EXPECT_FALSE(doc->IsUntitled());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(DirEntries().empty());
}

TEST_F(FileFixture, UnreadableFileDirectoryOrPipeIs5023AndUntouched) {
  fs::create_directory(dir / "adir");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::vector<std::string> paths = {dir / "adir", dir / "pipe"};
  if (geteuid() != 0) {
    std::string locked = dir.Write("locked.c", "secret");
    chmod(locked.c_str(), 0);
    paths.push_back(locked);
  }
  for (const std::string &path : paths) {
    try {
      Open(path);
      ADD_FAILURE() << path << " opened";
    } catch (const xFileOpen &error) {
      EXPECT_EQ(error.Message(), kMsgCannotOpen);
    }
  }
  if (geteuid() != 0) {
    chmod((dir / "locked.c").c_str(), 0600);
    EXPECT_EQ(dir.Read("locked.c"), "secret");
  }
}

// Each failure a save can meet on its way.
class FailingOps : public SaveFileOps {
public:
  std::optional<uint64_t> freeSpace;
  bool knownSpace = false;
  int64_t failWriteAfter = -1;
  bool failSync = false;
  bool failRename = false;

  std::optional<uint64_t> FreeSpace(const std::string &dir) override {
    return knownSpace ? freeSpace : SaveFileOps::FreeSpace(dir);
  }
  int64_t Write(int fd, const char *bytes, size_t count) override {
    if (failWriteAfter < 0)
      return SaveFileOps::Write(fd, bytes, count);
    size_t allowed = size_t(failWriteAfter) - std::min<size_t>(written_, size_t(failWriteAfter));
    if (allowed == 0)
      return -1;
    int64_t put = SaveFileOps::Write(fd, bytes, std::min(count, allowed));
    written_ += size_t(put);
    return put;
  }
  bool Sync(int fd) override { return !failSync && SaveFileOps::Sync(fd); }
  bool Rename(const std::string &from, const std::string &to) override {
    return !failRename && SaveFileOps::Rename(from, to);
  }

private:
  size_t written_ = 0;
};

TEST_F(FileFixture, InterruptedSaveLeavesTheOldFileWhole) {
  struct Case {
    const char *name;
    void (*setup)(FailingOps &);
    SaveFailure failure;
  } cases[] = {
      {"write fails after 3 bytes", [](FailingOps &o) { o.failWriteAfter = 3; }, SaveFailure::WriteFailed},
      {"write fails at once", [](FailingOps &o) { o.failWriteAfter = 0; }, SaveFailure::WriteFailed},
      {"fsync fails", [](FailingOps &o) { o.failSync = true; }, SaveFailure::SyncFailed},
      {"rename fails", [](FailingOps &o) { o.failRename = true; }, SaveFailure::RenameFailed},
      {"no free space",
       [](FailingOps &o) {
         o.knownSpace = true;
         o.freeSpace = 4;
       },
       SaveFailure::NoSpace},
  };
  const std::string original = "old line one\r\nold line two\r\n";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.Write("keep.c", original);
    auto doc = Open(path);
    doc->BeginUndoAction(0);
    doc->BeginChange(0, 0);
    doc->SetLine(0, "new text that is longer than before", true);
    doc->EndChange(0);
    FailingOps ops;
    c.setup(ops);
    SaveResult result = doc->Save(path, ops);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_FALSE(result.Reason().empty());
    EXPECT_EQ(dir.Read("keep.c"), original);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->CanUndo());
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"keep.c"}) << "no temporary file is left";
  }
}

TEST_F(FileFixture, UnknownFreeSpaceDoesNotBlockASave) {
  FailingOps ops;
  ops.knownSpace = true;
  auto doc = std::make_unique<cBufFile>("", true, Options());
  doc->BeginChange(0, 0);
  doc->SetLine(0, "text", false);
  doc->EndChange(0);
  ASSERT_TRUE(doc->Save(dir / "out.c", ops));
  EXPECT_EQ(dir.Read("out.c"), "text");
  EXPECT_FALSE(doc->IsUntitled());
  EXPECT_EQ(doc->GetName(), dir / "out.c");
}

TEST_F(FileFixture, SaveKeepsPermissionsAndWritesThroughASymbolicLink) {
  std::string target = dir.Write("real.c", "before");
  chmod(target.c_str(), 0640);
  fs::create_symlink(target, dir / "link.c");
  auto doc = Open(dir / "link.c");
  doc->BeginChange(0, 0);
  doc->SetLine(0, "after", false);
  doc->EndChange(0);
  ASSERT_TRUE(doc->Save(dir / "link.c"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.c"));
  EXPECT_EQ(dir.Read("real.c"), "after");
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(FileFixture, FailedPageStoreRefusesTheSave) {
  auto counts = std::make_shared<CountingStore::Counts>();
  auto store = std::make_unique<CountingStore>(counts);
  store->failWrites = true;
  std::string bytes;
  for (int i = 0; i < 200; ++i)
    bytes += std::string(100, 'k') + "\n";
  std::string path = dir.Write("flaky.c", bytes);
  DocumentOptions options = Options();
  options.store = std::move(store);
  cBufFile doc(path, false, std::move(options));
  doc.SetModified();
  EXPECT_EQ(doc.Save(path).failure, SaveFailure::StoreFailed);
  EXPECT_EQ(dir.Read("flaky.c"), bytes);
}

TEST_F(FileFixture, FindByNameMatchesTwoSpellingsOfOneFile) {
  std::string path = dir.Write("a.c", "x");
  dir.Write("A.C", "y");
  fs::create_directory(dir / "sub");
  fs::create_symlink(path, dir / "alias.c");
  auto doc = Open(path);
  auto untitled = std::make_unique<cBufFile>("", true, Options());
  struct Case {
    std::string name;
    bool found;
  } cases[] = {
      {path, true},         {dir.path() + "/./a.c", true}, {dir.path() + "/sub/../a.c", true}, {dir / "alias.c", true},
      {dir / "A.C", false}, {UntitledName(), false}};
  for (const Case &c : cases)
    EXPECT_EQ(cBufFile::FindByName(c.name) == doc.get(), c.found) << c.name;
  EXPECT_EQ(doc->GetName(), path) << "names are kept as written, never upper-cased";
}

// Stands in for the shell's watch lists.
struct FakeDebugInfo : DebugInfoPort {
  std::vector<std::string> *log;
  explicit FakeDebugInfo(std::vector<std::string> *l) : log(l) {}
  void LoadWatches(const std::string &path) override { log->push_back("load " + path); }
  void SaveWatches(const std::string &path) override { log->push_back("save " + path); }
  void CopyFrom(const DebugInfoPort &) override { log->push_back("copy"); }
};

TEST_F(FileFixture, DebugInfoIsLoadedOnOpenCopiedAndSavedOnClose) {
  std::vector<std::string> log;
  std::string path = dir.Write("w.c", "one\ntwo");
  {
    DocumentOptions options = Options();
    options.debugInfo = [&] { return std::make_unique<FakeDebugInfo>(&log); };
    cBufFile doc(path, false, std::move(options));
    DocumentOptions copyOptions = Options();
    copyOptions.debugInfo = [&] { return std::make_unique<FakeDebugInfo>(&log); };
    cBufFile copy(doc, std::move(copyOptions));
    EXPECT_EQ(copy.FileBytes(), "one\ntwo");
    EXPECT_FALSE(copy.IsModified());
  }
  EXPECT_EQ(log, (std::vector<std::string>{"load " + path, "copy", "save " + path, "save " + path}));
}

} // namespace
} // namespace tsw::gui
