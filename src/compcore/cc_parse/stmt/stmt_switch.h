#pragma once

#include <cstddef>
#include <cstdint>

// switch with its case and default labels. The body is compiled first and
// the dispatch behind it, from a table of the case values met in the body;
// a nested switch's cases follow its parent's in the one table and leave it
// when the nested switch ends.
namespace tsw {

// The case labels of all the switches open at one time.
inline constexpr size_t kCaseTableCapacity = 4096;

// switch at the cursor after the keyword: "(value) statement".
uint16_t CompileSwitch();
// "case constant:" and "default:" at the cursor after their keyword; each is
// a statement of its own.
uint16_t CompileCaseLabel();
uint16_t CompileDefaultLabel();

// No switch open, the case table empty; part of the statement snapshot.
void ResetSwitchModule();

} // namespace tsw
