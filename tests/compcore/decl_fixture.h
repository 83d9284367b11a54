#pragma once

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/decl/cc_declarator.h"
#include "compcore/cc_parse/decl/cc_params.h"
#include "compcore/cc_stab/cc_stab.h"
#include "front_end_fixture.h"

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace tsw::testing {

struct EmittedObject {
  std::string name;
  uint32_t word;
  int16_t type;
  std::vector<uint16_t> dimensions;
  bool hasInitializer;
  uint16_t byteSize;
  uint32_t address;
};

struct FunctionCall {
  std::string name;
  int declaratorResult;
  int16_t baseType;
  int16_t storageClass;
  uint16_t memoryCode;
  uint32_t attributes;
  int parameterSummary;
  int oldStyleRead;
  bool body;
  int32_t localsTotal;
};

// Records what the parser hands on. Constants are decimal or hexadecimal
// numbers; a name is no constant. A function's parameters are read as the
// function compiler reads them, its body's declarations too, and the rest
// of the body is skipped.
class FakeBackEnd : public DeclarationBackEnd, public CodeGenerator {
public:
  static constexpr uint32_t kFirstDataAddress = 0x6000;
  static constexpr uint32_t kDataStep = 0x100;
  static constexpr ADDR24 kRootCodeAddress = {0x4000, 0, 0}, kXmemCodeAddress = {0xE000, 0, 0};

  bool ConstantExpression(int32_t &value) override {
    SkipSpaces();
    if (!IsDigitChar(*InputCursor)) {
      std::string name;
      ReadIdentifier(name);
      value = 0;
      return false;
    }
    char *end = InputCursor;
    value = int32_t(std::strtol(InputCursor, &end, 0));
    InputCursor = end;
    return true;
  }
  bool CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass, uint16_t memoryCode) override {
    FunctionCall call{Declarator().name,
                      declaratorResult,
                      baseType,
                      storageClass,
                      memoryCode,
                      Attributes().declaration,
                      -1,
                      -1,
                      false,
                      0};
    functionName = call.name;
    // An empty list or a list of names only: old-style declarations follow.
    if (declaratorResult == kFunctionWithParameters)
      call.parameterSummary = ParseParameterList();
    if (declaratorResult != kFunctionWithParameters || call.parameterSummary == 0)
      call.oldStyleRead = ParseOldStyleParameters();
    SkipBlanksAcrossLines();
    call.body = MatchKeyword("{");
    if (call.body) {
      Attributes().current = Attributes().declaration;
      ParseDeclaration(kLevelLocal);
      call.localsTotal = LocalsTotal();
      for (int depth = 1; depth > 0 && !EndOfInput;) {
        char c = NextInputChar();
        depth += c == '{' ? 1 : c == '}' ? -1 : 0;
      }
    }
    functions.push_back(call);
    return call.body;
  }
  bool InFunctionDefinition() override { return inDefinition; }
  void AddRegisterAreaBytes(uint16_t bytes) override { registerBytes += bytes; }
  bool StaticFrame() override { return staticFrame; }
  void RecordFunctionLine(uint16_t line) override { functionLines.push_back(line); }
  void MarkHasParameters() override { ++hasParameters; }
  void SetVariableArguments() override { variableArguments = true; }
  std::string CurrentFunctionName() override { return functionName; }
  bool FragmentCompile() override { return fragment; }
  bool CompilingLibraryOrBios() override { return library; }
  bool WarnLocalsWithoutClass() override { return warnLocals; }
  tsw::TargetCpu TargetCpu() override { return z180 ? tsw::TargetCpu::Z180 : tsw::TargetCpu::Corvid; }
  bool CodeAddressInXmemWindow() override { return codeInXmem; }
  ADDR24 CacheAddress(OriginCache cache) override {
    return cache == OriginCache::kXmemCode ? kXmemCodeAddress : kRootCodeAddress;
  }
  // Recorded as "root code made current".
  void SelectCodeCache(ADDR24 address) override {
    cacheSelections.push_back(address.logical < kXmemCodeAddress.logical);
  }
  uint32_t EmitInitializer(uint32_t word, int16_t type, std::vector<uint16_t> &dims, bool hasInitializer) override {
    if (hasInitializer)
      SkipInitializer(dims);
    objects.push_back({Declarator().name, word, type, dims, hasInitializer, Declarator().byteSize, nextAddress});
    const uint32_t address = nextAddress;
    nextAddress += kDataStep;
    return address;
  }
  void AddMapDataSymbol(std::string_view name, std::string_view file, SymbolRecord &) override {
    mapSymbols.push_back(std::string(name) + "@" + std::string(file));
  }
  void DefineLabel(std::string_view name, uint32_t address) override { labels[std::string(name)] = address; }

  const EmittedObject *Object(const std::string &name) const {
    for (const EmittedObject &o : objects)
      if (o.name == name)
        return &o;
    return nullptr;
  }

  bool inDefinition = false, staticFrame = false, fragment = false, library = false, warnLocals = false;
  bool z180 = true, codeInXmem = false;
  uint32_t nextAddress = kFirstDataAddress;
  uint16_t registerBytes = 0;
  int hasParameters = 0;
  bool variableArguments = false;
  std::string functionName;
  std::vector<uint16_t> functionLines;
  std::vector<bool> cacheSelections;
  std::vector<EmittedObject> objects;
  std::vector<FunctionCall> functions;
  std::vector<std::string> mapSymbols;
  std::map<std::string, uint32_t> labels;

private:
  // A value up to "," or ";", or a braced list whose elements fill an
  // empty outermost dimension.
  static void SkipInitializer(std::vector<uint16_t> &dims) {
    SkipBlanksAcrossLines();
    if (!MatchKeyword("{")) {
      while (*InputCursor && *InputCursor != ',' && *InputCursor != ';')
        NextInputChar();
      return;
    }
    uint16_t elements = 1;
    for (int depth = 1; depth > 0 && !EndOfInput;) {
      char c = NextInputChar();
      depth += c == '{' ? 1 : c == '}' ? -1 : 0;
      elements = uint16_t(elements + (c == ',' && depth == 1));
    }
    if (!dims.empty() && dims.front() == 0)
      dims.front() = elements;
  }
};

// The compile loop's view of the parser: a new local scope for each item.
class DeclarationCompiler : public TopLevelCompiler {
public:
  int ParseDeclaration(int level) override {
    MoveLocalTableBoundary();
    return tsw::ParseDeclaration(level);
  }
};

// Compiles programs through the compile loop into a fresh symbol table.
class DeclFixture : public FrontEndFixture {
protected:
  static constexpr uint16_t kSymbolLimit = 600;

  void SetUp() override {
    FrontEndFixture::SetUp();
    ResetMemmapAndClassDefaults();
    AllocateSymbolTables(kSymbolLimit);
    SetDeclarationBackEnd(&backEnd);
    SetCodeGenerator(&backEnd);
  }
  // A clean start for the next case of a table.
  void Restart() {
    TearDown();
    sink.records.clear();
    backEnd = FakeBackEnd();
    SetUp();
  }
  void Compile(const std::string &program) {
    Start(program);
    ReadNextLineAndRewind();
    ProcessDirective();
    CompileTopLevel(compiler, false, {}, nullptr);
  }
  // The symbol of a declared name: locals first (those of the last item).
  static SymbolRecord *Symbol(const std::string &name) {
    if (SymbolRecord *r = LookupSymbol(name, false, SymbolTableId::kLocal))
      return r;
    return LookupSymbol(name, false, SymbolTableId::kGlobal);
  }
  const FunctionCall *Function(const std::string &name) const {
    for (const FunctionCall &f : backEnd.functions)
      if (f.name == name)
        return &f;
    return nullptr;
  }

  FakeBackEnd backEnd;
  DeclarationCompiler compiler;
};

} // namespace tsw::testing
