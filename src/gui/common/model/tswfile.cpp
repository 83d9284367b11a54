#include "gui/common/model/tswfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "foundation/xerr.h"

namespace tsw::gui {

namespace fs = std::filesystem;

namespace {

constexpr const char *kModule = "gui\\common\\tswfile";
constexpr size_t kReadChunk = 64 * 1024;
constexpr unsigned kInitialLines = 256;

std::string &UntitledText() {
  static std::string name = "Untitled";
  return name;
}

cBufFile *DocumentList = nullptr;

bool SameFile(const std::string &a, const std::string &b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return a == b;
}

// Splits the bytes of a file into document lines as they stream in: at LF
// (a CR just before it makes the end CR LF; any other CR is a byte of its
// line) and after 512 bytes, where the line is continued rather than ended.
class LineSplitter {
public:
  explicit LineSplitter(cBufLine &doc) : doc_(doc) {}

  // False once the line limit stopped the load.
  bool Feed(const char *bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      char byte = bytes[i];
      if (byte == '\n') {
        LineEnd end = LineEnd::LF;
        if (!line_.empty() && line_.back() == '\r') {
          line_.pop_back();
          end = LineEnd::CRLF;
        }
        if (line_.size() > kMaxLineLength && !CutContinued())
          return false;
        if (!Emit(line_, end))
          return false;
        line_.clear();
        continue;
      }
      // One byte more than a line holds may wait for an LF only when it is
      // the CR of a CR LF.
      if (line_.size() == kMaxLineLength + 1u && !CutContinued())
        return false;
      line_.push_back(byte);
    }
    return true;
  }

  bool Finish() {
    if (line_.size() > kMaxLineLength && !CutContinued())
      return false;
    return Emit(line_, LineEnd::None);
  }

  bool Cut() const { return cut_; }

private:
  bool CutContinued() {
    cut_ = true;
    if (!Emit(std::string_view(line_).substr(0, kMaxLineLength), LineEnd::None))
      return false;
    line_.erase(0, kMaxLineLength);
    return true;
  }

  bool Emit(std::string_view text, LineEnd end) {
    int32_t line = doc_.LinesUsed();
    if (!doc_.InsertLines(line, 1))
      return false;
    doc_.SetLine(line, text, false);
    doc_.SetLineEnd(line, end);
    return true;
  }

  cBufLine &doc_;
  std::string line_;
  bool cut_ = false;
};

class SystemOps : public SaveFileOps {};

} // namespace

DebugInfoPort::~DebugInfoPort() = default;
SaveFileOps::~SaveFileOps() = default;

std::optional<uint64_t> SaveFileOps::FreeSpace(const std::string &dir) {
  struct statvfs info;
  if (statvfs(dir.c_str(), &info) != 0)
    return std::nullopt;
  return uint64_t(info.f_bavail) * uint64_t(info.f_frsize);
}

int SaveFileOps::CreateTemp(std::string &pathTemplate) { return mkstemp(pathTemplate.data()); }

int64_t SaveFileOps::Write(int fd, const char *bytes, size_t count) {
  ssize_t put;
  do
    put = write(fd, bytes, count);
  while (put < 0 && errno == EINTR);
  return put;
}

bool SaveFileOps::Sync(int fd) { return fsync(fd) == 0; }

bool SaveFileOps::Rename(const std::string &from, const std::string &to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

SaveFileOps &SystemFileOps() {
  static SystemOps ops;
  return ops;
}

std::string SaveResult::Reason() const {
  const char *what = "";
  switch (failure) {
  case SaveFailure::None: return {};
  case SaveFailure::Incomplete: what = "the file was not loaded whole (too many lines)"; break;
  case SaveFailure::StoreFailed: what = "the temporary page file failed"; break;
  case SaveFailure::NoSpace: what = "not enough free disk space"; break;
  case SaveFailure::CreateFailed: what = "cannot create the temporary file beside it"; break;
  case SaveFailure::WriteFailed: what = "writing failed"; break;
  case SaveFailure::SyncFailed: what = "flushing to disk failed"; break;
  case SaveFailure::RenameFailed: what = "cannot replace the file"; break;
  }
  std::string reason = what;
  if (systemError)
    reason += std::string(": ") + std::strerror(systemError);
  return reason;
}

void SetUntitledName(std::string name) { UntitledText() = std::move(name); }
const std::string &UntitledName() { return UntitledText(); }

std::string cBufFile::NormaliseName(const std::string &name) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(name), error);
  if (error)
    absolute = fs::path(name);
  return absolute.lexically_normal().string();
}

cBufFile::cBufFile(const std::string &name, bool untitled, DocumentOptions options)
    : cBufLine(kInitialLines, std::move(options.store), options.pool, options.events), untitled_(untitled),
      debugInfo_(options.debugInfo ? options.debugInfo() : nullptr) {
  if (untitled_) {
    name_ = UntitledName();
  } else {
    name_ = NormaliseName(name);
    // Only a missing file is a new document; nothing is created to find out.
    // Without blocking, so that a pipe or a device is refused rather than
    // waited on.
    int fd = open(name_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT)
      throw xFileOpen(kMsgCannotOpen, name_.c_str(), kModule, __LINE__);
    if (fd >= 0) {
      struct stat info;
      if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        throw xFileOpen(kMsgCannotOpen, name_.c_str(), kModule, __LINE__);
      }
      Load(fd);
    }
  }
  Link();
  if (debugInfo_ && !untitled_)
    debugInfo_->LoadWatches(name_);
}

void cBufFile::Load(int fd) {
  inUndo_ = true;
  DeleteLines(0, LinesUsed());
  LineSplitter splitter(*this);
  std::vector<char> chunk(kReadChunk);
  bool complete = true;
  bool readFailed = false;
  for (;;) {
    ssize_t got = read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      readFailed = true;
      break;
    }
    if (got == 0)
      break;
    if (!splitter.Feed(chunk.data(), size_t(got))) {
      complete = false;
      break;
    }
  }
  if (complete && !readFailed)
    complete = splitter.Finish();
  close(fd);
  if (readFailed) {
    inUndo_ = false;
    throw xFileOpen(kMsgCannotOpen, name_.c_str(), kModule, __LINE__);
  }
  if (LinesUsed() == 0) {
    InsertLines(0, 1);
  }
  inUndo_ = false;
  incomplete_ = !complete;
  if (Events()) {
    if (splitter.Cut())
      Events()->ShowMessage(kMsgLongLine, kMsgLongLineCaption);
    if (incomplete_)
      Events()->ShowMessage(kMsgTooManyLines, 0);
  }
}

cBufFile::cBufFile(const cBufFile &other, DocumentOptions options)
    : cBufLine(uint32_t(other.LinesUsed()), std::move(options.store), options.pool, options.events), name_(other.name_),
      untitled_(other.untitled_), incomplete_(other.incomplete_),
      debugInfo_(options.debugInfo ? options.debugInfo() : nullptr) {
  inUndo_ = true;
  auto &source = const_cast<cBufFile &>(other);
  InsertLines(1, other.LinesUsed() - 1);
  for (int32_t line = 0; line < other.LinesUsed(); ++line) {
    SetLine(line, source.LineText(line), false);
    SetLineEnd(line, other.LineEndOf(line));
  }
  inUndo_ = false;
  if (debugInfo_ && other.debugInfo_)
    debugInfo_->CopyFrom(*other.debugInfo_);
  Link();
}

cBufFile::~cBufFile() {
  if (debugInfo_ && !untitled_)
    debugInfo_->SaveWatches(name_);
  if (prev_)
    prev_->next_ = next_;
  else
    DocumentList = next_;
  if (next_)
    next_->prev_ = prev_;
}

void cBufFile::Link() {
  next_ = DocumentList;
  if (next_)
    next_->prev_ = this;
  DocumentList = this;
}

cBufFile *cBufFile::FindByName(const std::string &name) {
  std::string wanted = NormaliseName(name);
  for (cBufFile *doc = DocumentList; doc; doc = doc->next_)
    if (!doc->untitled_ && SameFile(doc->name_, wanted))
      return doc;
  return nullptr;
}

std::string cBufFile::FileBytes() {
  std::string bytes;
  for (int32_t line = 0; line < LinesUsed(); ++line) {
    bytes += LineText(line);
    if (line + 1 < LinesUsed())
      bytes += LineEndBytes(LineEndOf(line));
  }
  return bytes;
}

void cBufFile::WriteToStream(std::ostream &out) {
  for (int32_t line = 0; line < LinesUsed(); ++line) {
    out << LineText(line);
    if (!IsContinued(line))
      out << '\n';
  }
  out.flush();
}

int32_t cBufFile::FileLineToDocLine(int32_t fileLine) const {
  int32_t current = 0;
  for (int32_t line = 0; line < LinesUsed(); ++line) {
    if (current == fileLine)
      return line;
    if (!IsContinued(line))
      ++current;
  }
  return LinesUsed() - 1;
}

int32_t cBufFile::DocLineToFileLine(int32_t docLine) const {
  int32_t fileLine = 0;
  for (int32_t line = 0; line < docLine && line < LinesUsed(); ++line)
    if (!IsContinued(line))
      ++fileLine;
  return fileLine;
}

SaveResult cBufFile::Save(const std::string &name, SaveFileOps &ops) {
  if (incomplete_)
    return {SaveFailure::Incomplete};
  std::string bytes = FileBytes();
  // The page store is read above: a failure there must not reach the disk.
  if (ErrorFlags() & kIoFailed)
    return {SaveFailure::StoreFailed};

  std::string given = NormaliseName(name);
  // A symbolic link is written through: its target gets the new bytes.
  std::error_code error;
  std::string target = fs::weakly_canonical(fs::path(given), error).string();
  if (error)
    target = given;
  std::string dir = fs::path(target).parent_path().string();
  if (dir.empty())
    dir = ".";

  std::optional<uint64_t> freeBytes = ops.FreeSpace(dir);
  if (freeBytes && *freeBytes <= bytes.size())
    return {SaveFailure::NoSpace};

  std::string temp = dir + "/." + fs::path(target).filename().string() + ".XXXXXX";
  int fd = ops.CreateTemp(temp);
  if (fd < 0)
    return {SaveFailure::CreateFailed, errno};
  auto fail = [&](SaveFailure failure) {
    int saved = errno;
    close(fd);
    unlink(temp.c_str());
    return SaveResult{failure, saved};
  };

  struct stat info;
  mode_t mode = 0666;
  if (stat(target.c_str(), &info) == 0) {
    mode = info.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode &= ~mask;
  }
  fchmod(fd, mode);

  size_t done = 0;
  while (done < bytes.size()) {
    int64_t put = ops.Write(fd, bytes.data() + done, bytes.size() - done);
    if (put <= 0)
      return fail(SaveFailure::WriteFailed);
    done += size_t(put);
  }
  if (!ops.Sync(fd))
    return fail(SaveFailure::SyncFailed);
  if (close(fd) != 0) {
    int saved = errno;
    unlink(temp.c_str());
    return {SaveFailure::WriteFailed, saved};
  }
  if (!ops.Rename(temp, target)) {
    int saved = errno;
    unlink(temp.c_str());
    return {SaveFailure::RenameFailed, saved};
  }
  int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }

  name_ = given;
  untitled_ = false;
  ClearModified();
  return {};
}

} // namespace tsw::gui
