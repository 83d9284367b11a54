#include "compcore/link/targetmem.h"

#include <algorithm>
#include <cstring>

#include "compcore/link/biosimage.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/tc/flashvalues.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/tcplink.h"
#include "foundation/xerr.h"

namespace tsw {

namespace {

uint32_t sectorSize = 0;

enum class Route { Serial, Tcp, Offline };

Route CurrentRoute() {
  if (CurrentLinkSettings.useTcp)
    return Route::Tcp;
  return Host().OfflineCompile() ? Route::Offline : Route::Serial;
}

uint32_t Physical(ADDR24 a) { return Addr24ToPhysical(a); }

// How many of `count` bytes from `address` lie on the same side of the
// physical `boundary`.
uint32_t PieceBefore(ADDR24 address, uint32_t count, uint32_t boundary) {
  uint32_t at = Physical(address);
  if (at >= boundary)
    return count;
  return std::min(count, boundary - at);
}

void ReadSerial(uint32_t count, ADDR24 address, uint8_t *buffer) {
  uint32_t done = 0;
  while (done < count) {
    uint32_t n = std::min(kMaxReadFrame, count - done);
    ReadTargetMemorySerial(n, Addr24Add(address, int32_t(done)), buffer + done);
    done += n;
  }
}

void WriteSerial(uint32_t count, ADDR24 address, const uint8_t *data) {
  if (sectorSize == 0 && Host().AssumeCorvidCpu() && !Host().BiosImageMode()) {
    sectorSize = GetFlashSectorSize();
    if (sectorSize == 0)
      sectorSize = kDefaultSectorPiece;
  }
  uint32_t done = 0;
  while (done < count) {
    uint32_t piece = std::min(count - done, sectorSize ? sectorSize : kPageSize);
    ADDR24 at = Addr24Add(address, int32_t(done));
    uint32_t inPage = Addr24Logical(at) & (kPageSize - 1);
    if (Host().IsProgramLoaded() && inPage + piece > kPageSize) {
      uint32_t first = kPageSize - inPage;
      WriteTargetMemorySerial(first, at, data + done);
      WriteTargetMemorySerial(piece - first, Addr24Add(at, int32_t(first)), data + done + first);
    } else {
      WriteTargetMemorySerial(piece, at, data + done);
    }
    CountBytesWritten(piece);
    done += piece;
  }
}

// Writes in BIOS-image mode keep what lies below the buffer's end in the
// buffer; on the serial link it goes to the board too. Gives the bytes the
// buffer took care of for good.
uint32_t WriteImagePart(uint32_t count, ADDR24 address, const uint8_t *data, Route route) {
  if (!Host().BiosImageMode() || Physical(address) >= BiosImage::kSize)
    return 0;
  uint32_t low = PieceBefore(address, count, BiosImage::kSize);
  BiosImageBuffer.Write(Physical(address), low, data);
  return route == Route::Serial ? 0 : low;
}

} // namespace

void ReadTargetMemory(uint32_t count, ADDR24 address, uint8_t *buffer) {
  LinkTransfer.isWrite = false;
  Route route = CurrentRoute();
  if (route == Route::Serial) {
    ReadSerial(count, address, buffer);
    return;
  }
  // Over TCP/IP and without a board, the image buffer answers for the low
  // memory the BIOS compile wrote; the rest is the board's (or nobody's).
  uint32_t codeStart = Host().ProgramCodeStart();
  bool biosCode = Host().BiosCodeFlag();
  uint32_t done = 0;
  while (done < count) {
    ADDR24 at = Addr24Add(address, int32_t(done));
    uint32_t physical = Physical(at);
    uint32_t rest = count - done;
    if (!biosCode && physical >= codeStart) {
      if (route == Route::Tcp)
        ReadTargetMemoryTcp(rest, at, buffer + done);
      return;
    }
    uint32_t n = biosCode ? rest : PieceBefore(at, rest, codeStart);
    if (physical < BiosImage::kSize) {
      n = PieceBefore(at, n, BiosImage::kSize);
      BiosImageBuffer.Read(physical, n, buffer + done);
    } else if (route == Route::Tcp) {
      ReadTargetMemoryTcp(n, at, buffer + done);
    } else {
      std::memset(buffer + done, 0, n);
    }
    done += n;
  }
}

namespace {

// Steps shared by both writes: the image buffer's part, then the rest by
// the link in use; `serial` is how the serial link takes the rest.
void WriteRouted(uint32_t count, ADDR24 address, const uint8_t *data,
                 void (*serial)(uint32_t, ADDR24, const uint8_t *)) {
  LinkTransfer.isWrite = true;
  Route route = CurrentRoute();
  uint32_t kept = WriteImagePart(count, address, data, route);
  count -= kept;
  if (count == 0)
    return;
  address = Addr24Add(address, int32_t(kept));
  data += kept;
  switch (route) {
  case Route::Offline: return;
  case Route::Tcp: WriteTargetMemoryTcp(count, address, data); return;
  case Route::Serial: serial(count, address, data); return;
  }
}

} // namespace

void WriteTargetMemory(uint32_t count, ADDR24 address, const uint8_t *data) {
  WriteRouted(count, address, data, WriteSerial);
}

void WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *data) {
  WriteRouted(count, address, data, WriteTargetMemorySerial);
}

void FreeWriteQueue() {}
void DrainSerialAcks() {}

uint32_t CachedSectorSize() { return sectorSize; }
void ResetTargetMemoryModule() { sectorSize = 0; }

} // namespace tsw
