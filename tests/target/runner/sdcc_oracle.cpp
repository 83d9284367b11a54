#include "runner/sdcc_oracle.h"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>

#include "runner/process.h"

namespace tsw::target {
namespace {

constexpr std::chrono::milliseconds kToolTimeLimit{30'000};

bool RunTool(const std::vector<std::string> &argv, SdccBuild &build) {
  ProcessOutcome outcome = RunProcess(argv, kToolTimeLimit);
  build.log += outcome.output;
  if (!outcome.started)
    build.log += fmt::format("could not run {}\n", argv[0]);
  else if (outcome.timedOut)
    build.log += fmt::format("{} did not finish in time\n", argv[0]);
  return outcome.started && !outcome.timedOut && outcome.exitCode == 0;
}

} // namespace

SdccBuild BuildWithSdcc(const SdccBuildRequest &request) {
  namespace fs = std::filesystem;
  SdccBuild build;
  std::string stem = fs::path(request.source).stem().string();
  std::string object = (fs::path(request.outputDir) / (stem + ".rel")).string();
  std::string image = (fs::path(request.outputDir) / (stem + ".ihx")).string();
  std::string symbolFile = (fs::path(request.outputDir) / (stem + ".noi")).string();

  // Compiled apart from the link so that the start-up comes first in the
  // link and its areas fix the memory order.
  if (!RunTool({"sdcc", "-mz180", "--std-c99", "-c", request.source, "-o", object}, build))
    return build;
  // SDCC takes the locations only with the value as a separate argument.
  if (!RunTool({"sdcc", "-mz180", "--no-std-crt0", "--code-loc", fmt::format("{:#x}", kSdccCodeStart), "--data-loc",
                fmt::format("{:#x}", kSdccDataStart), request.startupObject, object, "-o", image},
               build))
    return build;

  std::ifstream in(symbolFile);
  if (!in) {
    build.log += "the linker wrote no symbol file\n";
    return build;
  }
  build.symbols = ReadSdccSymbols(std::string(std::istreambuf_iterator<char>(in), {}));
  build.hexImage = image;
  build.ok = true;
  return build;
}

} // namespace tsw::target
