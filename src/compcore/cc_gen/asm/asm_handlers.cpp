// The handler groups other than ld and ldp: each reads its operands from
// the statement's lexer and writes its instruction into the statement's
// buffer (or emits it itself, for jumps, calls and the run-time copies).
#include "compcore/cc_gen/asm/asm_context.h"

#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

namespace tsw::assembler {
namespace {

using Form = MemoryOperand::Form;

constexpr uint8_t kClassOneByte = 0xC0;
constexpr uint8_t kClassMemoryMove = 0xC2;
// The classes that tell apart mnemonics sharing a handler.
constexpr uint8_t kClassPush = 0xC6;
constexpr uint8_t kClassIn0 = 0xE3;
constexpr uint8_t kClassOut0 = 0xE4;
constexpr uint8_t kClassLcall = 0xF6;
constexpr uint8_t kClassLjp = 0xF7;
constexpr int32_t kByteLowest = -128;
constexpr int32_t kPortLowest = -127;

// The prefix of an index register; the register then acts as hl.
AsmReg PutIndexPrefix(Statement &st, AsmReg reg) {
  if (!IsIndex(reg))
    return reg;
  st.Put(IndexPrefix(reg));
  return AsmReg::kHL;
}

uint8_t PairOffset(AsmReg reg) { return uint8_t(16 * (Code(reg) - Code(AsmReg::kBC))); }

// A condition name at the current token; -1 (nothing consumed) when none.
// Only the first `allowed` codes may stand here (766 at the name).
int TakeCondition(Statement &st, int allowed = 8) {
  const AsmToken &token = st.lex.Current();
  if (token.code != kTokName)
    return -1;
  const int condition = FindCondition(st.cpu, token.text);
  if (condition >= allowed)
    st.lex.Fail(Plain<kMsgBadCondition>());
  if (condition >= 0)
    st.lex.Next();
  return condition;
}

// A small number that selects the instruction's form (restart vector,
// interrupt mode, priority): known now, reported at itself when it selects
// nothing.
int32_t SelectorValue(Statement &st, bool (*valid)(int32_t value, bool corvid), PlainMessage message) {
  const uint16_t start = st.lex.Current().start;
  const int32_t value = st.eval.EvaluateKnown();
  if (!valid(value, st.Corvid()))
    st.lex.FailAt(message, start);
  return value;
}

void PlainGroup(Statement &st) {
  st.Put(st.entry->opcode1);
  if (st.entry->mnemonicClass != kClassOneByte)
    st.Put(st.entry->opcode2);
  if (st.entry->mnemonicClass == kClassMemoryMove)
    st.memoryOperand = true;
}

void BlockMove(Statement &st) {
  st.memoryOperand = true;
  const std::string_view text = st.entry->text;
  // With data wait states the repeating copies cannot run at full speed:
  // a run-time routine does the copy instead.
  if (DataWaitsUsed() && !st.ioPrefixed && (text == "lddr" || text == "ldir")) {
    st.RecordPosition();
    Upcalls().EmitCallNamedRoutine(text == "ldir" ? "ldir_func" : "lddr_func");
    st.selfEmitted = true;
    return;
  }
  st.Put(st.entry->opcode1);
  st.Put(st.entry->opcode2);
}

void Ret(Statement &st) {
  if (st.lex.AtStatementEnd()) {
    st.Put(0xC9);
    return;
  }
  const int condition = TakeCondition(st);
  if (condition < 0)
    st.lex.Fail(Plain<kMsgBadCondition>());
  st.Put(uint8_t(0xC0 + 8 * condition));
}

// Jumps and calls go through the code generator's own emitters, which
// choose the form that reaches the target from here. A target not known yet
// is referenced at the operand the short form leaves, with its opcode, so
// the label's definition can emit the right form then.
void EmitTarget(Statement &st, uint8_t opcode, uint16_t flags, const LcallFixup *lcall = nullptr) {
  if (st.prefixes)
    st.lex.Fail(st.ioPrefixed ? Plain<kMsgIoNeedsMemory>() : Plain<kMsgAltdNotAllowed>());
  if (st.lex.AtStatementEnd())
    st.lex.Fail(Plain<kMsgAsmExpression>());
  const bool call = opcode == kOpCall || opcode == kOpLongCall || (opcode & 0xC7) == kOpCallIf;
  if (call && st.lex.Is(kTokName))
    CurrentAsmHost().NoteMapCall(st.lex.Current().text);
  const uint32_t operand = Addr24ToLong(Addr24Add(st.address, 1));
  const OperandValue v = st.eval.Evaluate({operand, flags, opcode, lcall});
  ADDR24 target = v.unresolved ? ADDR24{} : Addr24FromLong(uint32_t(v.value) & 0xFFFFFF);
  if (lcall) {
    // A target inside the window is reached on the page given, not where
    // the compiler placed it: the user is told.
    if (!v.unresolved && target.logical >= ExtWindowStart)
      CompileWarningSerious<kMsgLongCallIntoWindow>();
    target.segment = uint8_t(lcall->page);
  }
  st.RecordPosition();
  if (call)
    EmitCallToAddr24(target, opcode);
  else
    EmitJumpToAddr24(target, opcode);
  st.selfEmitted = true;
}

// The Corvid's long jump and call: "target" takes the target's own page,
// "page, target" the page given.
void LongForm(Statement &st, uint8_t opcode) {
  if (st.lex.AtStatementEnd()) {
    CompileError<kMsgLongCallAddress>();
    return;
  }
  if (!(st.lex.Is(kTokNumber) && st.lex.Peek() == ',')) {
    EmitTarget(st, opcode, kFixCaptureOpcode | kFixAddress24);
    return;
  }
  LcallFixup block;
  block.line = CurrentSourceLine();
  block.file = CurrentSourceFileName();
  block.longCall = 1;
  block.page = uint32_t(st.lex.Current().value);
  st.lex.Next();
  st.lex.Next(); // the ","
  if (st.lex.AtStatementEnd()) {
    CompileError<kMsgLongCallAddress>();
    return;
  }
  EmitTarget(st, opcode, kFixCaptureOpcode, &block);
}

void Jp(Statement &st) {
  if (st.entry->mnemonicClass == kClassLjp) {
    LongForm(st, 0xC7);
    return;
  }
  if (st.lex.Is('(')) {
    const size_t after = st.lex.Position();
    const MemoryOperand op = TakeHlOrIndexed(st);
    if (op.form == Form::kIndexed && op.displacement != 0)
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    if (op.form == Form::kHl || op.form == Form::kIndexed) {
      PutIndexPrefix(st, op.base);
      st.Put(0xE9);
      st.memoryOperand = false;
      return;
    }
    // A parenthesised target address: read it as an expression.
    st.lex.Seek(after - 1);
  }
  const int condition = TakeCondition(st);
  if (condition >= 0) {
    Expect(st, ',', Plain<kMsgCommaExpected>());
    EmitTarget(st, uint8_t(0xC2 + 8 * condition), kFixCaptureOpcode);
    return;
  }
  EmitTarget(st, 0xC3, kFixCaptureOpcode);
}

void Call(Statement &st) {
  if (st.entry->mnemonicClass == kClassLcall) {
    LongForm(st, 0xCF);
    return;
  }
  if (!st.Corvid()) {
    const int condition = TakeCondition(st);
    if (condition >= 0) {
      Expect(st, ',', Plain<kMsgCommaExpected>());
      EmitTarget(st, uint8_t(0xC4 + 8 * condition), kFixCaptureOpcode);
      return;
    }
  }
  EmitTarget(st, 0xCD, kFixCaptureOpcode);
}

void Jr(Statement &st) {
  uint8_t opcode = st.entry->opcode1;
  if (opcode == 0x18) {
    const int condition = TakeCondition(st, 4);
    if (condition >= 0) {
      Expect(st, ',', Plain<kMsgCommaExpected>());
      opcode = uint8_t(0x20 + 8 * condition);
    }
  }
  st.Put(opcode);
  const uint16_t start = st.lex.Current().start;
  const ADDR24 next = Addr24Add(Addr24FromLong(st.FieldAddress()), 1);
  const OperandValue v = st.eval.Evaluate({st.FieldAddress(), kFixRelative8});
  if (v.unresolved) {
    st.Put(0);
    return;
  }
  const int32_t displacement = int32_t(uint16_t(v.value)) - int32_t(next.logical);
  if (displacement < -128 || displacement > 127)
    st.lex.FailAt(Plain<kMsgDisplacementRange>(), start);
  st.Put(uint8_t(displacement));
}

void Rst(Statement &st) {
  const int32_t vector = SelectorValue(
      st,
      [](int32_t v, bool corvid) {
        const bool both = v == 0x10 || v == 0x18 || v == 0x20 || v == 0x28 || v == 0x38;
        const bool z180Only = v == 0x00 || v == 0x08 || v == 0x30;
        return both || (z180Only && !corvid);
      },
      Plain<kMsgBadRestart>());
  st.Put(uint8_t(0xC7 + vector));
}

void Im(Statement &st) {
  constexpr uint8_t kModes[] = {0x46, 0x56, 0x5E};
  const int32_t mode = SelectorValue(
      st, [](int32_t v, bool) { return v >= 0 && v <= 2; }, Plain<kMsgBadInterruptMode>());
  st.Put(kPrefixEd);
  st.Put(kModes[mode]);
}

void Ipset(Statement &st) {
  constexpr uint8_t kLevels[] = {0x46, 0x56, 0x4E, 0x5E};
  const int32_t level = SelectorValue(
      st, [](int32_t v, bool) { return v >= 0 && v <= 3; }, Plain<kMsgAsmByteRange>());
  st.Put(kPrefixEd);
  st.Put(kLevels[level]);
}

void Tst(Statement &st) {
  st.Put(kPrefixEd);
  if (st.entry->group == HandlerGroup::kTstio) {
    st.Put(0x74);
    st.Put(EvaluateByte(st, 0, kByteLowest));
    return;
  }
  if (const AsmReg reg = TakeRegister(st); reg != AsmReg::kNone) {
    if (!IsByteRegister(reg))
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    st.Put(uint8_t(8 * Code(reg) + 4));
    return;
  }
  const MemoryOperand op = TakeHlOrIndexed(st);
  if (op.form == Form::kHl) {
    st.Put(0x34);
    return;
  }
  if (op.form != Form::kNone)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  st.Put(0x64);
  st.Put(EvaluateByte(st, 0, kByteLowest));
}

void Mlt(Statement &st) {
  const AsmReg reg = RequireRegister(st);
  if (reg < AsmReg::kBC || reg > AsmReg::kSP)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  st.Put(kPrefixEd);
  st.Put(uint8_t(0x4C + PairOffset(reg)));
}

// The slower indexed forms of the CB groups are named in a warning: the
// (hl)-form opcode and the index register pick the text.
void WarnIndexedForm(uint8_t hlFormOpcode, AsmReg index) {
  int form = 0;
  if (hlFormOpcode >= 0x40) {
    form = (hlFormOpcode >> 6) - 1; // bit 1, res 2, set 3
  } else {
    constexpr uint8_t kRotateForms[] = {0x16, 0x06, 0x1E, 0x0E, 0x26, 0x2E, 0x3E}; // rl rlc rr rrc sla sra srl
    for (int i = 0; i < 7; ++i)
      if (kRotateForms[i] == hlFormOpcode)
        form = 3 + i;
  }
  CompileWarningTrivial<kMsgSlowIndexedForm>(std::string(IndexedFormText(form, index == AsmReg::kIY)));
}

void CbOperand(Statement &st, uint8_t base, bool bitGroup) {
  if (const AsmReg reg = TakeRegister(st); reg != AsmReg::kNone) {
    if (!IsByteRegister(reg))
      st.lex.Fail(bitGroup ? Plain<kMsgNoSuchInstruction>() : Plain<kMsgRegisterNotAllowed>());
    st.Put(kPrefixCb);
    st.Put(uint8_t(base + Code(reg)));
    return;
  }
  const MemoryOperand op = TakeHlOrIndexed(st);
  if (op.form == Form::kHl) {
    st.Put(kPrefixCb);
    st.Put(uint8_t(base + 6));
    return;
  }
  if (op.form != Form::kIndexed)
    st.lex.Fail(bitGroup ? Plain<kMsgNoSuchInstruction>() : Plain<kMsgRegisterNotAllowed>());
  WarnIndexedForm(uint8_t(base + 6), op.base);
  st.Put(IndexPrefix(op.base));
  st.Put(kPrefixCb);
  st.Put(uint8_t(op.displacement));
  st.Put(uint8_t(base + 6));
}

void Rotate(Statement &st) {
  if (st.Corvid()) {
    const AsmToken &token = st.lex.Current();
    const AsmReg reg = token.code == kTokName ? FindRegister(token.text) : AsmReg::kNone;
    const bool rr = st.entry->opcode1 == 0x18, rl = st.entry->opcode1 == 0x10;
    if ((rr && (reg == AsmReg::kHL || IsIndex(reg) || reg == AsmReg::kDE)) || (rl && reg == AsmReg::kDE)) {
      TakeRegister(st);
      if (reg == AsmReg::kDE) {
        st.Put(rr ? 0xFB : 0xF3);
        return;
      }
      PutIndexPrefix(st, reg);
      st.Put(0xFC);
      return;
    }
  }
  CbOperand(st, st.entry->opcode1, false);
}

void Bit(Statement &st) {
  const AsmToken bitToken = st.lex.Current();
  int32_t bit = -1;
  if (bitToken.code == kTokNumber) {
    bit = bitToken.value;
  } else if (bitToken.code == kTokName) {
    const ADDR24 none{0xFFFF, 0xFF, 0xFF};
    const ADDR24 value = LookupBiosSymbol(bitToken.text, none);
    if (!Addr24Equal(value, none))
      bit = int32_t(value.logical);
  }
  if (bit < 0 || bit > 7)
    st.lex.Fail(Plain<kMsgBadBitNumber>());
  st.lex.Next();
  Expect(st, ',', Plain<kMsgCommaExpected>());
  CbOperand(st, uint8_t(8 * bit + st.entry->opcode1), true);
}

// An 8-bit operand of the accumulator groups: r, (hl), (ix+d), (iy+d) or n.
void Alu8Operand(Statement &st, uint8_t opcode) {
  if (const AsmReg reg = TakeRegister(st); reg != AsmReg::kNone) {
    if (!IsByteRegister(reg))
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    st.Put(uint8_t(0x80 + opcode + Code(reg)));
    return;
  }
  const MemoryOperand op = TakeHlOrIndexed(st);
  if (op.form == Form::kOther)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  if (op.form != Form::kNone) {
    PutIndexPrefix(st, op.base);
    st.Put(uint8_t(opcode + 0x86));
    if (op.form == Form::kIndexed)
      st.Put(uint8_t(op.displacement));
    return;
  }
  st.Put(uint8_t(opcode + 0xC6));
  st.Put(EvaluateByte(st, 0, kByteLowest));
}

// "a," may stand before the operand; another register there is 761.
void SkipAccumulator(Statement &st) {
  const AsmToken &token = st.lex.Current();
  if (token.code != kTokName || FindRegister(token.text) == AsmReg::kNone)
    return;
  const size_t mark = token.start;
  const AsmReg reg = TakeRegister(st);
  if (!st.lex.Is(',')) {
    st.lex.Seek(mark);
    return;
  }
  if (reg != AsmReg::kA)
    st.lex.FailAt(Plain<kMsgRegisterNotAllowed>(), uint16_t(mark));
  st.lex.Next();
}

void Alu8(Statement &st) {
  SkipAccumulator(st);
  Alu8Operand(st, st.entry->opcode1);
}

void Arith(Statement &st) {
  const std::string_view text = st.entry->text;
  const bool andOr = text == "and" || text == "or";
  const AsmToken &first = st.lex.Current();
  const AsmReg peek = first.code == kTokName ? FindRegister(first.text) : AsmReg::kNone;
  if (text == "bool") {
    const AsmReg reg = RequireRegister(st);
    if (reg != AsmReg::kHL && !IsIndex(reg))
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    PutIndexPrefix(st, reg);
    st.Put(0xCC);
    return;
  }
  if (andOr && peek != AsmReg::kHL) {
    // The Corvid's and/or of the accumulator.
    SkipAccumulator(st);
    Alu8Operand(st, st.entry->opcode1);
    return;
  }
  if (st.Corvid() && text == "add" && peek == AsmReg::kSP) {
    TakeRegister(st);
    Expect(st, ',', Plain<kMsgCommaExpected>());
    st.Put(0x27);
    st.Put(EvaluateByte(st, 0, kByteLowest));
    return;
  }
  const AsmReg dest = RequireRegister(st);
  Expect(st, ',', Plain<kMsgCommaExpected>());
  if (dest == AsmReg::kA) {
    Alu8Operand(st, st.entry->opcode2);
    return;
  }
  const bool indexAllowed = text == "add";
  if (dest != AsmReg::kHL && !(indexAllowed && IsIndex(dest)))
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  const AsmReg source = RequireRegister(st);
  if (andOr) {
    if (source != AsmReg::kDE)
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    st.Put(text == "and" ? 0xDC : 0xEC);
    return;
  }
  if (source != AsmReg::kBC && source != AsmReg::kDE && source != AsmReg::kSP && source != dest)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  PutIndexPrefix(st, dest);
  if (text != "add")
    st.Put(kPrefixEd);
  const AsmReg pair = source == dest ? AsmReg::kHL : source;
  st.Put(uint8_t(PairOffset(pair) + st.entry->opcode1));
}

void IncDec(Statement &st) {
  if (AsmReg reg = TakeRegister(st); reg != AsmReg::kNone) {
    if (IsByteRegister(reg)) {
      st.Put(uint8_t(st.entry->opcode2 + 8 * Code(reg)));
      return;
    }
    if (reg < AsmReg::kBC || reg > AsmReg::kIY)
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    reg = PutIndexPrefix(st, reg);
    st.Put(uint8_t(PairOffset(reg) + st.entry->opcode1));
    return;
  }
  const MemoryOperand op = TakeHlOrIndexed(st);
  if (op.form == Form::kNone || op.form == Form::kOther)
    st.lex.Fail(Plain<kMsgRegisterExpected>());
  PutIndexPrefix(st, op.base);
  st.Put(uint8_t(st.entry->opcode2 + 0x30));
  if (op.form == Form::kIndexed)
    st.Put(uint8_t(op.displacement));
}

void Ex(Statement &st) {
  if (st.lex.Is('(')) {
    st.lex.Next();
    if (RequireRegister(st) != AsmReg::kSP)
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    Expect(st, ')', Plain<kMsgParamListOpen>());
    Expect(st, ',', Plain<kMsgCommaExpected>());
    const AsmReg reg = RequireRegister(st);
    if (reg == AsmReg::kHL) {
      if (st.Corvid()) {
        st.Put(kPrefixEd);
        st.Put(0x54);
      } else {
        st.Put(0xE3);
      }
      return;
    }
    if (!IsIndex(reg))
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    st.Put(IndexPrefix(reg));
    st.Put(0xE3);
    return;
  }
  bool firstPrimed = false, secondPrimed = false;
  const AsmReg first = RequireRegister(st, &firstPrimed);
  Expect(st, ',', Plain<kMsgCommaExpected>());
  const AsmReg second = RequireRegister(st, &secondPrimed);
  if (first == AsmReg::kDE && second == AsmReg::kHL && !secondPrimed) {
    // The Corvid's exchange with the alternate de encodes the prime itself.
    if (firstPrimed)
      st.DropAltdByte();
    st.Put(firstPrimed ? 0xE3 : 0xEB);
    return;
  }
  if (first == AsmReg::kAF && second == AsmReg::kAF && !firstPrimed && secondPrimed) {
    st.DropAltdByte();
    st.Put(0x08);
    return;
  }
  st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
}

void PushPop(Statement &st) {
  const bool push = st.entry->mnemonicClass == kClassPush;
  const AsmToken &token = st.lex.Current();
  if (st.Corvid() && token.code == kTokName && (token.text == "ip" || token.text == "IP")) {
    st.lex.Next();
    st.Put(kPrefixEd);
    st.Put(push ? 0x76 : 0x7E);
    return;
  }
  bool primed = false;
  AsmReg reg = RequireRegister(st, &primed);
  if (primed && push)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  uint8_t field = 0;
  switch (reg) {
  case AsmReg::kBC: field = 0; break;
  case AsmReg::kDE: field = 1; break;
  case AsmReg::kHL:
  case AsmReg::kIX:
  case AsmReg::kIY: field = 2; break;
  case AsmReg::kAF: field = 3; break;
  default: st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  }
  reg = PutIndexPrefix(st, reg);
  st.Put(uint8_t((push ? 0xC5 : 0xC1) + 16 * field));
}

// The port's field follows the opcode bytes, so the bytes before it are
// written first and the port's byte is put last.
void Out(Statement &st) {
  const bool zero = st.entry->mnemonicClass == kClassOut0;
  if (!st.lex.Is('('))
    st.lex.Fail(Plain<kMsgOpenParenExpected>());
  const size_t portAt = st.lex.Position();
  st.lex.Next();
  const AsmToken &token = st.lex.Current();
  const bool viaC = token.code == kTokName && FindRegister(token.text) == AsmReg::kC;
  // Skip the port up to ")" to see the register first.
  int depth = 0;
  while (!st.lex.AtStatementEnd() && (depth > 0 || !st.lex.Is(')'))) {
    depth += st.lex.Is('(') ? 1 : st.lex.Is(')') ? -1 : 0;
    st.lex.Next();
  }
  Expect(st, ')', Plain<kMsgParamListOpen>());
  Expect(st, ',', Plain<kMsgCommaExpected>());
  const AsmReg reg = RequireRegister(st);
  if (!IsByteRegister(reg))
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  const size_t resume = st.lex.Current().start;
  if (viaC) {
    if (zero)
      st.lex.Fail(Plain<kMsgNumberExpected>());
    st.Put(kPrefixEd);
    st.Put(uint8_t(8 * Code(reg) + 0x41));
    return;
  }
  if (!zero && reg != AsmReg::kA)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  if (zero) {
    st.Put(kPrefixEd);
    st.Put(uint8_t(8 * Code(reg) + 0x01));
  } else {
    st.Put(0xD3);
  }
  st.lex.Seek(portAt);
  st.Put(EvaluateByte(st, 0, kPortLowest));
  st.lex.Seek(resume);
}

void In(Statement &st) {
  const bool zero = st.entry->mnemonicClass == kClassIn0;
  const AsmReg reg = RequireRegister(st);
  if (!IsByteRegister(reg))
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  Expect(st, ',', Plain<kMsgCommaExpected>());
  if (!st.lex.Is('('))
    st.lex.Fail(Plain<kMsgOpenParenExpected>());
  const AsmToken &inner = st.lex.Next();
  if (inner.code == kTokName && FindRegister(inner.text) == AsmReg::kC) {
    if (zero)
      st.lex.Fail(Plain<kMsgNumberExpected>());
    st.lex.Next();
    Expect(st, ')', Plain<kMsgParamListOpen>());
    st.Put(kPrefixEd);
    st.Put(uint8_t(8 * Code(reg) + 0x40));
    return;
  }
  if (zero) {
    st.Put(kPrefixEd);
    st.Put(uint8_t(8 * Code(reg)));
  } else {
    if (reg != AsmReg::kA)
      st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
    st.Put(0xDB);
  }
  st.Put(EvaluateByte(st, 0, kPortLowest));
  Expect(st, ')', Plain<kMsgParamListOpen>());
}

void Db(Statement &st) {
  for (;;) {
    if (st.lex.Is(kTokString)) {
      for (char c : st.lex.Current().text)
        st.Put(uint8_t(c));
      st.lex.Next();
    } else {
      st.Put(EvaluateByte(st, 0, kByteLowest));
    }
    if (!st.lex.Is(','))
      return;
    st.lex.Next();
  }
}

void Dw(Statement &st) {
  for (;;) {
    st.PutWord(EvaluateWord(st, 0));
    if (!st.lex.Is(','))
      return;
    st.lex.Next();
  }
}

} // namespace

void RunHandler(Statement &st) {
  switch (st.entry->group) {
  case HandlerGroup::kPlain: PlainGroup(st); return;
  case HandlerGroup::kBlockMove: BlockMove(st); return;
  case HandlerGroup::kRet: Ret(st); return;
  case HandlerGroup::kAlu8: Alu8(st); return;
  case HandlerGroup::kIm: Im(st); return;
  case HandlerGroup::kIn: In(st); return;
  case HandlerGroup::kOut: Out(st); return;
  case HandlerGroup::kIncDec: IncDec(st); return;
  case HandlerGroup::kDb: Db(st); return;
  case HandlerGroup::kDw: Dw(st); return;
  case HandlerGroup::kJp: Jp(st); return;
  case HandlerGroup::kJr: Jr(st); return;
  case HandlerGroup::kEx: Ex(st); return;
  case HandlerGroup::kMlt: Mlt(st); return;
  case HandlerGroup::kPushPop: PushPop(st); return;
  case HandlerGroup::kRotate: Rotate(st); return;
  case HandlerGroup::kRst: Rst(st); return;
  case HandlerGroup::kBit: Bit(st); return;
  case HandlerGroup::kArith: Arith(st); return;
  case HandlerGroup::kTst:
  case HandlerGroup::kTstio: Tst(st); return;
  case HandlerGroup::kLd: AssembleLd(st); return;
  case HandlerGroup::kLdp: AssembleLdp(st); return;
  case HandlerGroup::kIpset: Ipset(st); return;
  case HandlerGroup::kCall: Call(st); return;
  case HandlerGroup::kPrefix:
  case HandlerGroup::kLabelLine: st.lex.Fail(Plain<kMsgNoSuchInstruction>());
  }
}

} // namespace tsw::assembler
