#pragma once

#include "compcore/common/target_cpu.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The code generator as the rest of the compiler sees it: one interface,
// one declaration per operation, implemented by the code generator and
// installed by the compiler's assembly. The preprocessor, the symbol table
// and the parsers reach the code generator only through it. Until one is
// installed every operation answers neutrally: nothing is emitted and every
// address is 0.
namespace tsw {

struct SymbolRecord;

// The emit caches that the origin directives name, one each.
enum class OriginCache : uint8_t { kRootCode, kXmemCode, kWatchCode, kRootConstant, kRootVariable, kWatchVariable };

// The memory-layout words the origin directives update.
enum class LayoutWord : uint8_t { kRootCode, kRootVariable };

class CodeGenerator {
public:
  virtual ~CodeGenerator() = default;

  // ---- target processor and code modes --------------------------------
  virtual void SelectTargetCpu(tsw::TargetCpu cpu) { (void)cpu; }
  virtual tsw::TargetCpu TargetCpu() { return tsw::TargetCpu::Z180; }
  // The compile is emitting BIOS code.
  virtual bool IsBiosCode() { return false; }
  virtual void BeginBiosCode() {}
  virtual void EndProgramCode() {}
  // The code output mode word: 0 program or BIOS, 1 and 2 a watch compile.
  virtual uint8_t OutputMode() { return 0; }

  // ---- emit caches and origins ------------------------------------------
  // The rest of an origin directive's line, with the cursor after its word.
  virtual void ParseOriginDirective(int kind, OriginCache cache) { (void)kind, (void)cache; }
  virtual void FlushCache(OriginCache cache) { (void)cache; }
  virtual ADDR24 CacheAddress(OriginCache cache) {
    (void)cache;
    return {};
  }
  // False while the cache has the default origin.
  virtual bool CacheHasOrigin(OriginCache cache) {
    (void)cache;
    return false;
  }
  virtual void SetCacheEmitAddress(OriginCache cache, ADDR24 address) { (void)cache, (void)address; }
  // Root code below the extended-memory window, extended-memory code at or
  // above it, each at `address`; then the initialized-data cache follows.
  virtual void SelectCodeCache(ADDR24 address) { (void)address; }
  // The current code address lies in the extended-memory window.
  virtual bool CodeAddressInXmemWindow() { return false; }
  virtual void SetDataEmitAddress(ADDR24 address) { (void)address; }
  // "#corg" below the extended-memory window: the segment code goes on with.
  virtual void KeepCodeSegment(uint8_t segment) { (void)segment; }
  virtual void SetLayoutWord(LayoutWord word, uint16_t value) { (void)word, (void)value; }
  // Empties the table of names that stand for emit caches.
  virtual void ClearNameToCacheTable() {}
  // Makes the debug or the nodebug extended-memory code cache current when
  // the current origin has a debug mode and that cache exists.
  virtual void SwitchXmemCodeCache(bool debug) { (void)debug; }

  // ---- segment chains: "#makechain" and "#funcchain" --------------------
  virtual void AddSegChainName(const std::string &chain) { (void)chain; }
  virtual void AddSegChainFunction(const std::string &chain, const std::string &function) {
    (void)chain, (void)function;
  }

  // ---- jumps and labels --------------------------------------------------
  // A jump to `target`; the result locates it for a later patch.
  virtual ADDR24 EmitJumpToAddr24(ADDR24 target, uint8_t opcode) {
    (void)target, (void)opcode;
    return {};
  }
  // Patches the jump at `jump` to the current code address.
  virtual void EmitJumpWithWindowCheck(ADDR24 jump) { (void)jump; }
  // Where the program's code starts once the BIOS is compiled.
  virtual void SetProgramCodeStart(ADDR24 address) { (void)address; }
  virtual void ClearScratchArea() {}
  // Defines the code label of `name` at `address` (a packed ADDR24) and
  // patches the references waiting for it.
  virtual void DefineLabel(std::string_view name, uint32_t address) { (void)name, (void)address; }

  // ---- functions and data -------------------------------------------------
  // The function being compiled keeps its frame in static memory.
  virtual bool StaticFrame() { return false; }
  virtual void AddRegisterAreaBytes(uint16_t bytes) { (void)bytes; }
  // An "xstring" or "xdata" declaration at the cursor; true when taken.
  virtual bool OfferXdataDeclaration() { return false; }
  // A global or static with its storage, under the name the map shows.
  virtual void AddMapDataSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol) {
    (void)name, (void)file, (void)symbol;
  }
  // A parameter or auto local at its offset on the function's frame, which
  // is addressed through IX or SP.
  virtual void AddMapFrameSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol,
                                 int16_t frameOffset, bool ixFrame) {
    (void)name, (void)file, (void)symbol, (void)frameOffset, (void)ixFrame;
  }
  // A compiled function's code starts, or ends, at the current code address;
  // its header stands on `headerLine` of the file being read.
  virtual void MapFunctionBegins(std::string_view name, uint32_t headerLine) { (void)name, (void)headerLine; }
  virtual void MapFunctionEnds(std::string_view name) { (void)name; }
  // The function being compiled calls `callee`.
  virtual void MapCallsFunction(std::string_view callee) { (void)callee; }

  // ---- what the compile loop hands on ------------------------------------
  // An inline-assembly block from the next line up to "#endasm".
  virtual void CompileAsmBlock(bool withDebugCode) { (void)withDebugCode; }
  // Far-call stubs and strings waiting to be emitted.
  virtual void EmitPendingStubsAndStrings() {}
  // After the last item: closes the map entry, builds the segment chains.
  virtual void FinishTopLevel() {}
  // "#ximport": room for n bytes in extended-memory code (false: no origin
  // has room; the code generator has reported it), the physical address of
  // the next byte there, and one byte of the imported file.
  virtual bool ReserveXmemCode(uint32_t n) {
    (void)n;
    return false;
  }
  virtual uint32_t XmemCodePhysical() { return 0; }
  virtual void EmitXmemImportByte(uint8_t byte) { (void)byte; }
  // "#precompile" (cursor after the keyword), "#begincommon", "#endcommon".
  virtual void PrecompileDirective() {}
  virtual void BeginCommon() {}
  virtual void EndCommon() {}

  // ---- the source-position table -------------------------------------------
  // Positions from here on are of `file`, from the given 0-based line and
  // column, at the current code address.
  virtual void StartStatementPositions(const std::string &file, uint16_t line, uint16_t column) {
    (void)file, (void)line, (void)column;
  }
  // A statement of `file` begins at the given position and at the current
  // code address.
  virtual void RecordStatementPosition(const std::string &file, uint16_t line, uint16_t column) {
    (void)file, (void)line, (void)column;
  }
  // Closes the pending entry at the given source position and the current
  // code address.
  virtual void FlushStatementPosition(uint16_t line, uint16_t column) { (void)line, (void)column; }
};

// Null puts back the neutral code generator.
void SetCodeGenerator(CodeGenerator *codeGenerator);
CodeGenerator &CodeGen();

} // namespace tsw
