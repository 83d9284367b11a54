#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the declaration parser needs of the expression compiler, the
// function compiler, the data emitters and the IDE. The compile installs
// its own; the default compiles nothing and places everything at 0.
namespace tsw {

class DeclarationBackEnd {
public:
  virtual ~DeclarationBackEnd() = default;

  // An "xstring" or "xdata" declaration at the cursor; true when taken.
  virtual bool OfferXdataDeclaration() { return false; }
  // The constant expression at the cursor (an array dimension, an "@"
  // address); false when it is not constant. Reports nothing itself.
  virtual bool ConstantExpression(int32_t &value) {
    value = 0;
    return false;
  }

  // The function compiler. A definition when a body follows the declarator
  // (`declaratorResult` 2: the parameters stand at the cursor); true when it
  // compiled a body, false for a mere prototype.
  virtual bool CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass, uint16_t memoryCode) {
    (void)declaratorResult, (void)baseType, (void)storageClass, (void)memoryCode;
    return false;
  }
  // Parameters being read belong to a definition, not to a prototype.
  virtual bool InFunctionDefinition() { return false; }
  virtual void AddRegisterAreaBytes(uint16_t bytes) { (void)bytes; }
  // Parameters live in static memory.
  virtual bool StaticFrame() { return false; }
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
  virtual bool TargetIsZ180() { return true; }

  // Storage of initialized data. While code is being placed in the
  // extended-memory window the root code cache is made current around the
  // data.
  virtual bool CodeAddressInXmemWindow() { return false; }
  virtual void SelectCodeCache(bool root) { (void)root; }
  // The address (packed ADDR24) the next initialized datum gets.
  virtual uint32_t InitializedDataAddress() { return 0; }
  // Emits one object's initializer (or its zero fill without one); may fill
  // an empty outermost dimension from the initializer's count.
  virtual void EmitInitializer(uint32_t declarator, int16_t type, std::vector<uint16_t> &dimensions, int mode,
                               bool hasInitializer) {
    (void)declarator, (void)type, (void)dimensions, (void)mode, (void)hasInitializer;
  }
  virtual void AddMapDataSymbol(std::string_view name, std::string_view file) { (void)name, (void)file; }
  // Defines the code label of `name` at `address` (a packed ADDR24).
  virtual void DefineLabel(std::string_view name, uint32_t address) { (void)name, (void)address; }
};

// Null installs the default.
void SetDeclarationBackEnd(DeclarationBackEnd *backEnd);
DeclarationBackEnd &DeclBackEnd();

} // namespace tsw
