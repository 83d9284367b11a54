#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

#include "gui/tswcdlg.h"

// What the shell keeps once for the whole program: the open editor frames,
// the program's frame, the status bar, the please-wait holder and the poll
// guard. Built in one place and put back with one call.
namespace tsw {

class cStatBar;

// An editor frame as the lists and lookups of the shell see it.
class EditorFrameRef {
public:
  virtual ~EditorFrameRef() = default;
  virtual bool HasView() const = 0;
  // Whether its view shows that file, by the document's file identity.
  virtual bool ShowsFile(std::string_view path) const = 0;
};

// The open editor frames, the most recently focused first.
class EditorFrameList {
public:
  void Insert(EditorFrameRef *frame) { frames_.push_front(frame); }
  // Moves a frame to the head; the one at the head stays where it is.
  void Focus(EditorFrameRef *frame);
  void Remove(EditorFrameRef *frame) { frames_.remove(frame); }
  EditorFrameRef *Head() const { return frames_.empty() ? nullptr : frames_.front(); }
  EditorFrameRef *Tail() const { return frames_.empty() ? nullptr : frames_.back(); }
  bool Empty() const { return frames_.empty(); }
  const std::list<EditorFrameRef *> &Frames() const { return frames_; }
  void Clear() { frames_.clear(); }

private:
  std::list<EditorFrameRef *> frames_;
};

// The first frame from the head that shows `path`; the walk ends at a
// frame without a view.
EditorFrameRef *FindEditFrameByName(const EditorFrameList &list, std::string_view path);

inline constexpr size_t kFunctionHelpWordSize = 128;

struct ShellState {
  EditorFrameList editorFrames;
  EditorFrameRef *currentProgramFrame = nullptr;
  cStatBar *statusBar = nullptr;
  std::unique_ptr<MessageDialogHost> pleaseWaitHost;
  std::unique_ptr<cDialogControl> pleaseWait;
  bool pollReentry = false;
  int lastPolledRunState = 0;
  std::string functionHelpWord;

  // Makes the holder over `host` and puts it behind the please-wait seam.
  void InstallPleaseWait(std::unique_ptr<MessageDialogHost> host);
};

ShellState &Shell();
// Forgets every frame and pointer, deletes the holder and takes it off the
// seam.
void ResetShellState();

} // namespace tsw
