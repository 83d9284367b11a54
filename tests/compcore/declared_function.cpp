#include "compcore/declared_function.h"

#include "compcore/cc_parse/decl/cc_declarator.h"

namespace tsw::testing {

// Apart from the fixtures that need it: the declarator's header and the
// value record's share names a test file may also hold.
std::string DeclaredFunctionName() { return Declarator().name; }

} // namespace tsw::testing
