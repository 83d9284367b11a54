#include "gui/compilercharrules.h"

#include "compcore/cc_in/cc_in.h"

namespace tsw {

bool CompilerCharRules::IsWordChar(uint8_t byte) const { return IsIdentChar(char(byte)); }
bool CompilerCharRules::IsLeadByte(uint8_t byte) const { return tsw::IsLeadByte(char(byte)); }

} // namespace tsw
