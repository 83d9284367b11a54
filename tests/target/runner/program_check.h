#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runner/results.h"
#include "runner/simulator.h"
#include "runner/symbols.h"
#include "runner/tswcc_build.h"

namespace tsw::target {

// Each result variable's bytes as the run left them.
using ResultBytes = std::map<std::string, std::vector<uint8_t>>;

// Runs a built image and reads its result variables. Whatever keeps a result
// from being read (no halt, a name missing from the map) is added to
// `problems`.
ResultBytes RunAndReadResults(const std::string &hexImage, const SymbolTable &symbols,
                              const std::vector<ResultVariable> &results, std::vector<std::string> &problems);

// Adds a problem for every element whose value differs from the one stated
// by hand for SDCC's build (its own value where it is known to be wrong).
void CheckStatedValues(const std::vector<ResultVariable> &results, const ResultBytes &values,
                       std::vector<std::string> &problems);

// Builds a program with SDCC in `workDir`, runs it and checks it; the
// problems found, none when it agrees with every stated value.
std::vector<std::string> CheckProgramWithSdcc(const std::string &source, const std::string &startupObject,
                                              const std::string &workDir);

// Adds a problem for every element whose value from our compiler's build
// differs from the oracle's; where SDCC is known to be wrong, from the
// value stated by hand instead.
void CheckAgainstOracle(const std::vector<ResultVariable> &results, const ResultBytes &ours,
                        const ResultBytes &oracle, std::vector<std::string> &problems);

// Builds a program with our compiler (the request without its source) and
// checks its run against the values stated by hand; the problems found.
std::vector<std::string> CheckProgramWithTswcc(const std::string &source, TswccBuildRequest request);

// Builds a program with both compilers, runs both and compares every result
// element; the problems found, none when they agree. `workDir` holds a
// directory for each build.
std::vector<std::string> CompareWithOracle(const std::string &source, const std::string &startupObject,
                                           TswccBuildRequest request, const std::string &workDir);

} // namespace tsw::target
