#pragma once

#include <cstdint>

// The compiler's configuration values as the option dialogs edit them.
// Each record is read and stored whole: the values a dialog does not show
// ride along, so storing it changes nothing else.
namespace tsw {

struct CompilerOptionValues {
  uint16_t warn = 0, index = 0, ptr = 0, stack = 0, size = 0, lit = 0, mac = 0, sym = 0, cchexf = 0;
  uint16_t tcprot = 0, tcptr = 0, tcdmtn = 0;
  bool operator==(const CompilerOptionValues &) const = default;
};

// Memory sizes in 4096-byte pages, but "ramg" in bytes.
struct MemoryMapOptionValues {
  uint16_t romx = 0, rome = 0, rams = 0, rame = 0, ramg = 0, ramcfg = 0;
  bool operator==(const MemoryMapOptionValues &) const = default;
};

struct RootMapOptionValues {
  uint16_t ustk = 0, astk = 0, heap = 0, free = 0;
  bool operator==(const RootMapOptionValues &) const = default;
};

struct ReservedMemoryOptionValues {
  uint16_t logrs = 0, logxs = 0;
  bool operator==(const ReservedMemoryOptionValues &) const = default;
};

// What the last compile recorded for the information dialog. Addresses
// are logical root addresses, but the extended code's are physical.
struct CompileStatistics {
  uint16_t rootCodeStart = 0, rootCodeEnd = 0;
  uint32_t xmemCodeStart = 0, xmemCodeEnd = 0;
  uint16_t stackStart = 0, stackEnd = 0;
  uint16_t freeStart = 0, freeEnd = 0;
  uint16_t rootDataStart = 0, rootDataEnd = 0;
  uint32_t lines = 0;
  uint32_t startMs = 0, endMs = 0;
  uint32_t bytesWritten = 0, bytesSent = 0;
};

} // namespace tsw
