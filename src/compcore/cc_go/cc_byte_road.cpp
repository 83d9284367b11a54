#include "compcore/cc_go/cc_byte_road.h"

#include "compcore/cc_fioz8/cache_objects.h"
#include "compcore/cc_fioz8/code_output.h"
#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/cc_reloc/fixup_services.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_rom/rom_listing.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/restext.h"

#include <strings.h>

namespace tsw {

namespace {

constexpr unsigned kMsgNoFile = 739;

class ListingRunWriter : public RunWriter {
public:
  void WriteRun(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    WriteRomListingRecord(count, address, bytes);
  }
  bool ReadBack(ADDR24 address, uint16_t count, uint8_t *out) override { return ReadEmittedBytes(address, count, out); }
};

class CompilerFixupServices : public FixupServices {
public:
  bool Corvid() override { return CodeGen().cpu == CodeCpu::kCorvid; }
  bool NoBouncers() override { return CodeGen().noBouncers; }
  bool WatchMode() override { return Diagnostics().throwAll; }
  bool ReadingProgramSource() override { return CurrentSourceIsProgram(); }
  ADDR24 CurrentCodeAddress() override {
    EmitCache *code = Caches().currentCode;
    return code ? code->Current() : ADDR24{};
  }
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
    if (!symbol)
      CompileErrorAt(1, 1, kMsgUnresolvedGlobal, std::string(name));
    SetCurrentSourceFileName(symbol->file && *symbol->file ? symbol->file : GetResourceString(kMsgNoFile));
    CompileErrorAt(symbol->line, symbol->column, kMsgUnresolvedGlobal, std::string(name));
  }
  void WarnIfLibraryDefines(std::string_view name) override {
    if (strcasecmp(std::string(name).c_str(), "main") == 0)
      return;
    const ZModEntry *module = ModuleIndex().Find(name);
    if (!module)
      return;
    if (!module->library) {
      CompileWarningSerious(kMsgLibraryAlsoDefinesName, std::string(name));
      return;
    }
    std::string path = module->library->name.Text();
    size_t slash = path.find_last_of("/\\");
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    CompileWarningSerious(kMsgLibraryAlsoDefines, std::string(name), std::string(name), int(module->headerLine) + 1,
                          file);
  }
  void CompileError(unsigned message, const std::string &argument) override {
    if (argument.empty())
      tsw::CompileError(message);
    else
      tsw::CompileError(message, argument);
  }
  [[noreturn]] void FatalAtStart(unsigned message, const std::string &name) override {
    CompileErrorAt(1, 1, message, name);
  }
  void SeriousWarningAt(unsigned message, const std::string &file, uint16_t line) override {
    (void)line;
    std::string previous = CurrentSourceFileName();
    SetCurrentSourceFileName(file);
    CompileWarningSerious(message);
    SetCurrentSourceFileName(previous);
  }
  std::string MessageText(unsigned message, const std::string &argument) override {
    return tsw::MessageText(message, {plat::MakeFormatArg(argument)});
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

// The placement directives' view of the caches and origins.
class OriginDirectives : public CodeGenDirectives {
public:
  void SelectTargetCpu(TargetCpuName cpu) override {
    CodeGen().cpu = cpu == TargetCpuName::kCRV ? CodeCpu::kCorvid : CodeCpu::kZ180;
  }
  TargetCpuName TargetCpu() override {
    return CodeGen().cpu == CodeCpu::kCorvid ? TargetCpuName::kCRV : TargetCpuName::kZ180;
  }
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
};

class CodePositions : public StatementPositions {
public:
  void StartStatementPositions(const std::string &file, uint16_t line, uint16_t column) override {
    tsw::StartStatementPositions(file, line, column, CurrentCode());
  }
  void FlushStatementPosition(uint16_t line, uint16_t column) override {
    tsw::FlushStatementPosition(line, column, CurrentCode());
  }

private:
  static ADDR24 CurrentCode() {
    EmitCache *code = Caches().currentCode;
    return code ? code->Current() : ADDR24{};
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

constexpr unsigned kMsgInternalCodegen = 401;

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
  OriginDirectives directives;
  CodePositions positions;
  LabelsStillNeeded pending;
  bool participantsRegistered = false;
};
ByteRoad &Road() {
  static ByteRoad road;
  return road;
}

void ResetLabelsForCompile() {
  ResetFixupTables(kResetFinal);
  DefineLabel(kWatchLabel, Addr24ToLong(MakeAddr24(0, kWatchEntry)), kFixGlobal);
}

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
  RegisterCodeStateParticipant({CodeStateSide::kStatement, [] { Road().front.input.push_back(SaveInputState()); },
                                [] {
                                  auto &saved = Road().front.input;
                                  // The source cannot be read again: the statement cannot be either.
                                  if (!saved.empty() && !RestoreInputState(saved.back()))
                                    CompileErrorHere(kMsgInternalCodegen);
                                },
                                [] {
                                  if (!Road().front.input.empty())
                                    Road().front.input.pop_back();
                                }});
  RegisterCodeStateParticipant({CodeStateSide::kStatement, [] { Road().front.brackets.push_back(CopyOpenBrackets()); },
                                [] {
                                  if (!Road().front.brackets.empty())
                                    RestoreOpenBrackets(Road().front.brackets.back());
                                },
                                [] {
                                  if (!Road().front.brackets.empty())
                                    Road().front.brackets.pop_back();
                                }});
}

void RegisterParticipants() {
  RegisterFrontEndParticipants();
  AddCompilerTableHook([](const CompilerTableSizes &, bool) { InitFixupTables(); });
  AddCompilerStateHook(ResetLabelsForCompile);
  RegisterCodeStateParticipant({CodeStateSide::kCode, SaveFixupState, RestoreFixupState, DiscardFixupState});
  RegisterListingCodeState();
  RegisterShadowCodeState();
  RegisterBrkptCodeState();
}

} // namespace

void StartByteRoad() {
  BuildCompileCaches();
  SetRunWriter(&Road().writer);
  SetFixupServices(&Road().fixups);
  if (!Road().participantsRegistered) {
    Road().participantsRegistered = true;
    RegisterParticipants();
  }
}

void ResetByteRoadForCompile(bool biosCompile) {
  InitFixupTables();
  ResetAddressDirectoriesForCompile(biosCompile);
  ResetShadowForCompile(biosCompile);
  DropCodeState();
}

CodeGenDirectives &ByteRoadDirectives() { return Road().directives; }
StatementPositions &ByteRoadStatementPositions() { return Road().positions; }
PendingLabelNames &ByteRoadPendingLabels() { return Road().pending; }

void DefineDeclarationLabel(std::string_view name, uint32_t address) { DefineLabel(name, address, kFixGlobal); }

bool ReserveXmemCode(uint32_t n) {
  EmitCache *xmem = Caches().xmemCode;
  if (!xmem->WouldOverflow(int32_t(n)))
    return true;
  if (OriginDirective *follower = xmem->GetOrigin()->follows) {
    ActivateOrigin(follower);
    if (!xmem->WouldOverflow(int32_t(n)))
      return true;
  }
  tsw::CompileError(kMsgXmemCodeFull);
  return false;
}

uint32_t XmemCodePhysical() { return Addr24ToPhysical(Caches().xmemCode->Current()); }
void EmitXmemImportByte(uint8_t byte) { Caches().xmemCode->EmitByte(byte); }

void StopByteRoad() {
  DropCodeState();
  SetRunWriter(nullptr);
  DestroyCompileCaches();
}

} // namespace tsw
