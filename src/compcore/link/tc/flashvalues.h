#pragma once

#include <cstdint>

// The flash sizes the compiled BIOS defines by its macros.
namespace tsw {

inline constexpr uint32_t kFlashSizeUnit = 4096;

// "FLASH_SIZE" (a count of 4096-byte units) in bytes; 0 when undefined.
uint32_t GetFlashSize();
// "FLASH_SECTORSIZE"; 0 when undefined.
uint16_t GetFlashSectorSize();

// The value of a macro: its definition followed while it names another
// macro, then read as a number of automatic base (decimal, 0x hexadecimal,
// leading 0 octal). 0 when undefined or not a number.
uint32_t MacroNumber(const char *name);

} // namespace tsw
