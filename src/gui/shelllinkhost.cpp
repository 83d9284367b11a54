#include "gui/shelllinkhost.h"

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/dlgdiscovery.h"
#include "gui/settings.h"
#include "gui/tswcdlg.h"
#include "platform/format.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"

namespace tsw {

std::string NumberedText(uint32_t message, const std::string &argument) {
  const char *text = GetResourceString(unsigned(message));
  return argument.empty() ? std::string(text) : plat::FormatText(text, argument);
}

bool ShellLinkHost::AssumeCorvidCpu() { return settings_.main.assumeCorvidCpu; }
void ShellLinkHost::SetAssumeCorvidCpu(bool on) { settings_.main.assumeCorvidCpu = on; }
bool ShellLinkHost::NoBouncers() { return settings_.compiler.noBouncers; }
bool ShellLinkHost::IncludeTimeStamp() { return settings_.compiler.includeTimeStamp; }
bool ShellLinkHost::ZeroPadBinFile() { return settings_.compiler.zeroPadBinFile; }
std::string ShellLinkHost::ColdLoaderSetting() { return settings_.locations.coldloader; }
std::string ShellLinkHost::PilotBiosSetting() { return settings_.locations.pilotBios; }

void ShellLinkHost::ShowMessage(uint32_t message, const std::string &argument) {
  ShowText(NumberedText(message, argument));
}

void ShellLinkHost::ShowText(const std::string &text) {
  plat::Notifier().MessageBox(GetResourceString(kMsgReportTitle), text, plat::Buttons::Ok, plat::Icon::Error);
}

void ShellLinkHost::Pump() { plat::PleaseWait().Pump(); }
unsigned ShellLinkHost::PumpDepth() { return unsigned(plat::PleaseWait().PumpDepth()); }
bool ShellLinkHost::WaitDialogOpen() { return plat::PleaseWait().Busy(); }
void ShellLinkHost::OpenWaitDialog(bool withCancel) { plat::PleaseWait().Open(withCancel); }
void ShellLinkHost::SetWaitText(const std::string &text) { plat::PleaseWait().SetText(text); }
void ShellLinkHost::SetWaitMessage(uint32_t message, const std::string &argument) {
  SetWaitText(NumberedText(message, argument));
}
void ShellLinkHost::CloseWaitDialog() { plat::PleaseWait().Close(); }

void ShellLinkHost::WriteStdioBlock(const uint8_t *bytes, unsigned count) {
  if (stdioSink)
    stdioSink(bytes, count);
}

std::optional<std::string> ShellLinkHost::AskPassPhrase() {
  if (!passPhrase)
    return std::nullopt;
  passPhrase->Ask();
  if (!passPhrase->HavePassPhrase())
    return std::nullopt;
  return passPhrase->PassPhrase();
}

void ShellLinkHost::ReleasePassPhrase() {
  if (passPhrase)
    passPhrase->Release();
}

void ShellLinkHost::ClearKeepPassPhrase() {
  if (passPhrase)
    passPhrase->Forget();
}

void ShellLinkHost::AddTargetRow(const DiscoveryRow &row) {
  if (cDiscovery *open = cDiscovery::Open())
    open->AddTargetRow(row);
}

} // namespace tsw
