#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tsw::target {

struct ConvertedStatement {
  std::string dialect; // as the library writes it
  std::string sdas;    // what it became, one or more lines
};

struct ConvertedAsm {
  std::string text;                  // sdasz80 source lines, without a header
  std::vector<std::string> problems; // "line N: why" for each line left out
  // Each statement of the blocks in order (not the labels and rets made
  // for C functions).
  std::vector<ConvertedStatement> statements;
};

// The `#asm` blocks of a library file in the dialect's Zilog syntax, turned
// into the syntax of sdasz80 so that the run-time routines can be run on the
// simulator before the compiler can assemble them itself: immediates get
// '#', 'h' and 'b' suffixed numbers become 0x and 0b, (ix+d) becomes d(ix),
// db/dw become .db/.dw, "name: equ v" becomes "name = v", and '$'
// separated statements go on lines of their own. Text outside the blocks
// (the C of the file, its header comments) is left out, and so is what an
// #if on the processor leaves out of a Z180 compile. A C function whose
// body holds only #asm blocks becomes its name as a label, its blocks and
// a ret, as the compiler compiles such a function.
ConvertedAsm ConvertLibraryAsm(std::string_view librarySource);

} // namespace tsw::target
