#pragma once

#include "gui/buildcmds.h"

// The build workers' windows in the shell: the editor frames, the
// please-wait dialog, the message boxes and the message window.
namespace tsw {

class cMainWindow;
class cTextMessage;

class ShellBuildWindows : public BuildWindows {
public:
  explicit ShellBuildWindows(cMainWindow &window) : window_(window) {}

  std::optional<std::string> TakeProgramFrame() override;
  void TakeBiosFrame(const std::string &biosPath) override;
  bool EditorModified(const std::string &path) override;
  void RaiseRecentEditor() override;

  bool PleaseWaitOpen() override;
  void OpenPleaseWait(bool withCancel) override;
  void SetPleaseWaitText(const std::string &text) override;
  void ClosePleaseWait() override;
  void ShowBox(unsigned message) override;
  void Report(const xErr &error) override;
  void Wait(uint32_t milliseconds) override;

  bool MessageWindowOpen() override;
  void ShowMessageWindow() override;
  void FocusMessageWindow() override;
  void ForgetMessageWindow() override;
  void ClearAndHideMessageWindow() override;
  void HideMessageWindow() override;

private:
  cTextMessage *Messages();
  void Reload();

  cMainWindow &window_;
};

} // namespace tsw
