#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/model/textpos.h"
#include "gui/driverlink.h"

// What the message window lists, apart from its window: the compile's
// diagnostics cut to the configured limits, the current message, the rows
// as shown, and the positions that follow the edits of their file.
namespace tsw {

struct MessageLimits {
  uint16_t maxErrors = 10;
  // Serious and trivial warnings together.
  uint16_t maxWarnings = 20;
};

class MessageList {
public:
  // The records beyond the limits are left out and a closing note says so;
  // the first message becomes current.
  void Load(std::vector<Diagnostic> records, const MessageLimits &limits);

  const std::vector<Diagnostic> &Records() const { return records_; }
  bool Empty() const { return records_.empty(); }
  // The current message's row; none while the list is empty.
  std::optional<size_t> Current() const;
  const Diagnostic *CurrentRecord() const;
  // Onward from the last to the first, back from the first to the last.
  void Next();
  void Previous();
  // The message of a clicked row; a row below the last is the last.
  void Select(size_t row);

  // Each message's row as the window shows it.
  std::vector<std::string> Rows() const;

  // An edit of `fileName` (only the compiled program's counts) from `from`
  // that ended at `oldEnd` and now ends at `newEnd`: messages after it
  // move, messages inside it go. True when something changed.
  bool AdjustPositions(const std::string &fileName, const std::string &programPath, gui::TextPos from,
                       gui::TextPos oldEnd, gui::TextPos newEnd);

private:
  std::vector<Diagnostic> records_;
  size_t current_ = 0;
};

// A row's text: compiler reports that carry their own "ERROR" or "WARNING"
// get the line in front; others stand as they are. Never longer than the
// formatting buffer of 1024 bytes allows.
std::string MessageRowText(const Diagnostic &record);

} // namespace tsw
