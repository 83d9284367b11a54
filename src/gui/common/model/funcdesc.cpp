#include "gui/common/model/funcdesc.h"

#include "compcore/cc_in/cc_in.h"

#include <array>
#include <cctype>

namespace tsw {
namespace {

// Token codes; a single punctuation character is its own code.
enum : uint32_t {
  kEllipsis = 128,
  kIdentifier = 129,
  kNumber = 130,
  kSyntaxKey = 131,
  kDescriptionKey = 132,
  kParameterKey = 133,
  kReturnValueKey = 134,
  kKeyWordsKey = 135,
  kWhite = 136,
  kOther = 137,
  kEnd = 138,
  kNoToken = 139,
};

struct Token {
  uint32_t code = kNoToken;
  std::string text;
};

struct SectionFormat {
  uint32_t code;
  const char *format; // as sscanf would match it: a blank takes any white space
};
constexpr SectionFormat kSections[] = {
    {kSyntaxKey, "SYNTAX: "},        {kDescriptionKey, "DESCRIPTION: "},
    {kParameterKey, "PARAMETER#: "}, {kReturnValueKey, "RETURN VALUE: "},
    {kKeyWordsKey, "KEY WORDS: "},
};
constexpr bool IsSectionKey(uint32_t code) { return code >= kSyntaxKey && code <= kKeyWordsKey; }

bool IsCSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsLeadOfTwo(char c) { return CharClasses[static_cast<unsigned char>(c)] & kClassLeadByte; }
bool IsWhite(char c) { return CharClasses[static_cast<unsigned char>(c)] & (kClassBlank | kClassLineEnd); }

// The length `format` matches at the start of `text`, as sscanf reads it:
// a blank takes any run of white space (or none), '#' an unsigned number
// (white space and a sign before it allowed), other characters themselves.
std::optional<size_t> MatchFormat(std::string_view text, const char *format) {
  size_t at = 0;
  for (const char *f = format; *f; ++f) {
    if (*f == ' ') {
      while (at < text.size() && IsCSpace(text[at]))
        ++at;
    } else if (*f == '#') {
      while (at < text.size() && IsCSpace(text[at]))
        ++at;
      if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
      size_t digits = at;
      while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
        ++at;
      if (at == digits)
        return std::nullopt;
    } else {
      if (at >= text.size() || text[at] != *f)
        return std::nullopt;
      ++at;
    }
  }
  return at;
}

// The n of a "PARAMETERn:" keyword; 0 when it is not a plain number.
size_t ParameterNumber(std::string_view keyword) {
  size_t at = std::string_view("PARAMETER").size();
  while (at < keyword.size() && IsCSpace(keyword[at]))
    ++at;
  if (at < keyword.size() && keyword[at] == '+')
    ++at;
  size_t n = 0;
  for (; at < keyword.size() && std::isdigit(static_cast<unsigned char>(keyword[at])); ++at) {
    n = n * 10 + static_cast<size_t>(keyword[at] - '0');
    if (n > FuncParameter::kDescriptionSize) // far beyond any parameter count
      return 0;
  }
  return n;
}

struct ParseFuncException {
  uint16_t message;
};

// One parsed declaration.
struct DeclPac {
  std::string text;
  std::string name;
  uint16_t identifiers = 0;
  uint16_t pointers = 0;
  size_t nameStart = 0;
};

std::string_view TrimWhite(std::string_view s) {
  while (!s.empty() && IsWhite(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsWhite(s.back()))
    s.remove_suffix(1);
  return s;
}

void CutSuffix(std::string &text, std::string_view tail) {
  if (text.size() >= tail.size() && std::string_view(text).substr(text.size() - tail.size()) == tail)
    text.resize(text.size() - tail.size());
}

} // namespace

class FuncDescParser {
public:
  FuncDescParser(std::string_view text, FuncDescription &out) : text_(text), out_(out) {}
  void Run();

private:
  static constexpr size_t kMaxSlots = 7;
  // Parentheses nest at most this deep in a declaration; deeper is an error
  // rather than a recursion without bound.
  static constexpr int kMaxNesting = 64;

  struct Capture {
    bool active;
    std::string *target;
  };
  struct Stop {
    uint32_t code;
    uint16_t message;
  };

  // Scanner.
  Token RawToken();
  void Next();
  void PutBack(const Token *replacement = nullptr);
  void PushStop(uint32_t code, uint16_t message);
  void PopStop();
  void PushCapture(std::string *target);
  void PopCapture();
  void ResetState();
  [[noreturn]] static void Fail() { throw ParseFuncException{FuncDescription::kSyntaxError}; }

  // Parser.
  void Syntax();
  std::string SectionText();
  void Declaration(DeclPac &decl);
  void Declarator(DeclPac &decl, bool outermost, int nesting);
  void ParameterList();

  std::string_view text_;
  FuncDescription &out_;
  size_t pos_ = 0;
  Token previous_, current_, lookAhead_;
  bool skipWhite_ = true;
  std::array<Capture, kMaxSlots> captures_{};
  size_t captureCount_ = 0, capturesIgnored_ = 0;
  std::array<Stop, kMaxSlots> stops_{};
  size_t stopCount_ = 0, stopsIgnored_ = 0;

  std::string expectedName_;
  bool functionNameSeen_ = false;
  size_t parametersFound_ = 0;
  int declarationDepth_ = 0;
  int listDepth_ = 0;
};

Token FuncDescParser::RawToken() {
  std::string_view rest = text_.substr(pos_);
  Token token;
  if (rest.empty()) {
    token.code = kEnd;
  } else if (IsWhite(rest[0])) {
    token = {kWhite, std::string(1, rest[0])};
  } else if (IsIdentStart(rest[0])) {
    size_t n = 1;
    while (n < rest.size() && IsIdentChar(rest[n]))
      ++n;
    token = {kIdentifier, std::string(rest.substr(0, n))};
    for (const SectionFormat &section : kSections) {
      if (std::optional<size_t> length = MatchFormat(rest, section.format)) {
        token = {section.code, std::string(rest.substr(0, *length))};
        break;
      }
    }
  } else if (std::string_view("*&[]();,").find(rest[0]) != std::string_view::npos) {
    token = {static_cast<uint32_t>(static_cast<unsigned char>(rest[0])), std::string(1, rest[0])};
  } else if (rest[0] == '.') {
    size_t n = rest.find_first_not_of('.');
    n = n == std::string_view::npos ? rest.size() : n;
    token = {n == 3 ? kEllipsis : kOther, std::string(rest.substr(0, n))};
  } else if (IsDigitChar(rest[0])) {
    size_t n = 1;
    while (n < rest.size() && IsDigitChar(rest[n]))
      ++n;
    token = {kNumber, std::string(rest.substr(0, n))};
  } else {
    size_t n = IsLeadOfTwo(rest[0]) && rest.size() > 1 ? 2 : 1;
    token = {kOther, std::string(rest.substr(0, n))};
  }
  pos_ += token.text.size();
  return token;
}

void FuncDescParser::Next() {
  previous_ = std::move(current_);
  do {
    if (lookAhead_.code != kNoToken) {
      current_ = std::move(lookAhead_);
      lookAhead_ = Token{};
    } else {
      current_ = RawToken();
    }
    for (size_t i = 0; i < captureCount_; ++i)
      if (captures_[i].active)
        *captures_[i].target += current_.text;
  } while (skipWhite_ && current_.code == kWhite);
  for (size_t i = 0; i < stopCount_; ++i)
    if (stops_[i].code == current_.code)
      throw ParseFuncException{stops_[i].message};
}

void FuncDescParser::PutBack(const Token *replacement) {
  if (lookAhead_.code != kNoToken)
    return;
  for (size_t i = 0; i < captureCount_; ++i)
    if (captures_[i].active)
      CutSuffix(*captures_[i].target, current_.text);
  lookAhead_ = std::move(current_);
  current_ = replacement ? *replacement : previous_;
}

void FuncDescParser::PushStop(uint32_t code, uint16_t message) {
  if (stopCount_ < kMaxSlots)
    stops_[stopCount_++] = {code, message};
  else
    ++stopsIgnored_;
}

void FuncDescParser::PopStop() {
  if (stopsIgnored_ > 0)
    --stopsIgnored_;
  else if (stopCount_ > 0)
    --stopCount_;
}

void FuncDescParser::PushCapture(std::string *target) {
  if (captureCount_ < kMaxSlots)
    captures_[captureCount_++] = {true, target};
  else
    ++capturesIgnored_;
}

void FuncDescParser::PopCapture() {
  if (capturesIgnored_ > 0)
    --capturesIgnored_;
  else if (captureCount_ > 0)
    --captureCount_;
}

void FuncDescParser::ResetState() {
  parametersFound_ = 0;
  declarationDepth_ = 0;
  listDepth_ = 0;
  stopCount_ = stopsIgnored_ = 0;
  captureCount_ = capturesIgnored_ = 0;
  skipWhite_ = true;
}

void FuncDescParser::Run() {
  Next();
  expectedName_ = current_.text;
  for (;;) {
    try {
      Next();
      switch (current_.code) {
      case kEnd: return;
      case kSyntaxKey: Syntax(); break;
      case kDescriptionKey: out_.description_ = SectionText(); break;
      case kReturnValueKey: out_.returnValue_ = SectionText(); break;
      case kKeyWordsKey: out_.keyWords_ = SectionText(); break;
      case kParameterKey: {
        size_t n = ParameterNumber(current_.text);
        std::string text = SectionText();
        if (n >= 1 && n <= parametersFound_ && n <= out_.parameters_.size())
          out_.parameters_[n - 1].description = text.substr(0, FuncParameter::kDescriptionSize);
        break;
      }
      default: break;
      }
    } catch (const ParseFuncException &e) {
      out_.error_ = e.message;
      ResetState();
      PutBack();
    }
  }
}

std::string FuncDescParser::SectionText() {
  skipWhite_ = false;
  std::string text;
  for (;;) {
    Next();
    if (IsSectionKey(current_.code) || current_.code == kEnd) {
      PutBack();
      break;
    }
    text += current_.text;
  }
  skipWhite_ = true;
  size_t end = text.size();
  while (end > 0 && IsWhite(text[end - 1]))
    --end;
  text.resize(end);
  return text;
}

void FuncDescParser::Syntax() {
  std::string syntax;
  PushCapture(&syntax);
  for (uint32_t code = kSyntaxKey; code <= kKeyWordsKey; ++code)
    PushStop(code, FuncDescription::kSyntaxError);
  PushStop(kEnd, FuncDescription::kSyntaxError);

  DeclPac function;
  Declaration(function);
  out_.returnType_ = function.text;
  out_.name_ = function.name;

  PopStop();
  PopCapture();
  PutBack();
  out_.syntax_ = syntax;
}

void FuncDescParser::Declaration(DeclPac &decl) {
  bool outermost = declarationDepth_++ == 0;
  PushCapture(&decl.text);
  Next();
  Declarator(decl, outermost, 0);
  PopCapture();
  --declarationDepth_;
  CutSuffix(decl.text, current_.text);

  if (decl.identifiers == 1) {
    if (outermost)
      decl.text = "int"; // a function declared without a type
    else
      decl.name.clear(); // the one word was the type
  } else {
    decl.text.resize(std::min(decl.nameStart, decl.text.size()));
  }
  decl.text = std::string(TrimWhite(decl.text));
}

void FuncDescParser::Declarator(DeclPac &decl, bool outermost, int nesting) {
  if (nesting > kMaxNesting)
    Fail();
  for (bool more = true; more;) {
    more = false;
    while (current_.code == '*') {
      ++decl.pointers;
      Next();
    }
    if (current_.code == '(') {
      Next();
      Declarator(decl, false, nesting + 1);
      Next(); // the closing parenthesis
    } else if (current_.code == kIdentifier) {
      if (current_.text == "struct" || current_.text == "union" || current_.text == "enum")
        Next(); // the tag names the type
      decl.name = current_.text;
      decl.nameStart = decl.text.size() >= current_.text.size() ? decl.text.size() - current_.text.size() : 0;
      ++decl.identifiers;
      if (decl.name == expectedName_)
        functionNameSeen_ = true;
      Next();
      more = current_.code == kIdentifier || current_.code == '*' ||
             (current_.code == '(' && (listDepth_ > 0 || !functionNameSeen_));
    } else if (current_.code == kEllipsis) {
      out_.variadic_ = true;
      Next();
    }
  }

  if (current_.code == '(') {
    // The declaration's own capture, unless it found no free slot.
    size_t slot = capturesIgnored_ == 0 && captureCount_ > 0 ? captureCount_ - 1 : kMaxSlots;
    bool functionList = outermost && listDepth_ == 0;
    if (functionList)
      CutSuffix(decl.text, "(");
    if (slot < kMaxSlots)
      captures_[slot].active = false;
    ++listDepth_;
    ParameterList();
    --listDepth_;
    if (slot < kMaxSlots)
      captures_[slot].active = true;
    if (functionList) {
      for (int i = 0; i < 5; ++i)
        PopStop();
    } else {
      decl.text += ')';
    }
    if (current_.code != ')')
      Fail();
    Next();
  }
  if (current_.code == '[') {
    while (current_.code != ']') {
      if (current_.code == kEnd)
        Fail();
      Next();
    }
    Next();
  }
}

void FuncDescParser::ParameterList() {
  if (listDepth_ > 1) { // a function-pointer parameter's own list is skipped
    while (current_.code != ')') {
      Next();
      if (current_.code == kEnd)
        Fail();
    }
    return;
  }
  while (current_.code != ')') {
    if (current_.code == kEnd)
      Fail();
    DeclPac param;
    Declaration(param);
    bool present = !param.text.empty() && !(param.text == "void" && param.pointers == 0);
    if (!present)
      break;
    out_.parameters_.push_back({param.text.substr(0, FuncParameter::kTypeSize),
                                param.name.substr(0, FuncParameter::kNameSize), std::string()});
    ++parametersFound_;
    if (current_.code == kEllipsis) {
      Token comma{',', ","};
      PutBack(&comma);
    }
  }
}

FuncDescription::FuncDescription(std::string_view text) { FuncDescParser(text, *this).Run(); }

FuncParameter FuncDescription::GetParameter(size_t index) const {
  return index < parameters_.size() ? parameters_[index] : FuncParameter{};
}

} // namespace tsw
