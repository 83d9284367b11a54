#include "platform/ticks.h"

#include <chrono>
#include <thread>

namespace tsw::plat {
namespace {

class SteadyTickSource : public TickSource {
public:
  uint32_t Now() override {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

SteadyTickSource realClock;
TickSource *current = &realClock;

} // namespace

void SetTickSource(TickSource *source) { current = source ? source : &realClock; }
uint32_t GetTickCount() { return current->Now(); }
void Sleep(uint32_t ms) { current->Sleep(ms); }

} // namespace tsw::plat
