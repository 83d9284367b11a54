#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "compcore/link/linkhost.h"

// What the link asks of the shell, served by the shell's own seams: the
// settings the link reads and sets, numbered and plain message boxes through
// the notifier, the please-wait dialog through the please-wait holder, the
// pass phrase through its holder, the boards found to the discovery dialog,
// and the program's output to the stdio pane.
namespace tsw {

class Settings;
class cTCPPassPhraseControl;

class ShellLinkHost : public LinkHost {
public:
  ShellLinkHost(Settings &settings, std::string programDirectory)
      : settings_(settings), programDirectory_(std::move(programDirectory)) {}

  bool AssumeCorvidCpu() override;
  void SetAssumeCorvidCpu(bool on) override;
  bool NoBouncers() override;
  bool IncludeTimeStamp() override;
  bool ZeroPadBinFile() override;
  std::string ProgramDirectory() override { return programDirectory_; }
  std::string ColdLoaderSetting() override;
  std::string PilotBiosSetting() override;
  void ShowMessage(uint32_t message, const std::string &argument) override;
  void ShowText(const std::string &text) override;

  void Pump() override;
  unsigned PumpDepth() override;
  bool WaitDialogOpen() override;
  void OpenWaitDialog(bool withCancel) override;
  void SetWaitText(const std::string &text) override;
  void SetWaitMessage(uint32_t message, const std::string &argument) override;
  void CloseWaitDialog() override;

  // The pass phrase through the holder; none without one.
  std::optional<std::string> AskPassPhrase() override;
  void ReleasePassPhrase() override;
  void ClearKeepPassPhrase() override;
  cTCPPassPhraseControl *passPhrase = nullptr;

  void WriteStdioBlock(const uint8_t *bytes, unsigned count) override;
  // A board's discovery reply goes to the open discovery dialog.
  void AddTargetRow(const DiscoveryRow &row) override;
  // Where the program's output goes; none drops it.
  std::function<void(const uint8_t *bytes, unsigned count)> stdioSink;

private:
  Settings &settings_;
  std::string programDirectory_;
};

// A numbered text with its one argument in place (none when empty).
std::string NumberedText(uint32_t message, const std::string &argument);

} // namespace tsw
