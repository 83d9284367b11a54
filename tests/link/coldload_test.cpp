#include "link/serial_fixture.h"

#include <cstdio>

#include "compcore/link/targetinfo.h"
#include "compcore/link/tc/coldload.h"
#include "support/tempdir.h"

namespace tsw::testing {
namespace {

const std::vector<uint8_t> kEndTriplet = {0x80, '$', 0x80};

class ColdLoadTest : public SerialLinkTest {
protected:
  void SetUp() override {
    SerialLinkTest::SetUp();
    host.programDirectory = dir.path() + "/";
    host.coldLoader = "cold.bin";
    host.pilotBios = "pilot.bin";
    host.biosImageMode = true;
    // A board that answers the end of the loader by moving its DSR line.
    port.onHostByte = [this](uint8_t b, uint32_t) {
      recent.push_back(b);
      if (recent.size() > 3)
        recent.erase(recent.begin());
      if (dsrAnswers && recent == std::vector<uint8_t>{0x80, 0x0E, 0x30})
        port.dsr = plat::ModemLine::On;
    };
  }
  void WriteFile(const std::string &name, const std::vector<uint8_t> &bytes) {
    dir.Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::vector<uint8_t> Loader(size_t triplets, bool withEnd) {
    std::vector<uint8_t> f;
    for (size_t i = 0; i < triplets; ++i)
      f.insert(f.end(), {uint8_t(i), uint8_t(i >> 8), 0x11});
    if (withEnd)
      f.insert(f.end(), kEndTriplet.begin(), kEndTriplet.end());
    return f;
  }

  TempDir dir;
  std::vector<uint8_t> recent;
  bool dsrAnswers = true;
};

TEST_F(ColdLoadTest, TheLoaderGoesAsTripletsUpToTheEndTripletWhichIsSentOnceMore) {
  WriteFile("cold.bin", Loader(5, true));
  Open();
  ColdLoadTarget();
  std::vector<uint8_t> sent = port.SentBytes();
  std::vector<uint8_t> want = {0x80, 0x0E, 0x20};
  std::vector<uint8_t> body = Loader(5, false);
  want.insert(want.end(), body.begin(), body.end());
  want.insert(want.end(), {0x80, 0x0E, 0x30});
  want.insert(want.end(), kEndTriplet.begin(), kEndTriplet.end());
  EXPECT_EQ(sent, want);
  EXPECT_TRUE(host.biosImageMode);
  EXPECT_TRUE(host.assumeCorvid);
}

TEST_F(ColdLoadTest, OutcomesByFileAndBoard) {
  struct Case {
    const char *name;
    bool file;
    bool withEnd;
    bool dsrAnswers;
    long writeLimit;
    bool loaded;
    size_t sentAtMost;
  } cases[] = {
      {"board answers", true, true, true, 0, true, 100},
      {"DSR never moves", true, true, false, 0, false, 100},
      {"no end triplet", true, false, true, 0, false, 3 + 3 * 16384 + 3},
      {"missing file", false, false, true, 0, false, 0},
      {"line refuses bytes", true, true, true, -1, false, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    port = FakePort{clock, &kernel};
    SetUp();
    if (c.file)
      WriteFile("cold.bin", Loader(3, c.withEnd));
    else
      std::remove((dir / "cold.bin").c_str());
    dsrAnswers = c.dsrAnswers;
    port.writeLimit = c.writeLimit;
    port.pendingErrors = c.writeLimit < 0 ? uint32_t(plat::kPortFrame) : 0;
    host.assumeCorvid = false;
    host.texts.clear();
    host.messages.clear();
    Open();
    ColdLoadTarget();
    EXPECT_EQ(host.biosImageMode, c.loaded);
    EXPECT_EQ(host.assumeCorvid, c.loaded);
    EXPECT_LE(port.sent.size(), c.sentAtMost);
    if (!c.withEnd && c.file) {
      EXPECT_EQ(port.sent.size(), c.sentAtMost); // every triplet, 0xFF past the end, then the last again
    }
    if (!c.file) {
      ASSERT_EQ(host.messages.size(), 1u);
      EXPECT_EQ(host.messages[0].message, 4013u);
      EXPECT_EQ(host.messages[0].argument, dir / "cold.bin");
    }
    if (c.writeLimit < 0) {
      EXPECT_EQ(host.texts, std::vector<std::string>{"CE_FRAME"}); // shown once, then the load ends
    }
    CloseSerialPort();
  }
}

TEST_F(ColdLoadTest, AFileWithoutEndTripletPadsWithFFAndRepeatsTheLastTriplet) {
  WriteFile("cold.bin", {1, 2, 3, 4});
  Open();
  ColdLoadTarget();
  std::vector<uint8_t> sent = port.SentBytes();
  ASSERT_EQ(sent.size(), 3u + 3 * 16384 + 3);
  EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 3, sent.begin() + 9), (std::vector<uint8_t>{1, 2, 3, 4, 0xFF, 0xFF}));
  EXPECT_EQ(std::vector<uint8_t>(sent.end() - 3, sent.end()), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
}

TEST_F(ColdLoadTest, DsrIsSampledOnlyOnceTheQueuedTripletIsOnTheLine) {
  WriteFile("cold.bin", Loader(1, true));
  CurrentLinkSettings.currentBaud = 2400;
  Open();
  // 300 bytes wait when the end triplet is queued; the board moves DSR
  // only after they are out (1.25 s at 2400 baud).
  uint32_t queuedAt = 0;
  port.onHostByte = [&](uint8_t b, uint32_t at) {
    recent.push_back(b);
    if (recent.size() > 3)
      recent.erase(recent.begin());
    if (recent == std::vector<uint8_t>{0x80, 0x0E, 0x30}) {
      port.queued = 300;
      queuedAt = at;
    }
  };
  // The line empties as the clock moves.
  struct DrainingClock : plat::TickSource {
    plat::FakeTickSource &c;
    FakePort &p;
    uint32_t &queuedAt;
    DrainingClock(plat::FakeTickSource &c, FakePort &p, uint32_t &q) : c(c), p(p), queuedAt(q) {}
    uint32_t Now() override { return c.Now(); }
    void Sleep(uint32_t ms) override {
      c.Advance(ms);
      if (p.queued && c.Now() - queuedAt >= 1250) {
        p.queued = 0;
        p.dsr = plat::ModemLine::On;
      }
    }
  } draining{clock, port, queuedAt};
  plat::SetTickSource(&draining);
  ColdLoadTarget();
  plat::SetTickSource(&clock);
  EXPECT_TRUE(host.assumeCorvid);
  EXPECT_TRUE(host.biosImageMode);
}

TEST_F(ColdLoadTest, TheLoaderBlockIsBytes16640To17663OrWhatThereIsOfThem) {
  struct Case {
    size_t fileSize;
    size_t sent;
  } cases[] = {{20000, 1024}, {17000, 360}, {16000, 0}};
  for (const Case &c : cases) {
    std::vector<uint8_t> file(c.fileSize);
    for (size_t i = 0; i < file.size(); ++i)
      file[i] = uint8_t(i);
    WriteFile("pilot.bin", file);
    port.sent.clear();
    Open();
    EXPECT_TRUE(SendLoaderBlock());
    std::vector<uint8_t> sent = port.SentBytes();
    ASSERT_EQ(sent.size(), c.sent) << c.fileSize;
    if (!sent.empty()) {
      EXPECT_EQ(sent[0], uint8_t(16640));
    }
  }
  host.pilotBios = "none.bin";
  EXPECT_FALSE(SendLoaderBlock());
  EXPECT_EQ(host.messages.back().message, 4013u);
}

TEST_F(ColdLoadTest, TheResetMovesDtrOnlyOnACorvidBoard) {
  for (bool corvid : {false, true}) {
    port = FakePort{clock, &kernel};
    host.assumeCorvid = corvid;
    SetColdLoadMode(0);
    CurrentLinkSettings.currentBaud = 115200;
    Open();
    ResetTargetForColdLoad();
    std::vector<uint32_t> bauds;
    std::vector<bool> dtr;
    for (const plat::SerialLineSettings &s : port.configurations) {
      bauds.push_back(s.baud);
      dtr.push_back(s.dtr);
    }
    EXPECT_EQ(bauds, (std::vector<uint32_t>{115200, 2400, 2400}));
    EXPECT_EQ(dtr, (std::vector<bool>{true, true, !corvid})) << "low in cold-load mode on a Corvid board";
    EXPECT_EQ(port.SentBytes(), (std::vector<uint8_t>{0x80, 0x50, 0x40}));
    CloseSerialPort();
  }
}

TEST_F(ColdLoadTest, AFailedColdLoadSendsNoLoaderBlock) {
  WriteFile("cold.bin", Loader(2, true));
  WriteFile("pilot.bin", std::vector<uint8_t>(17664, 0x42));
  dsrAnswers = false;
  Open();
  EXPECT_FALSE(ColdLoadBareBoard());
  EXPECT_EQ(host.messages.back().message, 4000u);
  for (const plat::SerialLineSettings &s : port.configurations)
    EXPECT_NE(s.baud, 57600u);
  std::vector<uint8_t> sent = port.SentBytes();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), 0x42), 0);
}

TEST_F(ColdLoadTest, ABareBoardComesUpAndHandsOverToTheUsersRate) {
  WriteFile("cold.bin", Loader(2, true));
  WriteFile("pilot.bin", std::vector<uint8_t>(17664, 0x42));
  kernel.ramSize = 0x30;
  kernel.flashId = 0x1234;
  Open();
  ASSERT_TRUE(ColdLoadBareBoard());
  EXPECT_EQ(port.configurations.back().baud, 57600u);
  EXPECT_EQ(CurrentTargetInfo.ramSizeCode, 0x30);
  EXPECT_EQ(CurrentTargetInfo.flashId, 0x1234);
  host.biosImageMode = false;
  size_t before = port.sent.size();
  uint32_t start = clock.Now();
  HandOverBaudRate();
  // The switch byte goes at the old rate, the port follows 500 ms later.
  std::vector<uint8_t> sent = port.SentBytes();
  EXPECT_EQ(std::vector<uint8_t>(sent.begin() + long(before), sent.begin() + long(before) + 5),
            (std::vector<uint8_t>{0xA1, 0x01, 0x01, 0x40, 0x00}));
  EXPECT_EQ(kernel.Peek(0x4001), 1);
  EXPECT_EQ(port.configurations.back().baud, 115200u);
  EXPECT_GE(clock.Now() - port.sent.back().at, 500u);
  EXPECT_GE(port.sent[before].at - start, 55u);
}

} // namespace
} // namespace tsw::testing
