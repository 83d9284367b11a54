#pragma once

// Installs the code generator's own answers to what instruction emission
// asks of the layer above it (named routine calls, the register cache, the
// operand loads), in place of the default that fails every call.
namespace tsw {

// Also takes part in the statement snapshot.
void InstallCodegenLayer();

class CodegenUpcalls;
// The layer's answers themselves, for a test that had a recording layer in
// their place.
CodegenUpcalls &CodegenLayerUpcalls();

} // namespace tsw
