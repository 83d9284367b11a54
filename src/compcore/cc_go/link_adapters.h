#pragma once

#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/link/linkhost.h"

#include <cstdint>
#include <functional>

// The compiler's boards made of the link: what the front end, the BIOS
// symbol import and the code generator ask of a board, answered by the
// serial or TCP/IP link in use; and the compiler's side of what the link
// asks of the rest of the system.
namespace tsw {

// What the compiler needs of the debug kernel, which the debugger engine
// above the compiler drives: connecting to a freshly started BIOS, and the
// flag that makes the kernel's debug block readable. An empty call does
// nothing.
struct BoardKernelCalls {
  std::function<void()> connect;
  std::function<void(uint8_t value)> pulseFlag;
  // Stops the kernel running the last program; unset, nothing is asked.
  std::function<void()> synchronize = nullptr;
};

// The front end's board: target information, the identification block and
// the BIOS start over the link.
class LinkTargetLink : public TargetLink {
public:
  explicit LinkTargetLink(BoardKernelCalls kernel) : kernel_(std::move(kernel)) {}
  bool ReadIdBlock(std::array<uint8_t, kIdBlockSize> &block) override;
  uint16_t FlashDeviceId() const override;
  int8_t RamSizeCode() const override;
  uint16_t BoardType() const override;
  uint32_t BaudRate() const override;
  void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) override;
  bool StartByteVetoed() const override;
  void Delay(uint32_t milliseconds) override;
  void TargetConnect() override;
  uint16_t QueryBoardTypeSerial() override;

private:
  BoardKernelCalls kernel_;
};

// The board as the BIOS symbol import reads it.
class LinkBiosMemory : public BiosTargetMemory {
public:
  explicit LinkBiosMemory(BoardKernelCalls kernel) : kernel_(std::move(kernel)) {}
  uint8_t ReadByte(ADDR24 address) override;
  uint16_t ReadWord(ADDR24 address) override;
  void ReadBlock(ADDR24 address, uint8_t *out, size_t count) override;
  bool AltLinkMode() override;
  uint16_t ComAttnValue() override;
  void PulseKernelFlag(int value) override;
  bool IsCorvidTarget() override;
  uint16_t CompilerSymTab() override;

private:
  BoardKernelCalls kernel_;
};

// The board the compiled bytes go to.
class LinkOutputTarget : public OutputTarget {
public:
  explicit LinkOutputTarget(BoardKernelCalls kernel) : kernel_(std::move(kernel)) {}
  bool ReadTargetMemory(uint32_t count, ADDR24 address, uint8_t *buffer) override;
  void WriteTargetMemory(uint32_t count, ADDR24 address, const uint8_t *bytes) override;
  void WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *bytes) override;
  void WriteProgramBytesTcp(uint16_t count, ADDR24 address, const uint8_t *bytes) override;
  bool FullDuplex() override;
  bool UseTcp() override;
  void PulseKernelFlag(uint16_t which) override;
  void SynchronizeDebugKernel() override;

private:
  BoardKernelCalls kernel_;
};

// What the link asks of the system: the compiler's flags and macros
// answered by the compiler, the rest (dialogs, settings, the stdio pane) by
// the shell's host, or quietly without one.
class CompilerLinkHost : public LinkHost {
public:
  explicit CompilerLinkHost(LinkHost *shell) : shell_(shell ? *shell : quiet_) {}
  CompilerLinkHost(const CompilerLinkHost &) = delete;
  CompilerLinkHost &operator=(const CompilerLinkHost &) = delete;

  const char *IsMacroDefined(const char *name) override;
  void ResetTargetCompileFlags() override;
  std::string MakeFilePath(const std::string &path, const char *extension) override;
  void CompileError(const LinkCompileError &error) override;
  void EnableMessageOutput() override;
  bool BiosCodeFlag() override;
  bool BiosImageMode() override;
  void SetBiosImageMode(bool on) override;
  bool OfflineCompile() override;
  bool IncludeBios() override;
  uint16_t ProgramCodeStart() override;
  bool IsProgramLoaded() override;

  bool AssumeCorvidCpu() override { return shell_.AssumeCorvidCpu(); }
  void SetAssumeCorvidCpu(bool on) override { shell_.SetAssumeCorvidCpu(on); }
  bool NoBouncers() override { return shell_.NoBouncers(); }
  bool IncludeTimeStamp() override { return shell_.IncludeTimeStamp(); }
  bool ZeroPadBinFile() override { return shell_.ZeroPadBinFile(); }
  std::string ProgramDirectory() override { return shell_.ProgramDirectory(); }
  std::string ColdLoaderSetting() override { return shell_.ColdLoaderSetting(); }
  std::string PilotBiosSetting() override { return shell_.PilotBiosSetting(); }
  void ShowMessage(uint32_t message, const std::string &argument) override { shell_.ShowMessage(message, argument); }
  void ShowText(const std::string &text) override { shell_.ShowText(text); }
  void Pump() override { shell_.Pump(); }
  unsigned PumpDepth() override { return shell_.PumpDepth(); }
  bool WaitDialogOpen() override { return shell_.WaitDialogOpen(); }
  void OpenWaitDialog(bool withCancel) override { shell_.OpenWaitDialog(withCancel); }
  void SetWaitText(const std::string &text) override { shell_.SetWaitText(text); }
  void SetWaitMessage(uint32_t message, const std::string &argument) override {
    shell_.SetWaitMessage(message, argument);
  }
  void CloseWaitDialog() override { shell_.CloseWaitDialog(); }
  std::optional<std::string> AskPassPhrase() override { return shell_.AskPassPhrase(); }
  void ReleasePassPhrase() override { shell_.ReleasePassPhrase(); }
  void ClearKeepPassPhrase() override { shell_.ClearKeepPassPhrase(); }
  void WriteStdioBlock(const uint8_t *bytes, unsigned count) override { shell_.WriteStdioBlock(bytes, count); }
  void AddTargetRow(const DiscoveryRow &row) override { shell_.AddTargetRow(row); }

private:
  LinkHost quiet_;
  LinkHost &shell_;
};

} // namespace tsw
