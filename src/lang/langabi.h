#pragma once

// The C interface of a language module: a shared library per language that
// carries the numbered texts, the menus, accelerator tables and dialog
// templates. Plain C so that a module and the program need not share a
// compiler's C++ ABI.
extern "C" {

// The text of message `id`, or null when the module has none.
typedef const char *(*TswLangStringFn)(unsigned id);

// The bytes of the resource `name` with their count in `*size`, or null
// when the module has none. A null `name` gives the names of every
// resource, each ended by a zero byte.
typedef const unsigned char *(*TswLangResourceFn)(const char *name, unsigned long *size);
}

namespace tsw::lang {
inline constexpr const char *kStringEntryPoint = "tsw_lang_string";
inline constexpr const char *kResourceEntryPoint = "tsw_lang_resource";
// String 1111 of the English module: the mark by which the program knows it.
inline constexpr unsigned kLanguageMarkId = 1111;
inline constexpr const char *kEnglishMark = "_BR_TSW_English_";
} // namespace tsw::lang
