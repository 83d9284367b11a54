#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/msgnumbers.h"
#include "compcore/common/cc_session.h"

// The compile driver: one compile request of the shell, the staged start-up
// of the compiler (configuration, library index, BIOS symbols, tables) and
// the record of the options of the last compile.
namespace tsw {

inline constexpr uint16_t kCompileFailedBit = 2;
inline constexpr uint16_t kCompileModeLoadBios = 2;

// What the driver needs of the IDE shell.
class CompilerShell {
public:
  virtual ~CompilerShell() = default;
  virtual std::string ProgramDirectory() = 0;
  virtual std::string LibDirPath() = 0;
  virtual int16_t BiosFileTypeSetting() = 0;
  virtual bool UserBiosEnabled() = 0;
  virtual std::string DefaultUserBios() = 0;
  // The path of the file to compile, and the editor frame tied to the compile.
  virtual std::string CompilePath() = 0;
  virtual void SetCompilePath(const std::string &path) = 0;
  virtual std::string BiosSourcePath() = 0;
  virtual void *CompileFrame() = 0;
  virtual void SetCompileFrame(void *frame) = 0;
  virtual void *BiosSourceFrame() = 0;
  virtual bool PleaseWaitOpen() = 0;
  virtual void OpenPleaseWait() = 0;
  virtual void ClosePleaseWait() = 0;
  virtual void ShowStopBox(const std::string &title, const std::string &text) = 0;
  // The BIOS information file's contents; nullopt when it is not open.
  virtual std::optional<std::span<const uint8_t>> BiosInfoFile() = 0;
};

// The library index as the driver uses it.
class LibraryIndexService {
public:
  virtual ~LibraryIndexService() = default;
  // Creates the index afresh and builds it; 0 on success.
  virtual int Build(const std::string &programDir) = 0;
  // The library directory file's time against the last build (the new time
  // is stored); true when changed or unreadable.
  virtual bool LibDirChanged(const std::string &libDirPath) = 0;
  virtual std::vector<std::string> LibraryPaths() = 0;
  virtual bool LibraryChanged(const std::string &libraryPath) = 0;
};

// The compile pass: path, mode -> status word.
using CompileProgramFn = std::function<uint16_t(const std::string &path, uint16_t mode)>;

void SetCompilerShell(CompilerShell *shell);
void SetLibraryIndexService(LibraryIndexService *index);
void SetCompileProgram(CompileProgramFn pass);

uint16_t CompileFile(uint16_t mode);
int PrepareCompilerSession(bool loadBiosSymbols);
int CompileStage(bool loadBiosSymbols);
int ReinitCompilerTables();
void RefreshBiosSymbols();
uint8_t GetCompileStage();
void SetCompileStage(uint8_t stage);
const std::string &CompilerConfigPath();
bool SaveCompilerConfig();

bool LibrariesChanged();
// The shell's current "BIOSFileType" and "UserBIOSEnabled" settings; 0 and
// false without a shell.
int16_t GetBiosFileType();
bool IsUserBiosEnabled();

uint16_t RunTimeCheckMask();
uint16_t CurrentRunTimeCheckMask();
void RememberCompileOptions();
int CompileOptionsChanged();

int16_t DriverBiosFileType();
void ResetTargetCompileFlags();

// Option accessors of the shell's option dialogs: plain reads and writes
// of the configuration values, in the dialogs' argument order.
struct ProtocolSwitches {
  uint16_t tcprot, tcptr, tcdmtn;
};
uint16_t GetCompilerOptions(uint16_t &warn, uint16_t &index, uint16_t &ptr, uint16_t &stack, uint16_t &size,
                            uint16_t &lit, uint16_t &mac, uint16_t &sym, uint16_t &cchexf, ProtocolSwitches &tc);
void SetCompilerOptions(uint16_t warn, uint16_t index, uint16_t ptr, uint16_t stack, uint16_t size, uint16_t lit,
                        uint16_t mac, uint16_t sym, uint16_t cchexf, const ProtocolSwitches &tc);
void GetMemoryMapOptions(uint16_t &romx, uint16_t &rome, uint16_t &rams, uint16_t &rame, uint16_t &ramg, uint16_t &romc,
                         uint16_t &ramcfg);
void SetMemoryMapOptions(uint16_t romx, uint16_t rome, uint16_t rams, uint16_t rame, uint16_t ramg, uint16_t ramcfg);
void GetRootMapOptions(uint16_t &ustk, uint16_t &astk, uint16_t &heap, uint16_t &free);
void SetRootMapOptions(uint16_t ustk, uint16_t astk, uint16_t heap, uint16_t free);
void GetReservedMemoryOptions(uint16_t &logrs, uint16_t &logxs);
void SetReservedMemoryOptions(uint16_t logrs, uint16_t logxs);

void ResetCompileDriverModule();

} // namespace tsw
