#pragma once

// Puts every module of the foundation back to its start: the string table
// (empty but for the empty text), the memory map, the exception trace and
// switches, the message texts and the timer mode. For tests of the layers
// above.
namespace tsw {

void ResetFoundation();

} // namespace tsw
