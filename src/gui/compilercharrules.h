#pragma once

#include "gui/common/model/tswdisp.h"

// The panes take word characters and double-byte lead bytes from the
// compiler's own character classes, so a word on screen is a word to the
// compiler.
namespace tsw {

class CompilerCharRules : public gui::CharRules {
public:
  bool IsWordChar(uint8_t byte) const override;
  bool IsLeadByte(uint8_t byte) const override;
};

} // namespace tsw
