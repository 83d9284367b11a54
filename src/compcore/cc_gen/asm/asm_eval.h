#pragma once

#include "compcore/cc_gen/asm/asm_lexer.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The assembler's expressions: numbers, names of C, BIOS and label symbols,
// "@" names of the frame, and the C operators of integers, all kept to 24
// bits. At most one name of an operand may be unknown yet; it becomes a
// fixup at the operand's own field, patched when the name is defined.
namespace tsw::assembler {

// What the frame-relative "@" names and the names of auto variables stand
// for while a function compiles. The default answers 0 for every "@" name:
// assembly outside a function.
class AsmFrameValues {
public:
  virtual ~AsmFrameValues() = default;
  virtual int32_t StackOffset() { return 0; }       // "@SP"
  virtual int32_t ReturnValueOffset() { return 0; } // "@RETVAL"
  virtual int32_t FrameLength() { return 0; }       // "@LENGTH"
  // A parameter or auto local: its offset on the frame.
  virtual int32_t AutoOffset(const SymbolRecord &symbol) { return int16_t(symbol.definition); }
};
void SetAsmFrameValues(AsmFrameValues *values);

// Where an operand's value is going: the packed address of its field in the
// code, the fixup flags of that field, the opcode a jump or call re-emits
// and the long-call block of an lcall with a page.
struct OperandField {
  uint32_t patchAddress = 0;
  uint16_t flags = 0;
  uint8_t opcode = 0;
  const LcallFixup *lcall = nullptr;
};

struct OperandValue {
  int32_t value = 0; // 24 bits, sign-extended
  bool unresolved = false;
};

class AsmEvaluator {
public:
  // `statementAddress` is "@PC".
  AsmEvaluator(AsmLexer &lexer, uint32_t statementAddress) : lexer_(lexer), pc_(statementAddress) {}

  // The expression from the current token; the lexer is left on the first
  // token that continues no expression. An unknown name is referenced at
  // `field`, with the rest of the expression as its addend.
  OperandValue Evaluate(const OperandField &field);
  // A value that must be known now (a displacement, a stack offset, a bit
  // number): an unknown name is error 762 at that name.
  int32_t EvaluateKnown();

private:
  struct Partial {
    int32_t value = 0;
    bool unresolved = false;
  };
  Partial Expression(int minPrecedence);
  Partial Unary();
  Partial Primary();
  Partial Name(const AsmToken &token);
  Partial MappedOperand(uint16_t mapBit);
  std::optional<int32_t> Resolve(const std::string &name);

  AsmLexer &lexer_;
  uint32_t pc_;
  std::string unresolvedName_;
  uint16_t unresolvedColumn_ = 0;
  uint16_t extraFlags_ = 0;
  std::string segmentOverride_;
  int32_t segmentValue_ = -1;
};

// A BIOS symbol under the name, else under "IOP_" + name.
bool LookupAsmSymbolWithIopPrefix(std::string_view name, uint16_t &value);

// The 24-bit value as a signed number.
int32_t SignExtend24(int32_t value);

} // namespace tsw::assembler
