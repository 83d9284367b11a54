#include "compcore/cc_parse/expr/expr_call.h"

#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include <string>

namespace tsw {

namespace {

// Pseudo functions the run-time support handles by name only: a call of
// either stands for no code. Compared on this many characters, so
// "FPUSHx" is one too.
constexpr std::string_view kPseudoPush = "FPUSH";
constexpr std::string_view kPseudoNull = "FNULL";
constexpr size_t kPseudoCompareLength = 5;

// The call's operand follows its one-byte opcode; the fixup captures the
// opcode so the call can be emitted again once the function is placed.
constexpr int32_t kOperandAfterOpcode = 1;
constexpr uint16_t kCallFixupFlags = kFixCaptureOpcode | kFixGlobal;

bool IsPseudoFunction(std::string_view name) {
  const std::string_view head = name.substr(0, kPseudoCompareLength);
  return head == kPseudoPush || head == kPseudoNull;
}

// Kinds that name a function symbol, called by its name.
bool NamesFunctionSymbol(const ValueRecord &callee) {
  return callee.symbol &&
         (callee.storage == kStorageGlobal || callee.storage == kStorageStatic || callee.storage == kStorageExtern);
}

// The argument list up to and including its ')'.
void CompileArgumentList() {
  ConsumeChar();
  if (SkipToOperand() != ')') {
    ValueRecord argument;
    CompileExpressionList(argument);
  }
  ExpectChar(')');
}

// The result: what the function returns, in the value register.
void MakeCallResult(ValueRecord &callee) {
  if (callee.Level() == kLevelFunction)
    callee.declarator = RemoveLevel(callee.declarator);
  callee.storage = kStoragePrimary;
  callee.SetLvalue(false);
  callee.wasLvalue = 0;
  callee.value = 0;
}

} // namespace

void EmitDirectCall(std::string_view name, bool &pseudo, uint16_t &pushed, ADDR24 known) {
  (void)pushed;
  pseudo = IsPseudoFunction(name);
  if (pseudo)
    return;
  FlushPrimaryRegister();
  const ADDR24 bios = LookupBiosSymbol(name, ADDR24{});
  CodeGen().MapCallsFunction(name);
  const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  ADDR24 target = bios;
  if (Addr24ToLong(target) == 0)
    target = known;
  if (Addr24ToLong(target) == 0) {
    const ADDR24 patch = Addr24Add(Caches().currentCode->Current(), kOperandAfterOpcode);
    target = Addr24FromLong(ReferenceLabel(name, Addr24ToLong(patch), kCallFixupFlags, 0, kOpCall));
  }
  EmitCallToAddr24(target, kOpCall, symbol);
}

void CompileFunctionCall(ValueRecord &callee) {
  Walk().needsCode = true;
  FlushPrimaryRegister();
  CompileArgumentList();
  uint16_t pushed = 0;
  if (NamesFunctionSymbol(callee)) {
    bool pseudo = false;
    const std::string name(callee.symbol->name, callee.symbol->nameLength);
    EmitDirectCall(name, pseudo, pushed, Addr24FromLong(callee.symbol->address));
  } else {
    CompileError<kMsgUncallable>();
  }
  MakeCallResult(callee);
}

} // namespace tsw
