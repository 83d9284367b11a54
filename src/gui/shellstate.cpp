#include "gui/shellstate.h"

namespace tsw {

void EditorFrameList::Focus(EditorFrameRef *frame) {
  if (Head() == frame)
    return;
  frames_.remove(frame);
  frames_.push_front(frame);
}

EditorFrameRef *FindEditFrameByName(const EditorFrameList &list, std::string_view path) {
  for (EditorFrameRef *frame : list.Frames()) {
    if (!frame->HasView())
      return nullptr;
    if (frame->ShowsFile(path))
      return frame;
  }
  return nullptr;
}

static ShellState &State() {
  static ShellState state;
  return state;
}

ShellState &Shell() { return State(); }

void ShellState::InstallPleaseWait(std::unique_ptr<MessageDialogHost> host) {
  pleaseWait.reset();
  pleaseWaitHost = std::move(host);
  pleaseWait = std::make_unique<cDialogControl>(*pleaseWaitHost);
  plat::SetPleaseWait(pleaseWait.get());
}

void ResetShellState() {
  ShellState &s = State();
  plat::SetPleaseWait(nullptr);
  s.pleaseWait.reset();
  s.pleaseWaitHost.reset();
  s.editorFrames.Clear();
  s.currentProgramFrame = nullptr;
  s.statusBar = nullptr;
  s.pollReentry = false;
  s.lastPolledRunState = 0;
  s.functionHelpWord.clear();
}

} // namespace tsw
