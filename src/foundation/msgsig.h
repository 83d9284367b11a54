#pragma once

#include <array>
#include <functional>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// What a numbered message is for and which arguments its text takes. The
// texts come from a language module and are used as printf formats, so a
// text and its callers must agree; the catalogue (msgcatalog.h) is the one
// place that says what they agree on.
namespace tsw {

enum class MessageUse : uint8_t {
  kCompileError,
  kSeriousWarning,
  kTrivialWarning,
  kFatalError,    // a compile error that ends the compile
  kAnySeverity,   // a compile diagnostic whose raiser chooses error or warning
  kMessageBox,
  kTitle,         // title or caption of a box or window
  kPleaseWait,    // text of the please-wait dialog
  kMessageWindow, // progress notice in the message window
  kExceptionText,
  kUiText,        // status bar, menu, pane and filter texts
  kRunTimeError,  // what a stop code of the running program means
};

// Each kind is written with its own printf conversions:
// text %s; int %d %i; unsigned %u; hex %x %X; long %ld %li %lu %lx %lX; char %c.
enum class ArgKind : uint8_t { kText, kInt, kUnsigned, kHex, kLong, kChar };

inline constexpr size_t kMaxMessageArgs = 4;

struct MessageSignature {
  uint16_t id;
  MessageUse use;
  std::array<ArgKind, kMaxMessageArgs> args;
  uint8_t argCount;

  constexpr MessageSignature(uint16_t id, MessageUse use, std::initializer_list<ArgKind> kinds)
      : id(id), use(use), args{}, argCount(uint8_t(kinds.size())) {
    size_t i = 0;
    for (ArgKind k : kinds)
      args[i++] = k;
  }
};

// The kinds that a text's conversions ask for, in order; `ok` is false when
// a conversion fits no kind (a stray '%', a '*' width, an unknown type).
struct TextArgs {
  std::vector<ArgKind> kinds;
  bool ok = true;
};
TextArgs ArgsOfText(std::string_view text);

// What is wrong with `text` as the text of `signature`; empty when nothing.
std::vector<std::string> CheckMessageText(const MessageSignature &signature, std::string_view text);

// The whole catalogue against one language module: every number has a text
// that fits, and the module has no number the catalogue lacks.
// `find` gives a module's text of a number, or null.
std::vector<std::string> CheckLanguageModule(const std::function<const char *(unsigned id)> &find);

const MessageSignature *FindMessageSignature(unsigned id);

// Whether an argument of type T can stand for `kind`; FormatMessage
// (msgcatalog.h) checks every call site's arguments with it.
template <class T> constexpr bool ArgumentFits(ArgKind kind) {
  using D = std::decay_t<T>;
  constexpr bool text = std::is_convertible_v<D, std::string_view> || std::is_convertible_v<D, const char *>;
  constexpr bool number = std::is_integral_v<D> || std::is_enum_v<D>;
  return kind == ArgKind::kText ? text : number && !std::is_same_v<D, bool>;
}

} // namespace tsw
