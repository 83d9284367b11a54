#pragma once

#include "compcore/cc_stab/cc_stab.h"

#include <cstdint>
#include <string_view>

// Structure and union definitions: their members as symbols made unique
// per type, their offsets and their size.
namespace tsw {

inline constexpr unsigned kMaxMembers = 150;

// The type after "struct" or "union": a tag of a known type, or a member
// list. The type id; -1 after a member without a type.
int16_t ParseStructOrUnion(bool isUnion);
// The member `name` of the structure `typeId`, or null.
SymbolRecord *FindMember(std::string_view name, int16_t typeId);

} // namespace tsw
