#include "platform/format.h"

#include <fmt/printf.h>

#include <cstring>

namespace tsw::plat {
namespace {

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kTypes = "diouxXcseEfgGp%";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

Conversion ParseOne(std::string_view format, size_t start) {
  Conversion conv;
  conv.offset = start;
  size_t i = start + 1;
  auto at = [&](size_t k) { return k < format.size() ? format[k] : '\0'; };
  while (at(i) && kFlags.find(at(i)) != std::string_view::npos)
    ++i;
  if (at(i) == '*') {
    conv.starWidth = true;
    ++i;
  }
  while (IsDigit(at(i)))
    ++i;
  if (at(i) == '.') {
    ++i;
    if (at(i) == '*') {
      conv.starPrecision = true;
      ++i;
    }
    while (IsDigit(at(i)))
      ++i;
  }
  size_t modStart = i;
  while (at(i) == 'h' || at(i) == 'l' || at(i) == 'L' || at(i) == 'z' || at(i) == 'j' || at(i) == 't')
    ++i;
  conv.lengthMod = std::string(format.substr(modStart, i - modStart));
  char type = at(i);
  if (type && kTypes.find(type) != std::string_view::npos) {
    conv.type = type;
    ++i;
  }
  conv.length = i - start;
  return conv;
}

// Formats one conversion with its argument through fmt's checked printf.
std::string FormatOne(std::string_view conversionText, const FormatArg &arg) {
  return std::visit(
      [&](const auto &value) -> std::string {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>)
          return fmt::sprintf(std::string(conversionText), value.c_str());
        else
          return fmt::sprintf(std::string(conversionText), value);
      },
      arg);
}

bool IsTextConversion(char type) { return type == 's'; }

} // namespace

std::vector<Conversion> ParseConversions(std::string_view format) {
  std::vector<Conversion> conversions;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%')
      continue;
    Conversion conv = ParseOne(format, i);
    conversions.push_back(conv);
    i += conv.length - 1;
  }
  return conversions;
}

std::string FormatTextV(std::string_view format, const std::vector<FormatArg> &args) {
  std::string out;
  size_t next = 0, done = 0;
  for (const Conversion &conv : ParseConversions(format)) {
    out.append(format.substr(done, conv.offset - done));
    done = conv.offset + conv.length;
    std::string_view conversionText = format.substr(conv.offset, conv.length);
    if (conv.type == '%') {
      out += '%';
      continue;
    }
    // Star widths take arguments the table of texts never gives; a
    // conversion without a type is not one.
    bool usable = conv.type != 0 && !conv.starWidth && !conv.starPrecision && next < args.size();
    // A text conversion must get a text, and a number conversion a number:
    // fmt would print either, but a mismatch means the text and its caller
    // disagree, and showing the conversion makes that visible.
    if (usable && IsTextConversion(conv.type) != std::holds_alternative<std::string>(args[next]))
      usable = false;
    if (!usable) {
      out.append(conversionText);
      if (conv.type != 0 && next < args.size())
        ++next;
      continue;
    }
    try {
      out += FormatOne(conversionText, args[next]);
    } catch (const std::exception &) {
      out.append(conversionText);
    }
    ++next;
  }
  out.append(format.substr(done));
  return out;
}

size_t CopyCut(char *buf, size_t size, std::string_view text) {
  if (!buf || size == 0)
    return 0;
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return n;
}

} // namespace tsw::plat
