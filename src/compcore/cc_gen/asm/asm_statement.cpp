#include "compcore/cc_gen/asm/asm_statement.h"

#include "compcore/cc_gen/asm/asm_context.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"
#include "compcore/common/cc_session.h"

#include "foundation/xerr.h"

#include <cctype>

namespace tsw::assembler {
namespace {

constexpr const char *kModule = "compcore\\asm_statement";

struct AssemblerState {
  AsmCpu cpu = AsmCpu::kZ180;
  // Set after an I/O-prefixed statement until the emitter asks.
  bool nopPending = false;
  const AsmLexer *lexer = nullptr;
  AsmHost *host = nullptr;
};

AssemblerState &State() {
  static AssemblerState state;
  return state;
}

AsmHost &Host() {
  static AsmHost neutral;
  return State().host ? *State().host : neutral;
}

// Symbol entries of asm labels: a global label is a global of its own kind,
// a local one lives in the function's table.
constexpr uint32_t kGlobalLabelDeclarator = 3;
constexpr int16_t kGlobalLabelType = 2;
constexpr uint32_t kLocalLabelDeclarator = 2;
constexpr int16_t kLocalLabelType = 11;
constexpr int16_t kLocalLabelKind = 11;

constexpr const char *kTextStatementTooLong = "asm statement longer than 128 bytes: split it";

ADDR24 CodeAddressNow() {
  EmitCache *code = Caches().currentCode;
  return code ? code->Current() : ADDR24{};
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// "name:" places a local label, "name::" a global one; "equ" gives it a
// value instead of the current address.
void DefineStatementLabel(Statement &st) {
  const AsmToken name = st.lex.Current();
  if (st.lex.Next().code != ':')
    st.lex.Fail(Plain<kMsgLabelExpected>());
  const bool global = st.lex.Next().code == ':';
  if (global)
    st.lex.Next();
  const SymbolTableId table = global ? SymbolTableId::kGlobal : SymbolTableId::kLocal;
  SymbolRecord *symbol = LookupSymbol(name.text, false, table);
  if (!symbol && !global)
    symbol = LookupSymbol(name.text, false, SymbolTableId::kGlobal);
  if (symbol && symbol->definition) {
    // The first place stays; the statement after the label still assembles.
    CompileError<kMsgRedeclared>(name.text);
    if (st.lex.Current().mnemonic && st.lex.Current().mnemonic->group == HandlerGroup::kLabelLine) {
      st.lex.Next();
      st.eval.EvaluateKnown();
    }
    return;
  }
  if (!symbol)
    symbol = global ? AddSymbol(name.text, kGlobalLabelDeclarator, kGlobalLabelType, 0, kKindGlobal)
                    : AddSymbol(name.text, kLocalLabelDeclarator, kLocalLabelType, 0, kLocalLabelKind);
  else if (symbol->address)
    CompileWarningSerious<kMsgLabelAlreadyPlaced>(name.text, name.text, int(symbol->line),
                                                  std::string(symbol->file ? symbol->file : ""));

  uint32_t value = Addr24ToLong(st.address);
  if (st.lex.Current().mnemonic && st.lex.Current().mnemonic->group == HandlerGroup::kLabelLine) {
    st.lex.Next();
    // The value is taken now: a name placed later would leave the label
    // with a value nothing corrects.
    value = uint32_t(st.eval.EvaluateKnown()) & 0xFFFFFF;
  } else if (global) {
    Host().EnterMapFunction(name.text);
  }
  if (global) {
    DefineLabel(name.text, value, kFixGlobal);
  } else {
    // Earlier references went to the global table before the name was
    // known to be local: they are patched too.
    DefineTemporaryLabel(name.text, value, kFixGlobal);
    DefineLabel(name.text, value, kFixLocal);
  }
  symbol->address = value;
  symbol->definition = 1;
}

// The instruction at the current token, prefixes first.
void AssembleInstruction(Statement &st) {
  while (st.Corvid() && st.lex.Is('`')) {
    st.CountPrefix();
    st.bytes.push_back(kAltdByte);
    st.altdBeforeOpcode = true;
    st.alternateDestination = true;
    st.lex.Next();
  }
  const AsmToken &token = st.lex.Current();
  if (token.code < kTokFirstMnemonic || token.code > 0xFF || !token.mnemonic)
    st.lex.Fail(Plain<kMsgNoSuchInstruction>());
  st.entry = token.mnemonic;
  const uint16_t mnemonicStart = token.start;
  if (st.entry->group == HandlerGroup::kPrefix) {
    const bool io = st.entry->opcode1 != kAltdByte;
    st.CountPrefix();
    st.bytes.push_back(st.entry->opcode1);
    if (io) {
      st.ioPrefixed = true;
    } else {
      st.altdBeforeOpcode = true;
      st.alternateDestination = true;
    }
    st.lex.Next();
    AssembleInstruction(st);
    return;
  }
  st.lex.Next();
  st.instructionStart = st.bytes.size();
  RunHandler(st);
  if (st.Corvid()) {
    if (st.altdBeforeOpcode && !(st.entry->permission & kPermitAltd))
      st.lex.FailAt(Plain<kMsgAltdNotAllowed>(), mnemonicStart);
    if (st.ioPrefixed && !st.memoryOperand)
      st.lex.FailAt(Plain<kMsgIoNeedsMemory>(), mnemonicStart);
  }
}

} // namespace

// ---- the statement's shared pieces ----------------------------------------

void Statement::Put(uint8_t byte) {
  if (altdPending) {
    altdPending = false;
    bytes.insert(bytes.begin() + std::ptrdiff_t(instructionStart), kAltdByte);
    altdBeforeOpcode = true;
  }
  if (bytes.size() >= kStatementBufferSize)
    RaiseFatal(0, CurrentSourceLine(), uint16_t(column + lex.Current().start + 1), kTextStatementTooLong);
  bytes.push_back(byte);
}

void Statement::RecordPosition() const {
  if (recordPositions && !BiosCompileFlag())
    CodeGen().RecordStatementPosition(CurrentSourceFileName(), CurrentSourceLine(), uint16_t(column + 1));
}

void Statement::CountPrefix() {
  if (++prefixes > 1)
    lex.Fail(Plain<kMsgOnePrefix>());
}

void Statement::AskForAltdByte() {
  CountPrefix();
  altdPending = true;
}

void Statement::DropAltdByte() {
  if (altdPending) {
    altdPending = false;
    return;
  }
  if (instructionStart > 0 && bytes[instructionStart - 1] == kAltdByte) {
    bytes.erase(bytes.begin() + std::ptrdiff_t(instructionStart - 1));
    --instructionStart;
    altdBeforeOpcode = false;
  }
}

AsmReg TakeRegister(Statement &st, bool *primed, bool primeAllowed) {
  const AsmToken &token = st.lex.Current();
  if (token.code != kTokName)
    return AsmReg::kNone;
  const AsmReg reg = FindRegister(token.text);
  if (reg == AsmReg::kNone)
    return reg;
  st.lex.Next();
  if (primed)
    *primed = false;
  if (!st.lex.Is('\''))
    return reg;
  const bool indexAllowed = st.Corvid() && (st.entry->permission & kPermitPrimedIndex);
  if (reg == AsmReg::kI || reg == AsmReg::kR || reg == AsmReg::kSP || (IsIndex(reg) && !indexAllowed) || !primeAllowed)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  // The Z180 has only the alternate af and the exchange of the sets.
  if (!st.Corvid() && reg != AsmReg::kAF)
    st.lex.Fail(Plain<kMsgRegisterNotAllowed>());
  if (primed)
    *primed = true;
  if (st.Corvid())
    st.AskForAltdByte();
  st.lex.Next();
  return reg;
}

AsmReg RequireRegister(Statement &st, bool *primed) {
  const AsmReg reg = TakeRegister(st, primed);
  if (reg == AsmReg::kNone)
    st.lex.Fail(Plain<kMsgRegisterExpected>());
  return reg;
}

void Expect(Statement &st, uint16_t code, PlainMessage message) {
  if (!st.lex.Is(code))
    st.lex.Fail(message);
  st.lex.Next();
}

int32_t ReadDisplacement(Statement &st, bool stackOffset) {
  if (st.lex.Is(')')) {
    st.lex.Next();
    return 0;
  }
  const uint16_t start = st.lex.Current().start;
  const int32_t d = st.eval.EvaluateKnown();
  // A displacement is one byte: anything wider would silently address
  // another object.
  if (stackOffset ? (d < 0 || d > 255) : (d < -128 || d > 127))
    st.lex.FailAt(Plain<kMsgAsmByteRange>(), start);
  Expect(st, ')', Plain<kMsgParamListOpen>());
  return d;
}

MemoryOperand TakeHlOrIndexed(Statement &st) {
  MemoryOperand op;
  if (!st.lex.Is('('))
    return op;
  st.lex.Next();
  const AsmToken &token = st.lex.Current();
  const AsmReg reg = token.code == kTokName ? FindRegister(token.text) : AsmReg::kNone;
  if (reg == AsmReg::kHL) {
    st.lex.Next();
    if (st.lex.Is(')')) {
      st.lex.Next();
      op.form = MemoryOperand::Form::kHl;
      op.base = reg;
      st.memoryOperand = true;
      return op;
    }
    st.lex.Fail(Plain<kMsgParamListOpen>());
  }
  if (IsIndex(reg)) {
    st.lex.Next();
    op.form = MemoryOperand::Form::kIndexed;
    op.base = reg;
    op.displacement = ReadDisplacement(st, false);
    st.memoryOperand = true;
    return op;
  }
  op.form = MemoryOperand::Form::kOther;
  return op;
}

uint8_t EvaluateByte(Statement &st, uint16_t flags, int32_t lowest) {
  const uint16_t start = st.lex.Current().start;
  const OperandValue v = st.eval.Evaluate({st.FieldAddress(), uint16_t(flags | kFixAbsolute8)});
  if (!v.unresolved && (v.value < lowest || v.value > 255))
    st.lex.FailAt(Plain<kMsgAsmByteRange>(), start);
  return uint8_t(v.value);
}

uint16_t EvaluateWord(Statement &st, uint16_t flags, uint8_t opcode, const LcallFixup *lcall) {
  const OperandValue v = st.eval.Evaluate({st.FieldAddress(), flags, opcode, lcall});
  return uint16_t(v.value);
}

// ---- the line -------------------------------------------------------------

void AsmHost::CompileCStatement(std::string_view) { throw xInternal(kModule, __LINE__); }

void SetAsmHost(AsmHost *host) { State().host = host; }
AsmHost &CurrentAsmHost() { return Host(); }

void SelectAsmCpuTables() { State().cpu = CodeGenSetup().cpu == TargetCpu::Corvid ? AsmCpu::kCorvid : AsmCpu::kZ180; }

AsmCpu SelectedAsmCpu() { return State().cpu; }

void AsmError(PlainMessage message) {
  if (const AsmLexer *lexer = State().lexer)
    lexer->Fail(message);
  CompileErrorHere(message);
}

bool NeedsNopBefore(uint8_t opcode) {
  AssemblerState &s = State();
  if (!s.nopPending)
    return false;
  s.nopPending = false;
  switch (opcode) {
  case 0x8E:
  case 0x86:
  case 0xA6:
  case 0xBE:
  case 0xB6:
  case 0x9E:
  case 0x96:
  case 0xAE:
  case 0x35:
  case 0x34: return true;
  default: return (opcode & 0xF8) == 0x70 || (opcode & 0xC7) == 0x46;
  }
}

void StartAssemblerPass() { State().nopPending = false; }

void ResetAssemblerModule() {
  State() = AssemblerState{};
  SetAsmSizeofReader(nullptr);
  SetAsmFrameValues(nullptr);
}

uint16_t AssembleLine(std::string_view line, size_t &position, bool recordPositions, uint16_t firstColumn) {
  AssemblerState &s = State();
  const std::string_view text = line.substr(position);
  const uint16_t column = uint16_t(firstColumn + position);
  AsmLexer lexer(text, s.cpu, column);
  s.lexer = &lexer;
  struct ClearLexer {
    ~ClearLexer() { State().lexer = nullptr; }
  } clearLexer;

  lexer.Next();
  if (lexer.Is(kTokName) && EqualsIgnoringCase(lexer.Current().text, "c")) {
    const std::string_view rest = lexer.Rest();
    position = line.size();
    // The C statement is compiled once, as it stands: no snapshot to go
    // back to, which the language mode tells the code generator.
    struct BackToAssembly {
      ~BackToAssembly() { SourceLanguageMode = kLangAsm; }
    } backToAssembly;
    SourceLanguageMode = kLangCInAsm;
    Host().CompileCStatement(rest);
    return 0;
  }

  Statement st(lexer, s.cpu, CodeAddressNow());
  st.recordPositions = recordPositions;
  // The statement's position is its first token's.
  st.column = uint16_t(column + lexer.Current().start);
  if (lexer.Is(kTokName))
    DefineStatementLabel(st);
  if (!lexer.AtStatementEnd())
    AssembleInstruction(st);
  if (!lexer.AtStatementEnd())
    lexer.Fail(Plain<kMsgNothingCompiled>());

  if (!st.selfEmitted && !st.bytes.empty()) {
    st.RecordPosition();
    for (uint8_t byte : st.bytes)
      EmitCodeByte(byte);
  }
  if (st.ioPrefixed)
    s.nopPending = true;

  if (lexer.Is('$')) {
    position += lexer.Position();
    return position < line.size() ? 1 : 0;
  }
  position = line.size();
  return 0;
}

} // namespace tsw::assembler
