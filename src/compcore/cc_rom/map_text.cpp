#include "compcore/cc_rom/map_text.h"

#include <fmt/compile.h>
#include <fmt/format.h>

namespace tsw {
namespace {

constexpr size_t kSourceNameWidth = 31;
constexpr std::string_view kDirectorySeparators = "\\/";

} // namespace

std::string MapFileNameFor(std::string_view programPath) {
  size_t nameStart = programPath.find_last_of(kDirectorySeparators);
  nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
  size_t dot = programPath.rfind('.');
  std::string_view stem = programPath;
  if (dot != std::string_view::npos && dot >= nameStart)
    stem = programPath.substr(0, dot);
  return std::string(stem) + ".map";
}

std::string MapAddressText(ADDR24 address, uint16_t windowStart) {
  if (address.logical < windowStart)
    return fmt::format(FMT_COMPILE("   {:04x}"), address.logical);
  return fmt::format(FMT_COMPILE("{:02x}:{:04x}"), address.segment, address.logical);
}

std::string MapSourceNameText(std::string_view fileName) {
  if (fileName.size() <= kSourceNameWidth)
    return std::string(fileName);
  std::string_view tail = fileName.substr(fileName.size() - kSourceNameWidth);
  size_t separator = tail.find_last_of(kDirectorySeparators);
  if (separator != std::string_view::npos)
    tail = tail.substr(separator);
  return std::string(tail);
}

} // namespace tsw
