#include "compcore/cc_go/compile.h"
#include "shell_board_fixture.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

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

TEST_F(ShellBoard, TheUsersDefinesReachEveryCompile) {
  std::vector<std::string> defines = {"SPEED", "9600"};
  source.projectMacros = [&defines] { return defines; };
  dir.Write("BIOS.C", "int b;\n#error \"stop\"\n");
  Open();
  source.compilePath = dir.Write("PROG.C", "int a;\n");
  BiosFirstFlag() = true;
  EXPECT_NE(CompileFile(1) & kCompileFailedBit, 0) << "the BIOS stops at its #error";
  EXPECT_STREQ(Host().IsMacroDefined("SPEED"), "9600");
  CloseSerialPort();
}

} // namespace
} // namespace tsw::testing
