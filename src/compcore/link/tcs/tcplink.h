#pragma once

#include <cstdint>

#include "foundation/addr24.h"

// The board over TCP/IP: connect and login, the board's description, and
// one request per operation of the debugger, each answered by a reply of
// its type | 0x4000.
namespace tsw {

void ConnectTcp();
void LoginTcp();
void DisconnectTcp();
void ReadTargetInfoTcp();
void QueryKernelVariablesTcp();

void ReadTargetMemoryTcp(uint32_t count, ADDR24 address, uint8_t *buffer);
void WriteTargetMemoryTcp(uint32_t count, ADDR24 address, const uint8_t *data);
void WriteProgramBytesTcp(uint16_t count, ADDR24 address, const uint8_t *data);

void RunTargetTcp(uint8_t flag);
void StepInstructionTcp(uint8_t stepOver);
void StepStatementTcp(uint8_t stepOver);
void StopTargetTcp();
uint8_t SetBreakpointTcp(ADDR24 address, const uint8_t *opcode);
void ClearBreakpointTcp(ADDR24 address, const uint8_t *savedByte);
// `fragmentEntry` holds the fragment's 16-bit entry address, low byte first.
void EvaluateWatchTcp(const uint8_t *fragmentEntry, uint8_t *results, uint16_t count);
void NotifyWatchListChangedTcp();
void NotifyWatchWindowOpenTcp();
void ReadWatchValuesTcp();
void SendKeyToTargetTcp(uint8_t key);

// The status flags of a stop or output event, & mask; 0 when none came.
uint8_t PollTargetTcp(uint8_t mask);

// True while a connect worker runs (never after ConnectTcp returns).
bool ConnectWorkerRunning();

} // namespace tsw
