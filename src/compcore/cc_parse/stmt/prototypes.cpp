#include "compcore/cc_parse/stmt/prototypes.h"

#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"

#include <vector>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_parse";
constexpr uint32_t kPoolFullLine = 158;
// Type codes below this one travel in a word, the long ones up to the next.
constexpr uint8_t kFirstLongType = 4;
constexpr uint8_t kFirstOtherType = 6;

struct Pool {
  // Entry 0 stays unused: a symbol's offset 0 means it has no list.
  std::vector<PrototypeEntry> entries = std::vector<PrototypeEntry>(1);
  // Where the BIOS's lists end, once a program compile follows it.
  size_t biosEnd = 1;
  bool biosCompiled = false;
};

Pool &State() {
  static Pool pool;
  return pool;
}

uint8_t PassingKind(const SymbolRecord &parameter) {
  const uint32_t outer = OutermostLevel(parameter.declarator);
  if (outer == kLevelPointer || outer == kLevelArray || parameter.type < kFirstLongType)
    return kPassedAsWord;
  if (parameter.type < kFirstOtherType)
    return kPassedAsLong;
  return kPassedOtherwise;
}

void Append(const PrototypeEntry &entry) {
  std::vector<PrototypeEntry> &entries = State().entries;
  if (entries.size() >= kPrototypePoolEntries) {
    CompileError<kMsgPrototypePoolFull>();
    throw xCCErrOvflo(kModule, kPoolFullLine);
  }
  entries.push_back(entry);
}

// The parameters of the function being declared, in declaration order.
std::vector<const SymbolRecord *> Parameters() {
  std::vector<const SymbolRecord *> parameters;
  ForEachSymbolRecord(SymbolTableId::kLocal, [&](const SymbolRecord &symbol) {
    if (symbol.kind == kClassAutoLocal || symbol.kind == kClassStaticLocal || symbol.kind == kClassParameterArea)
      parameters.push_back(&symbol);
    return false;
  });
  return parameters;
}

} // namespace

const PrototypeEntry *PrototypeOf(const SymbolRecord &function) {
  return function.prototypeOffset == 0 ? nullptr : &State().entries[function.prototypeOffset];
}

int CheckPrototype(int count, SymbolRecord &function, bool hasBody, bool variableArguments, bool firstTime) {
  if (count < 1)
    return 0;
  std::vector<const SymbolRecord *> parameters = Parameters();
  // A firsttime function's definition receives its first argument from
  // the caller's own frame: it is not part of the prototype.
  if (hasBody && firstTime && !parameters.empty())
    parameters.erase(parameters.begin());
  const uint8_t end = variableArguments ? kListEndsWithEllipsis : kListEnds;
  if (function.prototypeOffset == 0) {
    const uint16_t start = uint16_t(State().entries.size());
    for (const SymbolRecord *parameter : parameters)
      Append({PassingKind(*parameter), parameter->type, parameter->declarator});
    Append({end, 0, 0});
    function.prototypeOffset = start;
    return 0;
  }
  size_t at = function.prototypeOffset;
  int number = 0;
  for (const SymbolRecord *parameter : parameters) {
    ++number;
    const PrototypeEntry entry = State().entries[at];
    // The prototype's "..." takes whatever the definition adds.
    if (entry.kind == kListEndsWithEllipsis && hasBody)
      return 0;
    if (entry.kind == kListEnds || entry.kind == kListEndsWithEllipsis) {
      CompileError<kMsgParameterCount>();
      return 1;
    }
    if (entry.type != parameter->type || entry.declarator != parameter->declarator)
      CompileError<kMsgPrototypeMismatch>(number);
    ++at;
  }
  if (State().entries[at].kind != end)
    CompileError<kMsgParameterCount>();
  return 0;
}

void StartPrototypesForCompile(bool biosCompile) {
  Pool &pool = State();
  if (biosCompile) {
    pool = Pool{};
    pool.biosCompiled = true;
    return;
  }
  if (pool.biosCompiled) {
    pool.biosEnd = pool.entries.size();
    pool.biosCompiled = false;
  }
  pool.entries.resize(pool.biosEnd);
}

void ResetPrototypePool() { State() = Pool{}; }

} // namespace tsw
