#include "compcore/link/kernelvars.h"

namespace tsw {

KernelVariables CurrentKernelVariables;

namespace {

// The message's slots, in the order the board sends them.
enum Slot : unsigned {
  kRunRequest = 0,
  kDoneFlag = 2,
  kSaveArea = 4,
  kStdioBuffer = 6,
  kSavedFlags = 8,
  kStdioFlag = 10,
  kWatchWork1 = 12,
  kWatchValue = 14,
  kWatchWork2 = 16,
  kPatchAddress = 20,
  kStartupValue = 22,
  kSavedPatchByte = 23,
  kStdinByte = 24,
  kStopRequest = 26,
  kSyncFlag = 28,
  kPulseVariable = 30,
};

uint16_t WordAt(const uint8_t *m, unsigned at) { return uint16_t(m[at] | m[at + 1] << 8); }
void PutWord(uint8_t *m, unsigned at, uint16_t v) {
  m[at] = uint8_t(v);
  m[at + 1] = uint8_t(v >> 8);
}

} // namespace

KernelVariables KernelVariablesFromMessage(const uint8_t (&m)[kKernelVariableMessageSize]) {
  KernelVariables v;
  v.runRequest = WordAt(m, kRunRequest);
  v.doneFlag = WordAt(m, kDoneFlag);
  v.registerSaveArea = WordAt(m, kSaveArea);
  v.stdioBuffer = WordAt(m, kStdioBuffer);
  v.savedFlagsWord = WordAt(m, kSavedFlags);
  v.stdioFlag = WordAt(m, kStdioFlag);
  v.watchWork1 = WordAt(m, kWatchWork1);
  v.watchValue = WordAt(m, kWatchValue);
  v.watchWork2 = WordAt(m, kWatchWork2);
  v.patchAddress = WordAt(m, kPatchAddress);
  v.startupValue = m[kStartupValue];
  v.savedPatchByte = m[kSavedPatchByte];
  v.stdinByte = WordAt(m, kStdinByte);
  v.inputRequestFlag = uint16_t(v.stdinByte - 1);
  v.stopRequest = WordAt(m, kStopRequest);
  v.syncFlag = WordAt(m, kSyncFlag);
  v.pulseVariable = WordAt(m, kPulseVariable);
  return v;
}

void KernelVariablesToMessage(const KernelVariables &v, uint8_t (&m)[kKernelVariableMessageSize]) {
  for (uint8_t &b : m)
    b = 0;
  PutWord(m, kRunRequest, v.runRequest);
  PutWord(m, kDoneFlag, v.doneFlag);
  PutWord(m, kSaveArea, v.registerSaveArea);
  PutWord(m, kStdioBuffer, v.stdioBuffer);
  PutWord(m, kSavedFlags, v.savedFlagsWord);
  PutWord(m, kStdioFlag, v.stdioFlag);
  PutWord(m, kWatchWork1, v.watchWork1);
  PutWord(m, kWatchValue, v.watchValue);
  PutWord(m, kWatchWork2, v.watchWork2);
  PutWord(m, kPatchAddress, v.patchAddress);
  m[kStartupValue] = v.startupValue;
  m[kSavedPatchByte] = v.savedPatchByte;
  PutWord(m, kStdinByte, v.stdinByte);
  PutWord(m, kStopRequest, v.stopRequest);
  PutWord(m, kSyncFlag, v.syncFlag);
  PutWord(m, kPulseVariable, v.pulseVariable);
}

} // namespace tsw
