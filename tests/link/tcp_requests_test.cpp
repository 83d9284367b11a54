#include "link/tcp_fixture.h"

#include <functional>

#include "compcore/link/biosimage.h"
#include "compcore/link/regframe.h"
#include "compcore/link/targetevent.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/targetmem.h"
#include "foundation/crc16.h"

namespace tsw::testing {
namespace {

TEST_F(TcpLinkTest, AReadAfterConnectIsTheFirstMessageWithSequenceZero) {
  ConnectOpen();
  board.kernel.Poke(Addr24ToPhysical(MakeAddr24(0x0E, 0xE000)), {1, 2, 3});
  uint8_t buf[16] = {};
  ReadTargetMemoryTcp(16, MakeAddr24(0x0E, 0xE000), buf);
  std::vector<FakeBoard::Message> got = board.Received();
  ASSERT_EQ(got.size(), 1u);
  const std::vector<uint8_t> want = {0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0x04, 0x0E, 0x00, 0xE0, 0x10, 0,    0,    0,    0,    0,    0};
  EXPECT_EQ(got[0].raw, want);
  EXPECT_EQ(buf[2], 3);
}

TEST_F(TcpLinkTest, TransfersGoInPiecesOfAtMost255AndReadBackWhole) {
  ConnectOpen();
  board.dribble = true; // replies arrive a byte at a time
  std::vector<uint8_t> data(600);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = uint8_t(i * 31 + 7);
  host.codeStart = 0x4000;
  WriteTargetMemory(600, MakeAddr24(0, 0x8000), data.data());
  WriteProgramBytesTcp(300, MakeAddr24(0, 0x9000), data.data());
  std::vector<uint8_t> back(600);
  ReadTargetMemory(600, MakeAddr24(0, 0x8000), back.data());
  EXPECT_EQ(back, data);
  std::vector<size_t> writes, programs;
  for (const FakeBoard::Message &m : board.Received()) {
    if (m.type == 6)
      writes.push_back(m.payload[3]);
    if (m.type == 22)
      programs.push_back(m.payload[3]);
  }
  EXPECT_EQ(writes, (std::vector<size_t>{255, 255, 90}));
  EXPECT_EQ(programs, (std::vector<size_t>{255, 45}));
  EXPECT_EQ(board.CountOf(5), 3u);
}

TEST_F(TcpLinkTest, LowMemoryComesFromTheImageBufferAndOnlyItsBytesStayThere) {
  ConnectOpen();
  host.codeStart = 0x6000;
  std::vector<uint8_t> image(0x100, 0x5A);
  BiosImageBuffer.Write(0x2400, 0x100, image.data());
  board.kernel.Poke(0x2500, std::vector<uint8_t>(0x100, 0xC3));
  std::vector<uint8_t> buf(0x200);
  ReadTargetMemory(0x200, MakeAddr24(0, 0x2400), buf.data());
  EXPECT_EQ(buf[0xFF], 0x5A);
  EXPECT_EQ(buf[0x100], 0xC3); // above the buffer: the board's
  EXPECT_EQ(board.CountOf(5), 2u);
  // BIOS-image writes: below the buffer's end kept here, above it sent.
  host.biosImageMode = true;
  std::vector<uint8_t> data(0x20, 0x11);
  WriteTargetMemory(0x20, MakeAddr24(0, 0x24F0), data.data());
  EXPECT_EQ(BiosImageBuffer.bytes[0x24FF], 0x11);
  EXPECT_EQ(board.CountOf(6), 1u);
  EXPECT_EQ(board.kernel.Peek(0x2500), 0x11);
  EXPECT_EQ(board.kernel.Peek(0x24FF), 0);
  // While the BIOS itself compiles, the code start does not count: below
  // the buffer's end the buffer answers wherever the code starts.
  host.biosImageMode = false;
  host.biosCode = true;
  host.codeStart = 0x1000;
  size_t readsBefore = board.CountOf(5);
  ReadTargetMemory(0x20, MakeAddr24(0, 0x2400), buf.data());
  EXPECT_EQ(buf[0], 0x5A);
  EXPECT_EQ(board.CountOf(5), readsBefore);
  host.biosCode = false;
  ReadTargetMemory(0x20, MakeAddr24(0, 0x2400), buf.data());
  EXPECT_EQ(board.CountOf(5), readsBefore + 1);
}

// Each request, and the number a reply of the wrong type makes.
struct RequestCase {
  const char *name;
  uint16_t type;
  std::function<void()> call;
  uint32_t wrongReply;
};

TEST_F(TcpLinkTest, AReplyOfTheWrongTypeIsTheRequestsThirdNumber) {
  const uint8_t one = 1, entry[2] = {0x00, 0x90};
  uint8_t buf[8];
  const RequestCase cases[] = {
      {"read", 5, [&] { ReadTargetMemoryTcp(4, ADDR24{}, buf); }, 5095},
      {"write", 6, [&] { WriteTargetMemoryTcp(4, ADDR24{}, buf); }, 5098},
      {"target info", 7, [] { ReadTargetInfoTcp(); }, 5090},
      {"step", 11, [] { StepInstructionTcp(1); }, 5108},
      {"run", 15, [] { RunTargetTcp(0); }, 5111},
      {"stop", 16, [] { StopTargetTcp(); }, 5114},
      {"statement step", 17, [] { StepStatementTcp(0); }, 5105},
      {"watch", 18, [&] { EvaluateWatchTcp(entry, buf, 4); }, 5127},
      {"set breakpoint", 19, [&] { SetBreakpointTcp(ADDR24{}, &one); }, 5117},
      {"clear breakpoint", 20, [&] { ClearBreakpointTcp(ADDR24{}, &one); }, 5120},
      {"program bytes", 22, [&] { WriteProgramBytesTcp(4, ADDR24{}, buf); }, 5130},
      {"watch values", 24, [] { ReadWatchValuesTcp(); }, 5136},
      {"watch window", 25, [] { NotifyWatchWindowOpenTcp(); }, 5142},
      {"key", 26, [] { SendKeyToTargetTcp('x'); }, 5145},
  };
  ConnectOpen();
  for (const RequestCase &c : cases) {
    SCOPED_TRACE(c.name);
    board.wrongReplyTypeFor = 0;
    EXPECT_EQ(LinkFailure(c.call), 0u);
    board.wrongReplyTypeFor = c.type;
    EXPECT_EQ(LinkFailure(c.call), c.wrongReply);
    if (!IsTcpConnected())
      ConnectOpen();
  }
}

TEST_F(TcpLinkTest, RunAndStepRepliesBringTheFrameBackAndTheRunCarriesTheCodeStart) {
  ConnectOpen();
  host.codeStart = 0x1234;
  for (unsigned i = 0; i < 26; ++i)
    board.frame[i] = uint8_t(0x30 + i);
  RunTargetTcp(0);
  EXPECT_EQ(ProgramRegisterFrame.Word(FrameReg::AF), 0x3130);
  EXPECT_EQ(ProgramRegisterFrame.Xpc(), 0x30 + 12);
  RunTargetTcp(1);
  board.frame[0] = 0x99;
  StepInstructionTcp(0);
  EXPECT_EQ(ProgramRegisterFrame.bytes[0], 0x99);
  std::vector<FakeBoard::Message> got = board.Received();
  EXPECT_EQ(got[0].payload, (std::vector<uint8_t>{0, 0x34, 0x12}));
  EXPECT_EQ(got[1].payload, (std::vector<uint8_t>{1, 0, 0}));
  const uint8_t opcode = 0xDF;
  board.kernel.Poke(0x8000, {0x3E});
  EXPECT_EQ(SetBreakpointTcp(MakeAddr24(0, 0x8000), &opcode), 0x3E);
  const uint8_t entry[2] = {0x00, 0x90};
  uint8_t results[3] = {};
  EvaluateWatchTcp(entry, results, 3);
  EXPECT_EQ(results[2], 0xA2);
  EXPECT_EQ(board.Received().back().payload, (std::vector<uint8_t>{0x00, 0x90, 3, 0}));
}

TEST_F(TcpLinkTest, AnEventDuringAReplyIsAnsweredAndTheReplyStillTaken) {
  ConnectOpen();
  std::vector<uint8_t> event(557, 0);
  event[0] = kStatusStopped | kStatusStdioWaiting;
  event[1] = 0x77;
  const char text[] = "hello";
  std::memcpy(event.data() + 302, text, sizeof text);
  board.kernel.Poke(0x100, {0xAB});
  board.eventBeforeReply = event;
  uint8_t b = 0;
  ReadTargetMemoryTcp(1, MakeAddr24(0, 0x100), &b);
  EXPECT_EQ(b, 0xAB);
  EXPECT_TRUE(board.WaitFor(0x400E, 500));
  EXPECT_EQ(host.stdio, "hello");
  // The poll hands the stop on, without the text bit.
  EXPECT_EQ(PollTargetTcp(0xFF), kStatusStopped);
  EXPECT_EQ(LastTargetEvent.frame.bytes[0], 0x77);
  EXPECT_EQ(PollTargetTcp(0xFF), 0);
}

// Polls until `done` holds or the bound runs out: the fake board's thread
// sends in its own time, and a loaded machine may take it a while.
template <class Done> void PollUntil(Done done) {
  for (int i = 0; i < 2000 && !done(); ++i) {
    EXPECT_EQ(PollTargetTcp(0xFF), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST_F(TcpLinkTest, PollFindsNothingAtOnceAndTakesWhatTheBoardSends) {
  ConnectOpen();
  // An empty poll must not wait for a reply that is not coming.
  EXPECT_LT(Elapsed([] { EXPECT_EQ(PollTargetTcp(0xFF), 0); }), CurrentLinkTimeouts.tcpReply);

  std::vector<uint8_t> event(557, 0);
  event[0] = kStatusStopped | kStatusWantsInput;
  event[286] = 0x42;
  board.Send(14, event);
  uint8_t flags = 0;
  for (int i = 0; i < 2000 && flags == 0; ++i) {
    flags = PollTargetTcp(kStatusWantsInput);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(flags, kStatusWantsInput);
  EXPECT_EQ(LastTargetEvent.stack[0], 0x42);

  std::vector<uint8_t> watch = {2, 0xAA, 0xBB};
  board.Send(0x4018, watch);
  PollUntil([] { return CurrentWatchResults.count == 2; });
  EXPECT_EQ(CurrentWatchResults.count, 2);
  EXPECT_EQ(CurrentWatchResults.bytes[1], 0xBB);

  board.Send(0x800E, {});
  uint32_t failure = 0;
  for (int i = 0; i < 2000 && failure == 0; ++i) {
    failure = LinkFailure([] { PollTargetTcp(0xFF); });
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(failure, 5150u);
}

TEST_F(TcpLinkTest, OtherMessagesInAPollAreDropped) {
  ConnectOpen();
  board.Send(0x4005, {1, 2, 3});
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(PollTargetTcp(0xFF), 0);
  uint8_t b = 0;
  board.kernel.Poke(0x10, {9});
  ReadTargetMemoryTcp(1, MakeAddr24(0, 0x10), &b);
  EXPECT_EQ(b, 9);
}

TEST_F(TcpLinkTest, AKeepAliveGoesOutOnceTheLastMessageIsOldEnough) {
  CurrentLinkTimeouts.keepAlive = 60;
  ConnectOpen();
  StopTargetTcp();
  PollTargetTcp(0xFF);
  EXPECT_EQ(board.CountOf(21), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  PollTargetTcp(0xFF);
  EXPECT_TRUE(board.WaitFor(21, 500));
}

TEST_F(TcpLinkTest, BadRepliesEndInTheReceiveNumberAndNeverLeaveTheStreamOutOfStep) {
  struct Case {
    const char *name;
    uint32_t claimed;
    bool silent;
    bool staysConnected;
  } cases[] = {
      {"over the buffer, dropped", 2000, false, true},
      {"absurd length", 1u << 24, false, false},
      {"silence", 0, true, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ConnectOpen();
    board.oversizedReplyLength = c.claimed;
    board.silent = c.silent;
    uint8_t buf[4];
    uint32_t elapsed = Elapsed([&] { EXPECT_EQ(LinkFailure([&] { ReadTargetMemoryTcp(4, ADDR24{}, buf); }), 5094u); });
    if (c.silent) {
      EXPECT_GE(elapsed, CurrentLinkTimeouts.tcpReply);
    }
    EXPECT_EQ(IsTcpConnected(), c.staysConnected);
    board.oversizedReplyLength = 0;
    board.silent = false;
    if (c.staysConnected) {
      board.kernel.Poke(0, {1, 2, 3, 4});
      ReadTargetMemoryTcp(4, ADDR24{}, buf);
      EXPECT_EQ(buf[3], 4);
    }
    DisconnectTcp();
  }
}

std::array<uint8_t, 132> GoodIdBlock(uint16_t boardType) {
  std::array<uint8_t, 132> b{};
  b[2] = uint8_t(boardType);
  b[3] = uint8_t(boardType >> 8);
  b[116] = 132;
  uint16_t crc = 0;
  for (unsigned i = 0; i < 132; ++i)
    if (i != 115)
      crc = ComputeCrc16(b[i], 0x1021, crc);
  b[124] = uint8_t(crc);
  b[125] = uint8_t(crc >> 8);
  return b;
}

TEST_F(TcpLinkTest, TargetInfoTakesTheBoardTypeOnlyFromABlockWithAGoodCrc) {
  ConnectOpen();
  board.idBlock = GoodIdBlock(0x0A21);
  ReadTargetInfoTcp();
  EXPECT_EQ(CurrentTargetInfo.flashId, 0xBF07);
  EXPECT_EQ(CurrentTargetInfo.ramSizeCode, 0x12);
  EXPECT_EQ(CurrentTargetInfo.boardType, 0x0A21);
  EXPECT_EQ(board.Received().back().payload, (std::vector<uint8_t>{0, 0, 0, 0, 1, 0}));
  board.idBlock[40] ^= 1;
  ReadTargetInfoTcp();
  EXPECT_EQ(CurrentTargetInfo.boardType, 0);
  EXPECT_FALSE(host.dialogOpen);
}

} // namespace
} // namespace tsw::testing
