#include "compcore/cc_parse/decl/cc_declarator.h"

#include <string>

// The declarator's header cannot share a translation unit with the value
// record's (both name the type codes), so the call tests' stand-in body
// compiler asks for the function's name here.
namespace tsw::testing {

std::string DeclaredFunctionName() { return Declarator().name; }

} // namespace tsw::testing
