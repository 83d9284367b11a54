#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/model/textpos.h"

class QWidget;

// Help on a library function: the word at a pane's caret, or the one the
// user picks from the list of described functions, is looked up in the
// libraries' description index, and the assistant opens on its block.
namespace tsw {

struct ZModEntry;
namespace gui {
class cTextDisplay;
}

inline constexpr const char *kFunctionHelpModule = "gui\\common\\tswfnins";
// A description block is at most this long; the rest of a longer one is
// not shown.
inline constexpr size_t kMaxDescriptionText = 16382;
// Longer lines of a library are cut: the assistant's panes hold no more.
inline constexpr size_t kMaxDescriptionLine = 511;

// What the assistant is opened on.
struct AssistantRequest {
  ZModEntry *entry = nullptr;
  // The function's name, up to the first blank of what was chosen.
  std::string name;
  // The pane a call may go into; none for help only.
  gui::cTextDisplay *pane = nullptr;
  bool viewOnly = true;
};

// The dialogs the function help opens.
class FunctionHelpDialogs {
public:
  virtual ~FunctionHelpDialogs() = default;
  // The list of described functions, modal: the entry chosen ("f in LIB"),
  // none after Cancel.
  virtual std::optional<std::string> Browse(QWidget *parent) = 0;
  // The assistant, modeless.
  virtual void OpenAssistant(QWidget *parent, const AssistantRequest &request) = 0;
};

// The pane's command: the word at the caret when the libraries describe
// it, else the browse dialog's choice; the call may go into an editable
// pane.
void PaneFunctionHelp(FunctionHelpDialogs &dialogs, QWidget *parent, gui::cTextDisplay &pane, bool editable);
// The main window's command: the browse dialog's choice, help only.
void BrowseFunctionHelp(FunctionHelpDialogs &dialogs, QWidget *parent);

// The block's lines as the library holds them, without their line ends
// and without the line that closes the block. Throws xFileOpen (5023) when
// there is no entry or its library cannot be read.
std::vector<std::string> ReadDescriptionBlock(const ZModEntry *entry);

} // namespace tsw
