#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the declaration parser needs of the expression compiler and the
// function compiler, which are not built yet, and the IDE's warning switch
// (the code generator is reached through CodeGen()). The default compiles
// nothing.
namespace tsw {

class DeclarationBackEnd {
public:
  virtual ~DeclarationBackEnd() = default;

  // The constant expression at the cursor (an array dimension, an "@"
  // address); false when it is not constant. Reports nothing itself. The
  // default is the expression compiler's.
  virtual bool ConstantExpression(int32_t &value);
  // The storage of a global or static object: its initializer (after "="
  // when `hasInitializer`) compiled into initialized data, or zero bytes of
  // root data without one. May fill an empty outermost dimension from the
  // initializer's count. The object's address, packed. The default is the
  // initializer compiler's.
  virtual uint32_t EmitInitializer(uint32_t declarator, int16_t type, std::vector<uint16_t> &dimensions,
                                   bool hasInitializer);

  // The function compiler. A definition when a body follows the declarator
  // (`declaratorResult` 2: the parameters stand at the cursor); true when it
  // compiled a body, false for a mere prototype. Inside a body a function
  // may only be declared: true when a body was there and refused.
  virtual bool CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass, uint16_t memoryCode) {
    (void)declaratorResult, (void)baseType, (void)storageClass, (void)memoryCode;
    return false;
  }
  // Parameters being read belong to a definition, not to a prototype.
  virtual bool InFunctionDefinition() { return false; }
  virtual void RecordFunctionLine(uint16_t line) { (void)line; }
  virtual void MarkHasParameters() {}
  virtual void SetVariableArguments() {}
  virtual std::string CurrentFunctionName() { return {}; }

  // A fragment compile and the class its locals get.
  virtual bool FragmentCompile() { return false; }
  virtual int16_t FragmentClass() { return 2; }
  // Library modules or the BIOS are being compiled, and the IDE asks for
  // the warning on local declarations without a class word there.
  virtual bool CompilingLibraryOrBios() { return false; }
  virtual bool WarnLocalsWithoutClass() { return false; }
};

// Null installs the default.
void SetDeclarationBackEnd(DeclarationBackEnd *backEnd);
DeclarationBackEnd &DeclBackEnd();

} // namespace tsw
