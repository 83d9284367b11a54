#include "compcore/cc_parse/expr/expr_literals.h"

#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/msgnumbers.h"

#include <cstdlib>
#include <string>

namespace tsw {

namespace {

// The decimal text of a floating constant is converted from a buffer of
// this size; a longer one cannot be converted faithfully.
constexpr size_t kNumericTextBytes = 32;
constexpr long double kFloatMagnitudeLimit = 3e38L;
constexpr long double kFloatNegativeLimit = -3e-38L;
constexpr int kOctalShift = 3;
constexpr int kHexShift = 4;
constexpr uint32_t kDecimalBase = 10;
constexpr uint32_t kHighHalfSignBit = 0x8000;
constexpr uint32_t kIntMax = 0x7FFF;
constexpr int kMaxOctalEscapeDigits = 4;
constexpr int kMaxHexEscapeDigits = 2;
constexpr int kHexLetterOffset = 'A' - 10;

// Consumes the character at the cursor as program text: the bracket tracker
// sees it (it ignores it while a literal is read) and the column moves on.
char Consume() {
  const char c = *InputCursor;
  TrackBracketHook(c, CurrentSourceLine(), CurrentSourceColumn());
  ++InputColumn;
  ++InputCursor;
  return c;
}

// Brackets inside a character constant are not program text.
class LiteralMode {
public:
  LiteralMode() : saved_(BracketTrackingDisabled()) { BracketTrackingDisabled() = true; }
  ~LiteralMode() { BracketTrackingDisabled() = saved_; }
  LiteralMode(const LiteralMode &) = delete;
  LiteralMode &operator=(const LiteralMode &) = delete;

private:
  bool saved_;
};

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }
bool IsBinaryDigit(char c) { return c == '0' || c == '1'; }

void AppendDigits(std::string &text) {
  while (IsDigitChar(*InputCursor))
    text += Consume();
}

uint16_t HighHalf(uint32_t n) { return uint16_t(n >> 16); }

// The type of an integer constant without suffix.
uint8_t PlainIntegerType(uint32_t n, bool octalOrHex) {
  if (HighHalf(n) == 0 && (n & 0xFFFF) <= kIntMax)
    return kTypeInt;
  if (octalOrHex && HighHalf(n) == 0)
    return kTypeUnsigned;
  return HighHalf(n) < kHighHalfSignBit ? kTypeLong : kTypeUnsignedLong;
}

// The fraction and exponent after the integer digits already in `text`.
void CompileFloatingPart(ValueRecord &value, std::string text) {
  if (*InputCursor == '.') {
    text += Consume();
    AppendDigits(text);
  }
  if (ToUpperAscii(*InputCursor) == 'E') {
    text += Consume();
    const char c = *InputCursor;
    if (c == '+' || c == '-' || IsDigitChar(c)) {
      text += Consume();
      AppendDigits(text);
    }
  }
  long double number = 0;
  bool fits = text.size() < kNumericTextBytes;
  if (fits) {
    number = std::strtold(text.c_str(), nullptr);
    fits = number <= kFloatMagnitudeLimit && number >= kFloatNegativeLimit;
  }
  if (!fits) {
    CompileError<kMsgFloatOutOfRange>();
    number = 0;
  }
  value = MakeFloatConstantValue(float(number));
}

int16_t OctalEscape(char first) {
  uint8_t n = uint8_t(first - '0');
  for (int digits = 1; digits < kMaxOctalEscapeDigits && IsDigitChar(*InputCursor); ++digits) {
    if (!IsOctalDigit(*InputCursor))
      CompileError<kMsgBadOctalDigit>();
    n = uint8_t(n * 8 + (Consume() - '0'));
  }
  return int8_t(n);
}

int16_t HexEscape(char x) {
  if (!IsHexDigitChar(*InputCursor)) {
    CompileError<kMsgBadHexEscape>();
    return x;
  }
  uint8_t n = 0;
  for (int digits = 0; digits < kMaxHexEscapeDigits && IsHexDigitChar(*InputCursor); ++digits)
    n = uint8_t(n * 16 + HexDigitValue(Consume()));
  return int8_t(n);
}

int16_t BinaryEscape(char b) {
  if (!IsBinaryDigit(*InputCursor)) {
    CompileError<kMsgBadBinaryEscape>();
    return b;
  }
  uint8_t n = 0;
  while (IsBinaryDigit(*InputCursor))
    n = uint8_t(n * 2 + (Consume() - '0'));
  return int8_t(n);
}

// The letters that stand for control characters; every other lower-case
// letter but x stands for itself.
int16_t LetterEscape(char c) {
  switch (c) {
  case 'a': return 7;
  case 'b': return 8;
  case 'f': return 12;
  case 'n': return 10;
  case 'r': return 13;
  case 't': return 9;
  case 'v': return 11;
  default: return int8_t(c);
  }
}

} // namespace

bool IsHexDigitChar(char c) {
  const char u = ToUpperAscii(c);
  return IsDigitChar(c) || (u >= 'A' && u <= 'F');
}

int HexDigitValue(char c) { return IsDigitChar(c) ? c - '0' : ToUpperAscii(c) - kHexLetterOffset; }

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool CompileLiteral(ValueRecord &value) { return CompileNumericConstant(value) || CompileCharConstant(value); }

bool CompileNumericConstant(ValueRecord &value) {
  if (*InputCursor == '.') {
    CompileFloatingPart(value, "");
    return true;
  }
  if (!IsDigitChar(*InputCursor))
    return false;
  int shift = 0;
  if (*InputCursor == '0') {
    Consume();
    shift = kOctalShift;
    if (ToUpperAscii(*InputCursor) == 'X') {
      Consume();
      shift = kHexShift;
    }
  }
  std::string text;
  uint32_t n = 0;
  while (IsHexDigitChar(*InputCursor)) {
    const int d = HexDigitValue(*InputCursor);
    if (d > 9 && shift != kHexShift)
      break;
    if (shift == kOctalShift && d > 7) {
      CompileError<kMsgBadOctalDigit>();
      break;
    }
    text += Consume();
    n = shift ? (n << shift) + uint32_t(d) : n * kDecimalBase + uint32_t(d);
  }
  const char suffix = ToUpperAscii(*InputCursor);
  if (suffix == '.' || suffix == 'E') {
    CompileFloatingPart(value, text);
    return true;
  }
  uint8_t type = 0;
  if (suffix == 'F') {
    Consume();
    value = MakeFloatConstantValue(float(int32_t(n)));
    return true;
  }
  if (suffix == 'L') {
    Consume();
    if (ToUpperAscii(*InputCursor) == 'U') {
      Consume();
      type = kTypeUnsignedLong;
    } else {
      type = HighHalf(n) < kHighHalfSignBit ? kTypeLong : kTypeUnsignedLong;
    }
  } else if (suffix == 'U') {
    Consume();
    if (ToUpperAscii(*InputCursor) == 'L') {
      Consume();
      type = kTypeUnsignedLong;
    } else {
      type = HighHalf(n) == 0 ? kTypeUnsigned : kTypeUnsignedLong;
    }
  } else {
    type = PlainIntegerType(n, shift != 0);
  }
  value = {};
  MakeConstantValue(value, type, n);
  return true;
}

int16_t ReadEscapedChar() {
  if (!*InputCursor)
    return 0;
  const char c = Consume();
  if (c != '\\')
    return int8_t(c);
  if (!*InputCursor)
    return 0;
  const char e = Consume();
  if (IsDigitChar(e))
    return OctalEscape(e);
  if (e == 'x' || e == 'X')
    return HexEscape(e);
  if (e == 'B')
    return BinaryEscape(e);
  if (e >= 'a' && e <= 'z')
    return LetterEscape(e);
  return int8_t(e);
}

bool CompileCharConstant(ValueRecord &value) {
  SkipBlanksAcrossLines();
  if (*InputCursor != '\'')
    return false;
  LiteralMode literal;
  Consume();
  value = MakeCharConstantValue(uint8_t(ReadEscapedChar()));
  SkipBlanksAcrossLines();
  if (*InputCursor == '\'')
    Consume();
  else
    CompileError<kMsgCharExpected>();
  return true;
}

} // namespace tsw
