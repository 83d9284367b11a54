// The libFuzzer entry of one target, chosen when it is built.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return tsw::fuzz::TSW_FUZZ_TARGET(data, size);
}
