#include "gui/driverlink.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/common/cc_command_values.h"
#include "compcore/cc_fioz8/rti_file.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/rom_listing.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/tc/coldload.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/tcplink.h"
#include "debugger/debugengine.h"
#include "debugger/disasm.h"
#include "debugger/stepper.h"
#include "debugger/debuglink_adapter.h"
#include "debugger/enginestate.h"
#include "debugger/products/compiler_products.h"
#include "compcore/cc_go/compile_driver.h"
#include "debugger/watcheval.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/compilereditors.h"
#include "gui/watchlist.h"
#include "gui/shellstate.h"
#include "platform/notify.h"
#include "platform/pleasewait.h"

namespace tsw {
namespace {

class SourceShell : public CompilerShell {
public:
  explicit SourceShell(CompilerShellSource &source) : s_(source) {}
  std::string ProgramDirectory() override { return s_.programDirectory(); }
  std::string LibDirPath() override { return s_.libDirPath(); }
  int16_t BiosFileTypeSetting() override { return s_.biosFileType(); }
  bool UserBiosEnabled() override { return s_.userBiosEnabled(); }
  std::string DefaultUserBios() override { return s_.defaultUserBios(); }
  std::string CompilePath() override { return s_.compilePath; }
  void SetCompilePath(const std::string &path) override { s_.compilePath = path; }
  std::string BiosSourcePath() override { return s_.biosSourcePath(); }
  void *CompileFrame() override { return Shell().currentProgramFrame; }
  void SetCompileFrame(void *frame) override { Shell().currentProgramFrame = static_cast<EditorFrameRef *>(frame); }
  void *BiosSourceFrame() override { return nullptr; }
  bool PleaseWaitOpen() override { return plat::PleaseWait().Busy(); }
  void OpenPleaseWait() override { plat::PleaseWait().Open(true); }
  void ClosePleaseWait() override { plat::PleaseWait().Close(); }
  void ShowStopBox(const std::string &title, const std::string &text) override {
    plat::Notifier().MessageBox(title, text, plat::Buttons::Ok, plat::Icon::Error);
  }
  std::optional<std::span<const uint8_t>> BiosInfoFile() override {
    if (!biosInfo)
      return std::nullopt;
    return std::span<const uint8_t>(*biosInfo);
  }

  // The BIOS's run-time information while the BIOS compiles.
  std::optional<std::vector<uint8_t>> biosInfo;

private:
  CompilerShellSource &s_;
};

// The build workers' flags as the compiler's directives read them; the
// shell may hand them in after the compiler is assembled.
class BuildDirectives : public DirectiveShell {
public:
  explicit BuildDirectives(CompilerShellSource &source) : s_(source) {}
  bool IsProgramLoaded() override { return s_.build && s_.build->programLoaded; }
  void SetProgramLoaded(bool loaded) override {
    if (s_.build)
      s_.build->programLoaded = loaded;
  }
  bool CompileWithoutBoard() override { return s_.build && s_.build->offlineCompile; }
  std::vector<std::string> ProjectMacros() override {
    return s_.projectMacros ? s_.projectMacros() : std::vector<std::string>();
  }
  bool RestrictWatchCode() override { return s_.restrictWatchCode && s_.restrictWatchCode(); }

private:
  CompilerShellSource &s_;
};

std::unique_ptr<SourceShell> installed;
std::unique_ptr<BuildDirectives> directives;

static_assert(kCompileMessagesStatus == 1 && kCompileFailedStatus == kCompileFailedBit);

// How long the kernel is given to take in the sync flag before a compile.
constexpr uint32_t kSyncSettleMs = 400;

} // namespace

// The IDE's compiler is the product's own assembly with the shell in place.
void InstallCompilerShell(CompilerShellSource *source) {
  std::unique_ptr<SourceShell> shell = source ? std::make_unique<SourceShell>(*source) : nullptr;
  CompilerBoundaries boundaries;
  boundaries.shell = shell.get();
  boundaries.editors = &OpenEditorsForCompiler();
  std::unique_ptr<BuildDirectives> flags = source ? std::make_unique<BuildDirectives>(*source) : nullptr;
  boundaries.directiveShell = flags.get();
  if (source) {
    boundaries.boardOverLink = true;
    // A program compile stops the kernel first: the old program must not run
    // while its code is overwritten. Without an open port there is nothing
    // running to stop.
    boundaries.kernel = {[] { TargetConnect(); }, [](uint8_t value) { PulseKernelFlag(value); },
                         [] {
                           if (IsSerialPortOpen())
                             SynchronizeDebugKernel();
                         }};
    boundaries.linkShell = source->linkHost;
    // The panes decode with the tables of the processor just compiled for.
    boundaries.selectDisassemblerTables = [] { SelectDisassemblerTables(); };
    boundaries.selectStepperTables = [] { SelectStepperTables(); };
    boundaries.decodeInstruction = DecodeEmittedInstruction;
  }
  AssembleCompiler(boundaries);
  installed = std::move(shell);
  directives = std::move(flags);
}

namespace {

// Bumped before every compile: the compile lays out the watch code area anew.
uint32_t compileCount = 0;

class EngineWatchServices : public WatchServices {
public:
  std::optional<Scope> FunctionAt(ADDR24 pc) override {
    // A function reaches up to the next one compiled after it.
    const std::vector<ADDR24> starts = Products().FunctionAddresses();
    const uint32_t at = Addr24ToPhysical(pc);
    std::optional<Scope> holder;
    for (size_t i = 0; i < starts.size(); ++i) {
      const ADDR24 end = i + 1 < starts.size() ? starts[i + 1] : ADDR24{};
      if (Addr24ToPhysical(starts[i]) <= at && (i + 1 == starts.size() || at < Addr24ToPhysical(end)))
        holder = Scope{starts[i], end};
    }
    return holder;
  }
  std::optional<Scope> MainFunction() override {
    std::optional<Scope> main;
    Products().ForEachSymbol([&](const SymbolView &symbol) {
      if (std::string_view(symbol.name) != "main")
        return true;
      main = Scope{symbol.address, {}};
      return false;
    });
    return main;
  }
  uint16_t WatchCodeAddress() override {
    if (addressOf_ != compileCount) {
      address_ = WatchAreaStart();
      addressOf_ = compileCount;
    }
    return address_;
  }
  void SetWatchCodeAddress(uint16_t address) override {
    WatchCodeAddress();
    address_ = address;
  }
  ADDR24 WatchResultVariable() override { return tsw::WatchResultVariable(); }
  // The statement compiled where the scope's function was read by the last
  // compile; a function of a library has no place in the program text, and
  // its watches are compiled in main's scope.
  uint16_t CompileWatchStatement(const std::string &statement, const Scope &scope) override {
    const CompiledFunctionRecord *function = ProgramFunctionAt(scope.functionStart);
    if (!function)
      if (std::optional<Scope> main = MainFunction())
        function = ProgramFunctionAt(main->functionStart);
    if (!function)
      return 0;
    MarkCompileStopPosition(function->recordedWord, function->recordedByte);
    WatchCompileRequest request;
    request.statement = statement;
    const uint16_t fragment = WatchCodeAddress();
    request.codeAddress = MakeAddr24(0, fragment);
    const uint16_t areaEnd = WatchAreaEnd();
    // Without a watch code area there is nowhere on the board to put it.
    if (areaEnd <= fragment)
      return 0;
    request.codeRoom = uint16_t(areaEnd - fragment);
    // The statement's variables grow down from the area's end towards its
    // code.
    request.variableAddress = MakeAddr24(0, areaEnd);
    request.staticLocals = function->third;
    const WatchCompileResult result = tsw::CompileWatchStatement(request);
    if (result.count != 0)
      address_ = result.codeEnd.logical;
    return result.count;
  }
  bool UsesTcp() override { return Link().UsesTcp(); }
  uint8_t Evaluate(uint16_t fragment, gui::WatchResultBytes &record) override {
    return EvaluateWatchOnTarget(fragment, record);
  }
  std::string ReadText(uint16_t address) override { return ReadWatchText(address); }
  std::string StructTag(uint8_t) override { return {}; }
  void ShowMessage(unsigned message) override {
    plat::Notifier().MessageBox(GetResourceString(kMsgMessageTitle), GetResourceString(message), plat::Buttons::Ok,
                                plat::Icon::Information);
  }
  uint32_t CompileCount() override { return compileCount; }

private:
  // The program's watch code origin, or the kernel's own area, where the
  // kernel's watch entry stands, up to the end of the logical space.
  static uint16_t WatchAreaStart() {
    if (const uint16_t start = LastCompileInformation().watchCodeStart)
      return start;
    return KernelWatchEntry();
  }
  static uint16_t WatchAreaEnd() {
    if (LastCompileInformation().watchCodeStart)
      return LastCompileInformation().watchCodeEnd;
    return KernelWatchEntry() ? kLogicalEnd : 0;
  }
  static uint16_t KernelWatchEntry() {
    const BRFixupRec *label = FindGlobalLabel(kWatchEntryLabel);
    return label && label->defined ? Addr24Logical(Addr24FromLong(label->value)) : 0;
  }
  static const CompiledFunctionRecord *ProgramFunctionAt(ADDR24 start) {
    const CompiledFunctionRecord *function = tsw::FunctionAt(start);
    return function && function->recordedByte != 0 ? function : nullptr;
  }
  static constexpr char kWatchEntryLabel[] = "Watch";
  static constexpr uint16_t kLogicalEnd = 0xFFFF;

  uint16_t address_ = 0;
  uint32_t addressOf_ = ~0u;
};

TargetDebugLink debugLink;
CompilerProducts debugProducts;

} // namespace

WatchServices &ProductWatchServices() {
  static EngineWatchServices services;
  return services;
}

void InstallDebugger(DebugUi *ui) {
  ResetDebugEngine();
  if (ui)
    SetDebugSeams(&debugLink, &debugProducts, ui);
  else
    SetDebugSeams(nullptr, nullptr, nullptr);
}

uint16_t DriverBuildTarget::CompileFile(uint16_t mode) { return tsw::CompileFile(mode); }
void DriverBuildTarget::SetCompilePath(const std::string &path) {
  if (installed)
    installed->SetCompilePath(path);
}
bool DriverBuildTarget::CompileChanged() const { return driver::CompileChanged(); }
void DriverBuildTarget::SetCompileChanged(bool changed) { driver::SetCompileChanged(changed); }
void DriverBuildTarget::ResetTargetCompileFlags() { tsw::ResetTargetCompileFlags(); }
bool DriverBuildTarget::BiosWanted() const { return BiosFirstFlag(); }
void DriverBuildTarget::SetBiosWanted(bool wanted) { BiosFirstFlag() = wanted; }
void DriverBuildTarget::SetBiosCompile(bool on) { BiosCompileFlag() = on; }
void DriverBuildTarget::ResetLoadBounds(bool biosCompile) {
  MemoryMapOverrides &bounds = CommandMemoryMapOverrides();
  const MemoryMapOverrides reset;
  bounds.first = reset.first;
  if (!biosCompile)
    bounds.second = reset.second;
  bounds.third = reset.third;
  bounds.fourth = reset.fourth;
}
void DriverBuildTarget::SetOptionBFlag(bool on) { CompileOptionBFlag() = on ? 1 : 0; }
void DriverBuildTarget::ClearCompileProducts() {
  ++compileCount;
  ClearWrittenBlockMap();
  ClearListingState();
}
bool DriverBuildTarget::RecordedErrorsOrWarnings() const { return driver::RecordedErrorsOrWarnings(); }
bool DriverBuildTarget::DiagnosticsRecorded() const { return driver::DiagnosticsRecorded(); }
bool DriverBuildTarget::LibrariesChanged() { return tsw::LibrariesChanged(); }
bool DriverBuildTarget::CompileOptionsChanged() { return tsw::CompileOptionsChanged() != 0; }
void DriverBuildTarget::RememberCompileOptions() { tsw::RememberCompileOptions(); }
std::optional<int64_t> DriverBuildTarget::FileTime(const std::string &path) {
  std::error_code error;
  auto time = std::filesystem::last_write_time(path, error);
  if (error)
    return std::nullopt;
  return int64_t(time.time_since_epoch().count());
}
void DriverBuildTarget::OpenBiosInfo(const std::string &path) {
  if (!installed)
    return;
  installed->biosInfo.reset();
  std::ifstream file(path, std::ios::binary);
  if (file)
    installed->biosInfo.emplace(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  // The BIOS compile reads its memory sizes from the same file.
  OpenRtiFile(path);
  BeginBiosCode();
  LoadBiosSymbols(installed->BiosInfoFile());
}
void DriverBuildTarget::CloseBiosInfo() {
  CloseRtiFile();
  if (installed)
    installed->biosInfo.reset();
}
void DriverBuildTarget::SetAssumeCorvidCpu() { Host().SetAssumeCorvidCpu(true); }
void DriverBuildTarget::UseUserBaudRate() { CurrentLinkSettings.currentBaud = CurrentLinkSettings.baud; }
void DriverBuildTarget::OpenSerialPort() { tsw::OpenSerialPort(); }
void DriverBuildTarget::DrainAndCloseSerialPort() { tsw::DrainAndCloseSerialPort(); }
void DriverBuildTarget::SyncKernelForCompile() {
  // Before the first connect the kernel's flags are not known.
  const uint16_t flag = KernelVariablesInUse().syncFlag;
  if (flag == 0)
    return;
  WriteKernelByte(flag, 1);
  Delay(kSyncSettleMs);
}
void DriverBuildTarget::ConnectTcp() { tsw::ConnectTcp(); }
void DriverBuildTarget::DisconnectTcp() { tsw::DisconnectTcp(); }
void DriverBuildTarget::ReadBoardInfoTcp() { ReadTargetInfoTcp(); }
bool DriverBuildTarget::ColdLoadBareBoard() {
  SetColdLoadMode(1);
  return tsw::ColdLoadBareBoard();
}
void DriverBuildTarget::HandOverBaudRate() { tsw::HandOverBaudRate(); }
void DriverBuildTarget::TargetConnect() { tsw::TargetConnect(); }
void DriverBuildTarget::ResetTargetProgram() { tsw::ResetTargetProgram(); }
void DriverBuildTarget::RefreshPanesAfterReset() {
  if (refreshAfterReset)
    refreshAfterReset();
  else
    RefreshDebugWindows();
}

namespace driver {

void UseBoardPort(BoardPortOpener opener) { SetSerialPortOpener(std::move(opener)); }
void SaveRti() { SaveRtiFile(); }
void ApplyLinkSettings(const ShellLinkValues &v) {
  LinkSettings &link = CurrentLinkSettings;
  link.port = v.port;
  link.baud = v.baud;
  link.currentBaud = v.baud;
  link.stopBits = v.stopBits;
  link.rtsFlow = v.rtsFlow;
  link.fullDuplex = v.fullDuplex;
  link.safety = v.safety;
  link.useTcp = v.useTcp ? 1 : 0;
  link.netAddress = v.netAddress;
  // Cut to the link's own buffers, their ends kept for the zero.
  std::snprintf(link.netAddressText, sizeof link.netAddressText, "%s", v.netAddressText.c_str());
  std::snprintf(link.controllerName, sizeof link.controllerName, "%s", v.controllerName.c_str());
  link.tcpPort = v.tcpPort;
}
uint16_t CompileFile(uint16_t mode) { return tsw::CompileFile(mode); }
std::vector<Diagnostic> Diagnostics() {
  std::vector<Diagnostic> list;
  for (const sError *record = ErrorListHead(); record; record = record->next)
    list.push_back({record->line, record->column, record->kind, record->text, record->help, record->file,
                    (record->flags & 1) != 0});
  return list;
}
bool RecordedErrorsOrWarnings() { return CompileErrorCount() != 0 || WarningCount() != 0; }
bool DiagnosticsRecorded() { return (ErrorListStatus() & kListHoldsRecords) != 0; }
void MarkCompileChanged() { SetCompileOptionFlag(1); }
bool CompileChanged() { return GetCompileOptionFlag() != 0; }
void SetCompileChanged(bool changed) { SetCompileOptionFlag(changed ? 1 : 0); }
void ResetTargetCompileFlags() { tsw::ResetTargetCompileFlags(); }
void Prepare() { CompileStage(false); }
void ReinitTables() { ReinitCompilerTables(); }
void SaveConfig() { SaveCompilerConfig(); }
void ClearBiosSymbols() { tsw::ClearBiosSymbols(); }
CompilerOptionValues CompilerOptions() {
  CompilerOptionValues v;
  ProtocolSwitches tc{};
  tsw::GetCompilerOptions(v.warn, v.index, v.ptr, v.stack, v.size, v.lit, v.mac, v.sym, v.cchexf, tc);
  v.tcprot = tc.tcprot, v.tcptr = tc.tcptr, v.tcdmtn = tc.tcdmtn;
  return v;
}
void SetCompilerOptions(const CompilerOptionValues &v) {
  tsw::SetCompilerOptions(v.warn, v.index, v.ptr, v.stack, v.size, v.lit, v.mac, v.sym, v.cchexf,
                          ProtocolSwitches{v.tcprot, v.tcptr, v.tcdmtn});
}
MemoryMapOptionValues MemoryMapOptions() {
  MemoryMapOptionValues v;
  uint16_t romc = 0;
  tsw::GetMemoryMapOptions(v.romx, v.rome, v.rams, v.rame, v.ramg, romc, v.ramcfg);
  return v;
}
void SetMemoryMapOptions(const MemoryMapOptionValues &v) {
  tsw::SetMemoryMapOptions(v.romx, v.rome, v.rams, v.rame, v.ramg, v.ramcfg);
}
RootMapOptionValues RootMapOptions() {
  RootMapOptionValues v;
  tsw::GetRootMapOptions(v.ustk, v.astk, v.heap, v.free);
  return v;
}
void SetRootMapOptions(const RootMapOptionValues &v) { tsw::SetRootMapOptions(v.ustk, v.astk, v.heap, v.free); }
ReservedMemoryOptionValues ReservedMemoryOptions() {
  ReservedMemoryOptionValues v;
  tsw::GetReservedMemoryOptions(v.logrs, v.logxs);
  return v;
}
void SetReservedMemoryOptions(const ReservedMemoryOptionValues &v) {
  tsw::SetReservedMemoryOptions(v.logrs, v.logxs);
}
CompileStatistics LastCompileStatistics() {
  const CompileInformation &info = LastCompileInformation();
  CompileStatistics s;
  s.rootCodeStart = info.rootCodeStart.logical;
  s.rootCodeEnd = info.rootCodeLast;
  // The extended code's last byte is the one below where the next would go.
  s.xmemCodeStart = Addr24ToPhysical(info.xmemCodeOrigin);
  s.xmemCodeEnd = Addr24ToPhysical(info.xmemCodeCurrent) - 1;
  s.stackStart = info.stackOrigin;
  s.stackEnd = info.stackTop;
  s.freeStart = info.freeBase;
  s.freeEnd = info.freeTop;
  s.rootDataStart = info.rootDataLow;
  s.rootDataEnd = info.rootVariableStart.logical;
  s.lines = info.linesCompiled;
  s.startMs = info.startMs;
  s.endMs = info.endMs;
  s.bytesWritten = info.bytesWritten;
  s.bytesSent = info.bytesSent;
  return s;
}
} // namespace driver

} // namespace tsw
