#include "foundation/version.h"

#include "platform/format.h"

namespace tsw {
namespace {

constexpr uint16_t kMajor = 7;
constexpr uint16_t kMinor = 0;
constexpr uint16_t kRelease = 6;
constexpr const char *kSuffix = "P";

} // namespace

uint16_t GetVersionMajor() { return kMajor; }
uint16_t GetVersionMinor() { return kMinor; }
uint16_t GetVersionRelease() { return kRelease; }
const char *GetVersionSuffix() { return kSuffix; }

uint16_t PackVersionNumber() { return uint16_t(kMajor << 8 | kMinor << 4 | kRelease); }

std::string VersionTitleText() {
  return plat::FormatText(" %d.%d%d%s", kMajor, kMinor, kRelease, kSuffix);
}

std::string FullVersionText(const std::string &extra) {
  return plat::FormatText("%d.%d%d%s%s", kMajor, kMinor, kRelease, kSuffix, extra);
}

} // namespace tsw
