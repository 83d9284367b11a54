#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The assembler's constant data: mnemonic tables of both processors, the
// register names, the condition lists and the texts of the indexed-form
// warning. Kept as plain tables so an encoding question is answered by
// reading a row, not by following code.
namespace tsw::assembler {

enum class AsmCpu : uint8_t { kZ180, kCorvid };

// The assembler's own register codes. They are not the code generator's
// register numbers and never mix with them.
enum class AsmReg : uint8_t {
  kB = 0,
  kC,
  kD,
  kE,
  kH,
  kL,
  kHlIndirect = 6,
  kA = 7,
  kI = 8,
  kR = 9,
  kBC = 10,
  kDE,
  kHL,
  kSP,
  kIX,
  kIY,
  kAF,
  kXPC,
  kNone = 0xFF,
};

enum class HandlerGroup : uint8_t {
  kPlain,
  kPrefix,
  kLabelLine,
  kRet,
  kAlu8,
  kIm,
  kIn,
  kOut,
  kIncDec,
  kDb,
  kDw,
  kJp,
  kJr,
  kEx,
  kMlt,
  kPushPop,
  kRotate,
  kRst,
  kBit,
  kArith,
  kTst,
  kTstio,
  kLd,
  kBlockMove,
  kIpset,
  kLdp,
  kCall,
};

// Bits of an entry's prefix permission (Corvid only).
inline constexpr uint8_t kPermitAltd = 0x01;
inline constexpr uint8_t kPermitPrimedIndex = 0x02;

struct MnemonicEntry {
  std::string_view text;
  uint8_t mnemonicClass; // also the token the lexer gives for the mnemonic
  uint8_t opcode1;
  uint8_t opcode2;
  HandlerGroup group;
  uint8_t permission;
};

std::span<const MnemonicEntry> MnemonicTable(AsmCpu cpu);

// Case-insensitive lookup in the processor's table; null when no mnemonic.
const MnemonicEntry *FindMnemonic(AsmCpu cpu, std::string_view text);

// Case-sensitive: a register is written all lower or all upper case.
AsmReg FindRegister(std::string_view text);

inline bool IsPair(AsmReg reg) { return reg >= AsmReg::kBC && reg <= AsmReg::kXPC; }
inline bool IsByteRegister(AsmReg reg) { return reg <= AsmReg::kA && reg != AsmReg::kHlIndirect; }
inline uint8_t Code(AsmReg reg) { return static_cast<uint8_t>(reg); }

// The alternate-pair field of a pair register (bc 0, de 1, hl 2, sp 3).
int8_t PairField(AsmReg reg);

// The condition code (0-7) of a condition name, after "nv"/"v" were
// rewritten for the Corvid's overflow conditions; -1 when none.
int FindCondition(AsmCpu cpu, std::string_view text);

// The text of an indexed CB-group form, for the warning that names it.
// `form` is 0-9 in table order (bit, res, set, rl, rlc, rr, rrc, sla, sra,
// srl), `viaIy` picks the (iy+d) text.
std::string_view IndexedFormText(int form, bool viaIy);

} // namespace tsw::assembler
