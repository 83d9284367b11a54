#pragma once

#include "compcore/cc_in/cc_in.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The argument list of a call, read up to its ')' and then compiled from a
// copy of its text. Arguments are pushed last to first so that the first
// one lies nearest the callee's frame; the copy lets them be compiled in
// that order whatever lines the list spans, with every character keeping
// its source line and column for the messages.
namespace tsw {

// Copies live at once: arguments that are calls nest one copy in another.
inline constexpr unsigned kMaxLiveArgumentCopies = 78;

class ExpandedArgumentScope {
public:
  // The cursor stands just after the call's '('; the list and its ')' are
  // consumed and the input switches to the copy.
  ExpandedArgumentScope();
  // The input goes back to just behind the ')'.
  ~ExpandedArgumentScope();
  ExpandedArgumentScope(const ExpandedArgumentScope &) = delete;
  ExpandedArgumentScope &operator=(const ExpandedArgumentScope &) = delete;

  // The arguments in the list: top-level commas + 1, none for an empty list.
  uint16_t Count() const { return count_; }
  // False when the copy could not be made (610, 611): the list is skipped.
  bool Usable() const { return usable_; }
  // The cursor to the start of argument `index` (0: the leftmost).
  void SelectArgument(uint16_t index);
  // Blanks skipped: whether the cursor reached the end of argument `index`.
  bool AtArgumentEnd(uint16_t index);

private:
  friend void ExpandArgumentText(ExpandedArgumentScope &scope);

  LogicalLineBuffer copy_;
  std::vector<size_t> starts_; // where each argument starts in the copy
  uint16_t count_ = 0;
  bool usable_ = false;
  bool installed_ = false;
  // The input as the list left it.
  LogicalLineBuffer savedLine_;
  size_t savedCursor_ = 0;
  uint16_t savedColumn_ = 0;
  uint16_t savedSingleLine_ = 0;
  bool savedTrackingOff_ = false;
};

// Reads the list at the cursor into the scope's copy: parentheses nest,
// string and character literals keep their commas and parentheses, and a
// line end becomes a blank. The lines reach the compiler with their macros
// expanded already, so the copy is the text as read.
void ExpandArgumentText(ExpandedArgumentScope &scope);

// Copies live now: none between expressions.
unsigned LiveArgumentCopies();

} // namespace tsw
