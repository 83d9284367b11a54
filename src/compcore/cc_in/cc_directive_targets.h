#pragma once

#include "compcore/common/cc_codegen.h"
#include "foundation/addr24.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the preprocessor needs of the IDE shell and of the board (the code
// generator is reached through CodeGen()). Each answers neutrally until the
// compile installs the real one.
namespace tsw {

// The board a compile without a board assumes, as the IDE's dialog
// describes it; 32 size units make one size code.
struct OfflineBoardDescription {
  uint16_t boardType = 0;
  int32_t crystalSpeed = 0; // Hz
  int32_t ramSize = 0;
  int32_t flashSize = 0;
};

// The IDE shell's side of the compile.
class DirectiveShell {
public:
  virtual ~DirectiveShell() = default;
  // The IDE's debug-code mode; 0 lets debug code be generated.
  virtual int DebugCodeMode() { return 0; }
  virtual bool IsProgramLoaded() { return false; }
  virtual void SetProgramLoaded(bool loaded) { (void)loaded; }
  virtual bool CompileWithoutBoard() { return false; }
  // The flag that makes NO_BIOS "0".
  virtual bool IdeBiosFlag() { return false; }
  // The IDE's run mode; 1 makes DEBUG_RST "0".
  virtual int RunMode() { return 0; }
  // The project's predefined names, as the DEFINES setting lists them:
  // name, value, name, value...
  virtual std::vector<std::string> ProjectMacros() { return {}; }
  // The IDE's memory mode: 0 flash, 1 RAM, 2 mixed.
  virtual int MemoryMode() { return 0; }
  // The IDE's setting that restricts watch code.
  virtual bool RestrictWatchCode() { return false; }
  virtual OfflineBoardDescription OfflineBoard() { return {}; }
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

// Null puts back the neutral shell (and no board for the link).
void SetDirectiveTargets(DirectiveShell *shell, TargetLink *link);
DirectiveShell &DirectiveShellInUse();
TargetLink *DirectiveLink();

} // namespace tsw
