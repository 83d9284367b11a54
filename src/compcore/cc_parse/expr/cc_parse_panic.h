#pragma once

namespace tsw {

// Every panic of the generated parser and its support library ends here.
// The library's own panics leave the program; ours throw xInternal, so an
// IDE with unsaved text survives a broken parse.
[[noreturn]] void ParserPanic(const char *msg);

} // namespace tsw
