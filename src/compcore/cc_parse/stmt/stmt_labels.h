#pragma once

#include <cstdint>

// Statement labels and goto. A label is a local symbol of label type whose
// address is defined in the function's label table; a goto to a label not
// placed yet jumps through a fixup that the placing patches.
namespace tsw {

// At the start of a statement: "name:" places the label `name` here and
// answers true; anything else leaves the input as it was and answers false.
bool TryCompileLabel();

// goto at the cursor after the keyword, up to and including ';'.
uint16_t CompileGoto();

// A label is no statement of its own: it prefixes the statement after it,
// which is compiled with it (and moves with it when the two are compiled
// again after an overflow), unless the block ends there. These are the
// dispatcher's rows for the three kinds of label; the one for "name:"
// answers kNotThisStatement when no label stands at the cursor.
uint16_t CompileCaseStatement();
uint16_t CompileDefaultStatement();
uint16_t CompileLabeledStatement();

} // namespace tsw
