#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "compcore/link/kernelvars.h"
#include "compcore/link/targetevent.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tcs/download.h"
#include "compcore/link/tcs/tcpmessage.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debugengine.h"
#include "debugger/debuglink_adapter.h"
#include "debugger/registerframe.h"
#include "foundation/restext.h"
#include "gui/commands.h"
#include "gui/driverlink.h"
#include "gui/settings.h"
#include "gui/shelldebugui.h"
#include "gui/shellstate.h"
#include "gui/tswmainw.h"
#include "link/tcp_fixture.h"
#include "platform/notify.h"
#include "qt_fixture.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw::testing {
namespace {

// The IDE debugging a board on TCP/IP: the main window's commands and poll
// tick over the engine on the real TCP/IP link to the loopback board.
class ShellTcpSession : public QtSuiteOver<TcpLinkTest> {
protected:
  void SetUp() override {
    QtSuiteOver<TcpLinkTest>::SetUp();
    SetMessageTexts(&texts);
    ResetShellState();
    plat::SetNotifier(&notifier);
    settings.comm.useTcp = true;
    InstallDebugger(&ui);
    // No compile to the board yet: the debugger tests' products stand in.
    SetDebugSeams(&link, &products, &ui);
    host.codeStart = DebugFakeProducts::kCodeStart;
  }
  void TearDown() override {
    InstallDebugger(nullptr);
    plat::SetNotifier(nullptr);
    ResetShellState();
    QtSuiteOver<TcpLinkTest>::TearDown();
  }
  void Command(uint16_t id) {
    const CommandHandlers::Entry *entry = window.Commands().Find(id);
    ASSERT_NE(entry, nullptr) << "command " << id << " has no worker";
    entry->worker();
  }
  static std::vector<uint8_t> FrameBytes(uint16_t pc) {
    TargetRegisterFrame frame;
    frame.pc = pc;
    frame.sp = 0xD000;
    std::vector<uint8_t> bytes(RegisterFrame::kSize);
    EncodeRegisterFrame(frame, bytes.data());
    return bytes;
  }
  // A small program downloaded, the kernel found.
  void DownloadAndConnect() {
    uint8_t message[kKernelVariableMessageSize];
    KernelVariablesToMessage(KernelVariables{}, message);
    board.kernelVariables.assign(message, message + sizeof message);
    host.includeBios = false;
    ASSERT_TRUE(CreateBinImageFile((dir / "prog.c").c_str()));
    const uint8_t image[4] = {0xC3, 0x00, 0x41, 0x00};
    WriteBinImageAt(sizeof image, 0, image);
    DownloadProgramTcp();
    TargetConnect();
  }

  TempDir dir;
  ConfigHome home;
  InstalledTexts texts{{{5000, "Tessel C"}}};
  plat::RecordingNotifier notifier;
  TargetDebugLink link;
  DebugFakeProducts products;
  Settings settings{"7.06P", "/nowhere/"};
  CompileDriverControl compiler;
  PlaceholderEditorFactory editors;
  BoardEngine engine{settings};
  cMainWindow window{engine, compiler, settings, editors};
  ShellDebugUi ui{window};
};

TEST_F(ShellTcpSession, TheStopEventEndsTheRunAndLeavingDebuggingDisconnects) {
  board.kernel.Poke(0x4100, {kDebugHook, 0x3E, 0x01, kDebugHook, 0x3E, 0x02, 0x3E, 0x03});
  products.AddStatement(MakeAddr24(0, 0x4100), dir / "main.c", 1, 5);
  products.AddStatement(MakeAddr24(0, 0x4106), dir / "main.c", 3, 5);
  ConnectOpen();
  DownloadAndConnect();
  window.Core().ArrangeDebugWindows(RunState::Stopped);
  board.frame = FrameBytes(0x4100);
  Command(cmd::kReset);
  EXPECT_EQ(ProgramFrame().pc, 0x4100);
  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);

  Command(cmd::kRun);
  EXPECT_EQ(window.Core().State(), RunState::Running);
  std::vector<uint8_t> event(kEventSize, 0);
  event[kEventFlagsAt] = kStatusStopped;
  const std::vector<uint8_t> frame = FrameBytes(0x4106);
  std::copy(frame.begin(), frame.end(), event.begin() + kEventFrameAt);
  board.Send(kTcpEvent, event);
  // The board's event arrives in its own time: polls as the timer would,
  // bounded.
  for (int i = 0; i < 200 && window.Core().State() != RunState::Stopped; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    window.Core().PollTick();
  }
  EXPECT_EQ(window.Core().State(), RunState::Stopped);
  EXPECT_EQ(ProgramFrame().pc, 0x4106);

  ToggleBreakpoint(MakeAddr24(0, 0x4106), kTrapRst20);
  Command(cmd::kLeaveDebugging);
  EXPECT_FALSE(window.Core().Debugging());
  for (int i = 0; i < 200 && board.ClientConnected(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(board.ClientConnected());
  EXPECT_TRUE(notifier.boxes.empty());
}

} // namespace
} // namespace tsw::testing
