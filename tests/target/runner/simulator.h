#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runner/symbols.h"

namespace tsw::target {

// Enough for every program of the tables; a program that needs more is a
// runaway.
constexpr uint64_t kDefaultCycleLimit = 20'000'000;
constexpr std::chrono::milliseconds kDefaultTimeLimit{20'000};

struct MemoryRange {
  uint32_t start = 0;
  uint32_t size = 0;
};

struct SimulatorRequest {
  std::string hexImage; // Intel HEX file, loaded at its own addresses
  uint64_t cycleLimit = kDefaultCycleLimit;
  std::chrono::milliseconds timeLimit = kDefaultTimeLimit;
  std::vector<MemoryRange> dumps; // read after the program stopped
};

enum class SimStop {
  Halted,     // the program executed HALT within the cycle limit
  CycleLimit, // still running, or halted only after the limit
  TimeLimit,  // the simulator itself did not finish in time and was killed
  Fault,      // the simulator stopped for another reason (see `log`)
  NotRun,     // the simulator could not be started or its output not read
};

const char *SimStopName(SimStop stop);

struct SimulatorRun {
  SimStop stop = SimStop::NotRun;
  uint64_t ticks = 0;                 // clock cycles simulated from reset to the stop
  std::string log;                    // the simulator's own output, for failure messages
  std::map<uint32_t, uint8_t> memory; // the bytes of the requested dumps

  // The `size` bytes at `address`, when every one of them was dumped.
  std::optional<std::vector<uint8_t>> Read(uint32_t address, uint32_t size) const;
};

// Runs the image on the Z180 simulator from reset until it halts, bounded by
// the cycle limit and by the time limit on the host.
SimulatorRun RunOnSimulator(const SimulatorRequest &request);

// The bytes of a program's global variable, located through its map.
std::optional<std::vector<uint8_t>> ReadVariable(const SimulatorRun &run, const SymbolTable &symbols,
                                                 std::string_view cName, uint32_t size);

} // namespace tsw::target
