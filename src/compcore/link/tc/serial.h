#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/addr24.h"
#include "platform/serialport.h"

// The serial link to the board's debug kernel: the port, the byte
// transport with its counters and error context, the acknowledged frames
// with their retries, and the small queries of the board.
namespace tsw {

enum : uint8_t {
  kCmdStatus = 0xA0,
  kCmdWrite = 0xA1,
  kCmdRead = 0xA2,
  kCmdRamSize = 0xA3,
  kCmdFlashId = 0xA4,
  kCmdBoardType = 0xA5,
  kAck = 0x06,
  kNak = 0x15,
};

inline constexpr uint32_t kMaxReadFrame = 255;
inline constexpr uint32_t kOutputQueueLimit = 10000;

// Opens the device of a port; the termios port unless a test put its own.
using SerialPortOpener = std::function<std::unique_ptr<plat::SerialPort>(const std::string &path, std::string *why)>;
void SetSerialPortOpener(SerialPortOpener opener);

void OpenSerialPort();
void CloseSerialPort();
bool IsSerialPortOpen();
// The port itself, for the cold load's raw bytes and modem lines; null when
// closed.
plat::SerialPort *SerialPortHandle();
// Marks the port closed after its handle went.
void ForgetSerialPort();

void SetLinkRunState(uint16_t state);
uint16_t GetLinkRunState();
uint16_t GetFullDuplexSetting();

uint32_t GetBytesWrittenTotal();
uint32_t GetBytesSentTotal();
uint32_t GetBytesSentOutsideCommands();
// The serial path of WriteTargetMemory counts the bytes it was handed.
void CountBytesWritten(uint32_t count);

// Raises the exception the line-error flags stand for; with no flags given
// they are read from the port first. Nothing when there are none.
void RaisePortErrors(uint32_t flags);
void RaisePortErrors();
// Drops both queues and clears the line errors.
void PurgeSerialPort();

// One framed transfer, retried as the frames are. `count` is 1 to 256.
void ReadTargetMemorySerial(uint32_t count, ADDR24 address, uint8_t *buffer);
void WriteTargetMemorySerial(uint32_t count, ADDR24 address, const uint8_t *data);

// The status byte & mask; 0, sending nothing, when the port is closed or a
// pump is running.
uint8_t QueryTargetStatus(uint8_t mask);
uint8_t QueryRamSizeSerial();
uint16_t QueryFlashIdSerial();
uint16_t QueryBoardTypeSerial();

// Cold-load mode: while "Assume Corvid CPU" is on, 1 opens the port with
// DTR off.
void SetColdLoadMode(uint16_t mode);
uint16_t GetColdLoadMode();

// Back to the state at start: port closed, counters and flags cleared.
void ResetSerialModule();

// Internal to the link: the retry wrapper of the queries, shared with the
// ID block read.
void WithQueryRetries(uint32_t pauseMs, const std::function<void()> &attempt);
bool SerialQueriesAllowed();

} // namespace tsw
