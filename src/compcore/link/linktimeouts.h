#pragma once

#include <cstdint>

// Every time limit of the link, in milliseconds, in one record so that
// tests on real lines and sockets can shorten them.
namespace tsw {

struct LinkTimeouts {
  uint32_t receiveByte = 250;
  uint32_t outputStall = 150;
  // Waiting for room in the output queue while a program runs.
  uint32_t runningOutputRoom = 1000;
  uint32_t statusRetryPause = 30;
  uint32_t queryRetryPause = 20;
  uint32_t closeDrain = 100;
  uint32_t drain = 150;
  uint32_t tcpConnect = 10000;
  uint32_t tcpReply = 30000;
  uint32_t downloadStage = 30000;
  uint32_t keepAlive = 4000;
  uint32_t pollStage = 255000;
  uint32_t discoveryComplete = 1000;
  uint32_t discoveryRepeat = 1000;
};

extern LinkTimeouts CurrentLinkTimeouts;

} // namespace tsw
