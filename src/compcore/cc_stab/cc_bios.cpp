#include "compcore/cc_stab/cc_bios.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_session.h"
#include "foundation/memorymap.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

#include <array>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_stab";
constexpr uint32_t kBuckets = 256;
constexpr size_t kMaxBiosName = 33;
constexpr uint8_t kLastCharBit = 0x80;
constexpr std::string_view kDataOriginSymbol = "IOP_DATAORG";
constexpr uint16_t kMaxBoardTableLength = 20000;
constexpr uint8_t kLargeRamSizeCode = 9;
constexpr uint16_t kPage = 256;

// The header fields of the BIOS information file.
enum HeaderOffset : size_t {
  kRamSizeCode = 0,
  kLayoutByte = 1,
  kRamStartPage = 2,
  kFuncBreakAddr = 3,
  kFuncBreakVal = 5,
  kTrapVec = 7,
  kRst38Vec = 9,
  kNmiVec = 11,
  kLayoutWord1 = 13,
  kLayoutWord4 = 19,
  kLayoutWord5 = 21,
  kLayoutWord6 = 23,
  kComAttn = 25,
  kSymbolTableLength = 31,
};

// Where the board's kernel directory keeps the same values.
enum DirectoryOffset : uint16_t {
  kDirPointerAddress = 3,
  kDirSymbolTable = 0x11,
  kDirLayoutWord1 = 0x15,
  kDirLayoutWord4 = 0x1B,
  kDirLayoutWord5 = 0x1D,
  kDirFuncBreakAddr = 0x1F,
  kDirFuncBreakVal = 0x21,
  kDirTrapVec = 0x23,
  kDirRst38Vec = 0x25,
  kDirNmiVec = 0x27,
  kDirRamSizeCode = 0x2B,
  kDirLayoutByte = 0x2C,
  kDirLayoutWord6 = 0x2D,
  kDirRamStartPage = 0x32,
};

constexpr uint16_t kLowRootLimit = 0x8000;
constexpr uint32_t kHighRootPhysical = 0x30000;

struct SpecialSymbol {
  const char *name;
  int16_t addend;
  bool indirect;
};
constexpr SpecialSymbol kSpecials[kSpecialBiosSymbols] = {
    {".lcod_base", 0, false}, {".lcod_top", -1, false}, {".ldat_base", 0, false}, {".ldat_top", -1, false},
    {".dcod_base", 0, false}, {".dcod_top", -1, false}, {".ddat_base", 0, false}, {".ddat_top", -1, false},
    {".lsym_base", 0, false}, {".lsym_top", -1, false}, {"..lcount", 0, false},   {"..bp_init", 0, false},
    {".exit", 0, true},       {"..exit2", 0, true},     {".watch", 0, false},
};

struct BiosEntry {
  std::string name;
  ADDR24 value;
  bool used = false;
};

struct BiosState {
  std::array<std::vector<BiosEntry>, kBuckets> buckets;
  bool disabled = false;
  BiosLayout layout;
  std::vector<CompiledFunctionRecord> functions;
  FunctionRecordContext context;
  RootCodeAndDataLimits rootLimits;
};

BiosState &State() {
  static BiosState s;
  return s;
}

std::vector<BiosEntry> &BucketOf(std::string_view name) { return State().buckets[HashName(name, kBuckets)]; }

BiosEntry *FindEntry(std::string_view name) {
  for (BiosEntry &e : BucketOf(name))
    if (e.name == name)
      return &e;
  return nullptr;
}

int SpecialIndex(std::string_view name) {
  for (size_t i = 0; i < kSpecialBiosSymbols; ++i)
    if (name == kSpecials[i].name)
      return int(i);
  return -1;
}

uint16_t Word(std::span<const uint8_t> bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

// One decoded table: the ordinary symbols and the special values.
struct DecodedTable {
  std::vector<std::pair<std::string, uint32_t>> symbols;
  std::array<std::optional<uint32_t>, kSpecialBiosSymbols> special;
};

// Decodes a symbol table with every record bounds-checked; nullopt when a
// record or name runs past the end or a name is too long. `indirect` reads
// the word an indirect special symbol points at (nullopt: cannot be read).
std::optional<DecodedTable> DecodeSymbolTable(std::span<const uint8_t> table,
                                              const std::function<std::optional<uint16_t>(uint32_t)> &indirect) {
  DecodedTable out;
  size_t pos = 0;
  while (pos < table.size()) {
    if (table.size() - pos < 3)
      return std::nullopt;
    uint32_t value = table[pos] | table[pos + 1] << 8 | uint32_t(table[pos + 2]) << 16;
    pos += 3;
    if (pos >= table.size() && (value & 0xFFFF) == 0)
      break;
    std::string name;
    for (;;) {
      if (pos >= table.size() || name.size() >= kMaxBiosName)
        return std::nullopt;
      uint8_t c = table[pos++];
      name += char(c & ~kLastCharBit);
      // The table's last byte ends the last name at the latest.
      if ((c & kLastCharBit) || pos == table.size())
        break;
    }
    int special = SpecialIndex(name);
    if (special < 0) {
      out.symbols.emplace_back(name, value);
      continue;
    }
    const SpecialSymbol &s = kSpecials[special];
    if (!s.indirect) {
      out.special[special] = uint16_t(value + s.addend);
    } else if (auto word = indirect(value)) {
      out.special[special] = uint16_t(*word + s.addend);
    } else {
      out.symbols.emplace_back(name, value);
    }
  }
  return out;
}

struct ImportedHeader {
  uint16_t funcBreakAddr, funcBreakVal, trapVec, rst38Vec, nmiVec, comAttn;
  uint16_t layoutWord1, layoutWord4, layoutWord5, layoutWord6;
  uint8_t ramSizeCode, layoutByte, ramStartPage;
};

void ApplyRamLayout(const ImportedHeader &h) {
  CompilerSettings &cfg = CompilerConfig();
  if (cfg.ramcfg) {
    cfg.rams = h.ramStartPage;
    cfg.logr = h.layoutByte & 0x0F;
    cfg.logx = h.layoutByte >> 4;
    if (h.ramSizeCode < kLargeRamSizeCode) {
      cfg.rame = uint16_t(cfg.rams + 2 * h.ramSizeCode);
      cfg.ramg = uint16_t(h.ramSizeCode * kExtPageSize);
    } else {
      cfg.rame = uint16_t(cfg.rams + h.ramSizeCode);
      cfg.ramg = 0;
    }
  }
  // The window and the page numbering of its segments move together:
  // address arithmetic must agree with the layout just imported.
  ExtWindowStart = uint16_t(cfg.logx * kExtPageSize);
  SegmentBase = cfg.logx;
  cfg.ramx = uint16_t(cfg.logx - cfg.logr);
}

// Replaces the table and the layout with what was imported. The operating
// mode is only read from the board: it stays as it was.
void Commit(const ImportedHeader &h, const DecodedTable &table, uint16_t tableLength) {
  ClearBiosSymbols();
  BiosLayout &l = State().layout;
  const uint8_t opMode = l.opMode;
  l = BiosLayout();
  l.opMode = opMode;
  const std::pair<const char *, uint16_t> headerSymbols[] = {
      {"FUNC_BREAK_ADDR", h.funcBreakAddr},
      {"FUNC_BREAK_VAL", h.funcBreakVal},
      {"TRAP_VEC", h.trapVec},
      {"RST38_VEC", h.rst38Vec},
      {"NMI_VEC", h.nmiVec},
      {"_comattn", h.comAttn},
  };
  for (const auto &[name, value] : headerSymbols)
    AddBiosSymbol(name, MakeDataAddr24(value));
  l.layoutWord4 = h.layoutWord4;
  l.layoutWord5 = h.layoutWord5;
  l.layoutWord6 = h.layoutWord6;
  l.ramSizeCode = h.ramSizeCode;
  l.layoutByte = h.layoutByte;
  l.ramStartPage = h.ramStartPage;
  ApplyRamLayout(h);
  l.symbolTableLength = tableLength;
  for (size_t i = 0; i < kSpecialBiosSymbols; ++i)
    l.special[i] = table.special[i].value_or(0);
  for (const auto &[name, value] : table.symbols)
    AddBiosSymbol(name, Addr24FromLong(value));
  l.layoutWord1Rounded = uint16_t((h.layoutWord1 + kPage - 1) & ~(kPage - 1));
  MemoryMap().DataTopDefault = h.layoutWord4;
}

[[noreturn]] void ThrowBadTable() { throw xTCErr(kMsgBadBiosSymbolTable, kModule, __LINE__); }

} // namespace

void ClearBiosSymbols() {
  for (auto &bucket : State().buckets)
    bucket.clear();
  BiosDataOrigin() = 0;
}

void AddBiosSymbol(std::string_view name, ADDR24 value) {
  if (name == kDataOriginSymbol)
    BiosDataOrigin() = value.logical;
  if (BiosEntry *e = FindEntry(name)) {
    e->value = value;
    return;
  }
  BucketOf(name).push_back({std::string(name), value, false});
}

ADDR24 LookupBiosSymbol(std::string_view name, ADDR24 defaultValue) {
  if (State().disabled)
    return defaultValue;
  const BiosEntry *e = FindEntry(name);
  return e ? e->value : defaultValue;
}

void RemoveBiosSymbol(std::string_view name) {
  std::vector<BiosEntry> &bucket = BucketOf(name);
  std::erase_if(bucket, [&](const BiosEntry &e) { return e.name == name; });
}

int MarkBiosSymbolUsed(std::string_view name) {
  BiosEntry *e = name.empty() ? nullptr : FindEntry(name);
  if (!e)
    return 0;
  e->used = true;
  return 1;
}

bool BiosSymbolUsed(std::string_view name) {
  const BiosEntry *e = FindEntry(name);
  return e && e->used;
}

int ClearBiosSymbolMarks() {
  for (auto &bucket : State().buckets)
    for (BiosEntry &e : bucket)
      e.used = false;
  return 0;
}

const char *FindBiosSymbolByValue(ADDR24 address) {
  for (const auto &bucket : State().buckets)
    for (const BiosEntry &e : bucket)
      if (Addr24Equal(e.value, address))
        return e.name.c_str();
  return nullptr;
}

bool &BiosSymbolsDisabled() { return State().disabled; }
const BiosLayout &BiosLayoutValues() { return State().layout; }

std::optional<uint32_t> SpecialBiosSymbol(std::string_view name) {
  int i = SpecialIndex(name);
  if (i < 0)
    return std::nullopt;
  return State().layout.special[i];
}

int LoadBiosSymbols(std::optional<std::span<const uint8_t>> file) {
  if (!file || file->size() < kBiosInfoHeaderSize)
    return 1;
  std::span<const uint8_t> f = *file;
  ImportedHeader h{Word(f, kFuncBreakAddr), Word(f, kFuncBreakVal), Word(f, kTrapVec),     Word(f, kRst38Vec),
                   Word(f, kNmiVec),        Word(f, kComAttn),      Word(f, kLayoutWord1), Word(f, kLayoutWord4),
                   Word(f, kLayoutWord5),   Word(f, kLayoutWord6),  f[kRamSizeCode],       f[kLayoutByte],
                   f[kRamStartPage]};
  uint16_t n = Word(f, kSymbolTableLength);
  if (f.size() - kBiosInfoHeaderSize < n)
    return 1;
  ShowMessage<kMsgReadingBiosSymbols>(false);
  size_t imageBase = kBiosInfoHeaderSize + 1 + size_t(n);
  auto table = DecodeSymbolTable(f.subspan(kBiosInfoHeaderSize, n), [&](uint32_t address) -> std::optional<uint16_t> {
    size_t at = imageBase + address;
    if (at + 2 > f.size())
      return std::nullopt;
    return Word(f, at);
  });
  if (!table)
    return 1;
  Commit(h, *table, n);
  return 0;
}

int LoadBiosSymbolsFromBios(BiosTargetMemory &target) {
  ImportedHeader h{};
  uint16_t tablePointer = 0;
  bool haveHeader = !target.AltLinkMode();
  if (haveHeader) {
    uint16_t d = target.ReadWord(MakeAddr24(0, kDirPointerAddress));
    auto word = [&](uint16_t off) { return target.ReadWord(MakeAddr24(0, uint16_t(d + off))); };
    auto byte = [&](uint16_t off) { return target.ReadByte(MakeAddr24(0, uint16_t(d + off))); };
    h.funcBreakAddr = word(kDirFuncBreakAddr);
    h.funcBreakVal = word(kDirFuncBreakVal);
    h.trapVec = word(kDirTrapVec);
    h.rst38Vec = word(kDirRst38Vec);
    h.nmiVec = word(kDirNmiVec);
    h.comAttn = target.ComAttnValue();
    h.layoutWord1 = word(kDirLayoutWord1);
    h.layoutWord4 = word(kDirLayoutWord4);
    h.layoutWord5 = word(kDirLayoutWord5);
    h.ramSizeCode = byte(kDirRamSizeCode);
    h.layoutByte = byte(kDirLayoutByte);
    h.layoutWord6 = word(kDirLayoutWord6);
    h.ramStartPage = byte(kDirRamStartPage);
    tablePointer = word(kDirSymbolTable);
  } else {
    tablePointer = target.CompilerSymTab();
  }
  DecodedTable table;
  uint16_t length = 0;
  if (tablePointer) {
    ShowMessage<kMsgReadingBiosSymbols>(false);
    bool pulse = false;
    uint32_t physical = tablePointer;
    if (!target.IsCorvidTarget()) {
      if (tablePointer < kLowRootLimit)
        pulse = true;
      else
        physical = kHighRootPhysical + tablePointer;
    }
    ADDR24 t = PhysicalToAddr24(physical);
    bool pulsedOne = false;
    try {
      if (pulse) {
        target.PulseKernelFlag(1);
        pulsedOne = true;
      }
      length = target.ReadWord(t);
      if (length > kMaxBoardTableLength)
        ThrowBadTable();
      std::vector<uint8_t> bytes(length);
      target.ReadBlock(Addr24Add(t, 2), bytes.data(), bytes.size());
      auto decoded = DecodeSymbolTable(bytes, [&](uint32_t address) -> std::optional<uint16_t> {
        return target.ReadWord(Addr24Add(Addr24FromLong(address), 1));
      });
      if (!decoded)
        ThrowBadTable();
      table = std::move(*decoded);
      if (pulse)
        target.PulseKernelFlag(2);
    } catch (...) {
      if (pulsedOne)
        target.PulseKernelFlag(2);
      throw;
    }
  }
  if (!haveHeader) {
    // The layout is not read in these link modes: keep what stands, and
    // only the table changes.
    const BiosLayout kept = State().layout;
    ClearBiosSymbols();
    for (const auto &[name, value] : table.symbols)
      AddBiosSymbol(name, Addr24FromLong(value));
    State().layout = kept;
    for (size_t i = 0; i < kSpecialBiosSymbols; ++i)
      if (table.special[i])
        State().layout.special[i] = *table.special[i];
  } else {
    Commit(h, table, length);
  }
  // Without a table there is no "OPMODE" to read the mode from.
  if (tablePointer)
    State().layout.opMode = target.ReadByte(LookupBiosSymbol("OPMODE", ADDR24{}));
  return 0;
}

FunctionRecordContext &CurrentFunctionContext() { return State().context; }

const CompiledFunctionRecord &AddCompiledFunction(uint16_t recordedWord, uint8_t recordedByte, ADDR24 second,
                                                  ADDR24 start, ADDR24 end, const ADDR24 *third,
                                                  std::string_view name) {
  const FunctionRecordContext &c = State().context;
  CompiledFunctionRecord r;
  r.name = std::string(name);
  r.start = start;
  r.second = second;
  r.third = third ? *third : ADDR24{};
  r.end = end;
  r.flagWord = c.flagWord;
  r.flagByte = c.flagByte;
  r.recordedWord = recordedWord;
  r.recordedByte = recordedByte;
  r.classByte = c.classByte;
  State().functions.push_back(std::move(r));
  return State().functions.back();
}

ADDR24 FindFunctionAddressByName(std::string_view name) {
  for (const CompiledFunctionRecord &r : State().functions)
    if (r.name == name)
      return r.start;
  return ADDR24{};
}

const CompiledFunctionRecord *FunctionAt(ADDR24 address) {
  for (const CompiledFunctionRecord &r : State().functions)
    if (!Addr24Less(address, r.start) && !Addr24Less(r.end, address))
      return &r;
  return nullptr;
}

void FindFunctionAtAddress(ADDR24 address, uint16_t &recordedWord, uint8_t &recordedByte) {
  // A miss leaves the caller's values: they are its answer for no function.
  if (const CompiledFunctionRecord *r = FunctionAt(address)) {
    recordedWord = r->recordedWord;
    recordedByte = r->recordedByte;
  }
}

const std::vector<CompiledFunctionRecord> &CompiledFunctions() { return State().functions; }
void ClearFunctionList() { State().functions.clear(); }

void SetRootCodeAndDataLimits(uint16_t codeAddress, uint16_t dataAddress) {
  if (WatchCompileFlag())
    return;
  State().rootLimits = {uint16_t(codeAddress - 1), uint16_t(dataAddress + 1)};
}

const RootCodeAndDataLimits &RootLimits() { return State().rootLimits; }

void ResetBiosSymbolModule() {
  State() = BiosState();
  BiosDataOrigin() = 0;
}

} // namespace tsw
