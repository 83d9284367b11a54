#pragma once

#include "compcore/cc_in/cc_directive_targets.h"

#include <cstdint>
#include <functional>

// The compiler's boards made of the link: what the front end and the code
// generator ask of a board, answered by the serial or TCP/IP link in use.
namespace tsw {

// What the compiler needs of the debug kernel, which the debugger engine
// above the compiler drives: connecting to a freshly started BIOS, and the
// flag that makes the kernel's debug block readable. An empty call does
// nothing.
struct BoardKernelCalls {
  std::function<void()> connect;
  std::function<void(uint8_t value)> pulseFlag;
};

// The front end's board: target information, the identification block and
// the BIOS start over the link.
class LinkTargetLink : public TargetLink {
public:
  explicit LinkTargetLink(BoardKernelCalls kernel) : kernel_(std::move(kernel)) {}
  bool ReadIdBlock(std::array<uint8_t, kIdBlockSize> &block) override;
  uint16_t FlashDeviceId() const override;
  int8_t RamSizeCode() const override;
  uint16_t BoardType() const override;
  uint32_t BaudRate() const override;
  void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) override;
  bool StartByteVetoed() const override;
  void Delay(uint32_t milliseconds) override;
  void TargetConnect() override;
  uint16_t QueryBoardTypeSerial() override;

private:
  BoardKernelCalls kernel_;
};

} // namespace tsw
