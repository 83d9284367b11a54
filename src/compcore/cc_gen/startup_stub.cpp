#include "compcore/cc_gen/startup_stub.h"

#include "compcore/cc_gen/routine_calls.h"

#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/version.h"

#include <optional>
#include <string_view>

namespace tsw {

namespace {

constexpr uint8_t kOpLoadA = 0x3E;
constexpr uint8_t kPrefixEd = 0xED;
constexpr uint8_t kOpLoadIFromA = 0x47;
constexpr uint8_t kOpLoadHl = 0x21;
constexpr uint8_t kOpStoreHl = 0x22;
constexpr uint8_t kOpPushHl = 0xE5;
constexpr uint8_t kOpExDeHl = 0xEB;
constexpr uint8_t kOpLoadB = 0x06;
constexpr uint8_t kOpLoadC = 0x0E;
constexpr uint8_t kOpCall = 0xCD;
constexpr uint8_t kOpLoadSp = 0x31;
constexpr uint8_t kOpEnableInterrupts = 0xFB;
constexpr uint8_t kOpStoreAtHl = 0x36;
constexpr uint8_t kOpIncHl = 0x23;
constexpr uint8_t kOpJump = 0xC3;
constexpr uint8_t kStackPageMask = 0x0F;
constexpr uint8_t kStackPageBits = 0xE0;
constexpr int kStackPageShift = 12;
// The program labels the start-up symbols fall back to.
constexpr uint8_t kStartupLabelKind = 11;
constexpr size_t kStampSize = 4;
constexpr char kStubTooLong[] = "start-up code longer than measured";

constexpr const char *kRequiredSymbols[] = {"exit",        ".exit2",       "AUX_STACK_PTR", "AUX_STACK_LIMIT",
                                            "STACK_LIMIT", "RST28SWT",     "RST28SWT_OFF",  ".startup"};

StartupServices *&Installed() {
  static StartupServices *installed = nullptr;
  return installed;
}

StartupServices &Services() {
  static StartupServices neutral;
  return Installed() ? *Installed() : neutral;
}

// A BIOS value can be any address; this one cannot be packed from one.
constexpr ADDR24 kAbsent = {0xFFFF, 0xFF, 0xFF};

std::optional<uint16_t> StartupSymbol(std::string_view name) {
  const ADDR24 bios = LookupBiosSymbol(name, kAbsent);
  if (bios.unused != kAbsent.unused)
    return bios.logical;
  // A label of the kernel's assembly stands in the global table, its
  // '.' written '_' as every routine's label.
  for (const std::string &label : {std::string(name), RoutineLabelName(name)}) {
    const SymbolRecord *symbol = LookupSymbol(label, false, SymbolTableId::kGlobal);
    if (symbol && (symbol->kind == kStartupLabelKind || symbol->address != 0))
      return Addr24FromLong(symbol->address).logical;
  }
  return std::nullopt;
}

// The stub's bytes. While measuring, symbols read as 0 and every part that
// depends on a symbol still to come is counted.
class StubBuilder {
public:
  explicit StubBuilder(bool measuring) : measuring_(measuring) {}

  bool Build(const StartupLayout &layout) {
    const bool z180 = CurrentCpu() == TargetCpu::Z180;
    uint16_t symbols[std::size(kRequiredSymbols)] = {};
    bool complete = true;
    for (size_t i = 0; i < std::size(kRequiredSymbols); ++i)
      complete &= Required(kRequiredSymbols[i], &symbols[i]);
    // ".exit2" is not called from here, but a BIOS without it cannot end
    // the program, so it is required all the same.
    const auto [exitAddress, exit2, auxPointer, auxLimit, stackLimit, rst28, rst28Off, startup] = symbols;
    (void)exit2;
    uint16_t entry = 0;
    complete &= Entry(layout, &entry);
    if (!complete)
      return false;

    if (z180) {
      // An image compiled to files keeps its vectors where this compile put
      // them wherever it is loaded, so I takes the same page either way.
      Bytes({kOpLoadA, uint8_t(layout.vectorBase >> 8), kPrefixEd, kOpLoadIFromA});
      LoadHl(layout.targetMode & kTargetModeSeparateDataPage);
      Bytes({kOpPushHl, kOpExDeHl});
      LoadHl(layout.mapWord);
      Bytes({kOpPushHl, kOpLoadB, layout.segmentSpan, kOpLoadC,
             uint8_t((layout.stackLimit >> kStackPageShift & kStackPageMask) | kStackPageBits)});
    }
    Call(startup);
    if (z180) {
      Byte(kOpLoadSp);
      Word(uint16_t(layout.stackTop + 1));
      Byte(kOpEnableInterrupts);
      // Measured before any function is compiled, the install counts
      // whether a root bouncer comes or not.
      if ((measuring_ || CodeGenSetup().bouncerRoutine != 0) && !InstallBouncerVector())
        return false;
    }
    if (!Heap(layout))
      return false;
    StoreHl(uint16_t(layout.auxStackTop + 1), auxPointer);
    StoreHl(uint16_t(-layout.auxStackLimit), auxLimit);
    StoreHl(uint16_t(-layout.stackLimit), stackLimit);
    StoreHl(layout.rst28Word, rst28);
    LoadHl(rst28Off);
    Bytes({kOpStoreAtHl, layout.rst28OffByte});
    LoadHl(PackVersionNumber());
    Byte(kOpPushHl);
    Call(entry);
    LoadHl(0);
    Byte(kOpPushHl);
    Call(exitAddress);
    return true;
  }

  const std::vector<uint8_t> &Code() const { return bytes_; }

private:
  // Every missing symbol is reported before the build gives up.
  bool Required(const char *name, uint16_t *address) {
    if (measuring_)
      return true;
    if (std::optional<uint16_t> found = StartupSymbol(name)) {
      *address = *found;
      return true;
    }
    CompileError<kMsgStartupSymbolMissing>();
    return false;
  }
  bool Optional(const char *name, uint16_t *address) {
    if (measuring_)
      return true;
    std::optional<uint16_t> found = StartupSymbol(name);
    if (found)
      *address = *found;
    return found.has_value();
  }
  // main, or the global initialisation that calls it. A main in the window
  // is reached through its root stub when there is one.
  bool Entry(const StartupLayout &layout, uint16_t *address) {
    if (measuring_)
      return true;
    if (layout.globalInit)
      return Required("premain", address);
    const SymbolRecord *main = LookupSymbol("main", false, SymbolTableId::kGlobal);
    if (!main) {
      CompileError<kMsgNoMain>();
      return false;
    }
    ADDR24 target = Addr24FromLong(main->address);
    const ADDR24 stub = Addr24FromLong(main->secondAddress);
    if (Addr24InWindow(target) && CodeGenSetup().noBouncers && stub.logical != 0)
      target = stub;
    if (Addr24InWindow(target)) {
      CompileError<kMsgMainUnreachable>();
      return false;
    }
    *address = target.logical;
    return true;
  }
  // RST 30h jumps to the universal bouncer. The kernel's restart jumps
  // through the three bytes at "vrst30", which the stub fills; the bouncer
  // is the library's (or the BIOS's) "_b_all". Both are needed once a
  // function is entered through a root bouncer, and only then, so a kernel
  // without the vector still runs programs that have none.
  bool InstallBouncerVector() {
    uint16_t bouncer = 0, vector = 0;
    const bool haveBouncer = Optional("_b_all", &bouncer);
    const bool haveVector = Optional("vrst30", &vector);
    if (!haveBouncer)
      CompileError<kMsgNoUniversalBouncer>();
    if (!haveVector)
      CompileError<kMsgNoRst30Vector>();
    if (!haveBouncer || !haveVector)
      return false;
    LoadHl(vector);
    Bytes({kOpStoreAtHl, kOpJump, kOpIncHl, kOpStoreAtHl, uint8_t(bouncer), kOpIncHl, kOpStoreAtHl,
           uint8_t(bouncer >> 8)});
    return true;
  }
  // The allocator's head is cleared; a heap is handed to it whole.
  bool Heap(const StartupLayout &layout) {
    uint16_t head = 0;
    if (!Optional("alloc_h", &head))
      return true;
    StoreHl(0, head);
    if (layout.heapSize == 0)
      return true;
    uint16_t release = 0;
    if (!Optional("bfree", &release)) {
      CompileError<kMsgNoBfree>();
      return false;
    }
    LoadHl(layout.heapEnd);
    Byte(kOpPushHl);
    LoadHl(layout.heapStart);
    Byte(kOpPushHl);
    Call(release);
    return true;
  }

  void Byte(uint8_t b) { bytes_.push_back(b); }
  void Bytes(std::initializer_list<uint8_t> bs) { bytes_.insert(bytes_.end(), bs); }
  void Word(uint16_t w) { Bytes({uint8_t(w), uint8_t(w >> 8)}); }
  void LoadHl(uint16_t value) {
    Byte(kOpLoadHl);
    Word(value);
  }
  void StoreHl(uint16_t value, uint16_t at) {
    LoadHl(value);
    Byte(kOpStoreHl);
    Word(at);
  }
  void Call(uint16_t at) {
    Byte(kOpCall);
    Word(at);
  }

  bool measuring_;
  std::vector<uint8_t> bytes_;
};

uint32_t TimeStamp(const StartupLayout &layout) {
  if (!layout.timeStamp)
    return kNoTimeStamp;
  return uint32_t(Services().LocalTime() - kStampEpochOffset);
}

} // namespace

void SetStartupServices(StartupServices *services) { Installed() = services; }

bool StartupRoutineKnown() { return StartupSymbol(".startup").has_value(); }

uint16_t MeasureStartupStub(const StartupLayout &layout) {
  StubBuilder builder(true);
  builder.Build(layout);
  return uint16_t(builder.Code().size() + kBoardRecordSize + kStampSize);
}

uint16_t WriteStartupStub(const StartupLayout &layout, uint16_t reserved) {
  StubBuilder builder(false);
  if (!builder.Build(layout))
    return 0;
  std::vector<uint8_t> bytes = builder.Code();
  const size_t tail = kBoardRecordSize + kStampSize;
  // Code behind the stub was placed by the measured length: a longer stub
  // would overwrite it.
  if (bytes.size() > kStartupBufferSize || bytes.size() + tail > reserved) {
    CompileError<kMsgEmitOutside>(std::string(kStubTooLong));
    return 0;
  }
  bytes.resize(reserved - tail, 0);
  bytes.insert(bytes.end(), layout.boardRecord.begin(), layout.boardRecord.end());
  const ADDR24 stampAt = Addr24Add(layout.address, int32_t(bytes.size()));
  const uint32_t stamp = TimeStamp(layout);
  for (size_t i = 0; i < kStampSize; ++i)
    bytes.push_back(uint8_t(stamp >> (8 * i)));
  Services().WriteStartup(layout.address, bytes);
  Services().RecordStampAddress(stampAt);
  return uint16_t(bytes.size());
}

} // namespace tsw
