// A language module that is not the English one, for the start-up tests:
// it answers message 1111 with another mark and, when built with
// TSW_WITH_EXTRA_ALPHA, carries one of the three input-method entry points.
#include "lang/langabi.h"

extern "C" __attribute__((visibility("default"))) const char *tsw_lang_string(unsigned id) {
  switch (id) {
  case tsw::lang::kLanguageMarkId: return "_BR_TSW_Foreign_";
  case 1102: return "Foreign title";
  default: return nullptr;
  }
}

#ifdef TSW_WITH_EXTRA_ALPHA
extern "C" __attribute__((visibility("default"))) int zExtraAlpha(int c) { return c; }
#endif
