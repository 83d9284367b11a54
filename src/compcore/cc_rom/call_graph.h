#pragma once

#include "compcore/cc_rom/map_file.h"

#include <iosfwd>
#include <map>
#include <string>
#include <string_view>

// The call graph of the map file: a tree from the start-up function down
// through every call to a function the compile itself placed, recursion cut
// where a name stands again on its own path.
namespace tsw {

using CallGraph = std::map<std::string, const MapRecord *, std::less<>>;

inline constexpr std::string_view kCallGraphRoot = "premain";

void WriteCallGraph(std::ostream &out, const CallGraph &graph, std::string_view root = kCallGraphRoot);

} // namespace tsw
