#include "runner/program_check.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "runner/sdcc_oracle.h"

namespace tsw::target {

ResultBytes RunAndReadResults(const std::string &hexImage, const SymbolTable &symbols,
                              const std::vector<ResultVariable> &results, std::vector<std::string> &problems) {
  // One dump from the lowest result to the end of the highest.
  uint32_t low = UINT32_MAX, high = 0;
  for (const ResultVariable &result : results) {
    auto address = SymbolAddress(symbols, result.name);
    if (!address) {
      problems.push_back(fmt::format("{} is not in the map", result.name));
      continue;
    }
    low = std::min(low, *address);
    high = std::max(high, *address + ResultSize(result));
  }
  SimulatorRequest request;
  request.hexImage = hexImage;
  if (low < high)
    request.dumps.push_back({low, high - low});
  SimulatorRun run = RunOnSimulator(request);
  if (run.stop != SimStop::Halted) {
    problems.push_back(fmt::format("{} after {} cycles\n{}", SimStopName(run.stop), run.ticks, run.log));
    return {};
  }
  ResultBytes values;
  for (const ResultVariable &result : results) {
    if (auto bytes = ReadVariable(run, symbols, result.name, ResultSize(result)))
      values[result.name] = *bytes;
    else if (SymbolAddress(symbols, result.name))
      problems.push_back(fmt::format("{} was not read back from the simulator", result.name));
  }
  return values;
}

void CheckStatedValues(const std::vector<ResultVariable> &results, const ResultBytes &values,
                       std::vector<std::string> &problems) {
  for (const ResultVariable &result : results) {
    const std::vector<std::string> &stated = result.sdccExpected.empty() ? result.expected : result.sdccExpected;
    if (stated.empty())
      continue;
    size_t given = result.expected.size() != result.count ? result.expected.size() : stated.size();
    if (given != result.count) {
      problems.push_back(fmt::format("{} states {} values for {} elements", result.name, given, result.count));
      continue;
    }
    auto found = values.find(result.name);
    if (found == values.end())
      continue; // already reported as unreadable
    uint32_t size = ResultTypeSize(result.type);
    for (uint32_t i = 0; i < result.count; ++i) {
      std::string element = result.count == 1 ? result.name : fmt::format("{}[{}]", result.name, i);
      auto want = EncodeResultValue(result.type, stated[i]);
      if (!want) {
        problems.push_back(fmt::format("{}: stated value {} does not fit its type", element, stated[i]));
        continue;
      }
      std::vector<uint8_t> got(found->second.begin() + i * size, found->second.begin() + (i + 1) * size);
      if (got != *want)
        problems.push_back(fmt::format("{} is {}, expected {}", element, FormatResultValue(result.type, got),
                                       FormatResultValue(result.type, *want)));
    }
  }
}

void CheckAgainstOracle(const std::vector<ResultVariable> &results, const ResultBytes &ours,
                        const ResultBytes &oracle, std::vector<std::string> &problems) {
  for (const ResultVariable &result : results) {
    auto mine = ours.find(result.name);
    auto theirs = oracle.find(result.name);
    if (mine == ours.end() || theirs == oracle.end())
      continue; // already reported as unreadable
    const bool oracleWrong = !result.sdccExpected.empty() && result.expected.size() == result.count;
    const uint32_t size = ResultTypeSize(result.type);
    for (uint32_t i = 0; i < result.count; ++i) {
      std::string element = result.count == 1 ? result.name : fmt::format("{}[{}]", result.name, i);
      std::vector<uint8_t> want(theirs->second.begin() + i * size, theirs->second.begin() + (i + 1) * size);
      if (oracleWrong) {
        auto stated = EncodeResultValue(result.type, result.expected[i]);
        if (!stated) {
          problems.push_back(fmt::format("{}: stated value {} does not fit its type", element, result.expected[i]));
          continue;
        }
        want = *stated;
      }
      std::vector<uint8_t> got(mine->second.begin() + i * size, mine->second.begin() + (i + 1) * size);
      if (got != want)
        problems.push_back(fmt::format("{} is {}, {} {}", element, FormatResultValue(result.type, got),
                                       oracleWrong ? "stated" : "sdcc", FormatResultValue(result.type, want)));
    }
  }
}

namespace {

std::vector<ResultVariable> ResultsOf(const std::string &source, std::vector<std::string> &problems) {
  std::ifstream in(source);
  std::vector<ResultVariable> results = ReadResultDeclarations(std::string(std::istreambuf_iterator<char>(in), {}));
  if (results.empty())
    problems.push_back(source + " declares no result variables");
  return results;
}

} // namespace

std::vector<std::string> CheckProgramWithTswcc(const std::string &source, TswccBuildRequest request) {
  std::vector<std::string> problems;
  std::vector<ResultVariable> results = ResultsOf(source, problems);
  if (results.empty())
    return problems;
  request.source = source;
  TswccBuild build = BuildWithTswcc(request);
  if (!build.ok) {
    problems.push_back("our compile failed:\n" + build.log);
    return problems;
  }
  ResultBytes values = RunAndReadResults(build.hexImage, build.symbols, results, problems);
  CheckStatedValues(results, values, problems);
  return problems;
}

std::vector<std::string> CompareWithOracle(const std::string &source, const std::string &startupObject,
                                           TswccBuildRequest request, const std::string &workDir) {
  namespace fs = std::filesystem;
  std::vector<std::string> problems;
  std::vector<ResultVariable> results = ResultsOf(source, problems);
  if (results.empty())
    return problems;
  const fs::path sdccDir = fs::path(workDir) / "sdcc", oursDir = fs::path(workDir) / "tswcc";
  std::error_code error;
  fs::create_directories(sdccDir, error);
  fs::create_directories(oursDir, error);
  SdccBuild oracleBuild = BuildWithSdcc({source, startupObject, sdccDir.string()});
  if (!oracleBuild.ok) {
    problems.push_back("SDCC build failed:\n" + oracleBuild.log);
    return problems;
  }
  request.source = source;
  request.outputDir = oursDir.string();
  TswccBuild ourBuild = BuildWithTswcc(request);
  if (!ourBuild.ok) {
    problems.push_back("our compile failed:\n" + ourBuild.log);
    return problems;
  }
  ResultBytes oracle = RunAndReadResults(oracleBuild.hexImage, oracleBuild.symbols, results, problems);
  if (!problems.empty()) {
    problems.insert(problems.begin(), "the SDCC build's run:");
    return problems;
  }
  ResultBytes ours = RunAndReadResults(ourBuild.hexImage, ourBuild.symbols, results, problems);
  CheckAgainstOracle(results, ours, oracle, problems);
  return problems;
}

std::vector<std::string> CheckProgramWithSdcc(const std::string &source, const std::string &startupObject,
                                              const std::string &workDir) {
  std::vector<std::string> problems;
  std::ifstream in(source);
  std::vector<ResultVariable> results = ReadResultDeclarations(std::string(std::istreambuf_iterator<char>(in), {}));
  if (results.empty()) {
    problems.push_back(source + " declares no result variables");
    return problems;
  }
  SdccBuild build = BuildWithSdcc({source, startupObject, workDir});
  if (!build.ok) {
    problems.push_back("SDCC build failed:\n" + build.log);
    return problems;
  }
  ResultBytes values = RunAndReadResults(build.hexImage, build.symbols, results, problems);
  CheckStatedValues(results, values, problems);
  return problems;
}

} // namespace tsw::target
