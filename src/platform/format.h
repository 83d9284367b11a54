#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

// printf-style formatting of texts that come from data (the numbered message
// texts of the language module). A format and its arguments may disagree: a
// conversion that cannot take its argument, or has none, is shown as written
// instead of reading memory that is not there.
namespace tsw::plat {

// One conversion of a printf format ("%-20s", "%04x", "%ld", "%%").
struct Conversion {
  size_t offset = 0;     // where it starts in the format
  size_t length = 0;     // its whole length, '%' included
  std::string lengthMod; // "", "h", "hh", "l", "ll"...
  char type = 0;         // 'd', 's', 'x'... ; '%' for "%%"
  bool starWidth = false;
  bool starPrecision = false;
};

// The conversions of `format` in order. A '%' that starts no valid
// conversion gives one with type 0.
std::vector<Conversion> ParseConversions(std::string_view format);

using FormatArg = std::variant<int64_t, uint64_t, double, std::string>;

template <class T> FormatArg MakeFormatArg(const T &value) {
  if constexpr (std::is_same_v<T, bool>)
    return FormatArg(int64_t(value));
  else if constexpr (std::is_floating_point_v<T>)
    return FormatArg(double(value));
  else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>)
    return FormatArg(int64_t(value));
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return FormatArg(uint64_t(value));
  else if constexpr (std::is_convertible_v<T, std::string_view>)
    return FormatArg(std::string(std::string_view(value)));
  else if constexpr (std::is_convertible_v<T, const char *>) {
    const char *text = value;
    return FormatArg(std::string(text ? text : ""));
  } else
    static_assert(sizeof(T) == 0, "unsupported format argument");
}
inline FormatArg MakeFormatArg(const char *text) { return FormatArg(std::string(text ? text : "")); }
inline FormatArg MakeFormatArg(char *text) { return MakeFormatArg(static_cast<const char *>(text)); }

std::string FormatTextV(std::string_view format, const std::vector<FormatArg> &args);

template <class... A> std::string FormatText(std::string_view format, const A &...args) {
  return FormatTextV(format, std::vector<FormatArg>{MakeFormatArg(args)...});
}

// Formats into `buf`, cut to `size` - 1 characters and always terminated
// when `size` is not 0. Gives the number of characters written.
size_t CopyCut(char *buf, size_t size, std::string_view text);

template <class... A>
size_t FormatTextInto(char *buf, size_t size, std::string_view format, const A &...args) {
  return CopyCut(buf, size, FormatText(format, args...));
}

} // namespace tsw::plat
