#pragma once

#include "compcore/cc_gen/value_record.h"

#include <cstdint>

// The intrinsics for ports and bits that the expression compiler hands over
// with their operands: reading and writing a Z180 internal port, and
// testing, clearing or setting one bit of a byte in memory, in the Corvid's
// I/O spaces or in a Z180 port. A constant port below 256 and a constant
// bit number are done inline; anything else goes through BC or a run-time
// routine.
namespace tsw {

enum class BitOperation : uint8_t { kTest = 0, kReset = 1, kSet = 2 };

// The port's byte into A, as a char (Z180; 401 on the Corvid).
void CompileInportIntrinsic(ValueRecord &port, ValueRecord &result);
// The value's low byte out to the port (Z180; 401 on the Corvid).
void CompileOutportIntrinsic(ValueRecord &port, ValueRecord &value);
// One bit of the byte at `address` in `space`: memory on both processors,
// the I/O spaces on the Corvid only (641 on the Z180). A test leaves 0 or 1
// in HL with the zero flag telling which. A constant bit above 7 is 487.
void CompileIoBitIntrinsic(BitOperation operation, IoSpace space, ValueRecord &address, ValueRecord &bit,
                           ValueRecord &result);
// One bit of a Z180 internal port (401 on the Corvid), written back after
// a set or reset.
void CompilePortBitIntrinsic(BitOperation operation, ValueRecord &port, ValueRecord &bit, ValueRecord &result);

} // namespace tsw
