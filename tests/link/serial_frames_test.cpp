#include "link/serial_fixture.h"

#include <netinet/in.h>

#include "compcore/link/linktimeouts.h"

namespace tsw::testing {
namespace {

using Dir = FakePort::Dir;
using Kind = FakePort::Kind;

const ADDR24 kF1EFF0 = MakeAddr24(0xF1, 0xEFF0);
const std::vector<uint8_t> kReadHeader = {0xA2, 0x10, 0xF0, 0xEF, 0xF1, 0x82};

TEST_F(SerialLinkTest, ReadFrameSendsPackedAddressAndSumAndReturnsTheKernelsBytes) {
  Open();
  kernel.Poke(0xFFFF0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  uint8_t buf[16] = {};
  ReadTargetMemorySerial(16, kF1EFF0, buf);
  EXPECT_EQ(port.SentBytes(), kReadHeader);
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(buf[15], 16);
  EXPECT_FALSE(LinkTransfer.pending);
}

TEST_F(SerialLinkTest, WriteOf256BytesCarriesCountZeroAndLandsWhole) {
  Open();
  std::vector<uint8_t> data(256);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = uint8_t(i * 7);
  WriteTargetMemorySerial(256, MakeAddr24(0, 0x8000), data.data());
  std::vector<uint8_t> sent = port.SentBytes();
  ASSERT_EQ(sent.size(), 6u + 256 + 1);
  EXPECT_EQ(sent[1], 0x00);
  EXPECT_EQ(kernel.frameCounts, std::vector<unsigned>{256});
  for (size_t i = 0; i < data.size(); ++i)
    ASSERT_EQ(kernel.Peek(0x8000 + uint32_t(i)), data[i]) << i;
}

// A kernel that keeps failing: the frame is repeated as often as it may be,
// the port purged each time, and the compile flags reset once at the end.
struct PersistentFault {
  const char *name;
  void (*arrange)(FakeKernel &, FakePort &);
  bool write;
  uint32_t message;
  size_t tries;
  uint32_t maxElapsed;
  uint16_t contextLogical; // the byte the report names
};

const PersistentFault kPersistentFaults[] = {
    {"read NAK", [](FakeKernel &k, FakePort &) { k.nakHeaders = 1000; }, false, 5074, 6, 0, 0xEFF0},
    {"write NAK", [](FakeKernel &k, FakePort &) { k.nakHeaders = 1000; }, true, 5074, 5, 0, 0xEFF0},
    {"bad data sum", [](FakeKernel &k, FakePort &) { k.badReadSums = 1000; }, false, 5073, 6, 0, 0xEFFF},
    {"silent kernel", [](FakeKernel &k, FakePort &) { k.silent = true; }, false, 5072, 6, 6 * 250 + 20, 0xEFF0},
    {"data stops after its fifth byte",
     [](FakeKernel &, FakePort &p) {
       for (size_t i = 0; i < 6 * 18; ++i)
         if (i % 18 > 5)
           p.faults.push_back({Dir::FromBoard, i, Kind::Drop});
     },
     false, 5071, 6, 6 * 250 + 20, 0xEFF5},
};

TEST_F(SerialLinkTest, PersistentFaultsEndInTheirNumberAfterEveryTry) {
  for (const PersistentFault &c : kPersistentFaults) {
    SCOPED_TRACE(c.name);
    kernel = FakeKernel{};
    CloseSerialPort();
    port = FakePort{clock, &kernel};
    host.compileFlagResets = 0;
    Open();
    c.arrange(kernel, port);
    uint8_t buf[16] = {};
    uint32_t elapsed = Elapsed([&] {
      EXPECT_EQ(LinkFailure([&] {
                  if (c.write)
                    WriteTargetMemorySerial(16, kF1EFF0, buf);
                  else
                    ReadTargetMemorySerial(16, kF1EFF0, buf);
                }),
                c.message);
    });
    std::vector<uint8_t> header = kReadHeader;
    if (c.write)
      header = {0xA1, 0x10, 0xF0, 0xEF, 0xF1, 0x81};
    EXPECT_EQ(Tries(header), c.tries);
    EXPECT_EQ(host.compileFlagResets, 1u);
    EXPECT_EQ(port.purges, c.tries);
    EXPECT_TRUE(IsSerialPortOpen());
    // The failed frame's address stays for the report.
    EXPECT_TRUE(LinkTransfer.pending);
    EXPECT_EQ(LinkTransfer.address.logical, c.contextLogical);
    EXPECT_EQ(LinkTransfer.address.segment, 0xF1);
    if (c.maxElapsed) {
      EXPECT_LE(elapsed, c.maxElapsed);
    }
  }
}

// One fault on one byte: the frame is repeated and succeeds; a byte late by
// less than the receive time-out costs no repeat.
struct ByteFault {
  const char *name;
  bool write;
  FakePort::Fault fault;
  size_t tries;
};

const ByteFault kByteFaults[] = {
    {"header byte dropped", false, {Dir::ToBoard, 2, Kind::Drop}, 2},
    {"header byte corrupted", false, {Dir::ToBoard, 3, Kind::Corrupt}, 2},
    {"header byte duplicated", false, {Dir::ToBoard, 1, Kind::Duplicate}, 2},
    {"header byte 300 ms late", false, {Dir::ToBoard, 5, Kind::Delay, 300}, 2},
    {"ACK dropped", false, {Dir::FromBoard, 0, Kind::Drop}, 2},
    {"data byte corrupted", false, {Dir::FromBoard, 5, Kind::Corrupt}, 2},
    {"data byte duplicated", false, {Dir::FromBoard, 3, Kind::Duplicate}, 2},
    {"data byte 300 ms late", false, {Dir::FromBoard, 8, Kind::Delay, 300}, 2},
    {"data byte 200 ms late", false, {Dir::FromBoard, 8, Kind::Delay, 200}, 1},
    {"written data byte corrupted", true, {Dir::ToBoard, 9, Kind::Corrupt}, 2},
    {"written data byte dropped", true, {Dir::ToBoard, 9, Kind::Drop}, 2},
    {"written sum duplicated", true, {Dir::ToBoard, 22, Kind::Duplicate}, 1},
    {"final ACK dropped", true, {Dir::FromBoard, 1, Kind::Drop}, 2},
    {"final ACK 300 ms late", true, {Dir::FromBoard, 1, Kind::Delay, 300}, 2},
};

TEST_F(SerialLinkTest, OneFaultyByteEitherWayIsRepairedByARepeat) {
  const std::vector<uint8_t> data = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 10, 20, 30, 40, 50, 60};
  for (const ByteFault &c : kByteFaults) {
    SCOPED_TRACE(c.name);
    kernel = FakeKernel{};
    kernel.Poke(0xFFFF0, data);
    port.faults = {c.fault};
    port.sent.clear();
    clock.Advance(1000); // the kernel forgets any unfinished frame
    host.compileFlagResets = 0;
    Open();
    uint8_t buf[16] = {};
    if (c.write) {
      WriteTargetMemorySerial(16, kF1EFF0, data.data());
      for (size_t i = 0; i < data.size(); ++i)
        EXPECT_EQ(kernel.Peek(0xFFFF0 + uint32_t(i)), data[i]);
      EXPECT_EQ(Tries({0xA1, 0x10, 0xF0, 0xEF, 0xF1, 0x81}), c.tries);
    } else {
      kernel.Poke(0xFFFF0, data);
      ReadTargetMemorySerial(16, kF1EFF0, buf);
      EXPECT_TRUE(std::equal(data.begin(), data.end(), buf));
      EXPECT_EQ(Tries(kReadHeader), c.tries);
    }
    EXPECT_EQ(host.compileFlagResets, 0u);
    // Fresh port state for the next case (its fault indexes count anew).
    CloseSerialPort();
    port = FakePort{clock, &kernel};
  }
}

TEST_F(SerialLinkTest, StrayByteWhereTheAckBelongsIsRefusedAndTheFrameRepeated) {
  Open();
  kernel.strayForAck = 1;
  const uint8_t data[2] = {0x11, 0x22};
  WriteTargetMemorySerial(2, MakeAddr24(0, 0x9000), data);
  EXPECT_EQ(kernel.headers, 2u);
  EXPECT_EQ(kernel.Peek(0x9000), 0x11);
}

TEST_F(SerialLinkTest, StalledOutputEndsAt150msWithoutRepeatSendingNothing) {
  Open();
  port.queued = kOutputQueueLimit;
  uint8_t buf[4] = {};
  uint32_t elapsed = Elapsed([&] {
    try {
      ReadTargetMemorySerial(4, MakeAddr24(0, 0x100), buf);
      ADD_FAILURE();
    } catch (const xTCXmitTimeout &e) {
      EXPECT_EQ(e.Message(), 5053u);
    }
  });
  EXPECT_GE(elapsed, 150u);
  EXPECT_LE(elapsed, 151u);
  EXPECT_TRUE(port.sent.empty());
  EXPECT_EQ(host.compileFlagResets, 1u);
  EXPECT_EQ(port.purges, 1u);
}

TEST_F(SerialLinkTest, WhileAProgramRunsAFullQueueIsWaitedOutButNotForEver) {
  Open();
  SetLinkRunState(2);
  port.queued = kOutputQueueLimit;
  uint8_t buf[4] = {};
  uint32_t elapsed = Elapsed([&] { EXPECT_EQ(LinkFailure([&] { ReadTargetMemorySerial(4, ADDR24{}, buf); }), 5053u); });
  EXPECT_GE(elapsed, CurrentLinkTimeouts.runningOutputRoom);
  EXPECT_LE(elapsed, CurrentLinkTimeouts.runningOutputRoom + 1);
}

// Line-error flags as the port reports them, and the exception that the
// first flag in the order of the checks makes.
struct FlagCase {
  uint32_t flags;
  uint32_t message;
  bool internal;
};

TEST_F(SerialLinkTest, LineErrorFlagsRaiseTheirExceptionInOrder) {
  const FlagCase cases[] = {
      {0x0006, 5048, false}, {0x0012, 5045, false}, {0x0010, 5043, false}, {0x0008, 5043, false},
      {0x0001, 5049, false}, {0x8000, 5017, true},  {0x0100, 5017, true},  {0x8004, 5017, true},
  };
  for (const FlagCase &c : cases) {
    SCOPED_TRACE(c.flags);
    port.stickyErrors = c.flags;
    port.sent.clear();
    Open();
    uint8_t buf[1];
    try {
      ReadTargetMemorySerial(1, ADDR24{}, buf);
      ADD_FAILURE();
    } catch (const xInternal &) {
      EXPECT_TRUE(c.internal);
    } catch (const xTCErr &e) {
      EXPECT_FALSE(c.internal);
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(dynamic_cast<const xTCOverrun *>(&e) != nullptr, c.message == 5045);
    }
  }
  port.stickyErrors = 0;
}

TEST_F(SerialLinkTest, OnlyRepeatedTriesCountAsBytesOutsideCommands) {
  Open();
  uint8_t buf[16];
  ReadTargetMemorySerial(16, kF1EFF0, buf);
  EXPECT_EQ(QueryTargetStatus(0xFF), 0x80);
  EXPECT_EQ(GetBytesSentTotal(), 7u);
  EXPECT_EQ(GetBytesSentOutsideCommands(), 0u);
  port.faults = {{Dir::FromBoard, 2 + 18, Kind::Corrupt}}; // the next read's first data byte
  ReadTargetMemorySerial(16, kF1EFF0, buf);
  EXPECT_EQ(GetBytesSentTotal(), 7u + 12);
  EXPECT_EQ(GetBytesSentOutsideCommands(), 6u);
}

TEST_F(SerialLinkTest, AFrameBegunInsideAPumpBelowAnotherFrameIsRefusedUnsent) {
  Open();
  port.faults = {{Dir::FromBoard, 0, Kind::Delay, 40}};
  unsigned refused = 0;
  size_t sentInPump = 0;
  uint8_t status = 0xFF;
  host.onPump = [&] {
    size_t before = port.sent.size();
    uint8_t inner[2];
    try {
      ReadTargetMemorySerial(2, ADDR24{}, inner);
    } catch (const xInternal &) {
      ++refused;
    }
    status = QueryTargetStatus(0xFF);
    sentInPump += port.sent.size() - before;
  };
  uint8_t buf[16];
  ReadTargetMemorySerial(16, kF1EFF0, buf);
  host.onPump = nullptr;
  EXPECT_GT(refused, 0u);
  EXPECT_EQ(sentInPump, 0u);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Tries(kReadHeader), 1u);
}

TEST_F(SerialLinkTest, QueriesDecodeTheirAnswersAndSendOneCommandByte) {
  Open();
  kernel.status = 0x0A;
  kernel.ramSize = 0x42;
  kernel.flashId = 0xBF07;
  kernel.boardType = 0x1F02;
  EXPECT_EQ(QueryTargetStatus(0x08), 0x08);
  EXPECT_EQ(QueryRamSizeSerial(), 0x42);
  EXPECT_EQ(QueryFlashIdSerial(), 0xBF07);
  EXPECT_EQ(QueryBoardTypeSerial(), 0x1F02);
  EXPECT_EQ(port.SentBytes(), (std::vector<uint8_t>{0xA0, 0xA3, 0xA4, 0xA5}));
}

TEST_F(SerialLinkTest, QueriesOnAClosedPortSendNothing) {
  EXPECT_EQ(QueryTargetStatus(0xFF), 0);
  EXPECT_EQ(QueryRamSizeSerial(), 0);
  EXPECT_EQ(QueryFlashIdSerial(), 0);
  EXPECT_EQ(QueryBoardTypeSerial(), 0);
  EXPECT_TRUE(port.sent.empty());
}

TEST_F(SerialLinkTest, StatusWithoutItsComplementFailsAfterThreeTries30msApartKeepingTheFlags) {
  Open();
  kernel.statusNoComplement = true;
  std::vector<uint32_t> sentAt;
  uint32_t elapsed = Elapsed([&] { EXPECT_EQ(LinkFailure([] { QueryTargetStatus(0xFF); }), 5070u); });
  for (const FakePort::SentByte &s : port.sent)
    sentAt.push_back(s.at);
  ASSERT_EQ(sentAt.size(), 3u);
  EXPECT_EQ(sentAt[1] - sentAt[0], 30u);
  EXPECT_EQ(sentAt[2] - sentAt[1], 30u);
  EXPECT_LE(elapsed, 61u);
  EXPECT_EQ(host.compileFlagResets, 0u);
}

TEST_F(SerialLinkTest, AQueryRepairsALostAnswerByte) {
  Open();
  port.faults = {{Dir::FromBoard, 1, Kind::Drop}};
  kernel.flashId = 0x1234;
  EXPECT_EQ(QueryFlashIdSerial(), 0x1234);
  EXPECT_EQ(kernel.queries, 2u);
}

TEST_F(SerialLinkTest, OpenUsesTheDeviceSettingAndTheLineSettings) {
  CurrentLinkSettings.port = 3;
  CurrentLinkSettings.portDevice = "/dev/ttyUSB%d";
  CurrentLinkSettings.currentBaud = 57600;
  CurrentLinkSettings.stopBits = 1;
  CurrentLinkSettings.rtsFlow = 1;
  Open();
  ASSERT_EQ(openedPaths, std::vector<std::string>{"/dev/ttyUSB2"});
  ASSERT_EQ(port.configurations.size(), 1u);
  EXPECT_EQ(port.configurations[0].baud, 57600u);
  EXPECT_EQ(port.configurations[0].stopBits, 1);
  EXPECT_TRUE(port.configurations[0].rtsFlow);
  EXPECT_TRUE(port.configurations[0].dtr);
  // A second open keeps the handle and sets the line again.
  Open();
  EXPECT_EQ(openedPaths.size(), 1u);
  EXPECT_EQ(port.configurations.size(), 2u);
}

TEST_F(SerialLinkTest, DtrIsOffOnlyForACorvidBoardInColdLoadMode) {
  const struct {
    bool corvid;
    uint16_t mode;
    bool dtr;
  } cases[] = {{false, 0, true}, {false, 1, true}, {true, 0, true}, {true, 1, false}};
  for (const auto &c : cases) {
    host.assumeCorvid = c.corvid;
    SetColdLoadMode(c.mode);
    Open();
    EXPECT_EQ(port.configurations.back().dtr, c.dtr) << c.corvid << c.mode;
  }
}

TEST_F(SerialLinkTest, OpenFailuresAre5043AndNothingOpensOnTcpOrOffline) {
  openFails = true;
  EXPECT_EQ(LinkFailure([] { OpenSerialPort(); }), 5043u);
  EXPECT_FALSE(IsSerialPortOpen());
  openFails = false;
  port.configureFails = true;
  try {
    OpenSerialPort();
    ADD_FAILURE();
  } catch (const xTCInit &e) {
    EXPECT_EQ(e.Message(), 5043u);
  }
  port.configureFails = false;
  CloseSerialPort();
  openedPaths.clear();
  CurrentLinkSettings.useTcp = 1;
  OpenSerialPort();
  CurrentLinkSettings.useTcp = 0;
  host.offline = true;
  OpenSerialPort();
  EXPECT_TRUE(openedPaths.empty());
}

TEST_F(SerialLinkTest, OpeningAClosedPortStartsTheCountersAgain) {
  Open();
  uint8_t buf[1];
  ReadTargetMemorySerial(1, ADDR24{}, buf);
  EXPECT_GT(GetBytesSentTotal(), 0u);
  Open();
  EXPECT_GT(GetBytesSentTotal(), 0u);
  CloseSerialPort();
  Open();
  EXPECT_EQ(GetBytesSentTotal(), 0u);
}

TEST_F(SerialLinkTest, CloseDrainsAtMost100msAndAFailedCloseStillClosesTheLink) {
  Open();
  port.queued = 5;
  uint32_t elapsed = Elapsed([] { CloseSerialPort(); });
  EXPECT_EQ(elapsed, 100u);
  EXPECT_FALSE(IsSerialPortOpen());
  EXPECT_GT(port.purges, 0u);
  port.queued = 0;
  Open();
  port.closeFails = true;
  EXPECT_EQ(LinkFailure([] { CloseSerialPort(); }), 5043u);
  EXPECT_FALSE(IsSerialPortOpen());
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

TEST_F(SerialLinkTest, NewLinkSettingsCloseAnOpenPortAndTakeTheAddressText) {
  Open();
  SetLinkSettings(4, 57600, 2, 0, 1, 1, "127.0.0.1", 4300, "bench board");
  EXPECT_FALSE(IsSerialPortOpen());
  const LinkSettings &s = CurrentLinkSettings;
  EXPECT_EQ(s.currentBaud, 57600u);
  EXPECT_EQ(s.netAddress, htonl(INADDR_LOOPBACK));
  CurrentLinkSettings.currentBaud = 2400; // as the cold load leaves it
  uint16_t port, stopBits, fullDuplex, safety, tcpPort;
  uint32_t baud;
  uint8_t useTcp;
  char address[16], name[256];
  GetLinkSettings(&port, &baud, &stopBits, &fullDuplex, &safety, &useTcp, address, &tcpPort, name);
  EXPECT_EQ(CurrentLinkSettings.currentBaud, 57600u);
  EXPECT_EQ(port, 4);
  EXPECT_EQ(stopBits, 2);
  EXPECT_EQ(fullDuplex, 0);
  EXPECT_EQ(useTcp, 1);
  EXPECT_STREQ(address, "127.0.0.1");
  EXPECT_EQ(tcpPort, 4300);
  EXPECT_STREQ(name, "bench board");
  EXPECT_EQ(GetFullDuplexSetting(), 0);
}

} // namespace
} // namespace tsw::testing
