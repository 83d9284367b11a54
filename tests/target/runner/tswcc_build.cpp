#include "runner/tswcc_build.h"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "runner/intel_hex.h"
#include "runner/process.h"

namespace tsw::target {
namespace {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kCompileTimeLimit{60'000};

bool RunCompile(const std::vector<std::string> &argv, TswccBuild &build) {
  ProcessOutcome outcome = RunProcess(argv, kCompileTimeLimit);
  build.log += outcome.output;
  if (!outcome.started)
    build.log += fmt::format("could not run {}\n", argv[0]);
  else if (outcome.timedOut)
    build.log += fmt::format("{} did not finish in time\n", argv[0]);
  return outcome.started && !outcome.timedOut && outcome.exitCode == 0;
}

std::optional<std::string> ReadFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<ImageBytes> ReadHexFile(const fs::path &path, TswccBuild &build) {
  std::optional<std::string> text = ReadFile(path);
  std::optional<ImageBytes> image = text ? ReadIntelHex(*text) : std::nullopt;
  if (!image)
    build.log += fmt::format("{} is missing or no Intel HEX\n", path.string());
  return image;
}

} // namespace

TswccBuild BuildWithTswcc(const TswccBuildRequest &request) {
  TswccBuild build;
  // The kernel is compiled from a copy, so that its outputs (and those of
  // the program compile's kernel pass) stay in the output directory.
  const fs::path kernelDir = fs::path(request.outputDir) / "kernel";
  const fs::path kernel = kernelDir / fs::path(request.kernel).filename();
  std::error_code error;
  fs::create_directories(kernelDir, error);
  fs::copy_file(request.kernel, kernel, fs::copy_options::overwrite_existing, error);
  if (error) {
    build.log += fmt::format("cannot copy {}: {}\n", request.kernel, error.message());
    return build;
  }
  if (!RunCompile({request.tswcc, "-lib", request.libDir, "-kernel", kernel.string()}, build))
    return build;
  if (!RunCompile({request.tswcc, "-lib", request.libDir, "-bios", kernel.string(), "-o", request.outputDir,
                   request.source},
                  build))
    return build;

  const fs::path program = fs::path(request.outputDir) / fs::path(request.source).filename();
  std::optional<ImageBytes> kernelImage = ReadHexFile(fs::path(kernel).replace_extension("hex"), build);
  std::optional<ImageBytes> programImage = ReadHexFile(fs::path(program).replace_extension("hex"), build);
  std::optional<std::string> map = ReadFile(fs::path(program).replace_extension("map"));
  if (!map)
    build.log += "the compile wrote no map file\n";
  if (!kernelImage || !programImage || !map)
    return build;

  // Both images are padded with zeros from address 0: below the kernel's
  // end the program's bytes are that padding, but for what the program
  // compile patched into the kernel (a segment chain's link into the
  // program's). A patched byte of zero cannot be told from the padding.
  const uint32_t kernelEnd = kernelImage->empty() ? 0 : kernelImage->rbegin()->first + 1;
  ImageBytes image = *kernelImage;
  for (const auto &[address, byte] : *programImage)
    if (address >= kernelEnd || byte != 0)
      image[address] = byte;
  const fs::path joined = fs::path(program).replace_extension("run.hex");
  std::ofstream(joined) << WriteIntelHex(image);
  build.hexImage = joined.string();
  build.symbols = ReadMapFileSymbols(*map);
  build.ok = true;
  return build;
}

} // namespace tsw::target
