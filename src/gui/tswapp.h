#pragma once

#include <functional>

namespace tsw {

// The program's name as the user sees it in the title bar.
inline constexpr const char *kProgramName = "Tessel C";

// Runs the IDE until its main frame is closed. `started` runs once the event
// loop is up; tests use it to drive and then close the program.
int RunTsw(int argc, char **argv, const std::function<void()> &started = {});

} // namespace tsw
