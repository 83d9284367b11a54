#include "compcore/cc_in/cc_pragma.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "foundation/msgnumbers.h"
#include "compcore/common/cc_session.h"

#include "foundation/xerr.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace tsw {

namespace {

constexpr char kModule[] = "compcore\\cc_in";
constexpr size_t kMaxPragmaEcho = 223;
constexpr uint8_t kOpcodeJump = 0xC3;
// The debug kernel starts the BIOS it was given when this byte is set.
constexpr ADDR24 kBiosStartFlagAddress = MakeAddr24(0, 0x4001);
constexpr uint8_t kBiosStartFlagValue = 1;
constexpr uint32_t kBiosStartDelayMs = 400;
constexpr OriginCache kCachesFlushedForProgram[] = {OriginCache::kRootCode, OriginCache::kXmemCode,
                                                    OriginCache::kWatchCode, OriginCache::kRootVariable,
                                                    OriginCache::kRootConstant};

struct PragmaState {
  bool dataWaits = false;
  std::optional<ADDR24> programStartJump;
};

PragmaState &State() {
  static PragmaState s;
  return s;
}

void SelectCpu(tsw::TargetCpu cpu) {
  SetTargetCpuMacro(cpu);
  CodeGen().SelectTargetCpu(cpu);
}

void CompileBios() {
  CodeGenerator &codegen = CodeGen();
  codegen.EndProgramCode();
  codegen.BeginBiosCode();
  codegen.ClearNameToCacheTable();
}

// The freshly compiled BIOS on the board is started and connected to again.
void StartBiosOnBoard(TargetLink &link) {
  if (!link.StartByteVetoed())
    link.WriteTargetMemory(1, kBiosStartFlagAddress, &kBiosStartFlagValue);
  link.Delay(kBiosStartDelayMs);
  link.TargetConnect();
  DirectiveShellInUse().SetProgramLoaded(true);
  SetCompileOptionFlag(0);
  link.QueryBoardTypeSerial();
}

void TakeBiosWithoutBoard() {
  DirectiveShell &shell = DirectiveShellInUse();
  if (shell.LoadBiosSymbolsFromBios() != 0)
    throw xErr(kMsgBiosSymbolsFailed, kModule, __LINE__);
  shell.SetProgramLoaded(true);
  SetCompileOptionFlag(0);
}

// Ends the BIOS: the program's code will follow from here.
void CompileProgram() {
  if (!BiosCompileFlag())
    return;
  CodeGenerator &codegen = CodeGen();
  State().programStartJump = codegen.EmitJumpToAddr24(ADDR24{}, kOpcodeJump);
  for (OriginCache cache : kCachesFlushedForProgram)
    codegen.FlushCache(cache);
  const bool withoutBoard = DirectiveShellInUse().CompileWithoutBoard();
  if (withoutBoard)
    TakeBiosWithoutBoard();
  else if (!BiosFirstFlag() && CompileErrorCount() == 0 && DirectiveLink())
    StartBiosOnBoard(*DirectiveLink());
  if (CompileErrorCount() != 0)
    return;
  EnableBiosSymbolTable(true);
  codegen.SetProgramCodeStart(codegen.CacheAddress(OriginCache::kRootCode));
  codegen.ClearScratchArea();
}

void DataWaitsPragma() {
  SkipSpaces();
  if (MatchWordAtInput("on"))
    State().dataWaits = true;
  else if (MatchWordAtInput("off"))
    State().dataWaits = false;
  else
    CompileWarningTrivial<kMsgPragmaOption>();
}

struct PragmaKeyword {
  const char *word;
  void (*run)();
};
const PragmaKeyword kPragmaKeywords[] = {
    {"Zilog180", [] { SelectCpu(tsw::TargetCpu::Z180); }},
    {"Corvid", [] { SelectCpu(tsw::TargetCpu::Corvid); }},
    {"CompileBIOS", CompileBios},
    {"CompileProgram", CompileProgram},
    {"DATAWAITSUSED", DataWaitsPragma},
};

bool RunPragmaKeyword() {
  for (const PragmaKeyword &keyword : kPragmaKeywords)
    if (MatchWordAtInput(keyword.word)) {
      keyword.run();
      return true;
    }
  return false;
}

} // namespace

void PragmaDirective() {
  ExpandDirectiveOperand();
  for (;;) {
    SkipSpaces();
    if (!*InputCursor)
      return;
    if (RunPragmaKeyword())
      continue;
    std::string rest(InputCursor, std::min(std::strlen(InputCursor), kMaxPragmaEcho));
    CompileWarningTrivial<kMsgPragmaTokenIgnored>(rest);
    SkipToLineEnd();
    return;
  }
}

bool DataWaitsUsed() { return State().dataWaits; }

void PatchProgramStartJump() {
  CodeGenerator &codegen = CodeGen();
  if (State().programStartJump && codegen.IsBiosCode() && DirectiveShellInUse().IsProgramLoaded())
    codegen.EmitJumpWithWindowCheck(*State().programStartJump);
}

void ResetPragmaModule() { State() = PragmaState(); }

} // namespace tsw
