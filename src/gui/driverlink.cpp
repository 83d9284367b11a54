#include "gui/driverlink.h"

#include <memory>

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_stab/cc_bios.h"
#include "debugger/debugengine.h"
#include "debugger/debuglink_adapter.h"
#include "debugger/products/compiler_products.h"
#include "gui/compilereditors.h"
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
  std::optional<std::span<const uint8_t>> BiosInfoFile() override { return std::nullopt; }

private:
  CompilerShellSource &s_;
};

std::unique_ptr<SourceShell> installed;

} // namespace

// The IDE's compiler is the product's own assembly with the shell in place.
void InstallCompilerShell(CompilerShellSource *source) {
  std::unique_ptr<SourceShell> shell = source ? std::make_unique<SourceShell>(*source) : nullptr;
  CompilerBoundaries boundaries;
  boundaries.shell = shell.get();
  boundaries.editors = &OpenEditorsForCompiler();
  if (source) {
    boundaries.boardOverLink = true;
    boundaries.kernel = {[] { TargetConnect(); }, [](uint8_t value) { PulseKernelFlag(value); }};
    boundaries.linkShell = source->linkHost;
  }
  AssembleCompiler(boundaries);
  installed = std::move(shell);
}

void InstallDebugger(DebugUi *ui) {
  static TargetDebugLink link;
  static CompilerProducts products;
  ResetDebugEngine();
  if (ui)
    SetDebugSeams(&link, &products, ui);
  else
    SetDebugSeams(nullptr, nullptr, nullptr);
}

namespace driver {
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
} // namespace driver

} // namespace tsw
