#include "compcore/cc_parse/expr/cc_parse_token.h"

#include "compcore/cc_parse/expr/cc_parse_panic.h"

namespace tsw {

void ParserToken::panic(const char *msg) { ParserPanic(msg); }

ANTLRAbstractToken *ParserToken::makeToken(ANTLRTokenType type, ANTLRChar *text, int line) {
  auto *token = new ParserToken;
  token->setType(type);
  token->setText(text);
  token->setLine(line);
  token->index_ = nextIndex_++;
  return token;
}

} // namespace tsw
