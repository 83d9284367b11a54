#include "compcore/cc_parse/expr/cc_parse_panic.h"

#include "foundation/xerr.h"

namespace tsw {

[[noreturn]] void ParserPanic(const char *) { throw xInternal("compcore\\cc_parse", __LINE__); }

} // namespace tsw
