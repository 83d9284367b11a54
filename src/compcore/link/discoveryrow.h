#pragma once

#include <string>

// One board found on the network, as the discovery dialog lists it.
namespace tsw {

struct DiscoveryRow {
  std::string name;
  std::string address; // "%d.%d.%d.%d"
  std::string port;
  std::string status;
  std::string ethernet; // "%02x:%02x:%02x:%02x:%02x:%02x"
};

} // namespace tsw
