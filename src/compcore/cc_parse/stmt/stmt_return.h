#pragma once

// return [expression]: the value goes to HL; the function's first return
// carries the epilog and every later one jumps to it.
namespace tsw {

// `withValue` false is the end of a function body, which returns nothing.
void CompileReturn(bool withValue);

} // namespace tsw
