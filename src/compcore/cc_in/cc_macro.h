#pragma once

#include "compcore/common/cc_codegen.h"

#include <cstdint>
#include <string>
#include <string_view>

// The macro table and macro expansion. Bodies keep each use of parameter k
// as ESC, k in decimal, ESC; names and bodies compare byte by byte.
namespace tsw {

struct MacroInfo {
  uint16_t active = 0; // above 0 while its replacement is being scanned
  uint16_t paramCount = 0;
  bool functionLike = false;
  std::string body;
};

constexpr unsigned kMaxActiveMacros = 127;
constexpr unsigned kMaxMacroArgs = 32;

// The user's definition: an existing name keeps its first body (warning 537
// and false when the new body differs).
bool AddMacro(const std::string &name, const std::string &text, uint16_t paramCount, bool functionLike);
bool DefineMacro(const std::string &name, const std::string &text);
// The compiler's own predefined macros: the body is replaced.
void SetPredefinedMacro(const std::string &name, const std::string &text);
void UndefineMacro(const std::string &name);
const char *IsMacroDefined(const std::string &name);
MacroInfo *LookupMacro(std::string_view name);
void ClearMacroTable();

// A BIOS compile starts from an empty table; its macros are kept at its end
// and every program compile starts from exactly those.
void BeginCompileMacros(bool biosCompile);
void EndBiosCompileMacros();

// "#define" with the cursor after the keyword.
void DefineDirective();
// Told of every macro a #define has just entered, while its line is the
// current one, so that the map file can say where it came from.
using MacroDefinedHook = void (*)(std::string_view name);
void SetMacroDefinedHook(MacroDefinedHook hook);
// Expands the macros of the current logical line from the cursor on; the
// line and its position maps are rewritten in place.
void ExpandMacros();
// ExpandMacros for a directive's operand, which ends at its line end: a
// function-like macro name at the end does not read the next line.
void ExpandDirectiveOperand();
void ResetMacroExpansionState();

// The predefined macros of every compile; the processor names and
// TARGETCPU only in the BIOS compile.
struct PredefinedMacroSettings {
  bool biosCompile = false;
  tsw::TargetCpu cpu = tsw::TargetCpu::Z180;
  bool ideBiosFlag = false;  // NO_BIOS "0" when set
  int ideRunMode = 0;        // DEBUG_RST "0" in run mode 1
  bool withoutBoard = false; // _OFFLINE_COMPILE_
};
void DefineTargetMacros(const PredefinedMacroSettings &settings);
// The processor changed (#pragma): TARGETCPU follows.
void SetTargetCpuMacro(tsw::TargetCpu cpu);
void ResetMacroModule();

} // namespace tsw
