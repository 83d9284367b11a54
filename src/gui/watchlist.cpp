#include "gui/watchlist.h"

namespace tsw {

void cWatchList::Insert(int position, std::string_view text) {
  if (position < 0 || static_cast<size_t>(position) >= expressions_.size())
    expressions_.emplace_back(text);
  else
    expressions_.emplace(expressions_.begin() + position, text);
}

} // namespace tsw
