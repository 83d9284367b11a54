#include "debugger/break_step_session.h"
#include "debugger/debuglink_adapter.h"

#include "compcore/link/kernelvars.h"
#include "compcore/link/linktimeouts.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tcs/download.h"
#include "compcore/link/tcs/tcpmessage.h"
#include "debugger/registerframe.h"
#include "fakes/fake_texts.h"
#include "fakes/pty_kernel.h"
#include "link/serial_fixture.h"
#include "link/tcp_fixture.h"
#include "support/tempdir.h"

#include <gmock/gmock.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

// The engine over the real serial link: the in-process kernel serves the
// frames, and the scripted CPU behind it works on the kernel's memory,
// woken by the frames that land there.
class SerialLinkSession : public SerialLinkTest {
protected:
  void SetUp() override {
    SerialLinkTest::SetUp();
    SetMessageTexts(&texts);
    kernel.onWrite = [this](uint32_t physical, unsigned count) { cpu.KernelSeesWrite(physical, uint16_t(count)); };
    kernel.statusSource = [this] { return cpu.QueryTargetStatus(0xFF); };
    ResetDebugEngine();
    SetDebugSeams(&link, &products, &ui);
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    SerialLinkTest::TearDown();
  }

  TargetDebugLink link;
  DebugFakeBoard cpu{&kernel.memory};
  DebugFakeProducts products;
  DebugFakeUi ui;
  InstalledTexts texts{{{729, "%s(%d)"}}};
};

TEST_F(SerialLinkSession, BreakStepAndLeaveTheCodeAsLoaded) {
  RunBreakStepSession(cpu, products, ui);
  EXPECT_TRUE(IsSerialPortOpen());
  // Every request went as frames the kernel took.
  EXPECT_GT(kernel.writeFrames, 0u);
  EXPECT_GT(kernel.readFrames, 0u);
}

TEST_F(SerialLinkSession, WithoutABoardTheConnectSendsNothing) {
  host.offline = true;
  TargetConnect();
  EXPECT_FALSE(IsSerialPortOpen());
  EXPECT_TRUE(port.sent.empty());
}

TEST_F(SerialLinkSession, TheProgramsOutputAtAStopReachesThePane) {
  struct Case {
    uint16_t count;
    size_t shown;
  };
  // A block longer than the kernel's buffer shows what the buffer holds.
  const Case cases[] = {{5, 5}, {255, 255}, {300, 255}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.count);
    ui.stdio.clear();
    TargetConnect();
    cpu.QueueStdio(std::string(c.count, 'o'), c.count);
    PollTargetStatus();
    EXPECT_EQ(ui.stdio, std::string(c.shown, 'o'));
    EXPECT_EQ(cpu.Memory()[DebugFakeBoard::StdioFlag()], 0);
  }
}

// The same over a real terminal device, the kernel answering from its own
// thread, on the real clock.
class PtyLinkSession : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFoundation();
    ResetLinkModules();
    ToolHelpTimer = 1;
    CurrentLinkSettings.portDevice = pty.SlavePath();
    CurrentLinkTimeouts.receiveByte = 60;
    SetMessageTexts(&texts);
    ResetDebugEngine();
    SetDebugSeams(&link, &products, &ui);
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    ResetLinkModules();
    ResetFoundation();
  }

  PtyKernel pty;
  RecordingHost host;
  TargetDebugLink link;
  DebugFakeBoard cpu{&pty.kernel.memory};
  DebugFakeProducts products;
  DebugFakeUi ui;
  InstalledTexts texts{{{729, "%s(%d)"}}};
};

TEST_F(PtyLinkSession, BreakStepAndLeaveTheCodeAsLoaded) {
  // Set before the first byte reaches the kernel's thread.
  pty.kernel.onWrite = [this](uint32_t physical, unsigned count) { cpu.KernelSeesWrite(physical, uint16_t(count)); };
  pty.kernel.statusSource = [this] { return cpu.QueryTargetStatus(0xFF); };
  RunBreakStepSession(cpu, products, ui);
  CloseSerialPort();
}

// The engine over the TCP/IP link to the loopback board: each run-control
// operation is one request, and the stops come as the board's events.
class TcpLinkSession : public TcpLinkTest {
protected:
  void SetUp() override {
    TcpLinkTest::SetUp();
    SetMessageTexts(&texts);
    ResetDebugEngine();
    SetDebugSeams(&link, &products, &ui);
    host.codeStart = DebugFakeProducts::kCodeStart;
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    TcpLinkTest::TearDown();
  }

  // A compile's small image downloaded: the board answers with its kernel
  // variables.
  void Download(const KernelVariables &vars) {
    uint8_t message[kKernelVariableMessageSize];
    KernelVariablesToMessage(vars, message);
    board.kernelVariables.assign(message, message + sizeof message);
    host.includeBios = false;
    ASSERT_TRUE(CreateBinImageFile((dir / "prog.c").c_str()));
    const uint8_t image[4] = {0xC3, 0x00, 0x41, 0x00};
    WriteBinImageAt(sizeof image, 0, image);
    DownloadProgramTcp();
  }
  static std::vector<uint8_t> FrameBytes(uint16_t pc, uint16_t sp) {
    TargetRegisterFrame frame;
    frame.pc = pc;
    frame.sp = sp;
    std::vector<uint8_t> bytes(RegisterFrame::kSize);
    EncodeRegisterFrame(frame, bytes.data());
    return bytes;
  }
  // The board stopped at `pc`: its event, and the polls until the engine
  // took it (bounded).
  void StopAt(uint16_t pc) {
    std::vector<uint8_t> event(kEventSize, 0);
    event[kEventFlagsAt] = kStatusStopped;
    const std::vector<uint8_t> frame = FrameBytes(pc, 0xD000);
    std::copy(frame.begin(), frame.end(), event.begin() + kEventFrameAt);
    board.Send(kTcpEvent, event);
    for (int i = 0; i < 200 && ProgramFrame().pc != pc; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      PollTargetStatus();
    }
  }
  // Connected, downloaded and reset at the code start, with no requests
  // recorded yet.
  void ConnectAndReset() {
    ConnectOpen();
    Download(KernelVariables{});
    TargetConnect();
    board.frame = FrameBytes(DebugFakeProducts::kCodeStart, 0xD000);
    ResetTargetProgram();
  }
  // The payload of the last request of a type.
  std::vector<uint8_t> LastPayload(uint16_t type) {
    std::vector<uint8_t> payload;
    for (const FakeBoard::Message &m : board.Received())
      if (m.type == type)
        payload = m.payload;
    return payload;
  }

  TempDir dir;
  TargetDebugLink link;
  DebugFakeProducts products;
  DebugFakeUi ui;
  InstalledTexts texts{{{729, "%s(%d)"}}};
};

TEST_F(TcpLinkSession, BreakStepAndLeaveTheCodeAsLoaded) {
  using ::testing::Contains;
  board.kernel.Poke(0x4100, {kDebugHook, 0x3E, 0x01, kDebugHook, 0x3E, 0x02, 0x3E, 0x03, kDebugHook, 0x18, 0xFD});
  const uint16_t statements[] = {0x4100, 0x4103, 0x4106, 0x4108};
  for (uint16_t line = 1; line <= 4; ++line)
    products.AddStatement(MakeAddr24(0, statements[line - 1]), "/work/main.c", line, 5);
  const std::vector<uint8_t> loaded = board.kernel.memory;
  ui.editors = {"/work/main.c"};
  ui.registersOpen = true;

  ConnectOpen();
  KernelVariables vars;
  vars.doneFlag = 0x2105;
  vars.registerSaveArea = 0x2200;
  vars.stdinByte = 0x210E;
  Download(vars);
  TargetConnect();
  EXPECT_EQ(KernelVariablesInUse().doneFlag, 0x2105);
  EXPECT_EQ(KernelVariablesInUse().registerSaveArea, 0x2200);

  // The reset restarts the program at the code start; the reply is its frame.
  board.frame = FrameBytes(0x4100, 0xD000);
  ResetTargetProgram();
  EXPECT_EQ(LastPayload(kTcpRun), (std::vector<uint8_t>{0, 0x00, 0x40}));
  EXPECT_EQ(ProgramFrame().pc, 0x4100);

  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);
  EXPECT_EQ(LastPayload(kTcpSetBreakpoint), (std::vector<uint8_t>{0x00, 0x06, 0x41, kTrapRst20}));
  EXPECT_EQ(board.kernel.Peek(0x4106), kTrapRst20);
  StartTargetRun();
  EXPECT_EQ(LastPayload(kTcpRun), (std::vector<uint8_t>{1, 0, 0}));
  StopAt(0x4106);
  EXPECT_EQ(ProgramFrame().pc, 0x4106);
  EXPECT_EQ(ExecutionMarkerInUse().position, MakeTextPosition(2, 4));
  EXPECT_THAT(ui.registers.lines, Contains("PC  4106  SP  D000"));

  StepOverCommand();
  EXPECT_EQ(LastPayload(kTcpStepStatement), (std::vector<uint8_t>{1}));
  StopAt(0x4108);
  EXPECT_EQ(ProgramFrame().pc, 0x4108);
  EXPECT_THAT(ui.registers.lines, Contains("PC  4108  SP  D000"));
  EXPECT_THAT(ui.calls, Contains("execution /work/main.c 3:4"));

  // The byte the board replaced goes back with the clear.
  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);
  EXPECT_EQ(LastPayload(kTcpClearBreakpoint), (std::vector<uint8_t>{0x00, 0x06, 0x41, 0x3E}));
  EXPECT_TRUE(Breakpoints().empty());
  EXPECT_TRUE(board.kernel.memory == loaded);
}

TEST_F(TcpLinkSession, EachCommandIsItsRequest) {
  struct Case {
    const char *name;
    bool assemblyOpen;
    void (*command)();
    uint16_t request;
    std::vector<uint8_t> payload;
    uint16_t pcAfter; // the reply's frame, for the requests that bring one
  };
  const Case cases[] = {
      {"stop", false, StopTargetProgram, kTcpStop, {}, DebugFakeProducts::kCodeStart},
      {"statement step into", false, TraceIntoCommand, kTcpStepStatement, {0}, DebugFakeProducts::kCodeStart},
      {"statement step over", false, StepOverCommand, kTcpStepStatement, {1}, DebugFakeProducts::kCodeStart},
      {"instruction step into", true, TraceIntoCommand, kTcpStepInstruction, {0}, 0x4203},
      {"instruction step over", true, StepOverCommand, kTcpStepInstruction, {1}, 0x4203},
  };
  ConnectAndReset();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    board.frame = FrameBytes(DebugFakeProducts::kCodeStart, 0xD000);
    ResetTargetProgram();
    ui.assemblyOpen = c.assemblyOpen;
    board.frame = FrameBytes(0x4203, 0xCFF0);
    const size_t before = board.CountOf(c.request);
    c.command();
    EXPECT_EQ(board.CountOf(c.request), before + 1);
    EXPECT_EQ(LastPayload(c.request), c.payload);
    EXPECT_EQ(ProgramFrame().pc, c.pcAfter);
  }
}

TEST_F(TcpLinkSession, AProgramAskingForInputGetsTheKeyAsARequest) {
  ConnectAndReset();
  ui.keys = "k";
  std::vector<uint8_t> event(kEventSize, 0);
  event[kEventFlagsAt] = kStatusWantsInput;
  board.Send(kTcpEvent, event);
  for (int i = 0; i < 200 && board.CountOf(kTcpStdinKey) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    PollTargetStatus();
  }
  EXPECT_EQ(LastPayload(kTcpStdinKey), (std::vector<uint8_t>{'k'}));
  EXPECT_TRUE(ui.keys.empty());
}

} // namespace
} // namespace tsw::testing
