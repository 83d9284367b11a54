#pragma once

#include "foundation/addr24.h"

#include <string>
#include <string_view>

// The text rules of the map file: its name beside the program and the
// fixed-width fields its rows are made of.
namespace tsw {

// The program's path with the extension of its file name replaced by
// ".map"; a dot in a directory name is no extension ("dir.v2/prog" gives
// "dir.v2/prog.map").
std::string MapFileNameFor(std::string_view programPath);

// An address in seven characters: below the extended-memory window three
// spaces and the logical address, at or above it "ss:llll".
std::string MapAddressText(ADDR24 address, uint16_t windowStart);

// A source file name as a map row shows it: its last 31 characters when
// longer, then only from its last "\" or "/" on.
std::string MapSourceNameText(std::string_view fileName);

} // namespace tsw
