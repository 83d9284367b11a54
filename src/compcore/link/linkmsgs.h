#pragma once

#include <cstdint>

// Module names and message numbers of the link's failures.
namespace tsw {

inline constexpr const char *kModuleTcs = "compcore\\tcs";
inline constexpr const char *kModuleTc = "compcore\\tc";

enum : uint32_t {
  // Serial port and frames.
  kMsgLinkPort = 5043,
  kMsgLinkParity = 5048,
  kMsgLinkRxOverflow = 5049,
  kMsgLinkCheckByte = 5070,
  kMsgLinkDataTimeout = 5071,
  kMsgLinkAckTimeout = 5072,
  kMsgLinkDataSum = 5073,
  kMsgLinkNak = 5074,
  kMsgBinImage = 5023,
  // Cold load.
  kMsgColdLoadFailed = 4000,
  kMsgColdLoading = 4003,
  kMsgLoaderMissing = 4013,
  kMsgPortNotClosed = 2080,
  // TCP/IP.
  kMsgTcpTargetInfo = 4021,
  kMsgTcpDownloading = 4022,
  kMsgTcpConnecting = 4023,
  kMsgTcpEventAnswer = 5081,
  kMsgTcpConnect = 5082,
  kMsgTcpDownloadSilent = 5083,
  kMsgTcpDownloadType = 5084,
  kMsgTcpPollTimeout = 5085,
  kMsgTcpSocket = 5086,
  kMsgTcpKernelVars = 5092,
  kMsgTcpDownloadFailed = 5099,
  kMsgTcpChallenge = 5121,
  kMsgTcpLoginSend = 5137,
  kMsgTcpLogin = 5138,
  kMsgTcpKeepAlive = 5139,
  kMsgTcpBoardError = 5150,
  // Discovery.
  kMsgDiscoverySend = 5122,
  kMsgDiscoveryBind = 5123,
  kMsgDiscoveryReceive = 5124,
};

} // namespace tsw
