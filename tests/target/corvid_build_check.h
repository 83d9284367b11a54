#pragma once

// A program compiled for the Corvid, which the simulator cannot run: it
// must compile on the kernel without a diagnostic and every byte of its
// functions must decode as Corvid instructions, none unknown and none
// running past its function's end.
#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "compcore/decode_check.h"
#include "runner/intel_hex.h"
#include "runner/process.h"
#include "runner/symbols.h"
#include "target_fixture.h"

namespace tsw::target::testing {

namespace corvid_check {
namespace fs = std::filesystem;
using tsw::testing::TempDir;

inline std::string ReadText(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The table's initialised globals are inputs, only read: the warnings that
// initialised data lives in flash are the diagnostics a program may get,
// with the one for a string that fills its array exactly, a case the table
// holds on purpose.
inline bool OnlyWarningsOnReadOnlyData(const std::string &output) {
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.find("initialized global is not const") == std::string::npos &&
        line.find("initialized pointer is not const") == std::string::npos &&
        line.find("string fills the array: no room for the terminating zero") == std::string::npos)
      return false;
  return true;
}

constexpr uint8_t kLoadBc = 0x01;
constexpr uint8_t kCall = 0xCD;
constexpr uint32_t kSwitchCaseBytes = 5;

// The listing of a function whose code does not decode, nullopt when all
// of it does. Data inside a function is skipped: the objects the map
// places there and the case table behind a call of "_switch", whose case
// count the ld bc before it loads.
inline std::optional<std::string> UndecodedCode(const MapFunction &function, const std::vector<uint8_t> &bytes,
                                                const std::vector<MapFunction> &data,
                                                std::optional<uint32_t> switchRoutine) {
  tsw::testing::DecodeEnvironment environment(tsw::TargetCpu::Corvid);
  std::string listing;
  bool undecoded = false;
  // The case count an ld bc just loaded.
  uint16_t cases = 0;
  bool countLoaded = false;
  for (size_t at = 0; at < bytes.size();) {
    const uint32_t address = function.address + uint32_t(at);
    const auto object = std::find_if(data.begin(), data.end(), [&](const MapFunction &o) {
      return address >= o.address && address < o.address + o.size;
    });
    if (object != data.end()) {
      listing += fmt::format("  {:04X} ({})\n", address, object->name);
      at = object->address + object->size - function.address;
      continue;
    }
    uint16_t length = 0;
    std::string text;
    DisassembleOne(MakeAddr24(0, uint16_t(address)), bytes.data() + at, bytes.size() - at, &length, &text);
    listing += fmt::format("  {:04X} {}\n", address, text);
    undecoded = undecoded || text.find("???") != std::string::npos;
    length = length ? length : 1;
    const bool threeBytes = length == 3 && at + 2 < bytes.size();
    const uint16_t operand = threeBytes ? uint16_t(bytes[at + 1] | bytes[at + 2] << 8) : 0;
    if (threeBytes && bytes[at] == kCall && switchRoutine && operand == *switchRoutine && countLoaded) {
      at += length + size_t(cases) * kSwitchCaseBytes;
      listing += fmt::format("  ({} cases)\n", cases);
      countLoaded = false;
      continue;
    }
    countLoaded = threeBytes && bytes[at] == kLoadBc;
    cases = countLoaded ? operand : 0;
    at += length;
  }
  return undecoded ? std::optional<std::string>(listing) : std::nullopt;
}

} // namespace corvid_check

// What keeps the program's Corvid build from standing: diagnostics, a
// missing image or map, bytes that do not decode.
inline std::vector<std::string> CheckCorvidBuild(const std::string &source, const tsw::testing::TempDir &dir) {
  using namespace corvid_check;
  TswccBuildRequest request = OurBuildRequest();
  const fs::path kernel = fs::path(dir.path()) / "kernel" / fs::path(request.kernel).filename();
  fs::create_directories(kernel.parent_path());
  fs::copy_file(request.kernel, kernel);
  ProcessOutcome compile = RunProcess(
      {request.tswcc, "-cpu", "corvid", "-lib", request.libDir, "-bios", kernel.string(), "-o", dir.path(), source},
      std::chrono::seconds(60));
  if (compile.exitCode != 0 || !OnlyWarningsOnReadOnlyData(compile.output))
    return {fmt::format("the Corvid compile (exit {}) says:\n{}", compile.exitCode, compile.output)};

  const fs::path program = fs::path(dir.path()) / fs::path(source).filename();
  std::optional<ImageBytes> image = ReadIntelHex(ReadText(fs::path(program).replace_extension("hex")));
  std::vector<MapFunction> functions = ReadMapFunctions(ReadText(fs::path(program).replace_extension("map")));
  if (!image)
    return {"no Intel HEX image"};
  std::vector<std::string> problems;
  bool anyCode = false;
  const std::string mapText = ReadText(fs::path(program).replace_extension("map"));
  const std::vector<MapFunction> data = ReadMapDataObjects(mapText);
  std::optional<uint32_t> switchRoutine;
  for (const MapFunction &label : functions)
    if (label.name == "_switch")
      switchRoutine = label.address;
  for (const MapFunction &function : functions) {
    if (function.size == 0)
      continue;
    anyCode = true;
    std::vector<uint8_t> bytes;
    for (uint32_t at = function.address; at < function.address + function.size; ++at) {
      auto found = image->find(at);
      bytes.push_back(found == image->end() ? 0 : found->second);
    }
    if (std::optional<std::string> listing = UndecodedCode(function, bytes, data, switchRoutine))
      problems.push_back(fmt::format("{} ({} bytes at {:04X}: {}) does not decode:\n{}", function.name, function.size,
                                     function.address, tsw::testing::HexBytes(bytes), *listing));
  }
  if (!anyCode)
    problems.push_back("the map names no compiled function");
  return problems;
}

} // namespace tsw::target::testing
