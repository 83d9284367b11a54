#pragma once

#include <string_view>

namespace tsw {

// The order in which names are listed and kept in ordered containers: letters
// compare without regard to case first, and only texts that differ in case
// alone are then told apart, lower case first ("a" < "A" < "b"). Distinct
// texts never compare equal, so the order is total and the same everywhere.
int CollateText(std::string_view a, std::string_view b);

} // namespace tsw
