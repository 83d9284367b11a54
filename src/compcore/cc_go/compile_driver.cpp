#include "compcore/cc_go/compile_driver.h"
#include "compcore/cc_go/map_reports.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_fioz8/cache_objects.h"
#include "compcore/cc_fioz8/rti_file.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_gen/segchain.h"
#include "compcore/cc_gen/startup_stub.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/cc_byte_road.h"
#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/stmt/function_body.h"
#include "compcore/cc_parse/stmt/watch_function.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_editor_view.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/tc/binimage.h"
#include "compcore/link/tc/flashvalues.h"
#include "compcore/link/tc/serial.h"
#include "compcore/link/tcs/download.h"
#include "foundation/brstring.h"
#include "foundation/crc16.h"
#include "foundation/memorymap.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "platform/rewrite.h"
#include "platform/ticks.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <utility>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_go";
constexpr uint16_t kDefaultStackOrigin = 0xD000;
constexpr uint16_t kStackTop = 0xDFFF;
constexpr uint16_t kPageMask = 0xFF00;
constexpr uint16_t kPageRound = 0xFF;
constexpr uint32_t kKilobyte = 1024;
// The sector sizes of a board whose BIOS names none.
constexpr uint32_t kSmallSector = 128;
constexpr uint32_t kLargeSector = 256;

struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

CompileInformation &Information() {
  static CompileInformation information;
  return information;
}

std::string WithExtension(const std::string &path, const char *extension) {
  return std::filesystem::path(path).replace_extension(extension).string();
}

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

// The BIOS's information file, kept open by the BIOS load for its memory
// sizes, is closed with the compile however it ends.
class RtiFileScope {
public:
  RtiFileScope() = default;
  ~RtiFileScope() { CloseRtiFile(); }
  RtiFileScope(const RtiFileScope &) = delete;
  RtiFileScope &operator=(const RtiFileScope &) = delete;
};

// The processor is the BIOS's: Corvid when it says so, or when the user's
// setting "Assume Corvid CPU" says so of a BIOS that cannot.
void SelectProcessorOfBios() {
  const bool corvid = LookupBiosSymbol("IOP_USE_CRV", ADDR24{}).logical != 0 || Host().AssumeCorvidCpu();
  SelectTargetCpu(corvid ? TargetCpu::Corvid : TargetCpu::Z180);
}

// Where the BIOS finds the vectors, the free memory and the store table of
// the program it starts.
void DefineDriverBiosSymbols() {
  const MemoryMapValues &m = MemoryMap();
  AddBiosSymbol("INT_VEC", MakeDataAddr24(m.ivec_base));
  AddBiosSymbol("FREE_BASE", MakeDataAddr24(m.FreeAreaStart));
  AddBiosSymbol("FREE_TOP", MakeDataAddr24(uint16_t(m.DataTop + 1)));
}

uint32_t TimeStampNow() {
  if (!Output().includeTimeStamp)
    return kNoTimeStamp;
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint16_t StackOriginWord() {
  const ADDR24 stackOrigin = LookupBiosSymbol("IOP_STACKORG", ADDR24{});
  return stackOrigin.logical ? stackOrigin.logical : kDefaultStackOrigin;
}

// The link's byte counters at the last BIOS compile: a program compile
// records what the link carried since.
struct LinkCounters {
  uint32_t written = 0, sent = 0, outside = 0;
};
LinkCounters &CountersAtBios() {
  static LinkCounters counters;
  return counters;
}

LinkCounters LinkCountersNow() { return {GetBytesWrittenTotal(), GetBytesSentTotal(), GetBytesSentOutsideCommands()}; }

void CountLinkTrafficSinceBios() {
  const LinkCounters now = LinkCountersNow();
  CompileInformation &info = Information();
  info.bytesWritten = now.written - CountersAtBios().written;
  info.bytesSent = now.sent - CountersAtBios().sent;
  info.bytesSentOutsideCommands = now.outside - CountersAtBios().outside;
}

// The ".brk" file is opened before the text is compiled, so that a file
// the user cannot replace stops the compile before its work is done. A
// file marked read-only is not overwritten, whoever runs the compile.
File OpenBrkFile(const std::string &programPath) {
  const std::filesystem::path brk = WithExtension(programPath, "brk");
  std::error_code error;
  const auto status = std::filesystem::status(brk, error);
  const bool exists = !error && std::filesystem::exists(status);
  constexpr auto kWritable =
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write;
  const bool readOnly = exists && std::filesystem::is_regular_file(status) &&
                        (status.permissions() & kWritable) == std::filesystem::perms::none;
  if (!readOnly)
    plat::RemoveBeforeRewrite(brk.string());
  File file(readOnly ? nullptr : std::fopen(brk.c_str(), "w"));
  if (file)
    return file;
  if (readOnly)
    throw xFileOpen(kMsgBrkFileReadOnly, brk.c_str(), kModule, __LINE__);
  throw xFileOpen(kMsgBrkFileNotCreated, brk.parent_path().c_str(), kModule, __LINE__);
}

// Where the BIOS compiled in this session ended its root code: a program's
// start-up code goes to the page after it, where the BIOS jumps.
uint16_t &BiosRootCodeEnd() {
  static uint16_t end = 0;
  return end;
}

// The memory map of this compile. A program starts behind the BIOS; on the
// Z180 its start-up code stands first, where the BIOS's last jump lands.
void LayOutMemory(bool biosCompile) {
  InitMemoryMapDefaults(biosCompile ? 0 : BiosRootCodeEnd());
  MemoryMapValues &m = MemoryMap();
  if (CurrentCpu() == TargetCpu::Z180 && m.RootCodeOrigin != 0)
    m.ScodAnchor = MakeAddr24(0, uint16_t(m.RootCodeOrigin - 1));
  // A kernel that names no top of its data leaves root data, and the
  // stack above it, just below the extended-memory window.
  if (CurrentCpu() == TargetCpu::Z180 && m.DataTopDefault == 0)
    m.DataTopDefault = kStackTop;
  ComputeMemoryMap(0);
}

// The Z180 knows no origin directives: its root code and root variables
// get origins over the memory map's root area, code upward to the
// extended-memory window, variables downward towards the code, and its
// extended-memory code one in RAM.
void AttachZ180Origins(ADDR24 codeStart, ADDR24 variableTop) {
  if (CurrentCpu() != TargetCpu::Z180)
    return;
  CachePointers &caches = Caches();
  if (!caches.rootCode->AttachedOrigin())
    AddImplicitOrigin("$rootcode", caches.rootCode, codeStart, uint32_t(ExtWindowStart - codeStart.logical));
  if (!caches.rootVariable->AttachedOrigin() && variableTop.logical > codeStart.logical)
    AddImplicitOrigin("$rootdata", caches.rootVariable, variableTop,
                      uint32_t(variableTop.logical - codeStart.logical + 1));
  // Extended-memory code (and the xdata between it) from the window's
  // first page in RAM up to the end of RAM.
  const CompilerSettings &config = CompilerConfig();
  const ADDR24 xmemStart = MakeAddr24(uint8_t(config.rams - config.logr), uint16_t(config.logx * kExtPageSize));
  const uint32_t ramEnd = uint32_t(config.rame) * kExtPageSize;
  if (!caches.xmemCode->AttachedOrigin() && ramEnd > Addr24ToPhysical(xmemStart))
    AddImplicitOrigin("$xmemcode", caches.xmemCode, xmemStart, ramEnd - Addr24ToPhysical(xmemStart));
}

// Root code at the start of the free code area (a BIOS at the root code
// origin, where the processor starts), root variables growing down from
// the top of root data.
void PositionRootCaches(bool biosCompile) {
  const MemoryMapValues &m = MemoryMap();
  CachePointers &caches = Caches();
  const bool biosFromOrigin = biosCompile && CurrentCpu() == TargetCpu::Z180;
  Information().rootCodeStart = MakeDataAddr24(biosFromOrigin ? m.RootCodeOrigin : m.CodeFreeStart);
  Information().rootVariableStart = MakeDataAddr24(m.RootDataLimit);
  AttachZ180Origins(Information().rootCodeStart, Information().rootVariableStart);
  caches.rootCode->SetEmitAddress(Information().rootCodeStart);
  caches.rootVariable->SetEmitAddress(Information().rootVariableStart);
  // Constants go with the code unless the processor keeps them apart.
  if (CurrentCpu() == TargetCpu::Z180)
    SelectCodeCache(Information().rootCodeStart);
}

// The program's start-up code in the room the memory map kept for it: it
// calls main. False, with the reason listed, when it cannot be built.
bool PlaceStartupCode() {
  const MemoryMapValues &m = MemoryMap();
  StartupLayout layout;
  layout.address = MakeAddr24(0, m.scod_base);
  layout.vectorBase = m.ivec_base;
  // What the start-up routine is told of the data page is what the memory
  // configurations placed data by.
  layout.targetMode = TargetLayoutValues().compileTargetMode;
  layout.stackTop = m.DataTop;
  layout.stackLimit = m.AstkTop;
  layout.auxStackTop = m.AstkTop;
  layout.auxStackLimit = m.AstkStart;
  layout.heapStart = m.HeapStart;
  layout.heapEnd = m.HeapTop;
  layout.heapSize = CompilerConfig().heap;
  layout.timeStamp = Output().includeTimeStamp;
  layout.globalInit = GlobalInitGenerated();
  return WriteStartupStub(layout, m.StartupCodeSize) != 0;
}

// The user's unsaved edits are what is compiled; a file that cannot be
// opened compiles as an empty text.
std::unique_ptr<LineStream> ProgramTextStream(const std::string &programPath) {
  if (EditorView *editors = CurrentEditorView(); editors && editors->OpenAndModified(programPath)) {
    if (std::optional<std::string> text = editors->ModifiedText(programPath))
      return std::make_unique<MemoryLineStream>(std::move(*text));
  }
  std::unique_ptr<LineStream> stream = OpenFileLineStream(programPath);
  if (!stream)
    stream = std::make_unique<MemoryLineStream>(std::string());
  return stream;
}

// The compile options decide whether stores through pointers are checked,
// for every function whose directives do not say otherwise.
void ApplyPointerCheckOption() {
  uint32_t &defaults = Attributes().directiveDefaults;
  defaults = CompilerConfig().ptr ? defaults | kAttrPointerCheck : defaults & ~uint32_t(kAttrPointerCheck);
}

// The program text through the compile loop; false when the loop ended
// early on a full diagnostic list.
bool CompileProgramText(const std::string &programPath, bool biosCompile) {
  // A compile an exception ended may have left its brackets open.
  RestoreOpenBrackets({});
  ClearBiosSymbolMarks();
  ResetMemmapAndClassDefaults();
  // The input and the conditional groups start afresh with every file.
  ResetSourceInputModule();
  ResetDirectivesModule();
  std::unique_ptr<LineStream> stream = ProgramTextStream(programPath);
  SetProgramSource(programPath, std::move(stream));
  PrologueSettings prologue;
  prologue.biosCompile = biosCompile;
  ResetLineSources(prologue);
  BeginCompileMacros(biosCompile);
  PredefinedMacroSettings macros;
  macros.biosCompile = biosCompile;
  macros.cpu = CodeGen().TargetCpu();
  macros.ideBiosFlag = DirectiveShellInUse().IdeBiosFlag();
  macros.ideRunMode = DirectiveShellInUse().RunMode();
  macros.withoutBoard = DirectiveShellInUse().CompileWithoutBoard();
  DefineTargetMacros(macros);
  ResetCompilerState();
  ApplyPointerCheckOption();
  StartFunctionCompiler(biosCompile);
  FrontEndItems items;
  bool ranToEnd = true;
  try {
    ReadNextLineAndRewind();
    ProcessDirective();
    CompileTopLevel(items, biosCompile, TargetMacroSettingsOf(DirectiveShellInUse()), DirectiveLink());
  } catch (const xCCErrOvflo &) {
    // The compile ends here; its raiser has listed why.
    ranToEnd = false;
  } catch (const xErr &) {
    throw;
  } catch (const std::exception &) {
    // A fault of the compiler itself: the IDE reports it as one, and the
    // list keeps what the compile had found.
    throw xInternal(kModule, __LINE__);
  }
  // The program compiles against the macros the BIOS defined.
  if (biosCompile)
    EndBiosCompileMacros();
  return ranToEnd;
}

// A name used but defined nowhere, neither by the program nor by a library
// module it pulled in, would be a call to address 0 on the board: the
// compile fails naming it at its declaration. After other errors a missing
// definition is most likely one of theirs, so nothing more is said then.
bool GlobalLabelsAllDefined() {
  if (CompileErrorCount() != 0)
    return true;
  try {
    ReportUndefinedGlobalLabels();
  } catch (const xCCErrOvflo &) {
    return false;
  }
  return true;
}

// The BIOS ends in the way to the program: a jump to the page after its
// root code while no program is loaded, else the program's start-up code
// is placed there. A BIOS that placed no root code has no such end.
void EndBiosText() {
  constexpr uint16_t kStartupAfterBios = 0x1FF;
  constexpr uint8_t kJump = 0xC3;
  EmitCache &rootCode = *Caches().rootCode;
  if (!rootCode.AttachedOrigin())
    return;
  BiosRootCodeEnd() = rootCode.Current().logical;
  const uint16_t startup = uint16_t((rootCode.Current().logical + kStartupAfterBios) & kPageMask);
  if (!DirectiveShellInUse().IsProgramLoaded()) {
    rootCode.EmitByte(kJump);
    rootCode.EmitByte(uint8_t(startup));
    rootCode.EmitByte(uint8_t(startup >> 8));
  } else {
    DefineLabel(kStartupCodeLabel, Addr24ToLong(MakeAddr24(0, startup)), kFixGlobal);
  }
}

// A program compiled after its BIOS reads the BIOS's settings (where root
// data begins, for one) as BIOS symbols: the BIOS's global labels become
// BIOS symbols, as a BIOS load would make them. A symbol the board already
// gave keeps its value.
void ExportBiosLabels() {
  constexpr ADDR24 kAbsent = {0xFFFF, 0xFF, 0xFF};
  for (const std::string &name : GlobalLabelNames()) {
    const BRFixupRec *label = FindGlobalLabel(name);
    if (label && label->defined && LookupBiosSymbol(name, kAbsent).unused == kAbsent.unused)
      AddBiosSymbol(name, Addr24FromLong(label->value));
  }
}

// Extended-memory code ends on an even address, where the next code placed
// after it (a later compile's, a bouncer's) may start.
void AlignXmemCode() {
  EmitCache &xmem = *Caches().xmemCode;
  if (xmem.AttachedOrigin() && (Addr24ToPhysical(xmem.Current()) & 1) != 0)
    xmem.EmitByte(0x00);
}

void FlushCachesAndPositions() {
  for (EmitCache *cache : AllCaches())
    cache->Flush();
  // The last item's positions wait for a next statement that never comes.
  CommitStatementPositions();
}

// What the compile's end records of where things went.
void RecordLayoutAfterText() {
  CompileInformation &info = Information();
  const CachePointers &caches = Caches();
  const uint16_t codeAddress = caches.rootCode->Current().logical;
  SetRootCodeAndDataLimits(codeAddress, caches.rootVariable->Current().logical);
  info.codeEnd = uint16_t((RootLimits().codeTop + kPageRound) & kPageMask);
  info.codeEndLast = uint16_t(info.codeEnd - 1);
  info.rootCodeLast = RootLimits().codeTop;
  info.rootDataLow = RootLimits().dataStart;
  info.watchCodeStart = info.watchCodeEnd = 0;
  if (const OriginDirective *watch = caches.watchCode->AttachedOrigin()) {
    info.watchCodeStart = watch->start.logical;
    info.watchCodeEnd = uint16_t(Addr24Logical(OriginHighEnd(*watch)));
  }
  info.stackTop = kStackTop;
  info.stackOrigin = StackOriginWord();
  if (const OriginDirective *xmem = caches.xmemCode->AttachedOrigin()) {
    info.xmemCodeOrigin = xmem->start;
    info.xmemCodeCurrent = caches.xmemCode->Current();
  }
}

// The words the BIOS's start-up reads of the program, stored into the
// image where the BIOS asks for them.
void StoreBiosWords() {
  const ADDR24 dataBase = LookupBiosSymbol("DATA_BASE", ADDR24{});
  if (Addr24ToLong(dataBase) != 0) {
    const uint16_t word = uint16_t(Information().stackOrigin & 0xF000);
    const uint8_t bytes[2] = {uint8_t(word), uint8_t(word >> 8)};
    WriteRomListingRecord(2, dataBase, bytes);
  }
  const ADDR24 codeTop = LookupBiosSymbol("CODE_TOP", ADDR24{});
  if (Addr24ToLong(codeTop) != 0) {
    const uint16_t word = uint16_t((RootLimits().codeTop + 0x1000) & 0xF000);
    const uint8_t bytes[2] = {uint8_t(word), uint8_t(word >> 8)};
    WriteRomListingRecord(2, codeTop, bytes);
  }
}

// The board's flash sector: the BIOS's own with "Assume Corvid CPU" (an
// unknown size would send nothing and look done: it is taken as the larger
// sector), else the small sector of the operating mode a compile assumes.
uint32_t FlashSectorSizeOfBoard() {
  if (Host().AssumeCorvidCpu())
    return GetFlashSectorSize() ? GetFlashSectorSize() : kLargeSector;
  return kSmallSector;
}

// The HEX twin of the ".bin" image a TCP/IP download or an offline compile
// leaves beside the program.
bool WriteHexOfImage(const std::string &programPath) {
  File hex(std::fopen(WithExtension(programPath, "hex").c_str(), "wt"));
  File binary(std::fopen(WithExtension(programPath, "bin").c_str(), "rb"));
  return hex && binary && WriteIntelHexFile(binary.get(), hex.get());
}

// Sends the flash image sector by sector, only the sectors the compile
// wrote; over TCP/IP or without a board the sectors go into the ".bin"
// image, which then becomes the HEX file and the download. False when a
// piece of it failed: nothing more is sent then.
bool SendFlashImage(const std::string &programPath, uint32_t imageBaseKb, bool biosCompile) {
  // However the send ends, the next compile marks its own sectors.
  struct ClearMapOnExit {
    ~ClearMapOnExit() { ClearWrittenBlockMap(); }
  } clearMap;
  File image(std::fopen(WithExtension(programPath, "bdl").c_str(), "rb"));
  if (!image)
    return false;
  OutputTarget *board = CurrentOutputTarget();
  const bool offline = DirectiveShellInUse().CompileWithoutBoard();
  const bool tcp = board && board->UseTcp();
  const bool toBoardDirectly = !tcp && !offline;
  const uint32_t sector = Output().flashSectorSize;
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[sector]);
  if (!buffer) {
    ShowMessage<kMsgNoSectorBuffer>(false);
    return false;
  }
  const unsigned long total = CountWrittenBlocks() * sector;
  unsigned long sent = 0;
  const bool intoImage = (tcp || offline) && !biosCompile;
  if (intoImage && !CreateBinImageFile(programPath.c_str()))
    return false;
  const uint32_t base = imageBaseKb * kKilobyte;
  bool ok = true;
  try {
    for (uint32_t address = base;;) {
      std::fill(buffer.get(), buffer.get() + sector, uint8_t(0));
      const size_t read = std::fread(buffer.get(), 1, sector, image.get());
      if (read == 0) {
        if (std::ferror(image.get())) {
          ShowMessage<kMsgFlashImageUnreadable>(false);
          ok = false;
        }
        break;
      }
      PumpProgress();
      if (IsBlockWritten(address, sector)) {
        if (toBoardDirectly) {
          sent += sector;
          ShowMessageF(false, "%lu/%lu", sent, total);
        }
        if (toBoardDirectly || biosCompile) {
          if (!board) {
            ok = false;
            break;
          }
          board->WriteTargetBlock(sector, PhysicalToAddr24(address), buffer.get());
        } else if (offline && !Output().zeroPadBin) {
          WriteBinImageAt(sector, address - base, buffer.get());
        } else {
          WriteBinImageAt(sector, address, buffer.get());
        }
      }
      address += uint32_t(read);
    }
    image.reset();
    if (intoImage) {
      CloseBinImageFile();
      ok = ok && WriteHexOfImage(programPath);
      if (ok && !offline) {
        DownloadProgramTcp();
        ok = DownloadCompleted();
      }
    }
  } catch (const xTCErr &e) {
    // The link's failure is the send's: shown, and nothing more sent.
    ShowMessageF(false, "%s", e.Text());
    ok = false;
  }
  if (intoImage && BinImageFileOpen())
    CloseBinImageFile();
  return ok;
}

// The image files of a compile that did not fail, and what the outputs
// send or write from them; false when one of them failed. A compile that
// failed after its text (`deliver` false) still writes its image files for
// the user to look at, but sends and announces nothing.
bool WriteOutputs(const std::string &programPath, uint16_t mode, bool biosCompile, bool deliver) {
  const uint8_t bits = Output().outputBits;
  if (RomListingOpen())
    FinishRomListing();
  if (!(bits & (kOutputListing | kOutputBoard)))
    return true;
  ImageFileNames names;
  if (bits & kOutputBoard) {
    names.hexExt = "hdl";
    names.binExt = "bdl";
  } else if (CompilerConfig().romc == 1) {
    names.binExt = "bpf";
  }
  std::vector<ImageRange> ranges;
  uint32_t imageBaseKb = 0;
  if (BuildImageFromListing(programPath, CompilerConfig().ccsvrm, names, (bits & kOutputBit02) ? &ranges : nullptr,
                            imageBaseKb) != kImageBuilt) {
    ShowMessage<kMsgListingFailed>(false);
    return false;
  }
  if (deliver && (bits & kOutputBit02)) {
    if (!WriteDownloadPackage(programPath, ranges, imageBaseKb))
      return false;
    if (!biosCompile)
      ShowMessage<kMsgImageWritten>(false);
  } else if (deliver && !(bits & kOutputBoard) && !biosCompile) {
    ShowMessage<kMsgImageWritten>(false);
  }
  if (deliver && (bits & kOutputBoard) && !SendFlashImage(programPath, imageBaseKb, biosCompile))
    return false;
  // Only "splitbin" origins have part files to write.
  if ((mode != kCompileModeBoard || (bits & kOutputListing) || DirectiveShellInUse().CompileWithoutBoard()) &&
      SplitbinCount() > 0) {
    if (WriteImageFiles(programPath) == 0) {
      ShowMessage<kMsgListingFailed>(false);
      return false;
    }
  }
  return true;
}

void PutU16(std::vector<uint8_t> &out, uint16_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}
void PutU32(std::vector<uint8_t> &out, uint32_t value) {
  for (unsigned shift = 0; shift < 32; shift += 8)
    out.push_back(uint8_t(value >> shift));
}

constexpr size_t kPackageHeaderFields = 32;
constexpr size_t kPackageHeaderCrcAt = 126;
constexpr uint32_t kPackagePiece = 256;
constexpr uint32_t kPhysicalMask = 0xFFFFF;

std::vector<uint8_t> PackageHeader(uint16_t recordCount) {
  const CompileInformation &info = Information();
  std::vector<uint8_t> header;
  const uint32_t dataBase =
      (uint32_t(Addr24Segment(info.dataPointerBase)) * 4096 + BiosLayoutValues().layoutWord1Rounded) & kPhysicalMask;
  PutU32(header, dataBase);
  PutU32(header, Addr24ToPhysical(info.rootCodeStart));
  PutU32(header, Addr24ToPhysical(info.xmemCodeOrigin));
  PutU32(header, Addr24ToPhysical(info.xmemCodeCurrent));
  PutU32(header, Addr24ToPhysical(PhysicalToAddr24(info.stackOrigin)));
  PutU32(header, Addr24ToPhysical(PhysicalToAddr24(BiosLayoutValues().layoutWord6)));
  PutU32(header, info.xmemDataStart);
  PutU32(header, info.xmemDataEnd);
  PutU16(header, recordCount);
  header.resize(kPackageHeaderCrcAt, 0);
  PutU16(header, ComputeCrc16(header.data(), header.size()));
  return header;
}

// ---- watch statements --------------------------------------------------------

struct WatchScopePosition {
  uint16_t line = 1;
  uint8_t column = 1;
};
WatchScopePosition &StopPosition() {
  static WatchScopePosition position;
  return position;
}

// The program the watches are compiled against: the last program compile's.
std::string &CompiledProgramPath() {
  static std::string path;
  return path;
}

// The Z180's kernel keeps its watch code area without an origin directive.
constexpr char kWatchOriginName[] = "$watchcode";

// What the function-body compiler does differently for the watch's
// function: the function's declarations emit into the discard cache, the
// statement into the watch code area.
class WatchFunction : public WatchFunctionSetup {
public:
  explicit WatchFunction(const WatchCompileRequest &request) : request_(request) {}
  void DiscardDeclarationCode() override {
    CachePointers &caches = Caches();
    EmitCache &discard = DiscardCache();
    discard.SetEmitAddress(caches.currentCode->Current());
    caches.currentCode = caches.currentConstant = &discard;
    if (Addr24ToLong(request_.staticLocals) != 0)
      caches.rootVariable->SetEmitAddress(request_.staticLocals);
  }
  void EnterWatchCode() override {
    CachePointers &caches = Caches();
    caches.rootVariable->SetEmitAddress(request_.variableAddress);
    caches.watchCode->SetEmitAddress(request_.codeAddress);
    caches.currentCode = caches.currentConstant = caches.watchCode;
    Output().codeMode = CodeOutputMode::kWatchCode;
  }
  std::vector<std::string> StatementLines() override { return {request_.statement, "}"}; }
  void SetReadsLocals(bool reads) override { readsLocals_ = reads; }
  bool ReadsLocals() const { return readsLocals_; }

private:
  const WatchCompileRequest &request_;
  bool readsLocals_ = false;
};

// A watch compile changes nothing the program compile left for the
// debugger and for the next watch: the caches, the root variables' place
// and the output mode come back however it ends.
class WatchCompileScope {
public:
  WatchCompileScope()
      : caches_(Caches()), rootVariables_(Caches().rootVariable->Current()), codeMode_(Output().codeMode) {}
  ~WatchCompileScope() {
    SetPendingWatchFunction(nullptr);
    WatchFunctionFlag() = false;
    WatchCompileFlag() = false;
    Diagnostics().throwAll = false;
    Caches() = caches_;
    Caches().rootVariable->SetEmitAddress(rootVariables_);
    Output().codeMode = codeMode_;
    ResetLocalSymbolTable();
    CloseAllLineSources();
  }
  WatchCompileScope(const WatchCompileScope &) = delete;
  WatchCompileScope &operator=(const WatchCompileScope &) = delete;

private:
  CachePointers caches_;
  ADDR24 rootVariables_;
  CodeOutputMode codeMode_;
};

// Where no directive gave the watch code an origin, the area the request
// names becomes one, taken away again by the next program compile; each
// watch moves it to its own fragment's room.
void AttachWatchOrigin(const WatchCompileRequest &request) {
  EmitCache *watchCode = Caches().watchCode;
  OriginDirective *origin = watchCode->AttachedOrigin();
  if (!origin) {
    origin = AddImplicitOrigin(kWatchOriginName, watchCode, request.codeAddress, request.codeRoom);
    if (origin)
      origin->ofProgram = true;
  } else if (origin->implicit && origin->name == kWatchOriginName) {
    origin->start = origin->resume = request.codeAddress;
    origin->size = request.codeRoom;
  }
}

// The references to names nobody defined, each as its name and the packed
// address it would patch.
using UnresolvedReferences = std::set<std::pair<std::string, uint32_t>>;
UnresolvedReferences UnresolvedGlobalReferences() {
  UnresolvedReferences references;
  for (const std::string &name : GlobalLabelNames())
    if (const BRFixupRec *label = FindGlobalLabel(name); label && !label->defined)
      for (const auto &item : label->pending)
        references.emplace(name, item->patchAddress);
  return references;
}

// A name the statement calls or reads that the program never defined
// would send the fragment to address 0 on the board: the watch fails. The
// references a failed watch left stand for nothing any more.
void CheckWatchReferencesResolved(const UnresolvedReferences &before) {
  for (const auto &reference : UnresolvedGlobalReferences())
    if (!before.count(reference))
      throw xWatch(FormatMessage<kMsgWatchUnresolved>(reference.first), kModule, __LINE__);
}

// A failed statement leaves no labels of its own and none of its symbols;
// the labels it referenced of the program stay the program's.
void UndoFailedWatch() {
  try {
    ResetFixupTables(kResetLocal);
  } catch (const xWatch &) {
    // Its own labels, unresolved: they are gone with the table.
  }
  RollBackSymbolInserts();
  Caches().watchCode->ResetBuffer();
}

// The compile's duration and lines for the information dialog, the end
// taken however the compile leaves.
class CompileClock {
public:
  explicit CompileClock(uint32_t startMs) : startMs_(startMs) {}
  ~CompileClock() {
    CompileInformation &info = Information();
    info.linesCompiled = LinesDelivered();
    info.startMs = startMs_;
    info.endMs = plat::GetTickCount();
  }
  CompileClock(const CompileClock &) = delete;
  CompileClock &operator=(const CompileClock &) = delete;

private:
  uint32_t startMs_;
};

} // namespace

const CompileInformation &LastCompileInformation() { return Information(); }

void MarkCompileStopPosition(uint16_t line, uint8_t column) { StopPosition() = {line, column}; }

WatchCompileResult CompileWatchStatement(const WatchCompileRequest &request) {
  WatchCompileResult result;
  const WatchScopePosition scope = StopPosition();
  const std::string programPath = CompiledProgramPath();
  if (programPath.empty() || scope.column == 0)
    return result;
  WatchFunction function(request);
  WatchCompileScope restore;
  Output().codeMode = CodeOutputMode::kWatchSetup;
  // The program's global symbols and labels are what the statement names;
  // only the local ones start afresh.
  ResetLocalSymbolTable();
  SnapshotSymbolInserts();
  ResetSourceInputModule();
  ResetDirectivesModule();
  Diagnostics().throwAll = true;
  WatchCompileFlag() = true;
  SetProgramSource(programPath, ProgramTextStream(programPath));
  ResetLineSourcesAt(scope.line, scope.column);
  AttachWatchOrigin(request);
  SetPendingWatchFunction(&function);
  const UnresolvedReferences unresolvedBefore = UnresolvedGlobalReferences();
  try {
    ReadNextLineAndRewind();
    ProcessDirective();
    // The function's definition is the first item read; an item before it
    // on its line is read again on the way.
    while (PendingWatchFunction() && !EndOfInput) {
      if (!tsw::ParseDeclaration(kLevelTop))
        CompileErrorHere<kMsgNothingCompiled>();
    }
    if (PendingWatchFunction())
      return result;
    CheckWatchReferencesResolved(unresolvedBefore);
    Caches().watchCode->FlushAndMark();
  } catch (const xErr &) {
    UndoFailedWatch();
    throw;
  } catch (const std::exception &) {
    UndoFailedWatch();
    throw xInternal(kModule, __LINE__);
  }
  result.count = function.ReadsLocals() ? 2 : 1;
  result.codeEnd = Caches().watchCode->Current();
  return result;
}

bool WriteDownloadPackage(const std::string &programPath, const std::vector<ImageRange> &ranges, uint32_t imageBaseKb) {
  File image(std::fopen(WithExtension(programPath, "bin").c_str(), "rb"));
  if (!image)
    return false;
  // Written beside its final name and renamed once whole: a failed
  // package never stands where the board's loader looks.
  const std::string finalPath = WithExtension(programPath, "dlp");
  const std::string partPath = finalPath + ".part";
  File package(std::fopen(partPath.c_str(), "wb"));
  if (!package) {
    ShowMessage<kMsgPackageNotCreated>(false);
    return false;
  }
  bool ok = true;
  std::vector<uint8_t> out = PackageHeader(uint16_t(ranges.size()));
  for (const ImageRange &range : ranges) {
    PutU32(out, range.start);
    PutU32(out, range.length);
    PutU32(out, 0);
    PutU32(out, 0);
    const long offset = long(range.start) - long(imageBaseKb * kKilobyte);
    if (offset < 0 || std::fseek(image.get(), offset, SEEK_SET) != 0) {
      ShowMessage<kMsgImageSeekFailed>(false, offset);
      ok = false;
      break;
    }
    uint16_t crc = 0;
    std::array<uint8_t, kPackagePiece> piece;
    for (uint32_t done = 0; ok && done < range.length;) {
      const uint32_t want = std::min<uint32_t>(kPackagePiece, range.length - done);
      if (std::fread(piece.data(), 1, want, image.get()) != want) {
        ShowMessage<kMsgImageReadFailed>(false);
        ok = false;
        break;
      }
      out.insert(out.end(), piece.begin(), piece.begin() + want);
      crc = ComputeCrc16(piece.data(), want, kCrc16Ccitt, crc);
      done += want;
    }
    if (!ok)
      break;
    PutU16(out, crc);
  }
  ok = ok && std::fwrite(out.data(), 1, out.size(), package.get()) == out.size();
  ok = (std::fclose(package.release()) == 0) && ok;
  std::error_code error;
  if (ok)
    std::filesystem::rename(partPath, finalPath, error);
  if (!ok || error) {
    std::filesystem::remove(partPath, error);
    if (ok)
      ShowMessage<kMsgPackageNotCreated>(false);
    return false;
  }
  return true;
}

uint16_t BuildRuntimeCheckMask() {
  constexpr uint16_t kAllWarnings = 2;
  const CompilerSettings &c = CompilerConfig();
  uint16_t mask = RunTimeCheckMask();
  if (c.warn != 0)
    mask |= kCheckWarnings;
  if (c.warn == kAllWarnings)
    mask |= kCheckAllWarnings;
  return mask;
}

uint16_t CompileProgram(const std::string &programPath, uint16_t mode) {
  const uint32_t startMs = plat::GetTickCount();
  BRString::PurgeUnused();
  MarkCompileStopPosition(1, 1);
  RtiFileScope rtiFile;
  SavedMemorySizes savedSizes(mode);
  const bool bios = BiosCompileFlag();
  CompilerSettings &config = CompilerConfig();
  if (bios && (config.ramcfg != 0 || mode == kCompileModeBoard))
    DecodeMemorySizeCodes(config.rams, config.rame, config.ramg, config.rome);
  ApplyShellCodeSettings();
  SelectProcessorOfBios();
  ClearErrorList();
  if (PrepareCompilerSession(false) != 0)
    return uint16_t(ErrorListStatus() | kCompileFailedBit);
  LayOutMemory(bios);
  if (mode == kCompileModeFiles)
    ShowMessage<kMsgCompilingToFiles>(false);
  else
    ShowMessage<kMsgCompilingToBoard>(false);
  ClearFunctionList();
  DefineDriverBiosSymbols();
  CompileInformation &info = Information();
  info = CompileInformation();
  info.runtimeCheckMask = BuildRuntimeCheckMask();
  info.timeStamp = TimeStampNow();
  const CompileClock clock(startMs);
  if (bios)
    CountersAtBios() = LinkCountersNow();
  else if (OutputTarget *board = CurrentOutputTarget())
    board->SynchronizeDebugKernel();
  info.freeBase = MemoryMap().FreeAreaStart;
  info.freeTop = MemoryMap().DataTop;
  // The sectors the listing marks as written are the sectors sent.
  Output().flashSectorSize = FlashSectorSizeOfBoard();
  BeginByteRoadPass(programPath, bios, mode);
  if (!bios)
    CompiledProgramPath() = programPath;
  File brk = OpenBrkFile(programPath);
  // The listing the image is built from: a compile without it would leave
  // an old one to become the image.
  const bool listingWanted = Output().outputBits & (kOutputListing | kOutputBoard);
  bool ranToEnd = false;
  bool startupPlaced = true;
  try {
    if (!listingWanted || RomListingOpen()) {
      PositionRootCaches(bios);
      ranToEnd = CompileProgramText(programPath, bios);
      if (ranToEnd && bios) {
        EndBiosText();
        ExportBiosLabels();
      }
      if (ranToEnd)
        AlignXmemCode();
      if (ranToEnd && !bios && CompileErrorCount() == 0 && StartupRoutineKnown())
        startupPlaced = PlaceStartupCode();
      if (ranToEnd)
        ranToEnd = GlobalLabelsAllDefined();
    }
  } catch (...) {
    // The compile stops here, but what it found stays usable: the source
    // positions so far, the listing closed, no half-made labels or marks.
    SetErrorFileName(GetResourceString(kMsgNoFileName), 1);
    ResetFixupTables(kResetFinal);
    ClearBiosSymbolMarks();
    if (RomListingOpen())
      FinishRomListing();
    EnableMessageOutput();
    WriteBrkFile(brk.get());
    CloseAllLineSources();
    throw;
  }
  FlushCachesAndPositions();
  EnableMessageOutput();
  WriteBrkFile(brk.get());
  brk.reset();
  CloseAllLineSources();
  RecordLayoutAfterText();

  uint16_t status = uint16_t(ErrorListStatus());
  if (!ranToEnd || !startupPlaced || (status & kCompileFailedBit) || CompileErrorCount() != 0) {
    if (RomListingOpen())
      FinishRomListing();
    return uint16_t(status | kCompileFailedBit);
  }
  const RootCodeAndDataLimits &limits = RootLimits();
  bool deliver = true;
  if (limits.dataStart <= limits.codeTop) {
    CompileError<kMsgRootCodeOverlapsData>(int(limits.codeTop - limits.dataStart));
    status = uint16_t(ErrorListStatus() | kCompileFailedBit);
    // The files still show the user what overlapped; the board gets none of it.
    deliver = false;
  }
  StoreBiosWords();
  if (!WriteOutputs(programPath, mode, bios, deliver))
    status |= kCompileFailedBit;
  if (!(status & kCompileFailedBit))
    FinishMapFile();
  CountLinkTrafficSinceBios();
  return status;
}

void ResetCompileDriver() {
  Information() = CompileInformation();
  CountersAtBios() = LinkCounters();
  BiosRootCodeEnd() = 0;
  CompiledProgramPath().clear();
  StopPosition() = WatchScopePosition();
}

} // namespace tsw
