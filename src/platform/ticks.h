#pragma once

#include <cstdint>

// The millisecond clock behind every time-out. Tests put a fake in its place
// so that waiting costs nothing.
namespace tsw::plat {

class TickSource {
public:
  virtual ~TickSource() = default;
  // Milliseconds since an arbitrary start, wrapping at 2^32.
  virtual uint32_t Now() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

// A clock that moves only when told to, or when something sleeps on it.
class FakeTickSource : public TickSource {
public:
  explicit FakeTickSource(uint32_t start = 0) : now_(start) {}
  uint32_t Now() override { return now_; }
  void Sleep(uint32_t ms) override { now_ += ms; }
  void Advance(uint32_t ms) { now_ += ms; }

private:
  uint32_t now_;
};

// nullptr puts the real clock back.
void SetTickSource(TickSource *source);
uint32_t GetTickCount();
void Sleep(uint32_t ms);

} // namespace tsw::plat
