#include "foundation/tahash.h"

#include <array>

namespace tsw {
namespace {

constexpr std::array<uint16_t, 13> kBucketPrimes = {13,   31,   61,   127,   251,   503,  1019,
                                                   2039, 4093, 8191, 16381, 32719, 65521};

} // namespace

uint16_t TaTextHash(std::string_view text) {
  uint32_t h = 0;
  for (unsigned char c : text)
    h = ((h << 2) ^ c) & 0xFFFF;
  return uint16_t(h);
}

uint16_t TaBucketCount(uint16_t request) {
  for (uint16_t prime : kBucketPrimes)
    if (prime >= request)
      return prime;
  return request;
}

} // namespace tsw
