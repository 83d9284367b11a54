#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <string>
#include <string_view>

// What the label tables need of the phases above them: the patches into
// emitted code, the directories, the jump re-emitter, the symbols and
// libraries that reports name, and the raisers. The compiler's assembly
// installs the real one.
namespace tsw {

class FixupServices {
public:
  virtual ~FixupServices() = default;
  virtual bool Corvid() = 0;
  virtual bool NoBouncers() = 0;
  // Every diagnostic is thrown at once (a watch expression).
  virtual bool WatchMode() = 0;
  // Reading the program's own source (not the prologue, not a library).
  virtual bool ReadingProgramSource() = 0;
  virtual ADDR24 CurrentCodeAddress() = 0;
  virtual void PatchByte(ADDR24 address, uint8_t value) = 0;
  virtual void PatchWord(ADDR24 address, uint16_t value) = 0;
  virtual ADDR24 LookupRoot(ADDR24 address) = 0;
  virtual void EmitFarJumpFixup(uint8_t opcode, ADDR24 patch, ADDR24 target, uint16_t flags) = 0;
  // The next byte a code cache emits or stores at `address` goes to `sink`.
  virtual void ArmOpcodeCapture(ADDR24 address, void (*sink)(uint8_t byte)) = 0;
  virtual void DisarmOpcodeCapture() = 0;
  // The symbol's alternate address (null when none or no symbol).
  virtual ADDR24 SymbolAlternateAddress(std::string_view name) = 0;
  // Marks the symbol's body or label as not placed.
  virtual void ClearSymbolDefined(std::string_view name) = 0;
  // Fatal 785 at the symbol's declaration, or at line 1, column 1.
  [[noreturn]] virtual void ReportUndefinedGlobal(std::string_view name) = 0;
  // 3033 or 3034 when a library module also defines the name.
  virtual void WarnIfLibraryDefines(std::string_view name) = 0;
  // `text` is message's text, formatted by the caller with FormatMessage.
  virtual void CompileError(unsigned message, const std::string &text) = 0;
  [[noreturn]] virtual void FatalAtStart(unsigned message, const std::string &text) = 0;
  // Serious warning at a given file and line (the assembler's long calls).
  virtual void SeriousWarningAt(unsigned message, const std::string &file, uint16_t line, const std::string &text) = 0;
};
void SetFixupServices(FixupServices *services);

} // namespace tsw
