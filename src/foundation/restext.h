#pragma once

#include <cstdint>

// Message texts by number, from the language module loaded at start-up.
// A text may carry a help part after two BEL characters; the lookups give
// the whole text.
namespace tsw {

class MessageTexts {
public:
  virtual ~MessageTexts() = default;
  // The text of `id`, or null when there is none.
  virtual const char *Find(unsigned id) const = 0;
};

// The texts in use (not owned); nullptr leaves every text empty.
void SetMessageTexts(const MessageTexts *texts);

inline constexpr unsigned kResourceBufferSize = 1024;

// Copies the text into `buf`, cut to size - 1 characters and terminated;
// gives the characters stored, 0 (and an empty text) when there is none.
int LoadResourceString(unsigned id, char *buf, int size);
// The text in one shared buffer that the next call overwrites; empty when
// there is none.
const char *GetResourceString(unsigned id);

// Forgets the texts in use and empties the shared buffer.
void ResetMessageTextModule();

} // namespace tsw
