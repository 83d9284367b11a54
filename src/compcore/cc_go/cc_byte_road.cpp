#include "compcore/cc_go/cc_byte_road.h"

#include "compcore/cc_fioz8/cache_objects.h"
#include "compcore/cc_fioz8/rti_file.h"
#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_gen/asm/asm_block.h"
#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/function_tail.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/prolog_epilog.h"
#include "compcore/cc_gen/segchain.h"
#include "compcore/cc_gen/startup_stub.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/map_reports.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/cc_parse/decl/xdata_declaration.h"
#include "compcore/cc_parse/stmt/stmt_directives.h"
#include "compcore/cc_reloc/fixup_services.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_rom/map_file.h"
#include "compcore/cc_rom/rom_listing.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_session.h"
#include "foundation/restext.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <strings.h>

namespace tsw {

namespace {

class ListingRunWriter : public RunWriter {
public:
  void WriteRun(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    WriteRomListingRecord(count, address, bytes);
  }
  bool ReadBack(ADDR24 address, uint16_t count, uint8_t *out) override { return ReadEmittedBytes(address, count, out); }
};

ADDR24 CodeAddressNow() {
  EmitCache *code = Caches().currentCode;
  return code ? code->Current() : ADDR24{};
}

class CompilerFixupServices : public FixupServices {
public:
  bool Corvid() override { return CodeGenSetup().cpu == TargetCpu::Corvid; }
  bool NoBouncers() override { return CodeGenSetup().noBouncers; }
  bool WatchMode() override { return Diagnostics().throwAll; }
  bool ReadingProgramSource() override { return CurrentSourceIsProgram(); }
  ADDR24 CurrentCodeAddress() override { return CodeAddressNow(); }
  void PatchByte(ADDR24 address, uint8_t value) override { PatchCodeByte(address, value); }
  void PatchWord(ADDR24 address, uint16_t value) override { PatchCodeWord(address, value); }
  ADDR24 LookupRoot(ADDR24 address) override { return tsw::LookupRoot(address); }
  void EmitFarJumpFixup(uint8_t opcode, ADDR24 patch, ADDR24 target, uint16_t flags) override {
    Collaborators().EmitFarJumpFixup(opcode, patch, target, flags);
  }
  void ArmOpcodeCapture(ADDR24 address, void (*sink)(uint8_t)) override { ArmFixupByteCapture(address, sink); }
  void DisarmOpcodeCapture() override { DisarmFixupByteCapture(); }
  ADDR24 SymbolAlternateAddress(std::string_view name) override {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->secondAddress) : ADDR24{};
  }
  void ClearSymbolDefined(std::string_view name) override {
    if (SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal))
      symbol->definition = 0;
  }
  [[noreturn]] void ReportUndefinedGlobal(std::string_view name) override {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    // The list files the message under the declaration's file, not under
    // the library module the compile happened to read last; a name nothing
    // declares (an assembler operand) goes with the program.
    const std::string file = !symbol                      ? programFile
                             : symbol->file && *symbol->file ? std::string(symbol->file)
                                                             : std::string(GetResourceString(kMsgNoFileName));
    SetCurrentSourceFileName(file);
    SetErrorFileName(file, file == programFile ? 1 : 0);
    if (!symbol)
      CompileErrorAt<kMsgUnresolvedGlobal>(1, 1, std::string(name));
    CompileErrorAt<kMsgUnresolvedGlobal>(symbol->line, symbol->column, std::string(name));
  }
  // The program's own file, as the error list names it.
  std::string programFile;
  void WarnIfLibraryDefines(std::string_view name) override {
    if (strcasecmp(std::string(name).c_str(), "main") == 0)
      return;
    const ZModEntry *module = ModuleIndex().Find(name);
    if (!module)
      return;
    if (!module->library) {
      CompileWarningSerious<kMsgLibraryAlsoDefinesName>(std::string(name));
      return;
    }
    std::string path = module->library->name.Text();
    size_t slash = path.find_last_of("/\\");
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    CompileWarningSerious<kMsgLibraryAlsoDefines>(std::string(name), std::string(name), int(module->headerLine) + 1,
                                                  file);
  }
  // The fixup pass's messages come with their text formatted there, where
  // the number is known at compile time.
  void CompileError(unsigned message, const std::string &text) override {
    RaiseError(message, CurrentSourceLine(), CurrentSourceColumn(), DiagnosticText(text));
  }
  [[noreturn]] void FatalAtStart(unsigned message, const std::string &text) override {
    RaiseFatal(message, 1, 1, DiagnosticText(text));
  }
  // The warning belongs to the line that wrote the reference, which the
  // compile may have left for another file since.
  void SeriousWarningAt(unsigned message, const std::string &file, uint16_t line, const std::string &text) override {
    const std::string previous = CurrentSourceFileName();
    const std::string previousListed = CurrentErrorFileName();
    SetCurrentSourceFileName(file);
    if (file != previousListed)
      SetErrorFileName(file, file == programFile ? 1 : 0);
    RaiseWarningAt(message, 1, line, 1, DiagnosticText(text));
    if (file != previousListed)
      SetErrorFileName(previousListed, previousListed == programFile ? 1 : 0);
    SetCurrentSourceFileName(previous);
  }
};

EmitCache *CacheOf(OriginCache cache) {
  CachePointers &c = Caches();
  switch (cache) {
  case OriginCache::kRootCode: return c.rootCode;
  case OriginCache::kXmemCode: return c.xmemCode;
  case OriginCache::kWatchCode: return c.watchCode;
  case OriginCache::kRootConstant: return c.currentConstant;
  case OriginCache::kRootVariable: return c.rootVariable;
  case OriginCache::kWatchVariable: return c.watchVariable;
  }
  return nullptr;
}

// What the byte road serves of the code generator: the target processor,
// the caches and origins the placement directives name, declaration labels,
// "#ximport" room and the source positions. The rest answers neutrally until
// the emitters are built.
class ByteRoadGenerator : public CodeGenerator {
public:
  void SelectTargetCpu(tsw::TargetCpu cpu) override { tsw::SelectTargetCpu(cpu); }
  tsw::TargetCpu TargetCpu() override { return tsw::CurrentCpu(); }
  bool IsBiosCode() override { return tsw::IsBiosCode(); }
  void BeginBiosCode() override { tsw::BeginBiosCode(); }
  void EndProgramCode() override { tsw::EndProgramCode(); }
  void SelectCodeCache(ADDR24 address) override { tsw::SelectCodeCache(address); }
  ADDR24 EmitJumpToAddr24(ADDR24 target, uint8_t opcode) override {
    return tsw::EmitJumpToAddr24(target, opcode).operand;
  }
  void EmitJumpWithWindowCheck(ADDR24 jump) override { EmitFarJumpFixup({0, jump}, CodeAddressNow()); }
  void ParseOriginDirective(int kind, OriginCache cache) override { tsw::ParseOriginDirective(kind, CacheOf(cache)); }
  void FlushCache(OriginCache cache) override {
    if (EmitCache *c = CacheOf(cache))
      c->Flush();
  }
  ADDR24 CacheAddress(OriginCache cache) override {
    EmitCache *c = CacheOf(cache);
    return c ? c->Current() : ADDR24{};
  }
  bool CacheHasOrigin(OriginCache cache) override {
    EmitCache *c = CacheOf(cache);
    return c && c->AttachedOrigin();
  }
  void SetCacheEmitAddress(OriginCache cache, ADDR24 address) override {
    if (EmitCache *c = CacheOf(cache))
      c->SetEmitAddress(address);
  }
  // A declaration's code label, in the global table.
  void DefineLabel(std::string_view name, uint32_t address) override { tsw::DefineLabel(name, address, kFixGlobal); }
  // Room in the cache's origin or else its follower; 433 when neither has it.
  bool ReserveXmemCode(uint32_t n) override {
    EmitCache *xmem = Caches().xmemCode;
    if (!xmem->WouldOverflow(int32_t(n)))
      return true;
    if (OriginDirective *follower = xmem->GetOrigin()->follows) {
      ActivateOrigin(follower);
      if (!xmem->WouldOverflow(int32_t(n)))
        return true;
    }
    tsw::CompileError<kMsgXmemCodeFull>();
    return false;
  }
  uint32_t XmemCodePhysical() override { return Addr24ToPhysical(Caches().xmemCode->Current()); }
  void EmitXmemImportByte(uint8_t byte) override { Caches().xmemCode->EmitByte(byte); }
  void StartStatementPositions(const std::string &file, uint16_t line, uint16_t column) override {
    tsw::StartStatementPositions(file, line, column, CodeAddressNow());
  }
  void RecordStatementPosition(const std::string &file, uint16_t line, uint16_t column) override {
    tsw::RecordStatementPosition(file, line, column, CodeAddressNow());
  }
  void FlushStatementPosition(uint16_t line, uint16_t column) override {
    tsw::FlushStatementPosition(line, column, CodeAddressNow());
  }
  void CompileAsmBlock(bool withDebugCode) override { assembler::CompileAsmBlock(withDebugCode); }
  void EmitPendingStubsAndStrings() override { tsw::EmitPendingStubsAndStrings(); }
  void PrecompileDirective() override { tsw::PrecompileDirective(); }
  bool OfferXdataDeclaration() override { return XdataDeclaration(); }
  void AddSegChainName(const std::string &chain) override { tsw::AddSegChainName(chain); }
  void AddSegChainFunction(const std::string &chain, const std::string &function) override {
    tsw::AddSegChainFunction(chain, function);
  }
  void FinishTopLevel() override { GenerateSegChainFunctions(); }
  void AddMapDataSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol) override {
    ReportMapDataSymbol(name, file, symbol);
  }
  void AddMapFrameSymbol(std::string_view name, std::string_view file, SymbolRecord &symbol, int16_t frameOffset,
                         bool ixFrame) override {
    ReportMapFrameSymbol(name, file, symbol, frameOffset, ixFrame);
  }
  void MapFunctionBegins(std::string_view name, uint32_t headerLine) override {
    ReportMapFunctionBegins(name, headerLine);
  }
  void MapFunctionEnds(std::string_view name) override { ReportMapFunctionEnds(name); }
  void MapCallsFunction(std::string_view callee) override { MapFileAddName(callee); }
};

// The cache set is the fixed objects'; the instruction tables of the
// assembler and the debugger read the processor where they decode.
class CacheSetServices : public TargetModeServices {
public:
  void SwitchCodeCacheSet(int set) override { tsw::SwitchCodeCacheSet(set); }
  void SelectDisassemblerTables() override {
    if (disassembler)
      disassembler();
  }
  void SelectStepperTables() override {
    if (stepper)
      stepper();
  }
  std::function<void()> disassembler, stepper;
};

// The start-up code goes out as one run of the listing, like the code it
// precedes; its stamp is the local time.
class StartupOutput : public StartupServices {
public:
  int64_t LocalTime() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return int64_t(now) + local.tm_gmtoff;
  }
  void WriteStartup(ADDR24 address, const std::vector<uint8_t> &bytes) override {
    WriteRomListingRecord(uint16_t(bytes.size()), address, bytes.data());
  }
};

class LabelsStillNeeded : public PendingLabelNames {
public:
  void PurgeDefined() override { PurgeDefinedPendingLabels(); }
  std::optional<std::string> PopUndefined() override { return PopPendingLabel(); }
  size_t Count() const override { return PendingLabelList().size(); }
};

// The watch expression's entry, at a fixed place of the kernel's area.
constexpr char kWatchLabel[] = "Watch";
constexpr uint16_t kWatchEntry = 0xF980;

// The front end's share of the statement snapshot: where the input stood,
// the open brackets and the symbols entered since.
struct FrontEndSnapshots {
  std::vector<InputState> input;
  std::vector<std::deque<MatchBlockInfo>> brackets;
};

struct ByteRoad {
  FrontEndSnapshots front;
  ListingRunWriter writer;
  CompilerFixupServices fixups;
  ByteRoadGenerator generator;
  LabelsStillNeeded pending;
  CacheSetServices modes;
  StartupOutput startup;
};
std::unique_ptr<ByteRoad> &Road() {
  static std::unique_ptr<ByteRoad> road;
  return road;
}
FrontEndSnapshots &Front() { return Road()->front; }

void RegisterFrontEndParticipants() {
  RegisterCodeStateParticipant({CodeStateSide::kStatement,
                                [] {
                                  if (!Diagnostics().throwAll)
                                    SnapshotSymbolInserts();
                                },
                                [] {
                                  if (Diagnostics().throwAll)
                                    return;
                                  RollBackSymbolInserts();
                                  SnapshotSymbolInserts();
                                },
                                [] {}});
  RegisterCodeStateParticipant({CodeStateSide::kStatement, [] { Front().input.push_back(SaveInputState()); },
                                [] {
                                  auto &saved = Front().input;
                                  // The source cannot be read again: the statement cannot be either.
                                  if (!saved.empty() && !RestoreInputState(saved.back()))
                                    CompileErrorHere<kMsgInvalidOperands>();
                                },
                                [] {
                                  if (!Front().input.empty())
                                    Front().input.pop_back();
                                }});
  RegisterCodeStateParticipant({CodeStateSide::kStatement, [] { Front().brackets.push_back(CopyOpenBrackets()); },
                                [] {
                                  if (!Front().brackets.empty())
                                    RestoreOpenBrackets(Front().brackets.back());
                                },
                                [] {
                                  if (!Front().brackets.empty())
                                    Front().brackets.pop_back();
                                }});
}

void RegisterParticipants() {
  RegisterFrontEndParticipants();
  RegisterCodeStateParticipant({CodeStateSide::kCode, SaveFixupState, RestoreFixupState, DiscardFixupState});
  RegisterListingCodeState();
  RegisterShadowCodeState();
  RegisterBrkptCodeState();
}

// The output bits of a compile: to files by the "romc" value, to the board
// (with the BIOS part unless this is the BIOS). The BIOS compile of a
// two-step request writes nothing.
uint8_t CompileOutputBits(bool biosCompile, uint16_t mode) {
  constexpr uint16_t kModeFiles = 1;
  constexpr uint16_t kBoardTypeWithoutDownload = 4;
  uint8_t bits;
  if (mode == kModeFiles) {
    switch (CompilerConfig().romc) {
    case 0: bits = kOutputListing | kOutputBit01; break;
    case 1: bits = kOutputListing; break;
    case 3: bits = kOutputListing | kOutputBit02; break;
    default: bits = kOutputBit01; break;
    }
  } else if (LookupBiosSymbol("IOP_BOARD_TYPE", ADDR24{}).logical == kBoardTypeWithoutDownload) {
    bits = kOutputBoard;
  } else {
    bits = biosCompile ? kOutputBoard | kOutputBit01 : kOutputBoard | kOutputListing | kOutputBit01;
  }
  if (biosCompile && BiosFirstFlag())
    bits &= uint8_t(~(kOutputListing | kOutputBoard));
  return bits;
}

std::function<ShellCodeSettings()> &ShellCodeSettingsSource() {
  static std::function<ShellCodeSettings()> source;
  return source;
}

} // namespace

void SetDebuggerTableSelectors(std::function<void()> disassembler, std::function<void()> stepper) {
  Road()->modes.disassembler = std::move(disassembler);
  Road()->modes.stepper = std::move(stepper);
}

void SetShellCodeSettings(std::function<ShellCodeSettings()> source) { ShellCodeSettingsSource() = std::move(source); }

void ApplyShellCodeSettings() {
  if (!ShellCodeSettingsSource())
    return;
  const ShellCodeSettings settings = ShellCodeSettingsSource()();
  CodeGenSetup().noBouncers = settings.noBouncers;
  Output().includeTimeStamp = settings.includeTimeStamp;
  Output().zeroPadBin = settings.zeroPadBin;
}

void ResetLabelsForCompile() {
  ResetFixupTables(kResetFinal);
  DefineLabel(kWatchLabel, Addr24ToLong(MakeAddr24(0, kWatchEntry)), kFixGlobal);
}

void ResetByteRoad() {
  ResetCodeStateModule();
  ResetOriginModule();
  ResetRomListingModule();
  ResetShadowModule();
  ResetAddressDirectoryModule();
  ResetBrkptTable();
  ResetOutputModule();
  CloseRtiFile();
  SetRtiShell(nullptr);
  SetCodeGenCollaborators(nullptr);
  SetInstructionDecoder(nullptr);
  CodeGenSetup() = {};
  SetShellCodeSettings(nullptr);
  ResetTargetModes();
  ResetPrologEpilog();
  DestroyCompileCaches();
  Road() = std::make_unique<ByteRoad>();
  SetTargetModeServices(&Road()->modes);
  SetStartupServices(&Road()->startup);
  BuildCompileCaches();
  SetRunWriter(&Road()->writer);
  SetFixupServices(&Road()->fixups);
  FreeFixupTables();
  InitFixupTables();
  RegisterParticipants();
}

void ResetByteRoadForCompile(bool biosCompile) {
  InitFixupTables();
  ResetAddressDirectoriesForCompile(biosCompile);
  ResetShadowForCompile(biosCompile);
  DropCodeState();
  assembler::StartAssemblerPass();
}

CodeGenerator &ByteRoadCodeGenerator() { return Road()->generator; }
PendingLabelNames &ByteRoadPendingLabels() { return Road()->pending; }

void BeginByteRoadPass(const std::string &programPath, bool biosCompile, uint16_t mode) {
  Road()->fixups.programFile = programPath;
  ResetByteRoadForCompile(biosCompile);
  // Only this compile's root bouncers make the start-up code wire RST 30h.
  CodeGenSetup().bouncerRoutine = 0;
  // C calls of a function entered through a root bouncer go straight to
  // its body; the inline assembler turns this off for its blocks.
  CodeGenSetup().addressDirectory = true;
  ResetBrkptTable();
  if (biosCompile)
    ClearOriginTable();
  else
    DropProgramOrigins();
  ClearWrittenBlockMap();
  Output().outputBits = CompileOutputBits(biosCompile, mode);
  Output().codeMode = CodeOutputMode::kProgram;
  SwitchCodeCacheSet(biosCompile ? 0 : 1);
  Caches().currentCode = Caches().rootCode;
  BeginRomListing(programPath);
  // The map describes the program; a BIOS compile only empties it.
  BeginMapFile(biosCompile ? std::string() : programPath);
}

} // namespace tsw
