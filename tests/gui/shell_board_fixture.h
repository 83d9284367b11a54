#pragma once

#include <string>
#include <vector>

#include "compcore/link/linkhost.h"
#include "foundation/restext.h"
#include "gui/driverlink.h"
#include "gui/settings.h"
#include "gui/shelllinkhost.h"
#include "link/serial_fixture.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"
#include "qt_fixture.h"
#include "settings_fixture.h"
#include "shell_fakes.h"
#include "support/tempdir.h"

namespace tsw::testing {

// The IDE's compiler as the shell assembles it, over the in-process kernel
// behind the fake serial port.
class ShellBoard : public QtSuiteOver<SerialLinkTest> {
protected:
  void SetUp() override {
    QtSuiteOver<SerialLinkTest>::SetUp();
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
    QtSuiteOver<SerialLinkTest>::TearDown();
  }

  ConfigHome home;
  TempDir dir;
  InstalledTexts texts{{{5000, "Tessel C"}, {5023, "Cannot open '%s'."}, {5076, "No answer from the board."}}};
  plat::RecordingNotifier notifier;
  RecordingPleaseWait pleaseWait;
  Settings settings{"7.06P", "/nowhere/"};
  ShellLinkHost shellHost{settings, "/progs/"};
  CompilerShellSource source;
};

} // namespace tsw::testing
