#include "compcore/cc_parse/expr/cc_parse_box.h"

// The token types come before the generated and support headers.
#include "tokens.h"

#include "ATokenBuffer.h"
#include "CParser.h"
#include "DLGLexer.h"

#include "compcore/cc_parse/expr/cc_parse_panic.h"
#include "compcore/cc_parse/expr/cc_parse_token.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace tsw {
namespace {
constexpr int kLexerBufferSize = 2000;
constexpr int kTokenBufferLookahead = 1;
constexpr int kTokenChunkSize = 50;
const char kEmptyInput[] = "";
// The parser recurses for every bracket, prefix operator, assignment and
// conditional it nests; each level costs the generated parser several rule
// frames on the stack, so nesting deeper than this is refused.
constexpr int kMaxExpressionNesting = 256;

bool StartsWith(const char *p, const char *text) { return std::strncmp(p, text, std::strlen(text)) == 0; }

// Operators by length, longest first, so that "<<=" is not read as "<".
constexpr const char *kAssignments[] = {"<<=", ">>=", "*=", "/=", "%=", "+=", "-=", "&=", "^=", "|="};
constexpr const char *kOtherOperators[] = {"...", "<<", ">>", "==", "!=", "<=", ">=", "&&", "||", "->"};
constexpr const char *kIncrements[] = {"++", "--"};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// How deep the parser will recurse on `text`, counted from the text alone
// (literals left out): a bracket nests what it holds; a prefix operator
// nests until its operand's expression goes on with a binary operator; an
// assignment or a "?" nests the rest of its list element.
int ExpressionNestingDepth(const char *text) {
  struct Level {
    int base;      // the depth where this bracket's elements start
    int current;   // grows with assignments and conditionals
    int prefixRun; // prefix operators waiting for their operand to end
  };
  std::vector<Level> levels{{0, 0, 0}};
  int deepest = 0;
  bool operandBefore = false;
  auto deepen = [&](int by) {
    Level &l = levels.back();
    l.current += by;
    deepest = std::max(deepest, l.current + l.prefixRun);
  };
  for (const char *p = text; *p;) {
    Level &l = levels.back();
    const char c = *p;
    if (c == '"' || c == '\'') {
      while (p[1] && p[1] != c)
        p += p[1] == '\\' && p[2] ? 2 : 1;
      p += p[1] ? 2 : 1;
      operandBefore = true;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++p;
    } else if (IsWordChar(c)) {
      const char *start = p;
      while (IsWordChar(*p))
        ++p;
      const bool isSizeof = p - start == 6 && StartsWith(start, "sizeof");
      if (isSizeof) {
        ++l.prefixRun;
        deepen(0);
      }
      operandBefore = !isSizeof;
    } else if (c == '(' || c == '[') {
      const int depth = l.current + l.prefixRun + 1;
      levels.push_back({depth, depth, 0});
      deepest = std::max(deepest, depth);
      operandBefore = false;
      ++p;
    } else if (c == ')' || c == ']') {
      if (levels.size() > 1)
        levels.pop_back();
      operandBefore = true;
      ++p;
    } else if (c == ',') {
      l.current = l.base;
      l.prefixRun = 0;
      operandBefore = false;
      ++p;
    } else {
      const char *matched = nullptr;
      for (const char *op : kAssignments)
        if (!matched && StartsWith(p, op))
          matched = op;
      bool assignment = matched != nullptr || (c == '=' && p[1] != '=');
      for (const char *op : kOtherOperators)
        if (!matched && StartsWith(p, op))
          matched = op;
      bool increment = false;
      for (const char *op : kIncrements)
        if (!matched && StartsWith(p, op)) {
          matched = op;
          increment = true;
        }
      p += matched ? std::strlen(matched) : 1;
      if (assignment || c == '?') {
        l.prefixRun = 0;
        deepen(1);
        operandBefore = false;
      } else if (increment && operandBefore) {
        // a postfix operator: the operand goes on
      } else if (!operandBefore && (increment || std::strchr("!~*&+-", c))) {
        ++l.prefixRun;
        deepen(0);
      } else {
        // a binary operator ends the operands of the prefix operators
        l.prefixRun = 0;
        operandBefore = false;
      }
    }
  }
  return deepest;
}
// The characters the scan below reads as the lexer does: the starts of
// names, numbers and operators, and blanks.
bool IsPlainTextChar(char c) {
  return IsWordChar(c) || std::isspace(static_cast<unsigned char>(c)) || std::strchr("[]()?:,=*/%+-<>|^&!~", c);
}

// Whether the start rule can match `text` at all: it ends on the ")" that
// closes the list, and outside braces no rule takes a ";". Most statements
// fail this before a single token is made. Where the text holds anything
// the scan does not read as the lexer would (a brace, a comment, a
// character constant, a directive, a character no token starts with), the
// parser is left to decide.
bool MayCloseTheList(const char *text) {
  int open = 0;
  for (const char *p = text; *p; ++p) {
    const char c = *p;
    if (c == '"') {
      while (p[1] && p[1] != '"')
        p += p[1] == '\\' && p[2] ? 2 : 1;
      if (!p[1])
        return false;
      ++p;
    } else if (c == '(') {
      ++open;
    } else if (c == ')') {
      if (open == 0)
        return true;
      --open;
    } else if (c == ';') {
      return false;
    } else if ((c == '/' && p[1] == '*') || !IsPlainTextChar(c)) {
      return true;
    }
  }
  return false;
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
  arena_.Clear();
  if (!MayCloseTheList(text) || ExpressionNestingDepth(text) > kMaxExpressionNesting) {
    parser_->countRefusedText();
    return nullptr;
  }
  AstArena::Installed installed(arena_);
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

void StringParserBlackBox::ReleaseTree() { arena_.Clear(); }

} // namespace tsw
