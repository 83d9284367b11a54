#include "fakes/fake_port.h"

#include <algorithm>

namespace tsw::testing {

bool FakePort::Configure(const plat::SerialLineSettings &settings) {
  configurations.push_back(settings);
  if (configureFails)
    return false;
  dtr = settings.dtr;
  return true;
}

const FakePort::Fault *FakePort::FaultAt(Dir dir, size_t index) const {
  for (const Fault &f : faults)
    if (f.dir == dir && f.index == index)
      return &f;
  return nullptr;
}

void FakePort::ToBoard(uint8_t byte, uint32_t at) {
  const Fault *f = FaultAt(Dir::ToBoard, toBoardIndex_++);
  if (f && f->kind == Kind::Drop)
    return;
  if (f && f->kind == Kind::Corrupt)
    byte = uint8_t(byte ^ 0x5A);
  uint32_t when = at + (f && f->kind == Kind::Delay ? f->delayMs : 0);
  // A late byte holds up the ones behind it, as on a line.
  if (!tx_.empty() && int32_t(tx_.back().at - when) > 0)
    when = tx_.back().at;
  tx_.push_back({byte, when});
  if (f && f->kind == Kind::Duplicate)
    tx_.push_back({byte, when});
}

void FakePort::FromBoard(const std::vector<uint8_t> &bytes, uint32_t at) {
  for (uint8_t byte : bytes) {
    const Fault *f = FaultAt(Dir::FromBoard, fromBoardIndex_++);
    if (f && f->kind == Kind::Drop)
      continue;
    if (f && f->kind == Kind::Corrupt)
      byte = uint8_t(byte ^ 0x5A);
    uint32_t when = at + (f && f->kind == Kind::Delay ? f->delayMs : 0);
    if (!rx_.empty() && int32_t(rx_.back().at - when) > 0)
      when = rx_.back().at;
    rx_.push_back({byte, when});
    if (f && f->kind == Kind::Duplicate)
      rx_.push_back({byte, when});
  }
}

void FakePort::Deliver() {
  uint32_t now = clock_->Now();
  while (!tx_.empty() && int32_t(tx_.front().at - now) <= 0) {
    Timed t = tx_.front();
    tx_.pop_front();
    if (onHostByte)
      onHostByte(t.byte, t.at);
    if (kernel_) {
      std::vector<uint8_t> answer;
      kernel_->Feed(t.byte, t.at, answer);
      FromBoard(answer, t.at);
    }
  }
}

long FakePort::Write(const uint8_t *data, size_t count) {
  if (closed)
    return -1;
  if (writeLimit < 0) {
    writeFailed_ = true;
    return -1;
  }
  size_t n = writeLimit > 0 ? std::min(count, size_t(writeLimit)) : count;
  uint32_t now = clock_->Now();
  for (size_t i = 0; i < n; ++i) {
    sent.push_back({data[i], now});
    ToBoard(data[i], now);
  }
  Deliver();
  return long(n);
}

long FakePort::Read(uint8_t *out, size_t count) {
  Deliver();
  size_t n = 0;
  while (n < count && Ready()) {
    out[n++] = rx_.front().byte;
    rx_.pop_front();
  }
  return long(n);
}

bool FakePort::WaitReadable(uint32_t ms) {
  uint32_t end = clock_->Now() + ms;
  for (;;) {
    Deliver();
    if (Ready())
      return true;
    // The next thing to happen: a byte reaching either side.
    uint32_t next = end;
    if (!rx_.empty() && int32_t(rx_.front().at - next) < 0)
      next = rx_.front().at;
    if (!tx_.empty() && int32_t(tx_.front().at - next) < 0)
      next = tx_.front().at;
    int32_t step = int32_t(next - clock_->Now());
    if (step > 0)
      clock_->Advance(uint32_t(step));
    if (next == end) {
      Deliver();
      return Ready();
    }
  }
}

uint32_t FakePort::TakeErrors() {
  uint32_t flags = pendingErrors | stickyErrors;
  pendingErrors = 0;
  if (writeFailed_)
    flags |= plat::kPortIoFailure;
  writeFailed_ = false;
  return flags;
}

void FakePort::Purge() {
  ++purges;
  rx_.clear();
}

bool FakePort::Close() {
  closed = true;
  return !closeFails;
}

void FakePort::Inject(const std::vector<uint8_t> &bytes) { FromBoard(bytes, clock_->Now()); }

std::vector<uint8_t> FakePort::SentBytes() const {
  std::vector<uint8_t> bytes;
  for (const SentByte &s : sent)
    bytes.push_back(s.byte);
  return bytes;
}

} // namespace tsw::testing
