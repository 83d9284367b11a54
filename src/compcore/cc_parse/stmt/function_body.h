#pragma once

#include "compcore/cc_parse/decl/cc_decl_backend.h"

#include <cstdint>

// Function definitions: the declaration parser hands over after the
// function's declarator, and the parameters, the locals, the prolog, the
// statements and the closing code are compiled here.
namespace tsw {

class FunctionCompilerBackEnd : public DeclarationBackEnd {
public:
  bool CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass,
                           uint16_t memoryCode) override;
  bool InFunctionDefinition() override;
  std::string CurrentFunctionName() override;
  void SetVariableArguments() override;
};
// The one the compiler's assembly installs.
FunctionCompilerBackEnd &FunctionCompiler();

// A compile starts: the BIOS's or a program's.
void StartFunctionCompiler(bool biosCompile);
// Back to the start of the compiler's life; registers the function state with the
// statement snapshot.
void ResetFunctionCompiler();

} // namespace tsw
