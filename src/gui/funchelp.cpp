#include "gui/funchelp.h"

#include <fstream>

#include "compcore/cc_mod/cc_mod.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"
#include "gui/common/model/tswdisp.h"
#include "gui/shellstate.h"
#include "platform/paths.h"

namespace tsw {
namespace {

// The shell keeps the name asked for as one fixed-size buffer does.
void KeepHelpWord(const std::string &word) {
  Shell().functionHelpWord = word.substr(0, kFunctionHelpWordSize - 1);
}

// The entry the shell's help word names; null when the index knows none,
// or more than one.
ZModEntry *FindHelpWord() {
  ZModEntry *entry = nullptr;
  if (FindLibraryFunction(Shell().functionHelpWord, &entry, false) != 1)
    return nullptr;
  return entry;
}

std::string NameOf(const std::string &chosen) { return chosen.substr(0, chosen.find(' ')); }

// The browse dialog's choice, when the index knows it.
void BrowseAndOpen(FunctionHelpDialogs &dialogs, QWidget *parent, AssistantRequest request) {
  std::optional<std::string> chosen = dialogs.Browse(parent);
  if (!chosen)
    return;
  KeepHelpWord(*chosen);
  request.entry = FindHelpWord();
  if (!request.entry)
    return;
  request.name = NameOf(Shell().functionHelpWord);
  dialogs.OpenAssistant(parent, request);
}

} // namespace

void PaneFunctionHelp(FunctionHelpDialogs &dialogs, QWidget *parent, gui::cTextDisplay &pane, bool editable) {
  AssistantRequest request;
  request.pane = &pane;
  request.viewOnly = !editable;
  if (std::optional<std::string> word = pane.WordAt(pane.GetCursor())) {
    KeepHelpWord(*word);
    if ((request.entry = FindHelpWord())) {
      request.name = NameOf(Shell().functionHelpWord);
      dialogs.OpenAssistant(parent, request);
      return;
    }
  }
  BrowseAndOpen(dialogs, parent, request);
}

void BrowseFunctionHelp(FunctionHelpDialogs &dialogs, QWidget *parent) { BrowseAndOpen(dialogs, parent, {}); }

std::vector<std::string> ReadDescriptionBlock(const ZModEntry *entry) {
  const std::string stored = entry && entry->library ? entry->library->name.Text() : "";
  std::optional<std::string> path = stored.empty() ? std::nullopt : plat::ResolvePath(stored);
  std::ifstream in;
  if (path)
    in.open(*path, std::ios::binary);
  if (!in.is_open())
    throw xFileOpen(kMsgCannotOpen, stored.c_str(), kFunctionHelpModule, __LINE__);
  in.seekg(entry->bodyStart);
  std::vector<std::string> lines;
  size_t kept = 0;
  std::string line;
  while (std::getline(in, line)) {
    // The line that reaches the block's end closes the comment.
    const std::streamoff after = in.eof() ? std::streamoff(entry->bodyEnd) : std::streamoff(in.tellg());
    if (after >= std::streamoff(entry->bodyEnd))
      break;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    line.resize(std::min(line.size(), kMaxDescriptionLine));
    // Each kept line costs its text and a line break.
    if (kept + line.size() + 1 > kMaxDescriptionText)
      break;
    kept += line.size() + 1;
    lines.push_back(line);
  }
  return lines;
}

} // namespace tsw
