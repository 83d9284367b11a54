#pragma once

#include "gui/common/model/tswfile.h"
#include "gui/watchlist.h"

#include <memory>

#include <string>
#include <string_view>
#include <vector>

// The watches of a program and its watch dialog's history, kept between
// sessions in a small ini file beside the source: "prog.c" -> "prog.DBG".
namespace tsw {

class cDebugInfo {
public:
  cDebugInfo() : watches_(cWatchList::kWatchKind), history_(cWatchList::kHistoryKind) {}

  cWatchList &Watches() { return watches_; }
  cWatchList &History() { return history_; }
  const cWatchList &Watches() const { return watches_; }
  const cWatchList &History() const { return history_; }

  // Both lists become copies of the other's, not yet compiled.
  void CopyFrom(const cDebugInfo &other);
  // Whether the lists differ from what was last loaded or saved.
  bool ChangedSinceFile() const;

private:
  friend void LoadWatches(std::string_view, cDebugInfo &);
  friend bool SaveWatches(std::string_view, cDebugInfo &);

  cWatchList watches_;
  cWatchList history_;
  std::vector<std::string> fileWatches_, fileHistory_; // as the file held them
};

std::string DebugFilePath(std::string_view sourcePath);

// Fills both lists from the source's debug file; a missing file gives
// empty lists, a count beyond the entries present gives ";" for each one
// missing.
void LoadWatches(std::string_view sourcePath, cDebugInfo &info);
// Writes both lists in one replacement of the file, or removes it when both
// are empty. Lists unchanged since they were loaded leave the file alone, so
// a second document sharing the file ("prog.c", "prog.h") does not write
// back what the first one replaced. False when the file could not be
// written; it is then as it was.
bool SaveWatches(std::string_view sourcePath, cDebugInfo &info);

// A document's debug information: the document loads, copies and saves it
// through this port.
class DebugInfoDocumentPort : public gui::DebugInfoPort {
public:
  void LoadWatches(const std::string &sourcePath) override;
  void SaveWatches(const std::string &sourcePath) override;
  void CopyFrom(const gui::DebugInfoPort &other) override;

  cDebugInfo &Info() { return info_; }

private:
  cDebugInfo info_;
};

// What documents are made with, so each carries its own debug information.
gui::DebugInfoFactory DebugInfoForDocuments();

} // namespace tsw
