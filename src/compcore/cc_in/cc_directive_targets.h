#pragma once

#include "compcore/cc_in/cc_macro.h"
#include "foundation/addr24.h"

#include <array>
#include <cstdint>
#include <string>

// What the preprocessor's code-placement directives drive: the code
// generator's caches, origins, segment chains and code modes, the IDE
// shell's program-loaded state, and the board. Each seam answers neutrally
// until the compile installs the real one.
namespace tsw {

// The emit caches that the origin directives name, one each.
enum class OriginCache : uint8_t { kRootCode, kXmemCode, kWatchCode, kRootConstant, kRootVariable, kWatchVariable };

// The memory-layout words the origin directives update.
enum class LayoutWord : uint8_t { kRootCode, kRootVariable };

class CodeGenDirectives {
public:
  virtual ~CodeGenDirectives() = default;
  virtual void SelectTargetCpu(TargetCpuName cpu) { (void)cpu; }
  virtual TargetCpuName TargetCpu() { return TargetCpuName::kZ180; }
  // Segment chains: "#makechain" and "#funcchain".
  virtual void AddSegChainName(const std::string &chain) { (void)chain; }
  virtual void AddSegChainFunction(const std::string &chain, const std::string &function) {
    (void)chain;
    (void)function;
  }
  // The rest of an origin directive's line, with the cursor after its word.
  virtual void ParseOriginDirective(int kind, OriginCache cache) {
    (void)kind;
    (void)cache;
  }
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
  virtual void SetCacheEmitAddress(OriginCache cache, ADDR24 address) {
    (void)cache;
    (void)address;
  }
  virtual void SelectCodeCache(ADDR24 address) { (void)address; }
  virtual void SetDataEmitAddress(ADDR24 address) { (void)address; }
  // "#corg" below the extended-memory window: the segment code goes on with.
  virtual void KeepCodeSegment(uint8_t segment) { (void)segment; }
  virtual void SetLayoutWord(LayoutWord word, uint16_t value) {
    (void)word;
    (void)value;
  }
  virtual uint8_t OutputMode() { return 0; }
  // Code modes of the BIOS compile.
  virtual bool BiosCodeMode() { return false; }
  virtual void EndProgramCode() {}
  virtual void BeginBiosCode() {}
  // Empties the table of names that stand for emit caches.
  virtual void ClearNameToCacheTable() {}
  // A jump to `target`; the result locates it for a later patch.
  virtual ADDR24 EmitJumpToAddr24(ADDR24 target, uint8_t opcode) {
    (void)target;
    (void)opcode;
    return {};
  }
  // Patches the jump at `jump` to the current code address.
  virtual void EmitJumpWithWindowCheck(ADDR24 jump) { (void)jump; }
  // Where the program's code starts once the BIOS is compiled.
  virtual void SetProgramCodeStart(ADDR24 address) { (void)address; }
  virtual void ClearScratchArea() {}
};

// The IDE shell's side of the BIOS compile.
class DirectiveShell {
public:
  virtual ~DirectiveShell() = default;
  virtual bool IsProgramLoaded() { return false; }
  virtual void SetProgramLoaded(bool loaded) { (void)loaded; }
  virtual bool CompileWithoutBoard() { return false; }
  // The flag that makes NO_BIOS "0".
  virtual bool IdeBiosFlag() { return false; }
  // The BIOS symbols of the BIOS just compiled, read without a board; 0 on
  // success.
  virtual int LoadBiosSymbolsFromBios() { return 0; }
};

// The board: the identification block and the link's target information,
// and the calls that start a freshly loaded BIOS.
class TargetLink {
public:
  virtual ~TargetLink() = default;
  static constexpr size_t kIdBlockSize = 132;
  virtual bool ReadIdBlock(std::array<uint8_t, kIdBlockSize> &block) = 0;
  virtual uint16_t FlashDeviceId() const = 0;
  virtual int8_t RamSizeCode() const = 0;
  virtual uint16_t BoardType() const = 0;
  virtual uint32_t BaudRate() const = 0;
  virtual void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) = 0;
  // A link flag that forbids writing the BIOS start byte.
  virtual bool StartByteVetoed() const = 0;
  // Waits while the user interface goes on.
  virtual void Delay(uint32_t milliseconds) = 0;
  virtual void TargetConnect() = 0;
  virtual uint16_t QueryBoardTypeSerial() = 0;
};

// Null puts back the neutral seam (no board for the link).
void SetDirectiveTargets(CodeGenDirectives *codegen, DirectiveShell *shell, TargetLink *link);
CodeGenDirectives &DirectiveCodeGen();
DirectiveShell &DirectiveShellInUse();
TargetLink *DirectiveLink();

} // namespace tsw
