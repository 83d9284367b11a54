#pragma once

// Installs the code generator's own answers to what instruction emission
// asks of the layer above it (named routine calls, the register cache, the
// operand loads), in place of the default that fails every call.
namespace tsw {

void InstallCodegenLayer();

} // namespace tsw
