#pragma once

#include <memory>

#include "compcore/cc_parse/expr/cc_ast.h"
#include "compcore/cc_parse/expr/cc_parse_hooks.h"

class ANTLRCommonToken;
class CParser;
class DLGLexer;
class DLGStringInput;

namespace tsw {

class CTokenBuffer;

// Everything one expression parse needs, built together and released
// together, also when a diagnostic throws through the compile. The tree a
// parse returns belongs to the box: it is valid until the box parses again,
// releases it or goes. A box may serve one parse after another.
class StringParserBlackBox {
public:
  explicit StringParserBlackBox(ParserHooks &hooks, ParserOutput *output = nullptr);
  ~StringParserBlackBox();
  StringParserBlackBox(const StringParserBlackBox &) = delete;
  StringParserBlackBox &operator=(const StringParserBlackBox &) = delete;

  // Parses `text` (an expression list closed by ")") and returns the root
  // of its doubly linked tree, or nullptr when the parse counted an error.
  // `text` must outlive the box's use of it.
  AST *RunExpressionParser(const char *text);
  // Frees the nodes of the last parse.
  void ReleaseTree();

  CParser &parser() { return *parser_; }
  DLGLexer &lexer() { return *lexer_; }
  size_t nodeCount() const { return arena_.Size(); }

private:
  void ResetParserInput(const char *text);

  ParserHooks &hooks_;
  ParserOutput *output_;
  AstArena arena_;
  std::unique_ptr<DLGStringInput> input_;
  std::unique_ptr<DLGLexer> lexer_;
  std::unique_ptr<CTokenBuffer> tokenBuffer_;
  std::unique_ptr<ANTLRCommonToken> prototype_;
  std::unique_ptr<CParser> parser_;
};

} // namespace tsw
