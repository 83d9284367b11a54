// Turns a language module's text catalogue into a C++ source.
//
// The catalogue holds one NUMBER<TAB>TEXT line per message; TEXT takes C
// escapes (\a \b \f \n \r \t \v \\ \" \' \? \xH[H] \o[o[o]]). Blank lines and
// lines starting with '#' are ignored. A malformed line, a bad escape or a
// number given twice fails with "file:line: reason" and no output.
//
// Usage: tsw_stringgen CATALOGUE OUTPUT.cpp

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

struct Message {
  std::string text;
  int line;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Gives the unescaped text, or nothing with the reason in `error`.
std::optional<std::string> Unescape(const std::string &raw, std::string &error) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == raw.size()) {
      error = "a backslash ends the text";
      return std::nullopt;
    }
    char e = raw[i];
    int value = -1;
    switch (e) {
    case 'a': value = '\a'; break;
    case 'b': value = '\b'; break;
    case 'f': value = '\f'; break;
    case 'n': value = '\n'; break;
    case 'r': value = '\r'; break;
    case 't': value = '\t'; break;
    case 'v': value = '\v'; break;
    case '\\': case '"': case '\'': case '?': value = e; break;
    case 'x': {
      value = 0;
      size_t digits = 0;
      while (digits < 2 && i + 1 < raw.size() && HexValue(raw[i + 1]) >= 0) {
        value = value * 16 + HexValue(raw[++i]);
        ++digits;
      }
      if (digits == 0) {
        error = "\\x without hex digits";
        return std::nullopt;
      }
      break;
    }
    default:
      if (e >= '0' && e <= '7') {
        value = e - '0';
        for (int digits = 1; digits < 3 && i + 1 < raw.size() && raw[i + 1] >= '0' &&
                             raw[i + 1] <= '7';
             ++digits)
          value = value * 8 + (raw[++i] - '0');
        if (value > 0xFF) {
          error = "octal escape above \\377";
          return std::nullopt;
        }
        break;
      }
      error = std::string("bad escape \\") + e;
      return std::nullopt;
    }
    if (value == 0) {
      error = "a text cannot hold a zero byte";
      return std::nullopt;
    }
    out += char(value);
  }
  return out;
}

// Every byte outside plain printable ASCII as a three-digit octal escape,
// which cannot run on into the next character.
std::string CLiteral(const std::string &text) {
  std::string lit = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      lit += '\\';
      lit += char(c);
    } else if (c >= 0x20 && c < 0x7F && c != '?') {
      lit += char(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      lit += buf;
    }
  }
  return lit + "\"";
}

bool Parse(const char *path, std::map<unsigned long, Message> &messages) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", path);
    return false;
  }
  bool ok = true;
  std::string line;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty() || line[0] == '#')
      continue;
    auto fail = [&](const std::string &reason) {
      std::fprintf(stderr, "%s:%d: %s\n", path, lineNo, reason.c_str());
      ok = false;
    };
    size_t tab = line.find('\t');
    std::string number = line.substr(0, tab);
    if (tab == std::string::npos || number.empty() ||
        number.find_first_not_of("0123456789") != std::string::npos) {
      fail("expected NUMBER<TAB>TEXT");
      continue;
    }
    errno = 0;
    unsigned long id = std::strtoul(number.c_str(), nullptr, 10);
    if (errno == ERANGE || id > 0xFFFFFFFFul) {
      fail("message number " + number + " is too large");
      continue;
    }
    std::string error;
    std::optional<std::string> text = Unescape(line.substr(tab + 1), error);
    if (!text) {
      fail(error);
      continue;
    }
    auto [it, added] = messages.emplace(id, Message{*text, lineNo});
    if (!added)
      fail("message " + number + " is already defined at line " + std::to_string(it->second.line));
  }
  return ok;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CATALOGUE OUTPUT.cpp\n", argv[0]);
    return 2;
  }
  std::map<unsigned long, Message> messages;
  if (!Parse(argv[1], messages))
    return 1;

  std::ostringstream src;
  src << "// Generated from " << argv[1] << " by tsw_stringgen; do not edit.\n"
      << "#include <algorithm>\n#include <iterator>\n\n#include \"lang/langabi.h\"\n\n"
      << "namespace {\n\nstruct Entry {\n  unsigned id;\n  const char *text;\n};\n\n"
      << "const Entry kMessages[] = {\n";
  for (const auto &[id, message] : messages)
    src << "    {" << id << "u, " << CLiteral(message.text) << "},\n";
  if (messages.empty())
    src << "    {0u, nullptr},\n";
  src << "};\n\n} // namespace\n\n"
      << "extern \"C\" __attribute__((visibility(\"default\"))) const char *tsw_lang_string(unsigned id) {\n"
      << "  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), id,\n"
      << "                             [](const Entry &e, unsigned wanted) { return e.id < wanted; });\n"
      << "  return it != std::end(kMessages) && it->id == id ? it->text : nullptr;\n}\n";

  std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << src.str();
    if (!out) {
      std::fprintf(stderr, "%s: cannot be written\n", tmp.c_str());
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[2]) != 0) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
