#include "compcore/cc_gen/codegen_upcalls.h"

#include "foundation/xerr.h"

namespace tsw {

namespace {

constexpr const char *kModule = "compcore\\codegen_upcalls";

class MissingUpcalls : public CodegenUpcalls {
public:
  ADDR24 LookupRoutineSymbol(std::string_view, uint16_t, uint8_t) override { Fail(__LINE__); }
  uint32_t EmitCallNamedRoutine(std::string_view) override { Fail(__LINE__); }
  void EmitJumpNamedRoutine(std::string_view) override { Fail(__LINE__); }
  void FlushPrimaryRegister() override { Fail(__LINE__); }
  void FlushPrimaryRegisterHolding(Reg) override { Fail(__LINE__); }
  void LoadOperandToValueRegister(ValueRecord &) override { Fail(__LINE__); }
  void LoadOperandAddressIntoHL(ValueRecord &) override { Fail(__LINE__); }
  void PopOperandToValueRegister(ValueRecord &) override { Fail(__LINE__); }

private:
  [[noreturn]] static void Fail(uint32_t line) { throw xInternal(kModule, line); }
};

MissingUpcalls &Missing() {
  static MissingUpcalls missing;
  return missing;
}

CodegenUpcalls *&Installed() {
  static CodegenUpcalls *installed = &Missing();
  return installed;
}

} // namespace

void SetCodegenUpcalls(CodegenUpcalls *upcalls) { Installed() = upcalls ? upcalls : &Missing(); }

CodegenUpcalls &Upcalls() { return *Installed(); }

} // namespace tsw
