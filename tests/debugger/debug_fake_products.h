#pragma once

#include "debugger/debugseams.h"

#include <map>
#include <string>
#include <vector>

namespace tsw::testing {

// The products of a compile as the engine asks for them.
class DebugFakeProducts : public DebugProducts {
public:
  static constexpr uint16_t kCodeStart = 0x4000;
  static constexpr uint16_t kStackTop = 0xDF00;
  static constexpr uint16_t kExit = 0x4010;
  static constexpr uint16_t kExit2 = 0x4020;

  // A statement at `address` (packed ADDR24), line and column from 1.
  void AddStatement(ADDR24 address, const std::string &file, uint16_t line, uint8_t column) {
    statements[Addr24ToPhysical(address)] = {address, SourceLocation{file, line, column}};
  }

  std::optional<SourceLocation> FindSourceForAddress(ADDR24 address) override {
    auto it = statements.find(Addr24ToPhysical(address));
    if (it == statements.end())
      return std::nullopt;
    return it->second.second;
  }
  ADDR24 FindAddressForSource(const std::string &file, uint16_t line, uint16_t column) override {
    for (const auto &[physical, statement] : statements)
      if (statement.second.file == file && statement.second.line == line && statement.second.column == column)
        return statement.first;
    return {};
  }
  std::vector<ADDR24> FunctionAddresses() override { return functions; }
  uint16_t StartupLabel(const char *name) override {
    auto it = labels.find(name);
    return it == labels.end() ? 0 : it->second;
  }
  uint16_t CodeStart() override { return kCodeStart; }
  uint16_t StackTop() override { return kStackTop; }
  TargetCpu Cpu() override { return cpu; }
  std::optional<uint16_t> FindRuntimeRoutine(const char *name) override {
    auto it = routines.find(name);
    return it == routines.end() ? std::nullopt : std::optional<uint16_t>(it->second);
  }
  const char *FindBiosSymbolByValue(ADDR24) override { return nullptr; }
  ADDR24 LookupXmem(ADDR24 address) override { return address; }
  void ForEachSymbol(const std::function<bool(const SymbolView &)> &) override {}
  void ClearBiosSymbols() override { ++biosSymbolClears; }
  int LoadBiosSymbolsFromBios() override { return biosLoadResult; }
  uint8_t GetCompileStage() override { return compileStage; }
  void SetCompileStage(uint8_t stage) override {
    compileStage = stage;
    stages.push_back(stage);
  }

  std::map<uint32_t, std::pair<ADDR24, SourceLocation>> statements;
  std::vector<ADDR24> functions;
  std::map<std::string, uint16_t> labels{{".exit", kExit}, {"..exit2", kExit2}, {"..bp_init", 0x3F00}};
  std::map<std::string, uint16_t> routines;
  TargetCpu cpu = TargetCpu::Z180;
  int biosLoadResult = 0;
  int biosSymbolClears = 0;
  uint8_t compileStage = 5;
  std::vector<uint8_t> stages;
};

} // namespace tsw::testing
