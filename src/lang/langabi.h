#pragma once

// The C interface of a language module: a shared library per language that
// carries the numbered texts (and, later, menus and dialog templates). Plain
// C so that a module and the program need not share a compiler's C++ ABI.
extern "C" {

// The text of message `id`, or null when the module has none.
typedef const char *(*TswLangStringFn)(unsigned id);
}

namespace tsw::lang {
inline constexpr const char *kStringEntryPoint = "tsw_lang_string";
// String 1111 of the English module: the mark by which the program knows it.
inline constexpr unsigned kLanguageMarkId = 1111;
inline constexpr const char *kEnglishMark = "_BR_TSW_English_";
} // namespace tsw::lang
