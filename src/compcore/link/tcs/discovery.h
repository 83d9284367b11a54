#pragma once

#include <cstdint>
#include <string>

// Boards on the local network: a datagram broadcast three times, one second
// apart, and the boards' answers turned into rows of the discovery dialog,
// one tick of the dialog's timer at a time.
namespace tsw {

inline constexpr unsigned kDiscoveryRequestSize = 88;
inline constexpr unsigned kDiscoveryReplySize = 86;
inline constexpr unsigned kDiscoveryRepeats = 2;

struct DiscoveryConfig {
  std::string broadcastAddress = "255.255.255.255";
  uint16_t requestPort = 4242;
  uint16_t replyPort = 4243;
};
extern DiscoveryConfig CurrentDiscoveryConfig;

void DiscoverTargets();
void SendDiscoveryRequest();
void PollDiscoveryReplies();
void StopDiscovery();
bool DiscoveryRunning();

} // namespace tsw
