#include "debugger/enginestate.h"

#include "debugger/registerframe.h"
#include "foundation/memorymap.h"
#include "foundation/mstimer.h"
#include "foundation/xerr.h"
#include "platform/ticks.h"

#include <algorithm>
#include <cstring>

namespace tsw {
namespace {

constexpr const char *kModule = "compcore\\tc";
constexpr char kKernelSignature[] = "TesselC";
constexpr size_t kKernelSignatureLength = sizeof kKernelSignature - 1;
constexpr uint8_t kConnectCompileStageLimit = 2;
constexpr uint32_t kKernelSettleMs = 200;
constexpr uint32_t kKernelReturnMs = 1000;
constexpr uint32_t kPollSliceMs = 10;
constexpr uint16_t kMaxStdioBlock = 255;
constexpr uint16_t kStdioTextOffset = 4;

// Directory offsets: D is the u16 at target address 3, E the u16 at D+41.
enum : uint16_t {
  kDirKernelTable = 41,
  kDirPatchAddress = 31,
  kDirStartupValue = 33,
  kDirSavedPatchByte = 34,
};
enum : uint16_t {
  kTabStdioBuffer = 0,
  kTabSaveArea = 2,
  kTabStdioFlag = 4,
  kTabDoneFlag = 5,
  kTabWatchWork1 = 7,
  kTabWatchValue = 9,
  kTabWatchWork2 = 11,
  kTabInputRequest = 13,
  kTabStdinByte = 14,
  kTabStopRequest = 15,
  kTabSyncFlag = 16,
  kTabPulseVariable = 17,
};

// The target connect keeps the compile stage low while it runs and puts
// it back however it ends.
class CompileStageLowered {
public:
  CompileStageLowered() : kept_(Products().GetCompileStage()) {
    Products().SetCompileStage(std::min(kept_, kConnectCompileStageLimit));
  }
  ~CompileStageLowered() { Products().SetCompileStage(kept_); }

private:
  uint8_t kept_;
};

bool KernelIsDone() { return ReadKernelByte(Engine().vars.doneFlag) != 0; }

} // namespace

void TargetConnect() {
  DebugLink &link = Link();
  if (link.IsOffline())
    return;
  if (link.UsesTcp()) {
    Engine().vars = link.QueryKernelVariablesTcp();
    return;
  }
  CompileStageLowered stage;
  Ui().ShowPleaseWait(kMsgConnecting);
  if (link.IsSerialPortOpen() && !link.AssumeCorvid()) {
    link.CloseSerialPort();
    Products().ClearBiosSymbols();
  }
  link.OpenSerialPort();
  ReadKernelDirectory();
  if (!KernelIsDone())
    SynchronizeDebugKernel();
  if (CheckKernelSignature() != 0)
    throw xTCErr(kMsgBadKernelSignature, kModule, __LINE__);
  if (Products().LoadBiosSymbolsFromBios() != 0)
    throw xTCErr(kMsgBiosSymbolsFailed, kModule, __LINE__);
}

void ReadKernelDirectory() {
  KernelVariables v;
  v.directory = ReadKernelWord(kKernelDirectoryPointer);
  uint16_t d = v.directory;
  uint16_t e = ReadKernelWord(uint16_t(d + kDirKernelTable));
  v.stdioBuffer = ReadKernelWord(uint16_t(e + kTabStdioBuffer));
  v.registerSaveArea = ReadKernelWord(uint16_t(e + kTabSaveArea));
  v.stdioFlag = uint16_t(e + kTabStdioFlag);
  v.doneFlag = uint16_t(e + kTabDoneFlag);
  v.watchWork1 = uint16_t(e + kTabWatchWork1);
  v.watchValue = ReadKernelWord(uint16_t(e + kTabWatchValue));
  v.watchWork2 = uint16_t(e + kTabWatchWork2);
  v.inputRequestFlag = uint16_t(e + kTabInputRequest);
  v.stdinByte = uint16_t(e + kTabStdinByte);
  v.stopRequest = uint16_t(e + kTabStopRequest);
  v.syncFlag = uint16_t(e + kTabSyncFlag);
  v.pulseVariable = uint16_t(e + kTabPulseVariable);
  v.patchAddress = ReadKernelWord(uint16_t(d + kDirPatchAddress));
  v.startupValue = ReadKernelByte(uint16_t(d + kDirStartupValue));
  v.savedPatchByte = ReadKernelByte(uint16_t(d + kDirSavedPatchByte));
  v.savedFlagsWord = uint16_t(v.registerSaveArea + kSaveAreaFlagsOffset);
  v.runRequest = uint16_t(v.registerSaveArea + kSaveAreaRunRequestOffset);
  Engine().vars = v;
}

int CheckKernelSignature() {
  uint8_t signature[kKernelSignatureLength] = {};
  Link().ReadTargetMemory(kKernelSignatureLength, MakeDataAddr24(Engine().vars.directory), signature);
  return std::memcmp(signature, kKernelSignature, kKernelSignatureLength) == 0 ? 0 : 1;
}

void SynchronizeDebugKernel() {
  if (Link().IsOffline() || Link().UsesTcp())
    return;
  const KernelVariables &v = Engine().vars;
  RequestKernelStop();
  WriteKernelByte(v.stdioFlag, 0);
  WaitMilliseconds(kKernelSettleMs);
  if (!KernelIsDone())
    throw xTCErr(kMsgKernelNoStop, kModule, __LINE__);
  WriteKernelWord(v.savedFlagsWord, 0);
  if (!Link().AssumeCorvid()) {
    try {
      WriteKernelByte(v.syncFlag, 1);
    } catch (const xErr &) {
      // The kernel may be busy with the flag; its answer below decides.
    }
  }
  WaitMilliseconds(kKernelSettleMs);
  if (ReadKernelByte(v.syncFlag) != 0)
    throw xTCErr(kMsgKernelNoSync, kModule, __LINE__);
}

void ResumeKernel(const TargetRegisterFrame &frame) {
  const KernelVariables &v = Engine().vars;
  if (!KernelIsDone())
    throw xInternal(kModule, __LINE__);
  uint8_t bytes[kRegisterFrameByteCount];
  EncodeRegisterFrame(frame, bytes);
  Link().WriteTargetMemory(kRegisterFrameByteCount, MakeDataAddr24(v.registerSaveArea), bytes);
  WriteKernelByte(v.doneFlag, 0);
}

void RunTargetAndWait(const TargetRegisterFrame &in, TargetRegisterFrame &out) {
  ResumeKernel(in);
  MsTimer timeout(kKernelReturnMs);
  bool timing = false;
  for (;;) {
    PollTargetStdioSerial();
    if (KernelIsDone())
      break;
    if (!timing) {
      timeout.Start();
      timing = true;
    } else if (timeout.Expired()) {
      throw xTCErr(kMsgKernelNoReturn, kModule, __LINE__);
    }
    Ui().Pump();
    plat::Sleep(kPollSliceMs);
  }
  ReadTargetRegisters(out);
}

void ReadTargetRegisters(TargetRegisterFrame &out) {
  uint8_t bytes[kRegisterFrameByteCount];
  Link().ReadTargetMemory(kRegisterFrameByteCount, MakeDataAddr24(Engine().vars.registerSaveArea), bytes);
  out = DecodeRegisterFrame(bytes);
}

void SetKernelRunFlag() { WriteKernelByte(Engine().vars.runRequest, 1); }

void RequestKernelStop() {
  const KernelVariables &v = Engine().vars;
  WriteKernelByte(v.stopRequest, 1);
  WriteKernelByte(v.patchAddress, v.savedPatchByte);
}

void RunKernelHelperForStepVariables() {
  TargetRegisterFrame frame;
  ReadTargetRegisters(frame);
  frame.sp = Engine().frame.sp;
  ADDR24 helper = MakeDataAddr24(Products().StartupLabel(kLabelBpInit));
  frame.pc = helper.logical;
  frame.xpc = helper.segment;
  RunTargetAndWait(frame, frame);
  Engine().stepFlagAddress = frame.hl;
  Engine().stepWordAddress = frame.de;
}

void WriteKernelControlWords() {
  WriteKernelWord(Engine().stepWordAddress, 0);
  WriteKernelByte(Engine().stepFlagAddress, 1);
  SetKernelRunFlag();
}

void ClearKernelStepFlag() { WriteKernelByte(Engine().stepFlagAddress, 0); }

void PulseKernelFlag(uint8_t value) {
  WriteKernelByte(Engine().vars.pulseVariable, value);
  WaitMilliseconds(kKernelSettleMs);
}

void PollTargetStdioSerial() {
  if (Link().QueryTargetStatus(kStatusStdioWaiting) & kStatusStdioWaiting)
    ReadTargetStdio();
}

void ReadTargetStdio() {
  const KernelVariables &v = Engine().vars;
  uint16_t count = std::min(ReadKernelWord(v.stdioBuffer), kMaxStdioBlock);
  uint8_t text[kMaxStdioBlock] = {};
  if (count)
    Link().ReadTargetMemory(count, MakeDataAddr24(uint16_t(v.stdioBuffer + kStdioTextOffset)), text);
  WriteKernelByte(v.stdioFlag, 0);
  Ui().WriteStdioBlock(text, count);
}

} // namespace tsw
