#include "foundation/menures.h"

#include <fmt/format.h>

#include <charconv>
#include <set>

namespace tsw {
namespace {

constexpr uint32_t kMaxCommandId = 65535;

struct ParseError {
  std::string reason;
};

class LineReader {
public:
  explicit LineReader(std::string_view line) : rest_(line) {}

  std::string_view Word() {
    SkipBlanks();
    size_t end = 0;
    while (end < rest_.size() && rest_[end] != ' ' && rest_[end] != '\t')
      ++end;
    std::string_view word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return word;
  }

  std::string Quoted() {
    SkipBlanks();
    if (rest_.empty() || rest_.front() != '"')
      throw ParseError{"a quoted text expected"};
    std::string text;
    for (size_t i = 1; i < rest_.size(); ++i) {
      char c = rest_[i];
      if (c == '"') {
        rest_.remove_prefix(i + 1);
        return text;
      }
      if (c == '\\') {
        if (i + 1 == rest_.size() || (rest_[i + 1] != '"' && rest_[i + 1] != '\\'))
          throw ParseError{"only \\\" and \\\\ may follow a backslash"};
        c = rest_[++i];
      }
      text += c;
    }
    throw ParseError{"the quoted text is not closed"};
  }

  uint32_t Id() {
    std::string_view word = Word();
    uint32_t id = 0;
    auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), id);
    if (word.empty() || ec != std::errc() || ptr != word.data() + word.size() || id == 0 || id > kMaxCommandId)
      throw ParseError{fmt::format("a command id from 1 to {} expected", kMaxCommandId)};
    return id;
  }

  std::string Name() {
    std::string_view word = Word();
    if (word.empty())
      throw ParseError{"a resource name expected"};
    for (char c : word)
      if (!(c == '_' || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
        throw ParseError{"a resource name is made of A-Z, 0-9 and _"};
    return std::string(word);
  }

  void End() {
    SkipBlanks();
    if (!rest_.empty())
      throw ParseError{"unexpected text at the end of the line"};
  }

private:
  void SkipBlanks() {
    while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t'))
      rest_.remove_prefix(1);
  }
  std::string_view rest_;
};

} // namespace

std::optional<MenuResources> ParseMenuResources(std::string_view text, std::string *error) {
  MenuResources out;
  std::set<std::string> names;
  // The popups being filled; empty outside a menu. Pointers stay valid
  // because a node's children are only appended to while it is innermost.
  std::vector<std::vector<MenuNode> *> open;
  AcceleratorTable *table = nullptr;
  size_t lineNumber = 0, blockLine = 0;
  try {
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      ++lineNumber;
      if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
      LineReader reader(line);
      std::string_view keyword = reader.Word();
      if (keyword.empty() || keyword.front() == '#')
        continue;

      if (keyword == "menu" || keyword == "accelerators") {
        if (!open.empty() || table)
          throw ParseError{"a resource cannot begin inside another"};
        std::string name = reader.Name();
        reader.End();
        if (!names.insert(name).second)
          throw ParseError{"resource " + name + " is defined twice"};
        blockLine = lineNumber;
        if (keyword == "menu") {
          out.menus.push_back({name, {}});
          open.push_back(&out.menus.back().items);
        } else {
          out.accelerators.push_back({name, {}});
          table = &out.accelerators.back();
        }
      } else if (keyword == "popup" || keyword == "item" || keyword == "separator") {
        if (open.empty())
          throw ParseError{std::string(keyword) + " outside a menu"};
        MenuNode node;
        if (keyword == "popup") {
          node.kind = MenuNode::Kind::kPopup;
          node.text = reader.Quoted();
        } else if (keyword == "item") {
          node.id = reader.Id();
          node.text = reader.Quoted();
        } else {
          node.kind = MenuNode::Kind::kSeparator;
        }
        reader.End();
        open.back()->push_back(std::move(node));
        if (keyword == "popup")
          open.push_back(&open.back()->back().children);
      } else if (keyword == "key") {
        if (!table)
          throw ParseError{"key outside an accelerator table"};
        Accelerator key;
        key.key = reader.Quoted();
        if (key.key.empty())
          throw ParseError{"an empty key"};
        key.id = reader.Id();
        reader.End();
        table->keys.push_back(std::move(key));
      } else if (keyword == "end") {
        reader.End();
        if (table)
          table = nullptr;
        else if (!open.empty())
          open.pop_back();
        else
          throw ParseError{"end without a resource"};
      } else {
        throw ParseError{"unknown keyword '" + std::string(keyword) + "'"};
      }
    }
    if (!open.empty() || table) {
      lineNumber = blockLine;
      throw ParseError{"the resource begun here has no end"};
    }
  } catch (const ParseError &e) {
    if (error)
      *error = fmt::format("line {}: {}", lineNumber, e.reason);
    return std::nullopt;
  }
  return out;
}

namespace {

std::string QuoteText(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\')
      quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

void FormatNodes(const std::vector<MenuNode> &nodes, int depth, std::string &out) {
  std::string indent(static_cast<size_t>(depth) * 2, ' ');
  for (const MenuNode &node : nodes) {
    switch (node.kind) {
    case MenuNode::Kind::kItem: out += indent + fmt::format("item {} {}\n", node.id, QuoteText(node.text)); break;
    case MenuNode::Kind::kSeparator: out += indent + "separator\n"; break;
    case MenuNode::Kind::kPopup:
      out += indent + "popup " + QuoteText(node.text) + "\n";
      FormatNodes(node.children, depth + 1, out);
      out += indent + "end\n";
      break;
    }
  }
}

} // namespace

std::string FormatMenuResource(const MenuResource &menu) {
  std::string out = "menu " + menu.name + "\n";
  FormatNodes(menu.items, 1, out);
  return out + "end\n";
}

std::string FormatAcceleratorTable(const AcceleratorTable &table) {
  std::string out = "accelerators " + table.name + "\n";
  for (const Accelerator &key : table.keys)
    out += fmt::format("  key {} {}\n", QuoteText(key.key), key.id);
  return out + "end\n";
}

std::vector<uint32_t> MenuCommandIds(const MenuResource &menu) {
  std::vector<uint32_t> ids;
  auto walk = [&ids](const auto &self, const std::vector<MenuNode> &nodes) -> void {
    for (const MenuNode &node : nodes) {
      if (node.kind == MenuNode::Kind::kItem)
        ids.push_back(node.id);
      else if (node.kind == MenuNode::Kind::kPopup)
        self(self, node.children);
    }
  };
  walk(walk, menu.items);
  return ids;
}

} // namespace tsw
