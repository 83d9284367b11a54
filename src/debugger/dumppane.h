#pragma once

#include "debugger/panetext.h"

#include <cstdint>
#include <iosfwd>

// The dump dialog's way into the memory dump: the pane opened at an
// address, or a range written to a file.
namespace tsw {

// With a length and a file, the dump lines of `length` bytes (in blocks of
// 128) from `at`, aligned down to 16, go to the file. Otherwise the dump
// pane, when it can be shown, takes the address in `at`'s form and shows
// the 128 bytes from it aligned down to 16. Always 1.
int ShowDumpAtAddress(const DumpAddressing &at, uint32_t length, std::ostream *file);

} // namespace tsw
