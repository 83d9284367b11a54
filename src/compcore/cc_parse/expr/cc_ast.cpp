#include "compcore/cc_parse/expr/cc_ast.h"

#include <cstdarg>

#include "compcore/cc_parse/expr/cc_parse_panic.h"

namespace tsw {
namespace {
AstArena *currentArena = nullptr;
} // namespace

AstArena::~AstArena() { Clear(); }

void AstArena::Clear() {
  for (AST *node : nodes_)
    delete node;
  nodes_.clear();
}

AstArena::Installed::Installed(AstArena &arena) : previous_(currentArena) { currentArena = &arena; }

AstArena::Installed::~Installed() { currentArena = previous_; }

void AstArena::Adopt(AST *node) {
  if (!currentArena)
    ParserPanic("tree node made outside a parse");
  currentArena->nodes_.push_back(node);
}

} // namespace tsw

AST::AST(ANTLRTokenPtr t, uint8_t flag) : token(t), rootFlag(flag) {
  tsw::AstArena::Adopt(this);
}

void AST::panic(const char *msg) { tsw::ParserPanic(msg); }

// Nodes never print: the tree is read by the walker, not dumped.
int AST::printMessage(FILE *, const char *, ...) { return 0; }
