#pragma once

#include "compcore/cc_gen/asm/asm_tables.h"
#include "foundation/msgcatalog.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The assembler's lexer: one line of an #asm block, read token by token.
// A statement ends at the end of the line, at ";" and at "$", so several
// statements may share a line.
namespace tsw::assembler {

// Token codes. Operator characters are their own code; a mnemonic is its
// class byte (0xC0 and above), so a handler can tell groups apart by token.
enum : uint16_t {
  kTokEnd = 128,
  kTokName = 129,
  kTokNumber = 130,
  kTokString = 131,
  kTokFirstMnemonic = 0xC0,
};

struct AsmToken {
  uint16_t code = kTokEnd;
  // Index of the token's first character in the line.
  uint16_t start = 0;
  int32_t value = 0;
  // A name's spelling, a string's characters (escapes resolved), an
  // operator's characters ("<<" for the shift, "<" alone).
  std::string text;
  const MnemonicEntry *mnemonic = nullptr;
};

// The size in bytes of the C operand that follows "sizeof" in `line` at
// `position`; advances `position` past it. Empty when the operand is no C
// operand. Installed by whoever has the expression compiler.
using SizeofReader = std::function<std::optional<int32_t>(std::string_view line, size_t &position)>;
void SetAsmSizeofReader(SizeofReader reader);

// Fatal assembler error at the token that starts at `start` in the current
// line: the column shown is the token's own (1-based).
[[noreturn]] void AsmErrorAt(PlainMessage message, uint16_t column);

class AsmLexer {
public:
  // `firstColumn` is the source column (0-based) of the line's first
  // character, so errors point into the editor's text.
  AsmLexer(std::string_view line, AsmCpu cpu, uint16_t firstColumn = 0);

  // Reads the next token and makes it current.
  const AsmToken &Next();
  const AsmToken &Current() const { return token_; }
  // The code of the token after the current one, nothing consumed.
  uint16_t Peek();
  bool Is(uint16_t code) const { return token_.code == code; }
  // End of the statement: end of line, ";" or "$".
  bool AtStatementEnd() const { return token_.code == kTokEnd || token_.code == '$'; }

  // Where the next token starts reading; Seek puts the lexer back there
  // (the direct-address operand is read twice) and reads that token.
  size_t Position() const { return position_; }
  void Seek(size_t position);
  std::string_view Line() const { return line_; }
  // The unread rest of the line, after the current token.
  std::string_view Rest() const { return line_.substr(position_); }
  AsmCpu Cpu() const { return cpu_; }

  [[noreturn]] void Fail(PlainMessage message) const;
  // The same at an earlier token.
  [[noreturn]] void FailAt(PlainMessage message, uint16_t tokenStart) const;

private:
  void ReadNumber();
  void ReadName();
  void ReadString();

  std::string_view line_;
  AsmCpu cpu_;
  uint16_t firstColumn_;
  size_t position_ = 0;
  AsmToken token_;
};

} // namespace tsw::assembler
