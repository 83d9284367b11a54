#include "debugger/debuglink_adapter.h"

#include "compcore/link/kernelvars.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linkservices.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/tcplink.h"

namespace tsw {

bool TargetDebugLink::IsOffline() { return LinkOfflineMode(); }
bool TargetDebugLink::UsesTcp() { return LinkUsesTcp(); }
bool TargetDebugLink::AssumeCorvid() { return Host().AssumeCorvidCpu(); }

void TargetDebugLink::ReadTargetMemory(uint16_t count, ADDR24 address, uint8_t *out) {
  tsw::ReadTargetMemory(count, address, out);
}

void TargetDebugLink::WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) {
  tsw::WriteTargetMemory(count, address, bytes);
}

bool TargetDebugLink::IsSerialPortOpen() { return tsw::IsSerialPortOpen(); }
void TargetDebugLink::CloseSerialPort() { tsw::CloseSerialPort(); }
void TargetDebugLink::OpenSerialPort() { tsw::OpenSerialPort(); }
uint8_t TargetDebugLink::QueryTargetStatus(uint8_t mask) { return tsw::QueryTargetStatus(mask); }

// The board sends its kernel variables once, after the download; the
// connect takes what the link kept of them.
KernelVariables TargetDebugLink::QueryKernelVariablesTcp() { return CurrentKernelVariables; }

// The link starts the program at the compile's code start, which is the
// engine's too.
RegisterFrame TargetDebugLink::RunTargetTcp(uint8_t flag, uint16_t codeStart) {
  (void)codeStart;
  tsw::RunTargetTcp(flag);
  return ProgramRegisterFrame;
}

RegisterFrame TargetDebugLink::StepInstructionTcp(uint8_t stepOver) {
  tsw::StepInstructionTcp(stepOver);
  return ProgramRegisterFrame;
}

void TargetDebugLink::StepStatementTcp(uint8_t stepOver) { tsw::StepStatementTcp(stepOver); }
void TargetDebugLink::StopTargetTcp() { tsw::StopTargetTcp(); }

uint8_t TargetDebugLink::SetBreakpointTcp(ADDR24 address, uint8_t opcode) {
  return tsw::SetBreakpointTcp(address, &opcode);
}

void TargetDebugLink::ClearBreakpointTcp(ADDR24 address, uint8_t savedByte) {
  tsw::ClearBreakpointTcp(address, &savedByte);
}

void TargetDebugLink::SendKeyToTargetTcp(uint8_t key) { tsw::SendKeyToTargetTcp(key); }
uint8_t TargetDebugLink::PollTargetTcp(uint8_t mask) { return tsw::PollTargetTcp(mask); }
const TargetEvent &TargetDebugLink::LastEvent() { return LastTargetEvent; }
void TargetDebugLink::ReadWatchValuesTcp() { tsw::ReadWatchValuesTcp(); }

} // namespace tsw
