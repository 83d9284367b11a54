#pragma once

#include <cstdint>

// The compiled program's ".bin" image sent to a TCP/IP board as data
// messages paced by the credit the board grants in its status messages.
namespace tsw {

inline constexpr uint32_t kDownloadChunk = 512;
inline constexpr uint32_t kDownloadStartCredit = 4096;
inline constexpr uint32_t kDownloadStatusBuffer = 64;

void DownloadProgramTcp();
// True once the last download ran to its end.
bool DownloadCompleted();

} // namespace tsw
