#include "fakes/fake_kernel.h"

namespace tsw::testing {

namespace {
constexpr uint8_t kAck = 0x06, kNak = 0x15, kStray = 0x41;

uint8_t Sum(const std::vector<uint8_t> &bytes, size_t count) {
  uint8_t s = 0;
  for (size_t i = 0; i < count; ++i)
    s = uint8_t(s + bytes[i]);
  return s;
}

uint32_t PhysicalOf(uint32_t packed, unsigned i) {
  return Addr24ToPhysical(Addr24Add(Addr24FromLong(packed), int32_t(i))) & (FakeKernel::kMemorySize - 1);
}
} // namespace

void FakeKernel::Poke(uint32_t physical, const std::vector<uint8_t> &bytes) {
  for (uint8_t b : bytes)
    memory[physical++ & (kMemorySize - 1)] = b;
}

void FakeKernel::Ack(std::vector<uint8_t> &out) {
  if (strayForAck) {
    --strayForAck;
    out.push_back(kStray);
    return;
  }
  out.push_back(kAck);
}

void FakeKernel::StartFrame(std::vector<uint8_t> &out) {
  ++headers;
  if (Sum(header_, 5) != header_[5] || nakHeaders) {
    if (nakHeaders)
      --nakHeaders;
    out.push_back(kNak);
    state_ = State::Idle;
    return;
  }
  count_ = header_[1] ? header_[1] : zeroCountMeans;
  frameCounts.push_back(count_);
  uint32_t packed = uint32_t(header_[2] | header_[3] << 8 | header_[4] << 16);
  if (header_[0] == 0xA1) {
    Ack(out);
    data_.clear();
    state_ = State::WriteData;
    return;
  }
  ++readFrames;
  Ack(out);
  uint8_t sum = 0;
  for (unsigned i = 0; i < count_; ++i) {
    uint8_t b = memory[PhysicalOf(packed, i)];
    out.push_back(b);
    sum = uint8_t(sum + b);
  }
  if (badReadSums) {
    --badReadSums;
    sum = uint8_t(sum + 1);
  }
  out.push_back(sum);
  state_ = State::Idle;
}

void FakeKernel::Feed(uint8_t byte, uint32_t now, std::vector<uint8_t> &out) {
  if (state_ != State::Idle && now - lastByteAt_ > kSilenceDropMs)
    state_ = State::Idle;
  lastByteAt_ = now;
  if (silent)
    return;
  switch (state_) {
  case State::Idle:
    switch (byte) {
    case 0xA0: {
      ++queries;
      const uint8_t now = statusSource ? statusSource() : status;
      out.push_back(now);
      out.push_back(statusNoComplement ? now : uint8_t(~now));
      return;
    }
    case 0xA3:
      ++queries;
      out.push_back(ramSize);
      out.push_back(uint8_t(~ramSize));
      return;
    case 0xA4:
      ++queries;
      out.push_back(uint8_t(flashId));
      out.push_back(uint8_t(flashId >> 8));
      out.push_back(uint8_t(~(uint8_t(flashId) + uint8_t(flashId >> 8))));
      return;
    case 0xA5:
      ++queries;
      out.push_back(uint8_t(boardType));
      out.push_back(uint8_t(boardType >> 8));
      out.push_back(uint8_t(uint8_t(boardType) + uint8_t(boardType >> 8)));
      return;
    case 0xA1:
    case 0xA2:
      header_.assign(1, byte);
      state_ = State::Header;
      return;
    default: return; // noise between commands
    }
  case State::Header:
    header_.push_back(byte);
    if (header_.size() == 6)
      StartFrame(out);
    return;
  case State::WriteData:
    data_.push_back(byte);
    if (data_.size() == count_)
      state_ = State::WriteSum;
    return;
  case State::WriteSum: {
    state_ = State::Idle;
    if (Sum(data_, data_.size()) != byte) {
      out.push_back(kNak);
      return;
    }
    uint32_t packed = uint32_t(header_[2] | header_[3] << 8 | header_[4] << 16);
    for (unsigned i = 0; i < count_; ++i)
      memory[PhysicalOf(packed, i)] = data_[i];
    ++writeFrames;
    Ack(out);
    if (onWrite)
      onWrite(PhysicalOf(packed, 0), count_);
    return;
  }
  }
}

} // namespace tsw::testing
