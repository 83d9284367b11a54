#include "runner/simulator.h"

#include <fmt/format.h>

#include <charconv>
#include <filesystem>
#include <sstream>

#include "runner/process.h"

namespace tsw::target {
namespace {

// The simulator counts its budget in instructions; no Z180 instruction takes
// fewer clock cycles than this, so the budget always covers the cycle limit.
constexpr uint64_t kFewestCyclesPerInstruction = 3;
constexpr uint32_t kDumpBytesPerLine = 16;

// Stop reasons as the simulator prints them: "Stop at 0x00000a: (101) Halted".
constexpr std::string_view kStopLine = "Stop at ";
constexpr std::string_view kHaltedReason = "(101) Halted";
constexpr std::string_view kSteppedReason = "(109) stepped";
constexpr std::string_view kTicksLine = "Simulated ";

std::optional<uint64_t> ParseNumber(std::string_view text, int base) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    return std::nullopt;
  return value;
}

// Reads the dump lines "0xADDR   hh hh ... ascii" of one range; the first
// `count` fields after the address are the bytes, whatever the text column
// shows.
void ReadDump(const std::vector<std::string> &lines, const MemoryRange &range, std::map<uint32_t, uint8_t> &memory) {
  uint32_t next = range.start;
  uint32_t end = range.start + range.size;
  for (const std::string &line : lines) {
    if (next >= end)
      return;
    std::istringstream fields(line);
    std::string address;
    if (!(fields >> address) || !address.starts_with("0x"))
      continue;
    auto at = ParseNumber(std::string_view(address).substr(2), 16);
    if (!at || *at != next)
      continue;
    uint32_t count = std::min(kDumpBytesPerLine, end - next);
    std::string byte;
    for (uint32_t i = 0; i < count; ++i) {
      if (!(fields >> byte) || byte.size() != 2)
        return;
      auto value = ParseNumber(byte, 16);
      if (!value)
        return;
      memory[next++] = static_cast<uint8_t>(*value);
    }
  }
}

} // namespace

const char *SimStopName(SimStop stop) {
  switch (stop) {
  case SimStop::Halted: return "halted";
  case SimStop::CycleLimit: return "cycle limit reached";
  case SimStop::TimeLimit: return "time limit reached";
  case SimStop::Fault: return "simulator stopped on a fault";
  case SimStop::NotRun: return "simulator not run";
  }
  return "?";
}

std::optional<std::vector<uint8_t>> SimulatorRun::Read(uint32_t address, uint32_t size) const {
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < size; ++i) {
    auto found = memory.find(address + i);
    if (found == memory.end())
      return std::nullopt;
    bytes.push_back(found->second);
  }
  return bytes;
}

SimulatorRun RunOnSimulator(const SimulatorRequest &request) {
  uint64_t instructions = request.cycleLimit / kFewestCyclesPerInstruction + 1;
  // The simulator stops a program whose SP falls below 0xF000 as a stack
  // overflow; compiled programs put their stack where the memory map says
  // (the start-up stub sets it near 0xE000), so the limit goes.
  std::vector<std::string> argv = {"sz80", "-t", "Z180", "-e", "sp_limit=0", "-e", fmt::format("step {}", instructions)};
  for (const MemoryRange &range : request.dumps) {
    if (range.size == 0)
      continue;
    argv.push_back("-e");
    argv.push_back(
        fmt::format("dump rom {:#x} {:#x} {}", range.start, range.start + range.size - 1, kDumpBytesPerLine));
  }
  argv.insert(argv.end(), {"-e", "quit", request.hexImage});

  SimulatorRun run;
  // The simulator runs an empty memory when the image is missing.
  if (!std::filesystem::is_regular_file(request.hexImage)) {
    run.log = "no image " + request.hexImage;
    return run;
  }
  ProcessOutcome outcome = RunProcess(argv, request.timeLimit);
  run.log = outcome.output;
  if (!outcome.started)
    return run;
  if (outcome.timedOut) {
    run.stop = SimStop::TimeLimit;
    return run;
  }

  std::vector<std::string> lines;
  std::istringstream text(outcome.output);
  for (std::string line; std::getline(text, line);)
    lines.push_back(line);

  std::optional<SimStop> stop;
  for (const std::string &line : lines) {
    if (line.starts_with(kStopLine) && !stop) {
      if (line.find(kHaltedReason) != std::string::npos)
        stop = SimStop::Halted;
      else if (line.find(kSteppedReason) != std::string::npos)
        stop = SimStop::CycleLimit;
      else
        stop = SimStop::Fault;
    } else if (line.starts_with(kTicksLine)) {
      std::istringstream fields(line.substr(kTicksLine.size()));
      std::string count;
      fields >> count;
      if (auto ticks = ParseNumber(count, 10))
        run.ticks = *ticks;
    }
  }
  // No stop line at all: the image did not load or the simulator broke off.
  run.stop = stop.value_or(SimStop::Fault);
  if (run.stop == SimStop::Halted && run.ticks > request.cycleLimit)
    run.stop = SimStop::CycleLimit;
  for (const MemoryRange &range : request.dumps)
    ReadDump(lines, range, run.memory);
  return run;
}

std::optional<std::vector<uint8_t>> ReadVariable(const SimulatorRun &run, const SymbolTable &symbols,
                                                 std::string_view cName, uint32_t size) {
  auto address = SymbolAddress(symbols, cName);
  if (!address)
    return std::nullopt;
  return run.Read(*address, size);
}

} // namespace tsw::target
