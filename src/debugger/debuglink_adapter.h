#pragma once

#include "debugger/debugseams.h"

// The engine's link to the board made of the target link itself: memory and
// the serial queries by the link in use, the TCP/IP requests one each, and
// what a request brought back (register frame, kernel variables, the last
// event) read from the link's state.
namespace tsw {

class TargetDebugLink : public DebugLink {
public:
  bool IsOffline() override;
  bool UsesTcp() override;
  bool AssumeCorvid() override;

  void ReadTargetMemory(uint16_t count, ADDR24 address, uint8_t *out) override;
  void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) override;

  bool IsSerialPortOpen() override;
  void CloseSerialPort() override;
  void OpenSerialPort() override;
  uint8_t QueryTargetStatus(uint8_t mask) override;

  KernelVariables QueryKernelVariablesTcp() override;
  RegisterFrame RunTargetTcp(uint8_t flag, uint16_t codeStart) override;
  RegisterFrame StepInstructionTcp(uint8_t stepOver) override;
  void StepStatementTcp(uint8_t stepOver) override;
  void StopTargetTcp() override;
  uint8_t SetBreakpointTcp(ADDR24 address, uint8_t opcode) override;
  void ClearBreakpointTcp(ADDR24 address, uint8_t savedByte) override;
  void SendKeyToTargetTcp(uint8_t key) override;
  uint8_t PollTargetTcp(uint8_t mask) override;
  const TargetEvent &LastEvent() override;
  void ReadWatchValuesTcp() override;
};

} // namespace tsw
