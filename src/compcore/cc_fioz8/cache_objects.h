#pragma once

#include "compcore/cc_gen/emit_cache.h"

// The fixed emit caches: one discard cache and the set of six that serve the
// BIOS and the program code alike. A compile only re-positions and flushes
// them.
namespace tsw {

// Builds the objects (once at start-up) and makes the set current.
void BuildCompileCaches();
// Points the global cache pointers at the six caches of the set.
void SwitchCodeCacheSet(int set);
// Where a watch compile sends what must go nowhere.
EmitCache &DiscardCache();
void DestroyCompileCaches();

} // namespace tsw
