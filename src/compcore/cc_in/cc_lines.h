#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Line sources: where the compiler's physical lines come from. The program
// (a file, an editor's unsaved text or a table of lines), the header blocks
// of every #use'd library, and the bodies of the library modules that define
// names the program still needs. Every line is delivered whole.
namespace tsw {

// A stream of physical lines with addressable line starts.
class LineStream {
public:
  virtual ~LineStream() = default;
  // The next line without its line end; false at the end.
  virtual bool ReadLine(std::string &line) = 0;
  // Offset of the start of the next line.
  virtual uint32_t Tell() const = 0;
  virtual bool Seek(uint32_t offset) = 0;
  virtual bool AtEnd() const = 0;
};

// Lines of a text held in memory (offsets are byte offsets).
class MemoryLineStream : public LineStream {
public:
  explicit MemoryLineStream(std::string text)
      : MemoryLineStream(std::make_shared<const std::string>(std::move(text))) {}
  // A text that several streams read, each at its own place.
  explicit MemoryLineStream(std::shared_ptr<const std::string> text) : shared_(std::move(text)), text_(*shared_) {}
  bool ReadLine(std::string &line) override;
  uint32_t Tell() const override { return pos_; }
  bool Seek(uint32_t offset) override;
  bool AtEnd() const override { return pos_ >= text_.size() && !pendingEmpty_; }

private:
  std::shared_ptr<const std::string> shared_;
  const std::string &text_;
  uint32_t pos_ = 0;
  bool pendingEmpty_ = false; // a final line feed leaves one empty line
  bool started_ = false;
};

// Lines of a file (binary read; a trailing carriage return is removed).
std::unique_ptr<LineStream> OpenFileLineStream(const std::string &path);

// The unsaved text of an editor; the text windows implement it.
class LineProvider {
public:
  virtual ~LineProvider() = default;
  virtual uint32_t LineCount() const = 0;
  virtual std::string GetLine(uint32_t index) const = 0;
};
// Offsets of such a stream are line indexes.
std::unique_ptr<LineStream> MakeProviderLineStream(const LineProvider &provider);

// Where the input stands: which source, the offset of the line start in its
// stream, the 0-based line number and the byte offset within the line.
enum class SourceKind : uint8_t { kNone, kPrologue, kProgram, kLineTable, kLibraryHeaders, kLibraryLink };
struct SourcePosition {
  SourceKind source = SourceKind::kNone;
  uint32_t streamOffset = 0;
  uint16_t line = 0;
  uint16_t column = 0;
};

// A byte range of a library file (a module's header block or body).
struct ModuleSegment {
  std::string libraryPath;
  uint32_t start = 0;
  uint32_t end = 0;
  uint16_t firstLine = 0;
};

// What the line sources need of the library index.
class LibraryIndexLink {
public:
  virtual ~LibraryIndexLink() = default;
  // The library a #use names (already upper-cased): its path and header
  // segments in module order. False when the index holds no such library.
  // `alreadyUsed` is set when its headers were read in this compile.
  virtual bool UseLibrary(const std::string &name, std::string &path, std::vector<ModuleSegment> &headers,
                          bool &alreadyUsed) = 0;
  // The body of the next module that defines a still-undefined name.
  virtual bool NextModuleToLink(ModuleSegment &body) = 0;
  // Names that wait for their library modules.
  virtual size_t PendingNameCount() const = 0;
};

// Reads one segment, or a run of segments, of library files.
class ModThread {
public:
  // Opens the segment; false (and no stream) when the file cannot be opened
  // or positioned.
  bool OpenSegment(const ModuleSegment &segment);
  bool HasMore() const { return stream_ != nullptr; }
  // False at the end of the segment (the stream is then closed).
  bool ReadLine(std::string &line);
  // Also lets go of the library text: the next segment reads its file anew.
  void Close() {
    stream_.reset();
    text_.reset();
  }
  uint16_t LineNumber() const { return line_; }
  uint32_t LineStart() const { return lineStart_; }
  uint32_t NextLineStart() const;
  const std::string &Path() const { return segment_.libraryPath; }
  SourcePosition Position() const;
  bool Resume(const SourcePosition &pos);

private:
  std::unique_ptr<LineStream> stream_;
  // The library file last opened: the segments of one library are read
  // from one reading of it.
  std::string textPath_;
  std::shared_ptr<const std::string> text_;
  ModuleSegment segment_;
  uint16_t line_ = 0;
  uint32_t lineStart_ = 0;
};

// Walks a list of segments one after the other (a library's header blocks).
class OneLbThread {
public:
  void Begin(std::vector<ModuleSegment> segments);
  bool HasMore() const { return mod_.HasMore(); }
  // 1 a line of the current segment, 2 a line after a switch, 0 at the end.
  int ReadLine(std::string &line);
  const ModThread &Current() const { return mod_; }
  ModThread &Current() { return mod_; }

private:
  bool OpenNext();
  std::vector<ModuleSegment> segments_;
  size_t next_ = 0;
  ModThread mod_;
};

struct PrologueSettings {
  bool biosCompile = false;
  bool romOutput = false; // BIOS: "#define ROM 0" when set
  uint32_t packedVersion = 0;
  std::string defaultHeader = "default.h";
};

// Hooks the preprocessor hangs on file boundaries.
struct SourceFileHooks {
  std::function<void(const std::string &name)> onBegin;
  std::function<void(const std::string &name)> onEnd;
};

void ResetLineSourcesModule();
void SetLibraryIndexLink(LibraryIndexLink *link);
// While set, every tenth program line is reported as progress.
bool ProgressEnabled();
void SetSourceFileHooks(SourceFileHooks hooks);

// The program source for the next compile.
void SetProgramSource(std::string name, std::unique_ptr<LineStream> stream);
// Start of a compile: prologue first, then the program.
void ResetLineSources(const PrologueSettings &settings);
// Start of a watch compile: the program from the given 1-based line/column.
void ResetLineSourcesAt(uint16_t line, uint16_t column);
// The watch-expression's table of lines.
void BeginLineTableSource(std::vector<std::string> lines);

// The next physical line, or null at the end of the input.
const char *GetNextSourceLine();
// 0-based number of the line last delivered, and its file.
uint16_t CurrentLine();
const std::string &CurrentSourceFile();
// The line last delivered is the program's own text, not a library
// module's.
bool CurrentSourceIsProgram();
uint32_t LinesDelivered();
int SourceState();

// #use: pushes the header blocks of a library (message 2002 when unknown).
void PushLibraryHeaders(const std::string &name);
void PopLineSource();
void PopAllLineSources();
void CloseAllLineSources();

// Where the line holding the given 1-based source line/column starts, in the
// line source in use. The basis of every rewind.
SourcePosition PositionOfLine(uint16_t line1, uint16_t column1);
// Reposition the line source that `pos` names so that its next line starts
// at pos.column of that line. False when the source cannot do it.
bool ResumeAt(const SourcePosition &pos);

// Where the next physical line of the source in use starts.
SourcePosition NextLinePosition();

// Library interleave: stores `resume` for the program, switches to the link
// state. Returns false when not in the program state.
bool BeginInterleave(const SourcePosition &resume);
// Back to the program at the stored position once the link has no module.
bool EndInterleaveIfDone();
bool InInterleave();
bool LinkHasData();
size_t PendingLinkNames();
void SetLineNumberOfNextLine(uint16_t line1); // #linenum

} // namespace tsw
