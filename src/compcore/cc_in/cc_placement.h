#pragma once

#include "compcore/cc_in/cc_directive_targets.h"
#include "foundation/addr24.h"

// The preprocessor's code-placement directives: segment chains and origins.
// Each handler starts with the cursor after its directive word.
namespace tsw {

void FuncChainDirective();
void MakeChainDirective();
void CorgDirective();
void DorgDirective();
// "#rcodorg" ... "#wvarorg": the directive of `cache`.
void OriginDirective(OriginCache cache);

// Two constant expressions, the segment and then the offset.
ADDR24 ParseOriginAddress();

} // namespace tsw
