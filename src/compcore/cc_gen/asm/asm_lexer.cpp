#include "compcore/cc_gen/asm/asm_lexer.h"

#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"

#include <cctype>
#include <cstdlib>

namespace tsw::assembler {
namespace {

SizeofReader &InstalledSizeofReader() {
  static SizeofReader reader;
  return reader;
}

bool IsNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == '@' || c >= 0x80; }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || std::isdigit(c); }

// Characters that stand for themselves: operators, punctuation and the
// statement separator.
constexpr const char *kTextBadSizeof = "Bad input to sizeof in asm code";

constexpr std::string_view kOperatorChars = "+-*/%&|^~<>()[],:'`$=!#";

bool AllDigitsOf(std::string_view digits, int base) {
  if (digits.empty())
    return false;
  for (char c : digits) {
    const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : std::isxdigit(static_cast<unsigned char>(c))
                      ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                      : 99;
    if (v >= base)
      return false;
  }
  return true;
}

std::optional<uint32_t> ParseDigits(std::string_view digits, int base) {
  if (!AllDigitsOf(digits, base))
    return std::nullopt;
  return static_cast<uint32_t>(std::strtoul(std::string(digits).c_str(), nullptr, base));
}

// The spelling of a number: "0x" prefix or "h" suffix hexadecimal, "b"
// suffix binary, otherwise C's rules (a leading 0 is octal).
std::optional<uint32_t> ParseNumberText(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return ParseDigits(text.substr(2), 16);
  const char last = text.back();
  if (text.size() > 1 && (last == 'h' || last == 'H'))
    return ParseDigits(text.substr(0, text.size() - 1), 16);
  if (text.size() > 1 && (last == 'b' || last == 'B'))
    if (auto binary = ParseDigits(text.substr(0, text.size() - 1), 2))
      return binary;
  if (text.size() > 1 && text[0] == '0')
    return ParseDigits(text.substr(1), 8);
  return ParseDigits(text, 10);
}

} // namespace

void SetAsmSizeofReader(SizeofReader reader) { InstalledSizeofReader() = std::move(reader); }

void AsmErrorAt(PlainMessage message, uint16_t column) {
  CompileErrorAt(CurrentSourceLine(), static_cast<uint16_t>(column + 1), message);
}

AsmLexer::AsmLexer(std::string_view line, AsmCpu cpu, uint16_t firstColumn)
    : line_(line), cpu_(cpu), firstColumn_(firstColumn) {}

void AsmLexer::Fail(PlainMessage message) const {
  AsmErrorAt(message, static_cast<uint16_t>(firstColumn_ + token_.start));
}

void AsmLexer::FailAt(PlainMessage message, uint16_t tokenStart) const {
  AsmErrorAt(message, static_cast<uint16_t>(firstColumn_ + tokenStart));
}

uint16_t AsmLexer::Peek() {
  const size_t position = position_;
  const AsmToken current = token_;
  const uint16_t code = Next().code;
  position_ = position;
  token_ = current;
  return code;
}

void AsmLexer::Seek(size_t position) {
  position_ = position;
  Next();
}

const AsmToken &AsmLexer::Next() {
  while (position_ < line_.size() && (line_[position_] == ' ' || line_[position_] == '\t'))
    ++position_;
  token_ = AsmToken{};
  token_.start = static_cast<uint16_t>(position_);
  if (position_ >= line_.size() || line_[position_] == ';' || line_[position_] == '\n' || line_[position_] == '\r') {
    token_.code = kTokEnd;
    return token_;
  }
  const unsigned char c = static_cast<unsigned char>(line_[position_]);
  if (std::isdigit(c))
    ReadNumber();
  else if (IsNameStart(c))
    ReadName();
  else if (c == '"')
    ReadString();
  else if (kOperatorChars.find(static_cast<char>(c)) != std::string_view::npos) {
    token_.code = c;
    token_.text = std::string(1, static_cast<char>(c));
    ++position_;
    // The shifts are two characters; one alone is reported by the evaluator.
    if ((c == '<' || c == '>') && position_ < line_.size() && line_[position_] == static_cast<char>(c)) {
      token_.text += static_cast<char>(c);
      ++position_;
    }
  } else {
    Fail(Plain<kMsgInvalidCharacter>());
  }
  return token_;
}

void AsmLexer::ReadNumber() {
  size_t end = position_;
  while (end < line_.size() && std::isalnum(static_cast<unsigned char>(line_[end])))
    ++end;
  std::string_view text = line_.substr(position_, end - position_);
  position_ = end;
  token_.code = kTokNumber;
  token_.text = std::string(text);
  if (text.size() > 1 && (text.back() == 'L' || text.back() == 'l')) {
    CompileWarningTrivial<kMsgDemotion>();
    text.remove_suffix(1);
  }
  const std::optional<uint32_t> value = ParseNumberText(text);
  if (!value)
    Fail(Plain<kMsgInvalidCharacter>());
  token_.value = static_cast<int32_t>(*value);
}

void AsmLexer::ReadName() {
  size_t end = position_;
  while (end < line_.size() && IsNameChar(static_cast<unsigned char>(line_[end])))
    ++end;
  token_.text = std::string(line_.substr(position_, end - position_));
  position_ = end;
  if (token_.text == "sizeof") {
    std::optional<int32_t> size;
    if (const SizeofReader &reader = InstalledSizeofReader())
      size = reader(line_, position_);
    if (!size)
      RaiseFatal(0, CurrentSourceLine(), static_cast<uint16_t>(firstColumn_ + token_.start + 1), kTextBadSizeof);
    token_.code = kTokNumber;
    token_.value = *size;
    return;
  }
  token_.mnemonic = FindMnemonic(cpu_, token_.text);
  token_.code = token_.mnemonic ? uint16_t{token_.mnemonic->mnemonicClass} : uint16_t{kTokName};
}

void AsmLexer::ReadString() {
  ++position_;
  token_.code = kTokString;
  while (position_ < line_.size() && line_[position_] != '"') {
    char c = line_[position_++];
    if (c == '\\' && position_ < line_.size()) {
      c = line_[position_++];
      switch (c) {
      case 'n': c = '\n'; break;
      case 't': c = '\t'; break;
      case 'r': c = '\r'; break;
      case '0': c = '\0'; break;
      default: break; // "\\", "\"" and any other character stand for themselves
      }
    }
    token_.text += c;
  }
  if (position_ >= line_.size())
    Fail(Plain<kMsgStringNotClosed>());
  ++position_;
}

} // namespace tsw::assembler
