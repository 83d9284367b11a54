#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "compcore/link/discoveryrow.h"
#include "foundation/msgcatalog.h"

// What the link needs of the rest of the system: the compiler's flags and
// macros, the please-wait dialog and its message pump, the pass-phrase
// dialog, the stdio pane and the discovery dialog. The composition root
// installs the one that reaches them; until then every answer is the quiet
// default below, and tests install recording fakes.
namespace tsw {

// A compile error of the link: a named message whose text takes one text
// argument, formatted as it is raised. Only Of<N> makes one, so a raiser
// whose message takes other arguments does not compile.
class LinkCompileError {
public:
  template <unsigned Id>
  requires(MessageCallFits<Id, std::string>()) static LinkCompileError Of(std::string argument) {
    std::string text = FormatMessage<Id>(argument);
    return LinkCompileError(Id, std::move(argument), std::move(text));
  }
  uint32_t Message() const { return message_; }
  const std::string &Argument() const { return argument_; }
  const std::string &Text() const { return text_; }

private:
  LinkCompileError(uint32_t message, std::string argument, std::string text)
      : message_(message), argument_(std::move(argument)), text_(std::move(text)) {}
  uint32_t message_;
  std::string argument_;
  std::string text_;
};

class LinkHost {
public:
  virtual ~LinkHost() = default;

  // Compiler front end.
  // The replacement text of a defined macro, or null.
  virtual const char *IsMacroDefined(const char *name);
  virtual void ResetTargetCompileFlags() {}
  // `path` with its extension replaced by `extension` (".bin").
  virtual std::string MakeFilePath(const std::string &path, const char *extension);
  virtual void CompileError(const LinkCompileError &error) { (void)error; }
  virtual void EnableMessageOutput() {}

  // The compiler's flags the link reads (and the cold load clears).
  virtual bool BiosCodeFlag() { return false; }
  virtual bool BiosImageMode() { return false; }
  virtual void SetBiosImageMode(bool on) { (void)on; }
  virtual bool OfflineCompile() { return false; }
  virtual bool IncludeBios() { return true; }
  // The program's code start: the BIOS ends just below it.
  virtual uint16_t ProgramCodeStart() { return 0; }

  // Shell.
  virtual bool IsProgramLoaded() { return false; }
  virtual bool AssumeCorvidCpu() { return false; }
  virtual void SetAssumeCorvidCpu(bool on) { (void)on; }
  // The settings each compile follows: "No Bouncers", "Include Time Stamp"
  // and "Zero Pad Bin File".
  virtual bool NoBouncers() { return true; }
  virtual bool IncludeTimeStamp() { return true; }
  virtual bool ZeroPadBinFile() { return false; }
  // The program's directory, ending in a separator, and the loader files
  // named by the settings "Coldloader" and "PilotBIOS".
  virtual std::string ProgramDirectory() { return std::string(); }
  virtual std::string ColdLoaderSetting() { return std::string(); }
  virtual std::string PilotBiosSetting() { return std::string(); }
  // A message box with a numbered text and its one argument (empty: none),
  // or with a text of its own.
  virtual void ShowMessage(uint32_t message, const std::string &argument) {
    (void)message;
    (void)argument;
  }
  virtual void ShowText(const std::string &text) { (void)text; }

  // Please-wait dialog. Pump may raise xUserCancel.
  virtual void Pump() {}
  virtual unsigned PumpDepth() { return 0; }
  virtual bool WaitDialogOpen() { return false; }
  virtual void OpenWaitDialog(bool withCancel) { (void)withCancel; }
  virtual void SetWaitText(const std::string &text) { (void)text; }
  virtual void SetWaitMessage(uint32_t message, const std::string &argument) {
    (void)message;
    (void)argument;
  }
  virtual void CloseWaitDialog() {}

  // Pass-phrase dialog: the phrase, or nothing when the user cancelled.
  virtual std::optional<std::string> AskPassPhrase() { return std::nullopt; }
  virtual void ReleasePassPhrase() {}
  virtual void ClearKeepPassPhrase() {}

  // The program's standard output, and a board the discovery found.
  virtual void WriteStdioBlock(const uint8_t *bytes, unsigned count) {
    (void)bytes;
    (void)count;
  }
  virtual void AddTargetRow(const DiscoveryRow &row) { (void)row; }
};

// The host in use (never null); nullptr puts the quiet default back.
LinkHost &Host();
void SetLinkHost(LinkHost *host);

} // namespace tsw
