#pragma once

#include <cstdint>

// A bare board brought up over the serial port: a reset by DTR at 2400
// baud, the stage-one loader as three-byte triplets, the second loader's
// block at 57600 baud; once the BIOS runs, the move to the user's rate.
// These write raw bytes to the port: no frames, no acknowledgements.
namespace tsw {

inline constexpr uint32_t kColdLoadBaud = 2400;
inline constexpr uint32_t kLoaderBaud = 57600;
inline constexpr uint32_t kMaxTriplets = 16384;
inline constexpr uint32_t kLoaderBlockStart = 16640;
inline constexpr uint32_t kLoaderBlockEnd = 17664;
inline constexpr uint32_t kColdLoadQueueRoom = 400;

// Waits (pumping, up to the drain time) for room in the output queue, then
// writes the byte; a failed write shows the port's error flags and gives
// false.
bool SerialSendByte(uint8_t byte);
// Reads and clears the port's error flags, one message box per flag.
void ReportCommErrors();
// Waits, without pumping, until the output queue is empty, the port is
// closed, or the queued bytes' line time plus the drain time has passed.
void DrainSerialOutput();
void DrainAndCloseSerialPort();
void ReopenSerialPort(uint16_t mode, uint32_t baud);

void ResetTargetForColdLoad();
// Leaves BIOS-image mode off when the board did not take the loader.
void ColdLoadTarget();
// False when the file is missing or a byte could not be written.
bool SendLoaderBlock();

// The order the load command follows up to the BIOS compile: reset, cold
// load, loader block, then RAM size and flash id into the target
// information. False (message 4000 shown, or
// 4013 for a missing file) when the board did not come up; nothing more is
// sent then.
bool ColdLoadBareBoard();
// After the BIOS is in: tells it to move to the user's rate and follows.
void HandOverBaudRate();

} // namespace tsw
