#include "compcore/cc_parse/expr/cc_parse_box.h"

// The token types come before the generated and support headers.
#include "tokens.h"

#include "ATokenBuffer.h"
#include "CParser.h"
#include "DLGLexer.h"

#include "compcore/cc_parse/expr/cc_parse_panic.h"
#include "compcore/cc_parse/expr/cc_parse_token.h"

#include <algorithm>

namespace tsw {
namespace {
constexpr int kLexerBufferSize = 2000;
constexpr int kTokenBufferLookahead = 1;
constexpr int kTokenChunkSize = 50;
const char kEmptyInput[] = "";
// Brackets nest no deeper than this in one expression: each level costs the
// generated parser a dozen rule frames on the stack.
constexpr int kMaxExpressionNesting = 256;

// The deepest nesting of "(" and "[" in `text`, literals left out.
int BracketDepth(const char *text) {
  int depth = 0, deepest = 0;
  for (const char *p = text; *p; ++p) {
    if (*p == '"' || *p == '\'') {
      const char quote = *p;
      while (p[1] && p[1] != quote)
        p += p[1] == '\\' && p[2] ? 2 : 1;
      if (p[1])
        ++p;
    } else if (*p == '(' || *p == '[') {
      deepest = std::max(deepest, ++depth);
    } else if ((*p == ')' || *p == ']') && depth) {
      --depth;
    }
  }
  return deepest;
}
} // namespace

// The parser's token buffer: it owns its tokens and panics by throwing.
class CTokenBuffer : public ANTLRTokenBuffer {
public:
  explicit CTokenBuffer(ANTLRTokenStream *in) : ANTLRTokenBuffer(in, kTokenBufferLookahead, kTokenChunkSize) {
    garbageCollectTokens();
  }
  void panic(const char *msg) override { ParserPanic(msg); }
  int printMessage(FILE *, const char *, ...) override { return 0; }
};


StringParserBlackBox::StringParserBlackBox(ParserHooks &hooks, ParserOutput *output)
    : hooks_(hooks), output_(output), input_(std::make_unique<DLGStringInput>(kEmptyInput)),
      lexer_(std::make_unique<DLGLexer>(input_.get(), kLexerBufferSize)),
      tokenBuffer_(std::make_unique<CTokenBuffer>(lexer_.get())), prototype_(std::make_unique<ParserToken>()),
      parser_(std::make_unique<CParser>(tokenBuffer_.get())) {
  lexer_->setToken(prototype_.get());
  lexer_->setParser(parser_.get());
  parser_->connect(hooks, output);
}

StringParserBlackBox::~StringParserBlackBox() {
  input_.reset();
  lexer_.reset();
  tokenBuffer_.reset();
  parser_.reset();
  prototype_.reset();
}

void StringParserBlackBox::ResetParserInput(const char *text) {
  input_->DLGStringReset(text);
  lexer_->reset();
  // The token buffer keeps what it read ahead of a failed parse (its end
  // token among them): a fresh one starts on the new text.
  parser_.reset();
  tokenBuffer_ = std::make_unique<CTokenBuffer>(lexer_.get());
  parser_ = std::make_unique<CParser>(tokenBuffer_.get());
  lexer_->setParser(parser_.get());
  parser_->connect(hooks_, output_);
  parser_->init();
}

AST *StringParserBlackBox::RunExpressionParser(const char *text) {
  parser_->clearSyntaxErrors();
  if (BracketDepth(text) > kMaxExpressionNesting)
    return nullptr;
  ResetParserInput(text);
  ASTBase *root = nullptr;
  int signal = 0;
  parser_->expression(&root, &signal);
  if (parser_->syntaxErrors() > 0 || signal != 0 || !root)
    return nullptr;
  auto *tree = static_cast<AST *>(root);
  tree->double_link(nullptr, nullptr);
  tree->rootFlag = 1;
  return tree;
}

} // namespace tsw
