#include "compcore/cc_go/compile_driver.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/cc_byte_road.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/brstring.h"
#include "foundation/xerr.h"

#include <exception>
#include <memory>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_go";

// The compile loop's items: declarations and function definitions go to the
// declaration parser.
class FrontEndItems : public TopLevelCompiler {
public:
  int ParseDeclaration(int level) override { return tsw::ParseDeclaration(level); }
};

// A compile to the board works on the memory sizes of the board's BIOS;
// the user's own settings come back however the compile ends.
class SavedMemorySizes {
public:
  explicit SavedMemorySizes(uint16_t mode)
      : restore_(mode == kCompileModeBoard), rams_(CompilerConfig().rams), rame_(CompilerConfig().rame),
        ramg_(CompilerConfig().ramg), rome_(CompilerConfig().rome) {}
  ~SavedMemorySizes() {
    if (!restore_)
      return;
    CompilerSettings &c = CompilerConfig();
    c.rams = rams_;
    c.rame = rame_;
    c.ramg = ramg_;
    c.rome = rome_;
  }
  SavedMemorySizes(const SavedMemorySizes &) = delete;
  SavedMemorySizes &operator=(const SavedMemorySizes &) = delete;

private:
  bool restore_;
  uint16_t rams_, rame_, ramg_, rome_;
};

// The processor is the BIOS's: Corvid when it says so.
void SelectProcessorOfBios() {
  const bool corvid = LookupBiosSymbol("IOP_USE_CRV", ADDR24{}).logical != 0;
  SelectTargetCpu(corvid ? CodeCpu::kCorvid : CodeCpu::kZ180);
}

// The program text through the compile loop; false when the loop ended
// early on a full diagnostic list.
bool CompileProgramText(const std::string &programPath, bool biosCompile) {
  ClearBiosSymbolMarks();
  ResetMemmapAndClassDefaults();
  // The input and the conditional groups start afresh with every file.
  ResetSourceInputModule();
  ResetDirectivesModule();
  std::unique_ptr<LineStream> stream = OpenFileLineStream(programPath);
  if (!stream)
    stream = std::make_unique<MemoryLineStream>(std::string());
  SetProgramSource(programPath, std::move(stream));
  PrologueSettings prologue;
  prologue.biosCompile = biosCompile;
  ResetLineSources(prologue);
  BeginCompileMacros(biosCompile);
  ResetCompilerState();
  FrontEndItems items;
  try {
    ReadNextLineAndRewind();
    ProcessDirective();
    CompileTopLevel(items, biosCompile, {}, DirectiveLink());
  } catch (const xCCErrOvflo &) {
    // The compile ends here; its raiser has listed why.
    return false;
  } catch (const xErr &) {
    throw;
  } catch (const std::exception &) {
    // A fault of the compiler itself: the IDE reports it as one, and the
    // list keeps what the compile had found.
    throw xInternal(kModule, __LINE__);
  }
  return true;
}

} // namespace

uint16_t CompileProgram(const std::string &programPath, uint16_t mode) {
  BRString::PurgeUnused();
  SavedMemorySizes savedSizes(mode);
  const bool bios = BiosCompileFlag();
  SelectProcessorOfBios();
  ClearErrorList();
  if (PrepareCompilerSession(false) != 0)
    return uint16_t(ErrorListStatus() | kCompileFailedBit);
  if (mode == kCompileModeFiles)
    ShowMessage<kMsgCompilingToFiles>(false);
  else
    ShowMessage<kMsgCompilingToBoard>(false);
  BeginByteRoadPass(programPath, bios, mode);
  const bool ranToEnd = CompileProgramText(programPath, bios);
  uint16_t status = uint16_t(ErrorListStatus());
  if (!ranToEnd || CompileErrorCount() != 0)
    status |= kCompileFailedBit;
  return FinishByteRoadPass(programPath, status);
}

} // namespace tsw
