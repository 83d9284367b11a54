#include "compcore/cc_go/link_adapters.h"

#include "compcore/link/linkservices.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/idblock.h"
#include "compcore/link/tc/serial.h"

namespace tsw {
namespace {

// The TCP/IP link learns the board at its connect; the serial link is asked
// each time, and what it answers is kept as the board's.
bool AsksSerially() { return !LinkUsesTcp() && !LinkOfflineMode(); }

} // namespace

bool LinkTargetLink::ReadIdBlock(std::array<uint8_t, kIdBlockSize> &block) {
  static_assert(TargetLink::kIdBlockSize == tsw::kIdBlockSize);
  if (LinkOfflineMode())
    return false;
  const bool good = LinkUsesTcp() ? IdBlockCrcMatches(CurrentTargetInfo.idBlock) : ReadIdBlockSerial() == kIdBlockGood;
  if (good)
    block = CurrentTargetInfo.idBlock;
  return good;
}

uint16_t LinkTargetLink::FlashDeviceId() const {
  if (AsksSerially())
    CurrentTargetInfo.flashId = QueryFlashIdSerial();
  return CurrentTargetInfo.flashId;
}

int8_t LinkTargetLink::RamSizeCode() const {
  if (AsksSerially())
    CurrentTargetInfo.ramSizeCode = int8_t(QueryRamSizeSerial());
  return CurrentTargetInfo.ramSizeCode;
}

uint16_t LinkTargetLink::BoardType() const {
  if (AsksSerially())
    CurrentTargetInfo.boardType = tsw::QueryBoardTypeSerial();
  return CurrentTargetInfo.boardType;
}

uint32_t LinkTargetLink::BaudRate() const { return CurrentLinkSettings.baud; }

void LinkTargetLink::WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) {
  tsw::WriteTargetMemory(count, address, bytes);
}

// A compile without a board starts no BIOS on one.
bool LinkTargetLink::StartByteVetoed() const { return LinkOfflineMode(); }

void LinkTargetLink::Delay(uint32_t milliseconds) { tsw::Delay(milliseconds); }

void LinkTargetLink::TargetConnect() {
  if (kernel_.connect)
    kernel_.connect();
}

uint16_t LinkTargetLink::QueryBoardTypeSerial() { return BoardType(); }

} // namespace tsw
