#pragma once

#include <string>

// The parameters of a function: the prototype list after "(" and the
// declarations of an old-style definition between ")" and "{".
namespace tsw {

// The prototype parameters after "(": -1 none read, 0 names only, else 1 +
// the number of typed parameters (1 after "...").
int ParseParameterList();
// The declarations between ")" and "{" of an old-style definition; 1 when
// at least one was read.
int ParseOldStyleParameters();

// True when `name` stands in the names-only parameter list of the function
// being declared, which its old-style declarations must use.
bool IsOldStyleParameterName(const std::string &name);
// A new function declarator: no parameter names are listed until its own
// list is read.
void ForgetParameterNames();
// A name for the next unnamed prototype parameter: "___" and a running
// number in base 26 written with the letters a to z, lowest digit first.
std::string NextUnnamedParameterName();
void ResetParameterNames();

} // namespace tsw
