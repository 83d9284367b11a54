#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Conditional compilation and the preprocessor's directives. Every logical
// line passes ProcessConditionalDirective (false groups dropped) and then
// ProcessDirective (directives carried out, other lines macro-expanded).
namespace tsw {

constexpr int kMaxConditionDepth = 2047;
constexpr size_t kMaxKillName = 32;
enum ConditionState : uint8_t { kCondActive = 1, kCondWaiting = 2, kCondDone = 3 };

// What the directives need of their neighbours; the compile sets them.
struct DirectiveServices {
  // The BIOS symbol's value, 0 when absent or switched off.
  std::function<uint32_t(const std::string &)> biosSymbol;
  // Evaluates the constant expression at the cursor (message 427 and 0
  // when it is not constant).
  std::function<int32_t()> constantExpression;
  // "#KILL" marks a BIOS symbol removed; "#KILLALL"/"#NOKILLALL" switch
  // the BIOS symbol table off and on.
  std::function<void(const std::string &name)> killBiosSymbol;
  std::function<void(bool enabled)> enableBiosSymbols;
  // "#functnum": the code generator's function counter.
  std::function<void(int32_t counter)> setFunctionCounter;
};
void SetDirectiveServices(DirectiveServices services);

void ProcessConditionalDirective();
void ProcessDirective();
void PushCondition(uint8_t state);
int ConditionDepth();

// The directive handlers' shared steps: the constant expression at the
// cursor (single-line mode), the BIOS symbol table switch, and the end of
// the line.
int32_t ReadDirectiveExpression();
void EnableBiosSymbolTable(bool enabled);
void SkipToLineEnd();

// Starts the per-file bookkeeping of conditional groups on the line
// sources: an unclosed group is reported at the end of its file.
void InstallConditionalFileHooks();
void ResetDirectivesModule();

} // namespace tsw
