#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compcore/link/linkhost.h"

namespace tsw::testing {

// The rest of the system as the link sees it, with every call recorded and
// every answer settable. Installs itself for its lifetime.
class RecordingHost : public LinkHost {
public:
  RecordingHost() { SetLinkHost(this); }
  ~RecordingHost() override { SetLinkHost(nullptr); }
  RecordingHost(const RecordingHost &) = delete;
  RecordingHost &operator=(const RecordingHost &) = delete;

  const char *IsMacroDefined(const char *name) override {
    auto it = macros.find(name);
    return it == macros.end() ? nullptr : it->second.c_str();
  }
  void ResetTargetCompileFlags() override { ++compileFlagResets; }
  void CompileError(const LinkCompileError &error) override {
    compileErrors.push_back({error.Message(), error.Argument()});
  }
  void EnableMessageOutput() override { ++messageOutputEnabled; }

  bool BiosCodeFlag() override { return biosCode; }
  bool BiosImageMode() override { return biosImageMode; }
  void SetBiosImageMode(bool on) override { biosImageMode = on; }
  bool OfflineCompile() override { return offline; }
  bool IncludeBios() override { return includeBios; }
  uint16_t ProgramCodeStart() override { return codeStart; }

  bool IsProgramLoaded() override { return programLoaded; }
  bool AssumeCorvidCpu() override { return assumeCorvid; }
  void SetAssumeCorvidCpu(bool on) override { assumeCorvid = on; }
  bool NoBouncers() override { return noBouncers; }
  bool IncludeTimeStamp() override { return includeTimeStamp; }
  bool ZeroPadBinFile() override { return zeroPadBin; }
  std::string ProgramDirectory() override { return programDirectory; }
  std::string ColdLoaderSetting() override { return coldLoader; }
  std::string PilotBiosSetting() override { return pilotBios; }
  void ShowMessage(uint32_t message, const std::string &argument) override { messages.push_back({message, argument}); }
  void ShowText(const std::string &text) override { texts.push_back(text); }

  void Pump() override {
    ++pumps;
    if (onPump) {
      ++depth;
      struct Leave {
        unsigned &d;
        ~Leave() { --d; }
      } leave{depth};
      onPump();
    }
  }
  unsigned PumpDepth() override { return depth; }
  bool WaitDialogOpen() override { return dialogOpen; }
  void OpenWaitDialog(bool withCancel) override {
    dialogOpen = true;
    dialogCancel = withCancel;
    ++dialogOpens;
  }
  void SetWaitText(const std::string &text) override { waitTexts.push_back(text); }
  void SetWaitMessage(uint32_t message, const std::string &argument) override {
    waitMessages.push_back({message, argument});
  }
  void CloseWaitDialog() override {
    dialogOpen = false;
    ++dialogCloses;
  }

  std::optional<std::string> AskPassPhrase() override {
    ++passPhraseAsks;
    return passPhrase;
  }
  void ReleasePassPhrase() override { ++passPhraseReleases; }
  void ClearKeepPassPhrase() override { keepPassPhraseCleared = true; }

  void WriteStdioBlock(const uint8_t *bytes, unsigned count) override {
    stdio.append(reinterpret_cast<const char *>(bytes), count);
  }
  void AddTargetRow(const DiscoveryRow &row) override { rows.push_back(row); }

  struct Numbered {
    uint32_t message;
    std::string argument;
  };

  std::map<std::string, std::string> macros;
  bool biosCode = false, biosImageMode = false, offline = false, includeBios = true;
  uint16_t codeStart = 0;
  bool programLoaded = false, assumeCorvid = false;
  bool noBouncers = true, includeTimeStamp = true, zeroPadBin = false;
  std::string programDirectory, coldLoader, pilotBios;
  std::optional<std::string> passPhrase;
  // Runs inside each pump, one level deeper.
  std::function<void()> onPump;

  unsigned compileFlagResets = 0, messageOutputEnabled = 0, pumps = 0, depth = 0;
  unsigned dialogOpens = 0, dialogCloses = 0, passPhraseAsks = 0, passPhraseReleases = 0;
  bool dialogOpen = false, dialogCancel = false, keepPassPhraseCleared = false;
  std::vector<Numbered> compileErrors, messages, waitMessages;
  std::vector<std::string> texts, waitTexts;
  std::string stdio;
  std::vector<DiscoveryRow> rows;
};

} // namespace tsw::testing
