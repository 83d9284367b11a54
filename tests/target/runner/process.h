#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tsw::target {

struct ProcessOutcome {
  bool started = false;  // false when the program could not be run at all
  bool timedOut = false; // killed at the time limit
  int exitCode = -1;     // valid when the program exited by itself
  std::string output;    // standard output and standard error, interleaved
};

// Runs `argv` (argv[0] looked up on PATH) with standard input closed, in its
// own process group so that a compiler driver's helpers die with it, and
// kills the group when `limit` passes: a test never waits on a hung tool.
ProcessOutcome RunProcess(const std::vector<std::string> &argv, std::chrono::milliseconds limit,
                          const std::string &workingDir = {});

} // namespace tsw::target
