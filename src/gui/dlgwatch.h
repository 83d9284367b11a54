#pragma once

#include <functional>
#include <string>

class QWidget;

// The watch-expression dialog: an expression typed or taken from the
// history, added to the watches, the first watch deleted.
namespace tsw {

class LanguageModule;
class cWatchList;

inline constexpr size_t kWatchTextLimit = 255;

// How the dialog ended: cancelled, OK without text, OK with a text.
enum class WatchDialogEnd : int { Cancel = 0, Empty = 2, Text = 3 };

struct WatchDialogResult {
  WatchDialogEnd end = WatchDialogEnd::Cancel;
  std::string text;
};

// A text goes to the front of a list unless the list holds it already.
void PutInFront(cWatchList &list, const std::string &text);

// `listChanged` runs after a watch was deleted (the TCP/IP board is told).
WatchDialogResult RunWatchDialog(const LanguageModule &module, QWidget *parent, cWatchList &watches,
                                 cWatchList &history, const std::string &proposed,
                                 const std::function<void()> &listChanged);

} // namespace tsw
