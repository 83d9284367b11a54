// Hand-written members of the generated parser and lexer classes.
#include "tokens.h"

#include "CParser.h"
#include "DLGLexer.h"

#include <cstdlib>
#include <vector>

#include <fmt/printf.h>

#include "compcore/cc_parse/expr/cc_parse_panic.h"
#include "compcore/cc_parse/expr/cc_parse_token.h"

namespace {

// Type-specifier groups for combining keywords of one declaration.
constexpr int kStandaloneTypes =
    CParser::kVoid | CParser::kFloat | CParser::kTypedefName | CParser::kStruct | CParser::kEnum | CParser::kUnion;
constexpr int kSizeTypes = CParser::kShort | CParser::kLong;
constexpr int kSignTypes = CParser::kSigned | CParser::kUnsigned;
constexpr int kIntegerSizes = CParser::kShort | CParser::kInt | CParser::kLong;

bool Incompatible(int have, int add) {
  return (have & add) || (have & kStandaloneTypes) || (add & kStandaloneTypes) ||
         ((have & kSizeTypes) && (add & kSizeTypes)) || ((have & CParser::kDouble) && add != CParser::kLong) ||
         (add == CParser::kDouble && have != CParser::kLong) || ((have & kSignTypes) && (add & kSignTypes)) ||
         ((have & CParser::kChar) && (add & kIntegerSizes)) || ((have & kIntegerSizes) && (add & CParser::kChar));
}

} // namespace

void CParser::init() {
  ANTLRParser::init();
  suppressScopeDump_ = false;
  openGuesses_.clear();
  failedGuesses_.clear();
  knownUnaries_.clear();
}

uint32_t CParser::tokenPlace() {
  const auto *token = dynamic_cast<const tsw::ParserToken *>(LT(1));
  return token ? token->Index() : 0;
}

bool CParser::passKnownUnary(uint32_t start) {
  auto known = knownUnaries_.find(start);
  if (known == knownUnaries_.end())
    return false;
  while (tokenPlace() < known->second && LA(1) != Eof)
    consume();
  return true;
}

void CParser::guessStarted(const char *rule, int seq, int failed) {
  if (failed) {
    auto open = openGuesses_.find(seq);
    if (open != openGuesses_.end())
      failedGuesses_.insert(open->second);
    return;
  }
  const auto *token = dynamic_cast<const tsw::ParserToken *>(LT(1));
  if (!token)
    return;
  GuessSite site{rule, token->Index()};
  openGuesses_[seq] = site;
  if (failedGuesses_.count(site))
    guess_fail();
}

void CParser::panic(const char *msg) { tsw::ParserPanic(msg); }

int CParser::printMessage(FILE *stream, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int n = printMessageV(stream, format, args);
  va_end(args);
  return n;
}

int CParser::printMessageV(FILE *, const char *format, va_list args) {
  if (!output_)
    return 0;
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0)
    return n;
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  output_->write(text.data());
  return n;
}

int CParser::combineTypeSpecifiers(int accumulated, int bits, ANTLRTokenPtr tok) {
  if (accumulated == 0)
    return bits;
  if (Incompatible(accumulated, bits)) {
    syntaxError("multiple incompatible type specifiers", tok);
    return accumulated;
  }
  return accumulated | bits;
}

int CParser::addQualifier(int accumulated, int bit, ANTLRTokenPtr tok) {
  if (accumulated & bit) {
    syntaxError("multiple type qualifier", tok);
    return accumulated;
  }
  return accumulated | bit;
}

void CParser::syntaxError(const char *msg, ANTLRTokenPtr tok) {
  printMessage(stderr, "line %d: %s before '%s'\n", tok->getLine(), msg, tok->getText());
  ++syntaxErrCount;
}

void CParser::setDeclarationSpecifiers(int storage, int quals, int types) {
  storageClass_ = static_cast<uint32_t>(storage);
  qualifiers_ = static_cast<uint32_t>(quals);
  typeSpecifiers_ = static_cast<uint32_t>(types);
  hooks_->setDeclarationSpecifiers(storageClass_, qualifiers_, typeSpecifiers_);
}

void CParser::setPointerQualifiers(int quals) {
  qualifiers_ = static_cast<uint32_t>(quals);
  hooks_->setPointerQualifiers(qualifiers_);
}

void CParser::endFunctionParameters() {
  if (!suppressScopeDump_)
    printMessage(stderr, "parameter scope:\n");
  hooks_->endFunctionParameters();
}

void DLGLexer::panic(const char *msg) {
  if (ANTLRParser *p = getParser())
    p->panic(msg);
  tsw::ParserPanic(msg);
}

char DLGLexer::escapeValue(int base) {
  // The match starts at the backslash; base 16 accepts the "0x" after it.
  return static_cast<char>(std::strtol(begexpr() + 1, nullptr, base) & 0xFF);
}

void DLGLexer::setLineFromDirective() { _line = static_cast<int>(std::strtol(begexpr() + 1, nullptr, 10)); }
