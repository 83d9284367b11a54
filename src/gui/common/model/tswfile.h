#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "gui/common/model/tswline.h"
#include "foundation/msgnumbers.h"

// A document that belongs to a file: loaded into the line table byte for
// byte, saved back atomically, one per file among all open documents.
namespace tsw::gui {


// The per-program debug information a document carries; its watch lists
// live on the shell's side.
class DebugInfoPort {
public:
  virtual ~DebugInfoPort();
  virtual void LoadWatches(const std::string &sourcePath) = 0;
  virtual void SaveWatches(const std::string &sourcePath) = 0;
  virtual void CopyFrom(const DebugInfoPort &other) = 0;
};
using DebugInfoFactory = std::function<std::unique_ptr<DebugInfoPort>()>;

// The file operations of a save, so that each failure can be shown.
class SaveFileOps {
public:
  virtual ~SaveFileOps();
  // Free bytes on the file system of `dir`; none when unknown.
  virtual std::optional<uint64_t> FreeSpace(const std::string &dir);
  // mkstemp on `pathTemplate`; the descriptor or -1.
  virtual int CreateTemp(std::string &pathTemplate);
  // The bytes written, or -1.
  virtual int64_t Write(int fd, const char *bytes, size_t count);
  virtual bool Sync(int fd);
  virtual bool Rename(const std::string &from, const std::string &to);
};
SaveFileOps &SystemFileOps();

enum class SaveFailure : uint8_t {
  None,
  Incomplete,  // the load stopped at the line limit: saving would cut the file
  StoreFailed, // the page store lost a read or write: the text is not trusted
  NoSpace,
  CreateFailed,
  WriteFailed,
  SyncFailed,
  RenameFailed,
};

struct SaveResult {
  SaveFailure failure = SaveFailure::None;
  int systemError = 0;
  explicit operator bool() const { return failure == SaveFailure::None; }
  std::string Reason() const;
};

void SetUntitledName(std::string name);
const std::string &UntitledName();

// What a document is made over; every part has a default.
struct DocumentOptions {
  std::unique_ptr<BackingStore> store;
  UndoPool *pool = nullptr;
  DocumentEvents *events = nullptr;
  DebugInfoFactory debugInfo;
};

class cBufFile : public cBufLine {
public:
  // A titled document loads `name`: a missing file starts an empty new
  // document and creates nothing; a file that cannot be read throws
  // xFileOpen 5023 and is left untouched.
  cBufFile(const std::string &name, bool untitled, DocumentOptions options = {});
  cBufFile(const cBufFile &other, DocumentOptions options = {});
  ~cBufFile() override;

  // The titled document of the file `name` names, whatever its spelling.
  static cBufFile *FindByName(const std::string &name);
  // The absolute, normalised form documents keep.
  static std::string NormaliseName(const std::string &name);

  const std::string &GetName() const { return name_; }
  bool IsUntitled() const { return untitled_; }
  // The load stopped at the line limit; the document refuses to be saved.
  bool IsIncomplete() const { return incomplete_; }
  DebugInfoPort *GetDebugInfo() const { return debugInfo_.get(); }

  // Every file line followed by a newline, as the compiler reads it.
  void WriteToStream(std::ostream &out);
  // The bytes a save writes.
  std::string FileBytes();
  SaveResult Save(const std::string &name, SaveFileOps &ops = SystemFileOps());

  // File lines differ from document lines only by continued lines.
  int32_t FileLineToDocLine(int32_t fileLine) const;
  int32_t DocLineToFileLine(int32_t docLine) const;

private:
  void Load(int fd);
  void Link();

  std::string name_;
  bool untitled_;
  bool incomplete_ = false;
  std::unique_ptr<DebugInfoPort> debugInfo_;
  cBufFile *next_ = nullptr;
  cBufFile *prev_ = nullptr;
};

} // namespace tsw::gui
