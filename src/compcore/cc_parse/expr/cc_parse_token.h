#pragma once

// The token types come first: the support library's token header needs them.
#include "tokens.h"

#include "AToken.h"

#include <cstdint>
#include <cstdio>

namespace tsw {

// The parser's tokens: they panic by throwing, and each knows its place in
// the token stream, so that the parser can tell a guess it has already made.
class ParserToken : public ANTLRCommonToken {
public:
  ParserToken() : ANTLRCommonToken(ANTLRTokenType(0), "") {}
  void panic(const char *msg) override;
  int printMessage(FILE *, const char *, ...) override { return 0; }
  // Called on the lexer's prototype: the new token takes the next place.
  ANTLRAbstractToken *makeToken(ANTLRTokenType type, ANTLRChar *text, int line) override;
  uint32_t Index() const { return index_; }

private:
  uint32_t index_ = 0;
  uint32_t nextIndex_ = 0;
};

} // namespace tsw
