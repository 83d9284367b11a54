#pragma once

#include "compcore/cc_gen/value_record.h"

#include <string_view>

// The sixteen binary operators of the dialect, lowered after the compile-
// time layer (rules, folding, identities) has had its say: inline code for
// what a few instructions compute, a run-time routine for the rest. The
// result is built in the left operand's record.
namespace tsw {

// `text` is the operator ("+", "<<", ">=" ...): 632 for a text that names
// none; a lone "=" or "!" emits nothing.
void BeginBinaryOperation(std::string_view text, ValueRecord &left, ValueRecord &right);

} // namespace tsw
