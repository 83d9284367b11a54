#pragma once

#include "compcore/cc_gen/asm/asm_eval.h"
#include "compcore/cc_gen/asm/asm_lexer.h"
#include "compcore/cc_gen/asm/asm_tables.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <vector>

// What the handler groups share while one statement is assembled. Private
// to the assembler's own files.
namespace tsw::assembler {

inline constexpr size_t kStatementBufferSize = 128;
inline constexpr uint8_t kAltdByte = 0x76;
inline constexpr uint8_t kPrefixIx = 0xDD;
inline constexpr uint8_t kPrefixIy = 0xFD;
inline constexpr uint8_t kPrefixEd = 0xED;
inline constexpr uint8_t kPrefixCb = 0xCB;

struct Statement {
  Statement(AsmLexer &lexer, AsmCpu cpu, ADDR24 address)
      : lex(lexer), cpu(cpu), address(address), eval(lexer, Addr24ToLong(address)) {}

  // Appends a byte; a pending alternate-register byte goes first.
  void Put(uint8_t byte);
  void PutWord(uint16_t word) {
    Put(uint8_t(word));
    Put(uint8_t(word >> 8));
  }
  // The packed address of the next byte: the field an operand fills.
  uint32_t FieldAddress() const { return Addr24ToLong(Addr24Add(address, int32_t(bytes.size()))); }
  bool Corvid() const { return cpu == AsmCpu::kCorvid; }
  // One more prefix (altd, a primed register, ioi, ioe): more than one in
  // a statement is 540.
  void CountPrefix();
  // The statement's source position, at the current code address.
  void RecordPosition() const;
  // A primed register on the Corvid: its altd byte stands before the
  // instruction.
  void AskForAltdByte();
  // The alternate forms that encode the prime themselves take back the
  // altd byte: the pending one, or the one the altd prefix already put.
  void DropAltdByte();

  AsmLexer &lex;
  AsmCpu cpu;
  ADDR24 address;
  AsmEvaluator eval;
  std::vector<uint8_t> bytes;
  const MnemonicEntry *entry = nullptr;
  // The handler emitted its instruction itself (jumps, calls, run-time
  // calls): the buffer holds nothing to emit.
  bool selfEmitted = false;
  bool memoryOperand = false;
  bool altdPending = false;
  // An altd byte stands before the instruction's opcode.
  bool altdBeforeOpcode = false;
  // The destination is the alternate register (a prime, or an altd prefix).
  bool alternateDestination = false;
  int prefixes = 0;
  bool ioPrefixed = false;
  bool recordPositions = false;
  uint16_t column = 0;
  // Where the current instruction's own bytes begin (after prefixes).
  size_t instructionStart = 0;
};

// The register the current token names, consumed with its apostrophe;
// kNone, with nothing consumed, when the token names no register.
AsmReg TakeRegister(Statement &st, bool *primed = nullptr, bool primeAllowed = true);
// As TakeRegister, but a name that is no register is 760.
AsmReg RequireRegister(Statement &st, bool *primed = nullptr);
void Expect(Statement &st, uint16_t code, PlainMessage message);
inline bool IsIndex(AsmReg reg) { return reg == AsmReg::kIX || reg == AsmReg::kIY; }
inline uint8_t IndexPrefix(AsmReg reg) { return reg == AsmReg::kIX ? kPrefixIx : kPrefixIy; }

// A parenthesised operand as the groups other than ld read it.
struct MemoryOperand {
  enum class Form { kNone, kHl, kIndexed, kOther } form = Form::kNone;
  AsmReg base = AsmReg::kNone;
  int32_t displacement = 0;
};
// "(hl)", "(ix+d)", "(iy+d)" at the current token; kNone (nothing
// consumed) when the token is no "(", kOther (only "(" consumed) for any
// other parenthesised text.
MemoryOperand TakeHlOrIndexed(Statement &st);
// The displacement after an index register up to its ")": known now and
// within -128..127 (or 0..255 for the Corvid stack offset).
int32_t ReadDisplacement(Statement &st, bool stackOffset);
// A byte operand evaluated at its own field, with its range checked when
// known: -128..255, or -127..255 for a port and the byte ld stores.
uint8_t EvaluateByte(Statement &st, uint16_t flags, int32_t lowest);
uint16_t EvaluateWord(Statement &st, uint16_t flags, uint8_t opcode = 0, const LcallFixup *lcall = nullptr);

// The handler of the entry's group.
void RunHandler(Statement &st);
void AssembleLd(Statement &st);
void AssembleLdp(Statement &st);

} // namespace tsw::assembler
