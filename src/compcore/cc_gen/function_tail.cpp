#include "compcore/cc_gen/function_tail.h"

#include "compcore/cc_gen/byte_sinks.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/internal_labels.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"

#include <algorithm>

namespace tsw {

namespace {

// pop de; ld a,xpc; ld h,a; push hl; inc sp; push de; ljp: the caller's
// page goes under its return address, and the long jump follows with the
// function's address and page.
constexpr uint8_t kFarCallStubT[] = {TemplateHeader(8), 0xD1, 0xED, 0x77, 0x67, 0xE5, 0x33, 0xD5, 0xC7};
constexpr uint16_t kStubLabelFlags = kFixGlobal | kFixBouncer;
// rst 30h: the restart through which every Z180 root bouncer enters the
// universal bouncer.
constexpr uint8_t kOpRst30 = 0xF7;
constexpr uint16_t kRst30Entry = 0x0030;
constexpr char kUniversalBouncer[] = "_b_all";
constexpr uint16_t kStringLabelFlags = kFixLocal;

void EmitFarCallStubs() {
  std::vector<SymbolRecord *> &stubs = StubStack();
  if (CurrentCpu() != TargetCpu::Corvid || !CodeGenSetup().noBouncers) {
    stubs.clear();
    return;
  }
  ADDR24 resume = Caches().currentCode->Current();
  while (!stubs.empty()) {
    SymbolRecord &function = *stubs.back();
    ADDR24 stub = Addr24FromLong(function.secondAddress);
    // A function whose definition made no stub gets its own here, in the
    // root code that follows.
    const bool placedHere = stub.logical == 0;
    if (placedHere)
      stub = resume;
    Caches().currentCode->SetEmitAddress(stub);
    EmitFarCallStub(Addr24FromLong(function.address));
    if (placedHere) {
      function.secondAddress = Addr24ToLong(stub);
      resume = Caches().currentCode->Current();
    }
    DefineLabel(function.name, Addr24ToLong(stub), kStubLabelFlags);
    stubs.pop_back();
  }
  Caches().currentCode->SetEmitAddress(resume);
}

void EmitStrings() {
  StringPool &pool = FunctionStringPool();
  const uint16_t count = std::min<uint16_t>(pool.count, uint16_t(pool.bytes.size()));
  for (const PooledString &string : PooledStrings(pool.bytes.data(), count)) {
    DefineTemporaryLabel(MakeInternalLabel(string.offset), Addr24ToLong(Caches().currentConstant->Current()),
                         kStringLabelFlags);
    // The terminator too, unless the pool ends before it.
    const uint16_t length =
        std::min<uint16_t>(uint16_t(string.length + 1), uint16_t(pool.bytes.size() - string.offset));
    PutBytes(ByteSink::kInitializedData, pool.bytes.data() + string.offset, length);
  }
  pool = {};
}

} // namespace

void EmitFarCallStub(ADDR24 function) {
  EmitCodeSequence(kFarCallStubT);
  EmitWord(function.logical);
  EmitCodeByte(function.segment);
}

StringPool &FunctionStringPool() {
  static StringPool pool;
  return pool;
}

void EmitPendingStubsAndStrings() {
  // Stubs live in root code, which every page sees.
  const ADDR24 from = Caches().currentCode->Current();
  const bool inWindow = Addr24InWindow(from);
  if (inWindow)
    SelectCodeCache(Caches().rootCode->Current());
  EmitFarCallStubs();
  EmitStrings();
  if (inWindow)
    SelectCodeCache(from);
}

void EmitZ180RootBouncer(ADDR24 function) {
  EmitCodeByte(kOpRst30);
  EmitCodeByte(function.segment);
  EmitWord(function.logical);
  uint16_t &bouncer = CodeGenSetup().bouncerRoutine;
  if (bouncer == 0) {
    LookupRoutineSymbol(kUniversalBouncer, kFixGlobal | kFixNoPatch, 0);
    bouncer = kRst30Entry;
  }
}

} // namespace tsw
