#pragma once

#include <string>
#include <string_view>

namespace tsw::plat {

// Writes `contents` to a temporary file beside `path` and renames it over
// `path`, so a failed write leaves the old file whole. False on failure.
bool WriteFileAtomically(const std::string &path, std::string_view contents);

} // namespace tsw::plat
