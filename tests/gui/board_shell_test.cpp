#include "gui/driverlink.h"
#include "gui/settings.h"
#include "gui/shelllinkhost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compcore/cc_go/compile.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/tc/serial.h"
#include "foundation/restext.h"
#include "link/serial_fixture.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw::testing {
namespace {

// The please-wait dialog as the link drives it, in order.
class RecordingPleaseWait : public plat::PleaseWaitService {
public:
  void Open(bool withCancel) override {
    calls.push_back(withCancel ? "open cancel" : "open");
    busy = true;
  }
  void SetText(const std::string &text) override { calls.push_back("text " + text); }
  void Pump() override { calls.push_back("pump"); }
  void Close() override {
    calls.push_back("close");
    busy = false;
  }
  bool Busy() const override { return busy; }
  int PumpDepth() const override { return depth; }
  std::vector<std::string> calls;
  bool busy = false;
  int depth = 0;
};

// The IDE's compiler as the shell assembles it, over the in-process kernel
// behind the fake serial port.
class ShellBoard : public SerialLinkTest {
protected:
  void SetUp() override {
    SerialLinkTest::SetUp();
    // The link's reset forgot the texts the fixture was built with.
    SetMessageTexts(&texts);
    plat::SetNotifier(&notifier);
    plat::SetPleaseWait(&pleaseWait);
    dir.Write("LIB.DIR", "LIB\\DEFAULT.H\n");
    dir.Write("LIB/DEFAULT.H", "/*** BeginHeader */\n/*** EndHeader */\n");
    source.programDirectory = [this] { return dir.path(); };
    source.libDirPath = [this] { return dir / "LIB.DIR"; };
    source.defaultUserBios = [] { return std::string(); };
    source.biosSourcePath = [this] { return dir / "BIOS.C"; };
    source.biosFileType = [] { return int16_t(0); };
    source.userBiosEnabled = [] { return false; };
    source.linkHost = &shellHost;
    InstallCompilerShell(&source);
  }
  void TearDown() override {
    InstallCompilerShell(nullptr);
    plat::SetPleaseWait(nullptr);
    plat::SetNotifier(nullptr);
    SerialLinkTest::TearDown();
  }

  ConfigHome home;
  TempDir dir;
  MapTexts texts{{{5000, "Tessel C"}, {5023, "Cannot open '%s'."}, {5076, "No answer from the board."}}};
  plat::RecordingNotifier notifier;
  RecordingPleaseWait pleaseWait;
  Settings settings{"7.06P", "/nowhere/"};
  ShellLinkHost shellHost{settings, "/progs/"};
  CompilerShellSource source;
};

TEST_F(ShellBoard, TheLinksDialogsAndSettingsAreTheShells) {
  settings.main.assumeCorvidCpu = false;
  settings.locations.coldloader = "COLDLOAD.BIN";
  settings.locations.pilotBios = "PILOT.BIN";
  LinkHost &link = Host();
  EXPECT_NE(&link, &shellHost) << "the compiler answers its own part first";
  EXPECT_FALSE(link.AssumeCorvidCpu());
  link.SetAssumeCorvidCpu(true);
  EXPECT_TRUE(settings.main.assumeCorvidCpu);
  EXPECT_EQ(link.ColdLoaderSetting(), "COLDLOAD.BIN");
  EXPECT_EQ(link.PilotBiosSetting(), "PILOT.BIN");
  EXPECT_EQ(link.ProgramDirectory(), "/progs/");

  struct Case {
    const char *name;
    uint32_t message;
    std::string argument;
    std::string shown;
  };
  const Case boxes[] = {
      {"numbered with its argument", 5023, "a.bin", "Cannot open 'a.bin'."},
      {"numbered without one", 5076, "", "No answer from the board."},
  };
  for (const Case &c : boxes) {
    SCOPED_TRACE(c.name);
    notifier.boxes.clear();
    link.ShowMessage(c.message, c.argument);
    ASSERT_EQ(notifier.boxes.size(), 1u);
    EXPECT_EQ(notifier.boxes[0].title, "Tessel C");
    EXPECT_EQ(notifier.boxes[0].text, c.shown);
  }
  notifier.boxes.clear();
  link.ShowText("plain");
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_EQ(notifier.boxes[0].text, "plain");

  EXPECT_FALSE(link.WaitDialogOpen());
  link.OpenWaitDialog(true);
  EXPECT_TRUE(link.WaitDialogOpen());
  link.SetWaitMessage(5023, "b.bin");
  link.SetWaitText("loading");
  link.Pump();
  pleaseWait.depth = 1;
  EXPECT_EQ(link.PumpDepth(), 1u);
  link.CloseWaitDialog();
  EXPECT_FALSE(link.WaitDialogOpen());
  EXPECT_EQ(pleaseWait.calls,
            (std::vector<std::string>{"open cancel", "text Cannot open 'b.bin'.", "text loading", "pump", "close"}));

  std::string stdio;
  shellHost.stdioSink = [&](const uint8_t *bytes, unsigned count) {
    stdio.append(reinterpret_cast<const char *>(bytes), count);
  };
  const uint8_t out[] = {'h', 'i'};
  link.WriteStdioBlock(out, 2);
  EXPECT_EQ(stdio, "hi");

  // A compiler without the shell asks nobody.
  InstallCompilerShell(nullptr);
  EXPECT_EQ(Host().ProgramDirectory(), "");
}

TEST_F(ShellBoard, TheCompilerReadsItsTargetMacrosFromTheBoard) {
  struct Case {
    const char *name;
    uint16_t flashId;
    uint8_t ramSize;
    uint16_t boardType;
    std::vector<std::pair<const char *, const char *>> macros;
  };
  const Case cases[] = {
      {"64-page flash, 256 KiB RAM",
       0xBFB6,
       0x20,
       0x1234,
       {{"_FLASH_SIZE_", "64"}, {"_RAM_SIZE_", "256"}, {"_BOARD_TYPE_", "4660"}}},
      {"16-page flash, 32 KiB RAM", 0x1F25, 0x04, 0x0200,
       {{"_FLASH_SIZE_", "16"}, {"_RAM_SIZE_", "32"}, {"_BOARD_TYPE_", "512"}}},
  };
  dir.Write("BIOS.C", "int b;\n#error \"stop\"\n");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    kernel.flashId = c.flashId;
    kernel.ramSize = c.ramSize;
    kernel.boardType = c.boardType;
    Open();
    source.compilePath = dir.Write("PROG.C", "int a;\n");
    BiosFirstFlag() = true;
    EXPECT_NE(CompileFile(1) & kCompileFailedBit, 0) << "the BIOS stops at its #error";
    for (const auto &[name, value] : c.macros)
      EXPECT_STREQ(Host().IsMacroDefined(name), value) << name;
    CloseSerialPort();
  }
}

} // namespace
} // namespace tsw::testing
