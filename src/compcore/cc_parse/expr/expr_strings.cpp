#include "compcore/cc_parse/expr/expr_strings.h"

#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_literals.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/msgnumbers.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tsw {

namespace {

constexpr size_t kScratchBytes = 256;
// Output modes whose literals live in the pool: program code and watch code.
constexpr uint8_t kProgramOutput = 0;
constexpr uint8_t kWatchCodeOutput = 2;
constexpr uint32_t kDefaultPoolBytes = 15000;

struct StringState {
  LiteralPoolLimits pool;
  std::vector<char> scratch = std::vector<char>(kScratchBytes);
  // The scratch buffer shrinks after a long literal; the text callers read
  // after it must not go with it.
  std::string last;
};
StringState &State() {
  static StringState state;
  return state;
}

// Brackets inside a literal are no program text.
class LiteralMode {
public:
  LiteralMode() : saved_(BracketTrackingDisabled()) { BracketTrackingDisabled() = true; }
  ~LiteralMode() { BracketTrackingDisabled() = saved_; }
  LiteralMode(const LiteralMode &) = delete;
  LiteralMode &operator=(const LiteralMode &) = delete;

private:
  bool saved_;
};

bool AtTextEnd(char delimiter) {
  const char c = *InputCursor;
  return c == 0 || (delimiter ? c == delimiter : IsBlankChar(c));
}

// The first offset at which the whole literal, terminator included, lies in
// the used part of the pool.
bool FindPooled(const StringPool &pool, std::string_view literal, uint16_t &offset) {
  const auto used = pool.bytes.begin() + std::min<size_t>(pool.count, pool.bytes.size());
  const auto found = std::search(pool.bytes.begin(), used, literal.begin(), literal.end());
  if (found == used)
    return false;
  offset = uint16_t(found - pool.bytes.begin());
  return true;
}

uint16_t AddToPool(std::string_view literal) {
  LiteralPoolLimits &limits = State().pool;
  StringPool &pool = FunctionStringPool();
  uint16_t offset = pool.count;
  if (limits.merging && FindPooled(pool, literal, offset))
    return offset;
  pool.bytes.resize(pool.count);
  for (const char c : literal) {
    if (pool.count + uint32_t(1) >= limits.capacity) {
      // The literal stays cut in the pool; the compile fails on it anyway.
      if (!limits.fullReported)
        CompileError<kMsgStringPoolFull>();
      limits.fullReported = true;
      break;
    }
    pool.bytes.push_back(uint8_t(c));
    ++pool.count;
  }
  return offset;
}

} // namespace

LiteralPoolLimits &LiteralPool() { return State().pool; }

void ResetStringPool(uint32_t capacity) {
  State().pool.capacity = capacity;
  State().pool.fullReported = false;
  FunctionStringPool() = {};
}

char *ReadDelimitedText(char *buffer, uint16_t size, char delimiter) {
  LiteralMode literal;
  size_t room = size ? size - 1u : 0;
  char *out = buffer;
  while (!AtTextEnd(delimiter)) {
    const bool pair = IsLeadByte(*InputCursor) && InputCursor[1] != 0;
    if (room < (pair ? 2u : 1u)) {
      CompileWarningSerious<kMsgTextTooLong>();
      while (!AtTextEnd(delimiter))
        ReadEscapedChar();
      break;
    }
    if (pair) {
      // The second byte of a double-byte character is no escape.
      *out++ = ConsumeChar();
      *out++ = ConsumeChar();
      room -= 2;
    } else {
      *out++ = char(ReadEscapedChar());
      --room;
    }
  }
  if (delimiter && *InputCursor == delimiter)
    ConsumeChar();
  *out++ = 0;
  return out;
}

uint16_t CompileStringLiteral(ValueRecord &value) {
  SkipBlanksAcrossLines();
  if (*InputCursor != '"')
    return 0;
  ConsumeChar();
  std::vector<char> &scratch = State().scratch;
  const size_t rest = std::strlen(InputCursor) + 1;
  if (rest > scratch.size())
    scratch.assign(std::max(rest, kScratchBytes), 0);
  const char *end = ReadDelimitedText(scratch.data(), uint16_t(std::min<size_t>(scratch.size(), UINT16_MAX)), '"');
  const uint16_t length = uint16_t(end - scratch.data());
  State().last.assign(scratch.data(), length);

  uint16_t offset = 0;
  const uint8_t mode = CodeGen().OutputMode();
  if (mode == kProgramOutput || mode == kWatchCodeOutput)
    offset = AddToPool(LastStringLiteral());
  value = {};
  InitValueRecord(value, kStorageStatic, kTypeChar, kLevelArray, StringLiteralSymbol(), 0, nullptr, 0, 0);
  value.poolOffset = offset;
  value.length = length;
  if (scratch.size() > 2 * kScratchBytes)
    scratch.assign(kScratchBytes, 0);
  return length;
}

std::string_view LastStringLiteral() { return State().last; }

void ResetStringLiterals() {
  State() = {};
  ResetStringPool(kDefaultPoolBytes);
}

} // namespace tsw
