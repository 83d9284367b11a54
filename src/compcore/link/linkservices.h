#pragma once

#include <cstdint>

// What the compiler reads of the link besides target memory: which link is
// in use, and a stub its driver calls.
namespace tsw {

// The TCP/IP flag, and the second mode flag (a compile without a board).
bool LinkUsesTcp();
bool LinkOfflineMode();
// The kernel attention value the BIOS symbol import reads; the link keeps
// none of its own.
uint16_t LinkComAttnValue();

// Called for the program compile where the driver leaves "rams", "rame",
// "ramg" and "rome" as they are: nothing to do.
void NoOpFourWords(uint16_t *rams, uint16_t *rame, uint16_t *ramg, uint16_t *rome);

} // namespace tsw
