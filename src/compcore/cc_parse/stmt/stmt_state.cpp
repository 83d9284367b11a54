#include "compcore/cc_parse/stmt/stmt_state.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/emit_cache.h"

#include <vector>

namespace tsw {
namespace {

struct Saved {
  FunctionStatementState state;
  std::vector<FunctionStatementState> points;
};

Saved &Module() {
  static Saved saved;
  return saved;
}

} // namespace

FunctionStatementState &StatementState() { return Module().state; }

ADDR24 CurrentCodeAddress() {
  EmitCache *code = Caches().currentCode;
  return code ? code->Current() : ADDR24{};
}

void ResetStatementState() { Module().state = FunctionStatementState{}; }

void RegisterStatementState() {
  Module().points.clear();
  RegisterCodeStateParticipant({CodeStateSide::kStatement,
                                [] { Module().points.push_back(Module().state); },
                                [] {
                                  if (!Module().points.empty())
                                    Module().state = Module().points.back();
                                },
                                [] {
                                  if (!Module().points.empty())
                                    Module().points.pop_back();
                                }});
}

} // namespace tsw
