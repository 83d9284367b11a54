#include "runner/asm_convert.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <sstream>

namespace tsw::target {
namespace {

constexpr std::array<std::string_view, 22> kRegisters = {
    "a",  "b",  "c",  "d",  "e",   "h",   "l",    "i",    "r",    "bc",   "de",
    "hl", "sp", "ix", "iy", "af", "af'", "(c)", "(bc)", "(de)", "(hl)", "(sp)"};
constexpr std::array<std::string_view, 8> kConditions = {"nz", "z", "nc", "c", "po", "pe", "p", "m"};
// Operands that are addresses to go to or fixed numbers, never immediates.
constexpr std::array<std::string_view, 9> kNoImmediate = {"jp", "jr", "call", "djnz", "rst", "im", "bit", "set", "res"};
constexpr std::array<std::string_view, 4> kConditional = {"jp", "jr", "call", "ret"};

std::string Lower(std::string_view text) {
  std::string out(text);
  std::ranges::transform(out, out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

template <size_t N> bool IsOneOf(std::string_view word, const std::array<std::string_view, N> &set) {
  return std::ranges::find(set, word) != set.end();
}

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// Rewrites the numbers of an expression: 0FFh -> 0x0FF, 101b -> 0b101;
// quoted characters and names are kept.
std::string ConvertNumbers(std::string_view expr) {
  std::string out;
  for (size_t i = 0; i < expr.size();) {
    char c = expr[i];
    if (c == '\'' || c == '"') {
      size_t end = expr.find(c, i + 1);
      end = end == std::string_view::npos ? expr.size() : end + 1;
      out += expr.substr(i, end - i);
      i = end;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t end = i;
      while (end < expr.size() && IsIdentifierChar(expr[end]))
        ++end;
      std::string word = Lower(expr.substr(i, end - i));
      if (word.size() > 1 && word.back() == 'h')
        out += "0x" + word.substr(0, word.size() - 1);
      else if (word.size() > 1 && word.back() == 'b' && word.find_first_not_of("01", 0) == word.size() - 1)
        out += "0b" + word.substr(0, word.size() - 1);
      else
        out += word;
      i = end;
    } else if (IsIdentifierChar(c)) {
      size_t end = i;
      while (end < expr.size() && IsIdentifierChar(expr[end]))
        ++end;
      out += expr.substr(i, end - i);
      i = end;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// Splits operands at the commas outside parentheses and quotes.
std::vector<std::string> SplitOperands(std::string_view text) {
  std::vector<std::string> operands;
  std::string current;
  int depth = 0;
  char quote = 0;
  for (char c : text) {
    if (quote) {
      if (c == quote)
        quote = 0;
    } else if (c == '\'' || c == '"') {
      // af' is a register, not the start of a character.
      if (!(c == '\'' && Lower(Trim(current)) == "af"))
        quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == ',' && depth == 0) {
      operands.emplace_back(Trim(current));
      current.clear();
      continue;
    }
    current += c;
  }
  if (!Trim(current).empty() || !operands.empty())
    operands.emplace_back(Trim(current));
  return operands;
}

// (ix+d), (iy-d), (ix) -> d(ix); other memory operands keep their
// parentheses.
std::string ConvertMemoryOperand(std::string_view operand) {
  std::string inner = std::string(Trim(operand.substr(1, operand.size() - 2)));
  std::string lower = Lower(inner);
  for (std::string_view index : {"ix", "iy"}) {
    if (lower == index)
      return fmt::format("0({})", index);
    if (lower.starts_with(index) && (lower[2] == '+' || lower[2] == '-' || lower[2] == ' ')) {
      std::string offset(Trim(std::string_view(inner).substr(2)));
      if (offset.starts_with('+'))
        offset.erase(0, 1);
      return fmt::format("{}({})", ConvertNumbers(Trim(offset)), index);
    }
  }
  return "(" + ConvertNumbers(inner) + ")";
}

std::string ConvertOperand(std::string_view mnemonic, std::string_view operand, size_t position, size_t count) {
  std::string lower = Lower(operand);
  if (IsOneOf(lower, kRegisters) || (mnemonic == "jp" && (lower == "(ix)" || lower == "(iy)")))
    return lower;
  if (operand.starts_with('(') && operand.ends_with(')'))
    return ConvertMemoryOperand(operand);
  if (IsOneOf(mnemonic, kConditional) && position == 0 && (count == 2 || mnemonic == "ret") &&
      IsOneOf(lower, kConditions))
    return lower;
  if (IsOneOf(mnemonic, kNoImmediate))
    return ConvertNumbers(operand);
  return "#" + ConvertNumbers(operand);
}

// One statement: an optional label and an instruction or data directive.
std::string ConvertStatement(std::string_view statement, std::string &problem) {
  statement = Trim(statement);
  std::string label;
  size_t colon = statement.find(':');
  if (colon != std::string_view::npos &&
      std::all_of(statement.begin(), statement.begin() + colon, IsIdentifierChar) && colon > 0) {
    bool global = colon + 1 < statement.size() && statement[colon + 1] == ':';
    label = std::string(statement.substr(0, colon));
    statement = Trim(statement.substr(colon + (global ? 2 : 1)));
    if (Lower(statement.substr(0, 3)) == "equ" &&
        (statement.size() == 3 || std::isspace(static_cast<unsigned char>(statement[3]))))
      return fmt::format("{} {} {}", label, global ? "==" : "=", ConvertNumbers(Trim(statement.substr(3))));
    label += global ? "::" : ":";
  }
  if (statement.empty())
    return label;
  size_t space = statement.find_first_of(" \t");
  std::string mnemonic = Lower(statement.substr(0, space));
  std::string_view rest = space == std::string_view::npos ? std::string_view() : Trim(statement.substr(space));
  if (!std::all_of(mnemonic.begin(), mnemonic.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
    problem = fmt::format("no mnemonic in '{}'", statement);
    return {};
  }
  std::vector<std::string> operands = SplitOperands(rest);
  std::string line = label + "\t";
  if (mnemonic == "db" || mnemonic == "dw") {
    // A string operand of db is its characters, which sdasz80 writes
    // with .ascii: each run of operands becomes a directive of its own.
    std::string directives;
    std::string numbers;
    auto flushNumbers = [&] {
      if (!numbers.empty())
        directives += (directives.empty() ? "" : "\n\t") + ("." + mnemonic + " " + numbers);
      numbers.clear();
    };
    for (const std::string &operand : operands) {
      if (mnemonic == "db" && operand.starts_with('"')) {
        flushNumbers();
        directives += (directives.empty() ? "" : "\n\t") + (".ascii " + operand);
      } else {
        numbers += (numbers.empty() ? "" : ",") + ConvertNumbers(operand);
      }
    }
    flushNumbers();
    return line + directives;
  }
  line += mnemonic;
  for (size_t i = 0; i < operands.size(); ++i)
    line += (i ? "," : " ") + ConvertOperand(mnemonic, operands[i], i, operands.size());
  return line;
}

// The statements of one source line: the comment after ';' dropped, '$'
// separating statements, both outside quotes.
std::vector<std::string_view> SplitStatements(std::string_view line) {
  std::vector<std::string_view> statements;
  char quote = 0;
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quote) {
      if (c == quote)
        quote = 0;
    } else if (c == '"' || (c == '\'' && !(i >= 2 && Lower(line.substr(i - 2, 2)) == "af"))) {
      quote = c;
    } else if (c == ';') {
      line = line.substr(0, i);
      break;
    } else if (c == '$') {
      statements.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  statements.push_back(line.substr(start));
  return statements;
}

bool IsDirective(std::string_view line, std::string_view name) {
  line = Trim(line);
  return line.starts_with(name) && (line.size() == name.size() || std::isspace(static_cast<unsigned char>(line[name.size()])));
}

// The name a C function definition's header line defines ("int BIT(char
// *address, int bit)", with or without its opening brace); empty for any
// other line.
std::string DefinedFunction(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '#' || line.find(';') != std::string_view::npos)
    return {};
  size_t open = line.find('(');
  size_t close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    return {};
  std::string_view after = Trim(line.substr(close + 1));
  if (!after.empty() && after != "{")
    return {};
  std::string_view before = Trim(line.substr(0, open));
  size_t start = before.size();
  while (start > 0 && IsIdentifierChar(before[start - 1]))
    --start;
  // A return type before the name: a call or a macro is no definition.
  if (start == 0 || start == before.size())
    return {};
  return std::string(before.substr(start));
}

// The text of a line outside the comments; `inComment` carries an open
// comment to the next line.
std::string WithoutComments(std::string_view line, bool &inComment) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (inComment) {
      if (line.substr(i, 2) == "*/") {
        inComment = false;
        ++i;
      }
    } else if (line.substr(i, 2) == "/*") {
      inComment = true;
      ++i;
    } else {
      out += line[i];
    }
  }
  return out;
}

// The one condition the library's sources test, the processor, as the Z180
// compile sees it; nullopt for any other condition.
std::optional<bool> ProcessorCondition(std::string_view condition) {
  std::string text;
  for (char c : condition)
    if (!std::isspace(static_cast<unsigned char>(c)))
      text += c;
  if (text == "TARGETCPU==Z180" || text == "TARGETCPU!=CRV")
    return true;
  if (text == "TARGETCPU==CRV" || text == "TARGETCPU!=Z180")
    return false;
  return std::nullopt;
}

} // namespace

ConvertedAsm ConvertLibraryAsm(std::string_view librarySource) {
  ConvertedAsm converted;
  std::istringstream lines{std::string(librarySource)};
  bool inAsm = false;
  int number = 0;
  // Per open #if: whether its current branch is taken.
  std::vector<bool> taken;
  bool inComment = false;
  // The C function whose #asm body is being read, and whether its brace is
  // open.
  std::string function;
  bool bodyOpen = false;
  auto active = [&] { return std::ranges::all_of(taken, [](bool t) { return t; }); };
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::string_view trimmed = Trim(line);
    if (IsDirective(trimmed, "#if")) {
      std::optional<bool> value = ProcessorCondition(trimmed.substr(3));
      if (!value)
        converted.problems.push_back(fmt::format("line {}: a condition other than the processor", number));
      taken.push_back(value.value_or(false));
      continue;
    }
    if (IsDirective(trimmed, "#else") && !taken.empty()) {
      taken.back() = !taken.back();
      continue;
    }
    if (IsDirective(trimmed, "#endif") && !taken.empty()) {
      taken.pop_back();
      continue;
    }
    if (!active())
      continue;
    if (!inAsm) {
      inAsm = IsDirective(line, "#asm");
      if (inAsm)
        continue;
      // A C function whose body is only #asm blocks: the compiler gives it
      // no entry code and a single ret, so its name labels the first block.
      std::string code(Trim(WithoutComments(line, inComment)));
      if (function.empty()) {
        function = DefinedFunction(code);
        bodyOpen = !function.empty() && code.ends_with("{");
        if (bodyOpen)
          converted.text += function + "::\n";
      } else if (!bodyOpen) {
        bodyOpen = code == "{";
        if (bodyOpen)
          converted.text += function + "::\n";
        else if (!code.empty())
          function.clear();
      } else if (code == "}") {
        converted.text += "\tret\n";
        function.clear();
        bodyOpen = false;
      } else if (!code.empty()) {
        converted.problems.push_back(fmt::format("line {}: C in the body of {}", number, function));
      }
      continue;
    }
    if (IsDirective(line, "#endasm")) {
      inAsm = false;
      continue;
    }
    for (std::string_view statement : SplitStatements(line)) {
      if (Trim(statement).empty())
        continue;
      std::string problem;
      std::string out = ConvertStatement(statement, problem);
      if (!problem.empty()) {
        converted.problems.push_back(fmt::format("line {}: {}", number, problem));
      } else {
        converted.text += out + "\n";
        converted.statements.push_back({std::string(Trim(statement)), out});
      }
    }
  }
  if (inAsm)
    converted.problems.push_back("#asm without #endasm");
  return converted;
}

} // namespace tsw::target
