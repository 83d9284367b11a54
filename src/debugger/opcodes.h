#pragma once

#include "debugger/targetcpu.h"

#include <array>
#include <cstdint>

// The decoder's opcode tables for both processors: per processor a main, an
// ED, a CB and an index table of 256 rows, each row a mnemonic and up to two
// operand codes. An operand code is a kind (what to print and how to read
// the operand's bytes) and four flags.
namespace tsw {

enum OperandKind : uint16_t {
  kOpNone = 0,
  kOpAF = 1,          // af
  kOpAFAlt = 2,       // af'
  kOpDE = 3,          // de
  kOpIndexReg = 4,    // hl, ix or iy by the prefix
  kOpA = 5,           // a
  kOpIndSP = 6,       // (sp)
  kOpIndC = 7,        // (c)
  kOpByte = 8,        // n
  kOpIndByte = 9,     // (n)
  kOpRelative = 10,   // jr/djnz target
  kOpWord = 11,       // nn (Corvid ljp/lcall: segment and nn)
  kOpIndWord = 12,    // (nn)
  kOpSpecialReg = 13, // eir / iir by opcode bit 3
  kOpReg543 = 14,     // r by bits 3-5
  kOpReg210 = 15,     // r by bits 0-2
  kOpPairSS = 16,     // bc de hl sp by bits 4-5
  kOpPairQQ = 17,     // bc de hl af by bits 4-5
  kOpIndPairSS = 18,  // (ss)
  kOpRestart = 19,    // rst target by bits 3-5
  kOpCond = 20,       // condition by bits 3-5
  kOpCondJr = 21,     // condition by bits 3-4
  kOpBitNumber = 22,  // bit by bits 3-5
  kOpIntMode = 23,    // interrupt mode by bits 3-4
  kOpSegAddr = 24,    // seg:nn after a Z180 rst 30h
  kOpSP = 25,         // sp
  kOpDEAltOrSP = 26,  // de' without a prefix, (sp) with one
  kOpIntPriority = 27,
  kOpIP = 28,
  kOpXPC = 29,
  kOpIndexed = 30,  // (ix+d)
  kOpSPOffset = 31, // (sp+n)
  kOpHL = 32,       // hl, whatever the prefix
  kOpIndIndexReg = 33,
  kOpPairSSAlt = 34, // bc' de' hl' by bits 4-5
  kOpBC = 35,
  kOpSwappedIndexed = 36, // (ix+d) without a prefix, (hl+d) under 0xDD
};

inline constexpr uint16_t kOpKindMask = 0x0FFF;
inline constexpr uint16_t kOpNoMarkIfFirst = 0x1000;
inline constexpr uint16_t kOpCodeAddress = 0x2000;
inline constexpr uint16_t kOpIndexable = 0x4000;
inline constexpr uint16_t kOpNoMarkIfLast = 0x8000;

struct InstructionTableEntry {
  uint8_t mnemonic = 0;
  uint16_t first = 0;
  uint16_t second = 0;
};

using OpcodeTable = std::array<InstructionTableEntry, 256>;

// Mnemonic indices that the decoder itself looks at.
enum Mnemonic : uint8_t {
  kMnAnd = 2,
  kMnCall = 4,
  kMnCp = 6,
  kMnEx = 17,
  kMnLd = 30,
  kMnOr = 38,
  kMnRes = 51,
  kMnSet = 68,
  kMnXor = 76,
  kMnUndefined = 77,
  kMnNotIndexed = 78, // Corvid index table: use the main table's row
};

inline constexpr int kMnemonicWidth = 6;
inline constexpr int kMnemonicCount = 78;

struct OpcodeTables {
  const OpcodeTable &main;
  const OpcodeTable &ed;
  const OpcodeTable &cb;
  const OpcodeTable &index;
  const char *const *mnemonics; // kMnemonicCount names
};

const OpcodeTables &OpcodeTablesFor(TargetCpu cpu);

} // namespace tsw
