// The ld and ldp groups. An ld operand is read into one of five forms; the
// pair of forms picks a row of the encoding table, and the row's encoder
// checks the registers and writes the bytes. A pair with no row is no
// instruction at all.
#include "compcore/cc_gen/asm/asm_context.h"

#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"

namespace tsw::assembler {
namespace {

enum class LdForm : uint8_t { kRegister, kIndirect, kIndexed, kDirect, kImmediate };

struct LdOperand {
  LdForm form = LdForm::kRegister;
  AsmReg reg = AsmReg::kNone; // the register, or the base of an indirect or indexed operand
  bool alternate = false;
  // Written "iir" or "eir", the Corvid's names of the two special registers.
  bool corvidSpecialName = false;
  int32_t displacement = 0;
  // Where the expression of a direct address or an immediate starts.
  size_t expressionStart = 0;
};

constexpr int32_t kStoredByteLowest = -127;

bool IsStackBase(const LdOperand &op) { return op.form == LdForm::kIndexed && op.reg == AsmReg::kSP; }
bool IsHlBase(const LdOperand &op) { return op.form == LdForm::kIndexed && op.reg == AsmReg::kHL; }
bool IsHlIxIy(AsmReg reg) { return reg == AsmReg::kHL || IsIndex(reg); }

void Reject(Statement &st) { st.lex.Fail(Plain<kMsgRegisterNotAllowed>()); }

bool IsCorvidSpecialName(const AsmToken &token) {
  if (token.code != kTokName)
    return false;
  for (std::string_view name : {"iir", "IIR", "eir", "EIR"})
    if (token.text == name)
      return true;
  return false;
}

// A parenthesised operand; false (nothing consumed) when the token is no
// "(".
bool ReadParenthesised(Statement &st, LdOperand &op) {
  if (!st.lex.Is('('))
    return false;
  st.memoryOperand = true;
  const size_t afterParen = st.lex.Position();
  const AsmToken &token = st.lex.Next();
  const uint16_t registerStart = token.start;
  const AsmReg reg = token.code == kTokName ? FindRegister(token.text) : AsmReg::kNone;
  bool indexed = IsIndex(reg);
  bool indirect = reg == AsmReg::kBC || reg == AsmReg::kDE;
  if (reg == AsmReg::kHL) {
    if (!st.Corvid())
      indirect = true;
    else {
      st.lex.Next();
      indirect = st.lex.Is(')');
      indexed = !indirect;
      st.lex.Seek(registerStart);
    }
  }
  if (reg == AsmReg::kSP && st.Corvid())
    indexed = true;
  op.reg = reg;
  if (indirect) {
    op.form = LdForm::kIndirect;
    st.lex.Next();
    Expect(st, ')', Plain<kMsgParamListOpen>());
    return true;
  }
  if (indexed) {
    op.form = LdForm::kIndexed;
    st.lex.Next();
    if (reg == AsmReg::kSP && st.lex.Is('-'))
      st.lex.Fail(Plain<kMsgNegativeSpOffset>());
    op.displacement = ReadDisplacement(st, reg == AsmReg::kSP);
    return true;
  }
  // A direct address is evaluated once the bytes before its field are
  // known; for now it is only skipped.
  op.form = LdForm::kDirect;
  op.reg = AsmReg::kNone;
  op.expressionStart = afterParen;
  int depth = 0;
  while (!st.lex.AtStatementEnd() && (depth > 0 || !st.lex.Is(')'))) {
    depth += st.lex.Is('(') ? 1 : st.lex.Is(')') ? -1 : 0;
    st.lex.Next();
  }
  Expect(st, ')', Plain<kMsgParamListOpen>());
  return true;
}

// The direct address's word at the next field; the lexer returns to where
// it stood.
void PutDirect(Statement &st, const LdOperand &op) {
  const size_t resume = st.lex.Current().start;
  st.lex.Seek(op.expressionStart);
  st.PutWord(EvaluateWord(st, 0));
  st.lex.Seek(resume);
}

// The immediate is the statement's last operand: the lexer stands on it.
void PutImmediateByte(Statement &st, bool rangeChecked) {
  if (rangeChecked) {
    st.Put(EvaluateByte(st, 0, kStoredByteLowest));
    return;
  }
  st.Put(uint8_t(st.eval.Evaluate({st.FieldAddress(), kFixAbsolute8}).value));
}

void PutImmediateWord(Statement &st) { st.PutWord(EvaluateWord(st, 0)); }

// The index prefix of ix/iy (nothing for hl); the register acts as hl after.
void PutPrefixOf(Statement &st, AsmReg reg) {
  if (IsIndex(reg))
    st.Put(IndexPrefix(reg));
}

// 774 through the ordinary error path: the compile goes on, and the
// statement leaves no bytes behind.
void NoHlDisplacementForm(Statement &st) {
  CompileError(Plain<kMsgNoSuchInstruction>());
  while (!st.lex.AtStatementEnd())
    st.lex.Next();
  st.bytes.resize(st.instructionStart);
  st.altdPending = false;
}

// ---- the rows ---------------------------------------------------------------

void RegisterFromRegister(Statement &st, const LdOperand &d, const LdOperand &s) {
  const AsmReg dst = d.reg, src = s.reg;
  if (dst == AsmReg::kI || dst == AsmReg::kR || src == AsmReg::kI || src == AsmReg::kR) {
    const bool toSpecial = dst == AsmReg::kI || dst == AsmReg::kR;
    if ((toSpecial ? src : dst) != AsmReg::kA)
      Reject(st);
    // The Corvid's iir and eir take each other's codes. On the Z180 the
    // two names stand for the codes the decoder writes them for (eir the
    // vector base, iir the refresh register), so that a line of its
    // listing assembles to the bytes it was read from.
    const LdOperand &special = toSpecial ? d : s;
    const bool refresh = special.reg == AsmReg::kR;
    const bool second = (st.Corvid() || special.corvidSpecialName) ? !refresh : refresh;
    st.Put(kPrefixEd);
    st.Put(uint8_t((toSpecial ? 0x47 : 0x57) + (second ? 8 : 0)));
    return;
  }
  if (dst == AsmReg::kSP) {
    if (!IsHlIxIy(src))
      Reject(st);
    PutPrefixOf(st, src);
    st.Put(0xF9);
    return;
  }
  if (st.Corvid()) {
    if (dst == AsmReg::kHL && IsIndex(src)) {
      st.Put(IndexPrefix(src));
      st.Put(0x7C);
      return;
    }
    if (IsIndex(dst) && src == AsmReg::kHL) {
      st.Put(IndexPrefix(dst));
      st.Put(0x7D);
      return;
    }
    if (dst == AsmReg::kXPC || src == AsmReg::kXPC) {
      if ((dst == AsmReg::kXPC ? src : dst) != AsmReg::kA)
        Reject(st);
      st.Put(kPrefixEd);
      st.Put(dst == AsmReg::kXPC ? 0x67 : 0x77);
      return;
    }
    const bool alternatePair = (d.alternate || st.alternateDestination) &&
                               (dst == AsmReg::kBC || dst == AsmReg::kDE || dst == AsmReg::kHL) &&
                               (src == AsmReg::kBC || src == AsmReg::kDE);
    if (alternatePair) {
      // These forms load the alternate pair themselves: no altd byte.
      st.DropAltdByte();
      st.Put(kPrefixEd);
      st.Put(uint8_t((src == AsmReg::kBC ? 0x49 : 0x41) + 16 * PairField(dst)));
      return;
    }
  }
  if (!IsByteRegister(dst) || !IsByteRegister(src))
    Reject(st);
  st.Put(uint8_t(0x40 + 8 * Code(dst) + Code(src)));
}

void RegisterFromImmediate(Statement &st, const LdOperand &d, const LdOperand &) {
  const AsmReg dst = d.reg;
  if (IsByteRegister(dst)) {
    st.Put(uint8_t(0x06 + 8 * Code(dst)));
    PutImmediateByte(st, false);
    return;
  }
  if (dst < AsmReg::kBC || dst > AsmReg::kIY)
    Reject(st);
  PutPrefixOf(st, dst);
  st.Put(IsIndex(dst) ? 0x21 : uint8_t(0x01 + 16 * (Code(dst) - Code(AsmReg::kBC))));
  PutImmediateWord(st);
}

void RegisterFromIndirect(Statement &st, const LdOperand &d, const LdOperand &s) {
  if (s.reg == AsmReg::kHL) {
    if (!IsByteRegister(d.reg))
      Reject(st);
    st.Put(uint8_t(0x46 + 8 * Code(d.reg)));
    return;
  }
  if (d.reg != AsmReg::kA)
    Reject(st);
  st.Put(s.reg == AsmReg::kBC ? 0x0A : 0x1A);
}

void RegisterFromIndexed(Statement &st, const LdOperand &d, const LdOperand &s) {
  if (IsStackBase(s)) {
    if (!IsHlIxIy(d.reg))
      Reject(st);
    PutPrefixOf(st, d.reg);
    st.Put(0xC4);
    st.Put(uint8_t(s.displacement));
    return;
  }
  if (IsByteRegister(d.reg)) {
    if (IsHlBase(s)) {
      NoHlDisplacementForm(st);
      return;
    }
    st.Put(IndexPrefix(s.reg));
    st.Put(uint8_t(0x46 + 8 * Code(d.reg)));
    st.Put(uint8_t(s.displacement));
    return;
  }
  if (!st.Corvid() || d.reg != AsmReg::kHL)
    Reject(st);
  // ld hl,(ix+d) is the plain form; the other bases take a prefix.
  if (s.reg == AsmReg::kIY)
    st.Put(kPrefixIy);
  else if (s.reg == AsmReg::kHL)
    st.Put(kPrefixIx);
  st.Put(0xE4);
  st.Put(uint8_t(s.displacement));
}

void RegisterFromDirect(Statement &st, const LdOperand &d, const LdOperand &s) {
  const AsmReg dst = d.reg;
  if (dst == AsmReg::kA) {
    st.Put(0x3A);
  } else if (IsHlIxIy(dst)) {
    PutPrefixOf(st, dst);
    st.Put(0x2A);
  } else if (dst == AsmReg::kBC || dst == AsmReg::kDE || dst == AsmReg::kSP) {
    st.Put(kPrefixEd);
    st.Put(uint8_t(0x4B + 16 * (Code(dst) - Code(AsmReg::kBC))));
  } else {
    Reject(st);
  }
  PutDirect(st, s);
}

void IndirectFromRegister(Statement &st, const LdOperand &d, const LdOperand &s) {
  if (d.reg == AsmReg::kHL) {
    if (!IsByteRegister(s.reg))
      Reject(st);
    st.Put(uint8_t(0x70 + Code(s.reg)));
    return;
  }
  if (s.reg != AsmReg::kA)
    Reject(st);
  st.Put(d.reg == AsmReg::kBC ? 0x02 : 0x12);
}

void IndirectFromImmediate(Statement &st, const LdOperand &d, const LdOperand &) {
  if (d.reg != AsmReg::kHL)
    Reject(st);
  st.Put(0x36);
  PutImmediateByte(st, true);
}

void IndexedFromRegister(Statement &st, const LdOperand &d, const LdOperand &s) {
  if (IsStackBase(d)) {
    if (!IsHlIxIy(s.reg))
      Reject(st);
    PutPrefixOf(st, s.reg);
    st.Put(0xD4);
    st.Put(uint8_t(d.displacement));
    return;
  }
  if (IsByteRegister(s.reg)) {
    if (IsHlBase(d)) {
      NoHlDisplacementForm(st);
      return;
    }
    st.Put(IndexPrefix(d.reg));
    st.Put(uint8_t(0x70 + Code(s.reg)));
    st.Put(uint8_t(d.displacement));
    return;
  }
  if (!st.Corvid() || s.reg != AsmReg::kHL)
    Reject(st);
  if (d.reg == AsmReg::kIY)
    st.Put(kPrefixIy);
  else if (d.reg == AsmReg::kHL)
    st.Put(kPrefixIx);
  st.Put(0xF4);
  st.Put(uint8_t(d.displacement));
}

void IndexedFromImmediate(Statement &st, const LdOperand &d, const LdOperand &) {
  if (IsStackBase(d))
    Reject(st);
  if (IsHlBase(d)) {
    // (hl+d),n has no encoding of its own; only d = 0 is (hl),n.
    if (d.displacement != 0) {
      NoHlDisplacementForm(st);
      return;
    }
    st.Put(0x36);
    PutImmediateByte(st, true);
    return;
  }
  st.Put(IndexPrefix(d.reg));
  st.Put(0x36);
  st.Put(uint8_t(d.displacement));
  PutImmediateByte(st, true);
}

void DirectFromRegister(Statement &st, const LdOperand &d, const LdOperand &s) {
  const AsmReg src = s.reg;
  if (src == AsmReg::kA) {
    st.Put(0x32);
  } else if (IsHlIxIy(src)) {
    PutPrefixOf(st, src);
    st.Put(0x22);
  } else if (src == AsmReg::kBC || src == AsmReg::kDE || src == AsmReg::kSP) {
    st.Put(kPrefixEd);
    st.Put(uint8_t(0x43 + 16 * (Code(src) - Code(AsmReg::kBC))));
  } else {
    Reject(st);
  }
  PutDirect(st, d);
}

struct LdRow {
  LdForm destination;
  LdForm source;
  void (*encode)(Statement &, const LdOperand &, const LdOperand &);
};

constexpr LdRow kLdRows[] = {
    {LdForm::kRegister, LdForm::kRegister, RegisterFromRegister},
    {LdForm::kRegister, LdForm::kImmediate, RegisterFromImmediate},
    {LdForm::kRegister, LdForm::kIndirect, RegisterFromIndirect},
    {LdForm::kRegister, LdForm::kIndexed, RegisterFromIndexed},
    {LdForm::kRegister, LdForm::kDirect, RegisterFromDirect},
    {LdForm::kIndirect, LdForm::kRegister, IndirectFromRegister},
    {LdForm::kIndirect, LdForm::kImmediate, IndirectFromImmediate},
    {LdForm::kIndexed, LdForm::kRegister, IndexedFromRegister},
    {LdForm::kIndexed, LdForm::kImmediate, IndexedFromImmediate},
    {LdForm::kDirect, LdForm::kRegister, DirectFromRegister},
};

} // namespace

void AssembleLd(Statement &st) {
  LdOperand d, s;
  if (!ReadParenthesised(st, d)) {
    d.corvidSpecialName = IsCorvidSpecialName(st.lex.Current());
    d.reg = TakeRegister(st, &d.alternate);
    if (d.reg == AsmReg::kNone)
      st.lex.Fail(Plain<kMsgRegisterExpected>());
  }
  Expect(st, ',', Plain<kMsgCommaExpected>());
  if (!ReadParenthesised(st, s)) {
    s.corvidSpecialName = IsCorvidSpecialName(st.lex.Current());
    // A source register is never the alternate one.
    s.reg = TakeRegister(st, nullptr, false);
    if (s.reg == AsmReg::kNone) {
      s.form = LdForm::kImmediate;
      s.expressionStart = st.lex.Current().start;
      if (d.form == LdForm::kRegister &&
          (d.reg == AsmReg::kI || d.reg == AsmReg::kR || d.reg == AsmReg::kAF || d.reg == AsmReg::kXPC))
        Reject(st);
    }
  }
  // The Corvid reads (hl) beside hl as its indexed form with no offset.
  if (st.Corvid()) {
    if (d.form == LdForm::kRegister && d.reg == AsmReg::kHL && s.form == LdForm::kIndirect && s.reg == AsmReg::kHL)
      s.form = LdForm::kIndexed;
    if (s.form == LdForm::kRegister && s.reg == AsmReg::kHL && d.form == LdForm::kIndirect && d.reg == AsmReg::kHL)
      d.form = LdForm::kIndexed;
  }
  for (const LdRow &row : kLdRows)
    if (row.destination == d.form && row.source == s.form) {
      row.encode(st, d, s);
      return;
    }
  st.lex.Fail(Plain<kMsgNoSuchInstruction>());
}

void AssembleLdp(Statement &st) {
  // ldp's own operands are page-crossing addresses, not the memory access
  // an I/O prefix redirects.
  const auto prefixOf = [](AsmReg reg) {
    return reg == AsmReg::kHL ? kPrefixEd : reg == AsmReg::kIX ? kPrefixIx : kPrefixIy;
  };
  if (st.lex.Is('(')) {
    const AsmToken &name = st.lex.Next();
    if (name.code != kTokName)
      st.lex.Fail(Plain<kMsgLdpOperand>());
    const AsmReg base = FindRegister(name.text);
    if (IsHlIxIy(base)) {
      st.lex.Next();
      Expect(st, ')', Plain<kMsgParamListOpen>());
      Expect(st, ',', Plain<kMsgCommaExpected>());
      const AsmReg src = RequireRegister(st);
      if (src != AsmReg::kHL)
        Reject(st);
      st.Put(prefixOf(base));
      st.Put(0x64);
      return;
    }
    const size_t placeholder = st.bytes.size();
    st.Put(0);
    st.Put(0x65);
    st.PutWord(EvaluateWord(st, 0));
    Expect(st, ')', Plain<kMsgParamListOpen>());
    Expect(st, ',', Plain<kMsgCommaExpected>());
    const AsmReg src = RequireRegister(st);
    if (!IsHlIxIy(src))
      Reject(st);
    st.bytes[placeholder] = prefixOf(src);
    return;
  }
  if (!st.lex.Is(kTokName))
    st.lex.Fail(Plain<kMsgLdpOperand>());
  const AsmReg dst = TakeRegister(st);
  if (!IsHlIxIy(dst))
    Reject(st);
  st.Put(prefixOf(dst));
  Expect(st, ',', Plain<kMsgCommaExpected>());
  if (!st.lex.Is('('))
    st.lex.Fail(Plain<kMsgOpenParenExpected>());
  const AsmToken &inner = st.lex.Next();
  const AsmReg base = inner.code == kTokName ? FindRegister(inner.text) : AsmReg::kNone;
  if (IsHlIxIy(base)) {
    st.lex.Next();
    if (dst != AsmReg::kHL)
      Reject(st);
    st.bytes.back() = prefixOf(base);
    st.Put(0x6C);
  } else {
    st.Put(0x6D);
    st.PutWord(EvaluateWord(st, 0));
  }
  Expect(st, ')', Plain<kMsgParamListOpen>());
}

} // namespace tsw::assembler
