#pragma once

#include "debugger/debugseams.h"

// The engine's products of the last compile, answered by the compiler
// itself: the statement table, the compiled functions, the start-up labels
// and memory map, the BIOS symbols and the compile stage.
namespace tsw {

class CompilerProducts : public DebugProducts {
public:
  std::optional<SourceLocation> FindSourceForAddress(ADDR24 address) override;
  ADDR24 FindAddressForSource(const std::string &file, uint16_t line, uint16_t column) override;
  std::vector<ADDR24> FunctionAddresses() override;
  uint16_t StartupLabel(const char *name) override;
  uint16_t CodeStart() override;
  uint16_t StackTop() override;
  TargetCpu Cpu() override;
  std::optional<uint16_t> FindRuntimeRoutine(const char *name) override;
  const char *FindBiosSymbolByValue(ADDR24 address) override;
  ADDR24 LookupXmem(ADDR24 address) override;
  void ForEachSymbol(const std::function<bool(const SymbolView &)> &visit) override;
  void ClearBiosSymbols() override;
  int LoadBiosSymbolsFromBios() override;
  uint8_t GetCompileStage() override;
  void SetCompileStage(uint8_t stage) override;
};

} // namespace tsw
