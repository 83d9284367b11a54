#pragma once

#include <cstdint>
#include <string>

// The version of the system: 7.06P.
namespace tsw {

uint16_t GetVersionMajor();
uint16_t GetVersionMinor();
uint16_t GetVersionRelease();
const char *GetVersionSuffix();
// (major << 8) | (minor << 4) | release: 0x0706.
uint16_t PackVersionNumber();
// " 7.06P", as the main window's title shows it.
std::string VersionTitleText();
// "7.06P" followed by the text of the "-c" switch; it names the settings.
std::string FullVersionText(const std::string &extra);

} // namespace tsw
