#pragma once

// Names of run-time routines of the target library that generated code calls
// and that the debugger must recognise.
namespace tsw {

// The routine that dispatches a `switch` over its case table.
inline constexpr const char *kSwitchRoutineName = "_switch";

} // namespace tsw
