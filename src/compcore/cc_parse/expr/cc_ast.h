#pragma once

// The syntax-tree node of the generated parser. It lives outside namespace
// tsw because the generated code names it "AST".
#include "pcctscfg.h"
#include "tokens.h"
#include "AToken.h"
#include "ATokPtr.h"
#include "ASTBase.h"

#include <cstdint>
#include <vector>

class AST : public ASTDoublyLinkedBase {
public:
  ANTLRTokenPtr token;
  uint8_t rootFlag;

  explicit AST(ANTLRTokenPtr t, uint8_t flag = 0);
  ~AST() override = default;
  void preorder_action(void *) override {}
  void panic(const char *msg) override;
  int printMessage(FILE *stream, const char *format, ...) override;

  int type() { return token->getType(); }
  const char *text() { return token->getText(); }
  AST *firstChild() { return static_cast<AST *>(down()); }
  AST *nextSibling() { return static_cast<AST *>(right()); }
};

namespace tsw {

// Owns every node made while it is installed. The generated rules drop the
// nodes of a sub-rule that fails, and most statements fail this grammar on
// purpose, so nodes are freed here and never through the tree links.
class AstArena {
public:
  AstArena() = default;
  ~AstArena();
  AstArena(const AstArena &) = delete;
  AstArena &operator=(const AstArena &) = delete;

  // Installs the arena for one parse; the one installed before comes back
  // on every way out, so a parse nested in another adopts into its own.
  class Installed {
  public:
    explicit Installed(AstArena &arena);
    ~Installed();
    Installed(const Installed &) = delete;
    Installed &operator=(const Installed &) = delete;

  private:
    AstArena *previous_;
  };

  static void Adopt(AST *node);
  // Frees every node, for an arena kept from one parse to the next.
  void Clear();
  size_t Size() const { return nodes_.size(); }

private:
  std::vector<AST *> nodes_;
};

} // namespace tsw
