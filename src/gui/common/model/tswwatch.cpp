#include "gui/common/model/tswwatch.h"

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace tsw::gui {
namespace {

constexpr const char *kBaseTypeNames[] = {"null",   "char",   "int",     "unsigned int", "long",    "unsigned long",
                                          "type 6", "float",  "type 8",  "type 9",       "type 10", "label",
                                          "void",   "type 13", "type 14", "type 15",     "struct"};
static_assert(std::size(kBaseTypeNames) == size_t(WatchType::kStruct) + 1);

// A string's quoted text is cut once it has passed this many bytes.
constexpr size_t kQuotedStringLimit = 32;
// The pane's columns: expression, type, value.
constexpr size_t kExpressionColumn = 30, kTypeColumn = 16, kValueColumn = 29;

struct Declarator {
  std::vector<uint8_t> levels; // lowest first, each a nibble with its const bit
  bool constBase = false;
};

Declarator SplitDeclarator(uint32_t word) {
  Declarator d;
  for (size_t i = 0; i < kMaxDeclaratorLevels; ++i, word >>= 4) {
    const uint8_t level = uint8_t(word & 0xF);
    if ((level & kLevelKindMask) == uint32_t(DeclaratorLevel::kNone)) {
      d.constBase = (level & kLevelConstBit) != 0;
      break;
    }
    d.levels.push_back(level);
  }
  return d;
}

DeclaratorLevel KindOf(uint8_t level) { return DeclaratorLevel(level & kLevelKindMask); }

std::string Printf(const char *format, auto... args) {
  char buffer[96];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n < 0 ? 0 : std::min(size_t(n), sizeof buffer - 1));
}

// Left-aligned in exactly `width` characters, cut when longer.
void AppendColumn(std::string &line, std::string_view text, size_t width) {
  const size_t shown = std::min(text.size(), width);
  line.append(text.substr(0, shown));
  line.append(width - shown, ' ');
}

void AppendEscaped(std::string &out, uint8_t c) {
  static constexpr char kControlLetters[] = "abtnvfr"; // 7 to 13
  if (c >= 7 && c <= 13) {
    out += '\\';
    out += kControlLetters[c - 7];
  } else if (c == '"' || c == '\'' || c == '\\') {
    out += '\\';
    out += char(c);
  } else if (c >= 0x20 && c < 0x7F) {
    out += char(c);
  } else {
    out += Printf("\\x%02X", unsigned(c));
  }
}

} // namespace

WatchResult DecodeWatchResult(const WatchResultBytes &bytes) {
  WatchResult r;
  r.size = bytes[0];
  r.typeCode = bytes[1];
  for (int i = 3; i >= 0; --i) {
    r.declarator = r.declarator << 8 | bytes[2 + i];
    r.value = r.value << 8 | bytes[6 + i];
  }
  if (r.size > 4)
    r.value = 0;
  return r;
}

std::string WatchTypeText(const WatchResult &result, std::string_view structTag) {
  const Declarator d = SplitDeclarator(result.declarator);
  std::string suffix;
  bool afterPointer = false;
  for (uint8_t level : d.levels) {
    switch (KindOf(level)) {
    case DeclaratorLevel::kArray: suffix += "[]"; break;
    case DeclaratorLevel::kPointer:
      suffix = "*" + suffix;
      if (level & kLevelConstBit)
        suffix += " const ";
      break;
    case DeclaratorLevel::kFunction: suffix = "(" + suffix + (afterPointer ? ")()" : ")"); break;
    case DeclaratorLevel::kNone: break;
    }
    afterPointer = KindOf(level) == DeclaratorLevel::kPointer;
  }
  const uint8_t code = CappedTypeCode(result.typeCode);
  std::string text = d.constBase ? "const " : "";
  text += kBaseTypeNames[code];
  if (code == uint8_t(WatchType::kStruct) && !structTag.empty()) {
    text += ' ';
    text += structTag;
  }
  if (!suffix.empty()) {
    text += ' ';
    text += suffix;
  }
  return text;
}

std::string QuoteTargetChar(uint8_t c) {
  std::string out = "'";
  AppendEscaped(out, c);
  return out + "'";
}

std::string QuoteTargetString(std::string_view bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    if (c == '\0' || out.size() - 1 > kQuotedStringLimit)
      break;
    AppendEscaped(out, uint8_t(c));
  }
  return out + "\"";
}

bool ShowsPointedText(const WatchResult &result) {
  const Declarator d = SplitDeclarator(result.declarator);
  return CappedTypeCode(result.typeCode) == uint8_t(WatchType::kChar) && d.levels.size() == 1 &&
         KindOf(d.levels[0]) == DeclaratorLevel::kPointer;
}

std::string WatchValueText(const WatchResult &result, std::string_view pointedText) {
  const Declarator d = SplitDeclarator(result.declarator);
  const uint8_t code = CappedTypeCode(result.typeCode);
  const unsigned word = result.value & 0xFFFF;
  if (ShowsPointedText(result)) {
    const std::string quoted = QuoteTargetString(pointedText);
    return Printf("(0x%04X) %-20.20s", word, quoted.c_str());
  }
  if (!d.levels.empty())
    return Printf("0x%04X", word);
  switch (WatchType(code)) {
  case WatchType::kChar: {
    const uint8_t c = uint8_t(result.value);
    return QuoteTargetChar(c) + Printf(" (0x%02X)", unsigned(c));
  }
  case WatchType::kInt: return Printf("%d (0x%04X)", int(int16_t(word)), word);
  case WatchType::kUnsigned: return Printf("%u (0x%04X)", word, word);
  case WatchType::kLong: return Printf("%ld (0x%08lX)", long(int32_t(result.value)), (unsigned long)result.value);
  case WatchType::kUnsignedLong: return Printf("%lu (0x%08lX)", (unsigned long)result.value, (unsigned long)result.value);
  case WatchType::kFloat: {
    float f;
    std::memcpy(&f, &result.value, sizeof f);
    return Printf("%g", double(f));
  }
  case WatchType::kVoid:
  case WatchType::kStruct: return {};
  default: return "????";
  }
}

std::string WatchStatusText(uint8_t status) {
  switch (WatchStatus(status)) {
  case WatchStatus::kValue:
  case WatchStatus::kNoValue: return "????";
  case WatchStatus::kNotAvailable: return GetResourceString(kMsgWatchNotAvailable);
  case WatchStatus::kTargetBusy: return GetResourceString(kMsgWatchTargetBusy);
  }
  return GetResourceString(kMsgAnyLibrary);
}

std::string FormatWatchLine(std::string_view expression, std::string_view type, std::string_view value) {
  std::string line;
  AppendColumn(line, expression, kExpressionColumn);
  line += ' ';
  AppendColumn(line, type, kTypeColumn);
  line += ' ';
  AppendColumn(line, value, kValueColumn);
  return line;
}

} // namespace tsw::gui
