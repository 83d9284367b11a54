#include "foundation/collate.h"

namespace tsw {
namespace {

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

} // namespace

int CollateText(std::string_view a, std::string_view b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  int caseTieBreak = 0;
  for (size_t i = 0; i < common; ++i) {
    unsigned char ca = a[i], cb = b[i];
    unsigned char fa = Fold(ca), fb = Fold(cb);
    if (fa != fb)
      return fa < fb ? -1 : 1;
    if (caseTieBreak == 0 && ca != cb)
      caseTieBreak = IsUpper(ca) ? 1 : -1;
  }
  if (a.size() != b.size())
    return a.size() < b.size() ? -1 : 1;
  return caseTieBreak;
}

} // namespace tsw
