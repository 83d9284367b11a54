#include "compcore/cc_go/cc_cfg.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_byte_road.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_mod/cc_mod.h"
#include "compcore/cc_parse/expr/expr_strings.h"
#include "compcore/cc_gen/segchain.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "platform/pool.h"
#include "platform/profile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace tsw {

#define E(key, fmt, def)                                                                                               \
  { fmt, &CompilerSettings::key, def }
const CompilerConfigEntry CompilerConfigTable[kCompilerConfigEntries] = {
    E(error, "error = %hd\n", 1),     E(index, "index = %hd\n", 1),     E(ptr, "ptr   = %hd\n", 1),
    E(stack, "stack = %hd\n", 0),     E(size, "size  = %hd\n", 0),      E(warn, "warn  = %hd\n", 2),
    E(lit, "lit   = %hd\n", 15000),   E(mac, "mac   = %hd\n", 0),       E(sym, "sym   = %hd\n", 4000),
    E(ustk, "ustk  = %hx\n", 0x800),  E(astk, "astk  = %hx\n", 0xD0),   E(heap, "heap  = %hx\n", 0),
    E(free, "free  = %hx\n", 0),      E(logr, "logr  = %hx\n", 2),      E(logx, "logx  = %hx\n", 0xE),
    E(logxs, "logxs = %hx\n", 0x600), E(logrs, "logrs = %hx\n", 0xA00), E(roms, "roms  = %hx\n", 2),
    E(rome, "rome  = %hx\n", 0xF),    E(romx, "romx  = %hx\n", 0xB),    E(romg, "romg  = %hx\n", 0),
    E(ramcfg, "ramcfg= %hd\n", 1),    E(rams, "rams  = %hx\n", 0x80),   E(rame, "rame  = %hx\n", 0xA0),
    E(ramx, "ramx  = %hx\n", 0xC),    E(ramg, "ramg  = %hx\n", 0),      E(romc, "romc  = %hx\n", 0),
    E(tcprot, "tcprot= %hd\n", 1),    E(tcdmtn, "tcdmtn= %hd\n", 1),    E(tcptr, "tcptr = %hd\n", 1),
    E(cchexf, "cchexf= %hd\n", 0),    E(ccsvrm, "ccsvrm= %hd\n", 0),
};
#undef E

namespace {

constexpr size_t kConfigLineBytes = 80; // 79 characters and the terminator
constexpr uint32_t kNamePoolBytesPerSymbol = 33;
constexpr uint32_t kMaxNamePoolBytes = 65280;
constexpr uint32_t kMinLocalHashSlots = 128;

struct ConfigState {
  bool tablesSized = false;
  CompilerTableSizes sizes;
  plat::MEM_POOL countedPool = nullptr;
  uint32_t countedAllocations = 0;
  std::vector<void (*)()> tableHooks;
};

ConfigState &State() {
  static ConfigState s;
  return s;
}

void ResetErrorCounters() {
  CompileErrorCount() = 0;
  ErrorSuppression() = 0;
}

bool IsHexEntry(const char *format) { return std::string_view(format).find("%hx") != std::string_view::npos; }

enum class ScanResult { kNoMatch, kTaken, kOutOfRange };

// scanf rules: a blank matches any run of white space, the key exactly.
// Like scanf, a line that ends before the first conversion (a blank line)
// ends the search without a value. The number is read wide, so that a value
// beyond 16 bits is refused rather than wrapped; decimal values may be
// written signed or unsigned.
ScanResult ScanLine(const char *line, const CompilerConfigEntry &entry, uint16_t &value) {
  std::string wide(entry.format);
  wide.replace(wide.find("%h"), 2, "%l");
  int got = 0;
  bool fits = true;
  uint16_t read = 0;
  if (IsHexEntry(entry.format)) {
    unsigned long v = 0;
    got = std::sscanf(line, wide.c_str(), &v);
    fits = v <= UINT16_MAX;
    read = uint16_t(v);
  } else {
    long v = 0;
    got = std::sscanf(line, wide.c_str(), &v);
    fits = v >= INT16_MIN && v <= long(UINT16_MAX);
    read = uint16_t(v);
  }
  if (got == 0)
    return ScanResult::kNoMatch;
  if (got < 0)
    return ScanResult::kTaken;
  if (!fits)
    return ScanResult::kOutOfRange;
  value = read;
  return ScanResult::kTaken;
}

// The key of an entry: its format up to the first blank or '='.
std::string_view EntryKey(const CompilerConfigEntry &entry) {
  std::string_view format(entry.format);
  return format.substr(0, format.find_first_of(" ="));
}

} // namespace

int ReadCompilerConfig(const std::string &path) {
  CompilerSettings &cfg = CompilerConfig();
  for (const CompilerConfigEntry &entry : CompilerConfigTable)
    cfg.*entry.variable = entry.defaultValue;
  std::ifstream file(path);
  if (!file)
    return 0;
  // Whole lines: the tail of a long comment line is no setting of its own.
  std::string line;
  while (std::getline(file, line)) {
    for (const CompilerConfigEntry &entry : CompilerConfigTable) {
      ScanResult result = ScanLine(line.c_str(), entry, cfg.*entry.variable);
      if (result == ScanResult::kOutOfRange)
        ShowMessage<kMsgConfigValueOutOfRange>(true, std::string(EntryKey(entry)));
      if (result != ScanResult::kNoMatch)
        break;
    }
  }
  return 0;
}

bool WriteCompilerConfig(const std::string &path) {
  const CompilerSettings &cfg = CompilerConfig();
  std::string text;
  char line[kConfigLineBytes];
  for (const CompilerConfigEntry &entry : CompilerConfigTable) {
    std::snprintf(line, sizeof line, entry.format, static_cast<unsigned short>(cfg.*entry.variable));
    text += line;
  }
  return plat::WriteFileAtomically(path, text);
}

std::string MakeIniName(std::string_view fileName) { return plat::ReplaceExtension(fileName, "ini"); }

CompilerTableSizes ComputeCompilerTableSizes(uint16_t sym, uint16_t lit) {
  uint32_t s = sym;
  CompilerTableSizes sizes;
  sizes.symbolRecords = s;
  sizes.symbolHashSlots = s + s / 4;
  sizes.insertUndoEntries = s + s / 4;
  sizes.localHashSlots = std::max(s / 4, kMinLocalHashSlots);
  sizes.namePoolBytes = std::min(kNamePoolBytesPerSymbol * s, kMaxNamePoolBytes);
  sizes.literalPoolBytes = lit;
  return sizes;
}

const CompilerTableSizes &CompilerTables() { return State().sizes; }

void InitCompilerTables() {
  ConfigState &s = State();
  if (!s.tablesSized) {
    s.sizes = ComputeCompilerTableSizes(CompilerConfig().sym, CompilerConfig().lit);
    s.tablesSized = true;
    AllocateSymbolTables(CompilerConfig().sym);
  }
  if (BiosCompileFlag())
    ClearErrorFileNames();
  ResetSymbolTablesForCompile(BiosCompileFlag());
  BiosSymbolsDisabled() = false;
  ClearLibraryLinkMarks();
  // A compile's #memmap and #class pushes and its anymem threshold end
  // with it.
  ResetMemmapModule();
  // A compile after an aborted one starts with empty label tables.
  InitFixupTables();
  ResetErrorCounters();
  ResetStringPool(s.sizes.literalPoolBytes);
  ClearSegChainTables();
  for (void (*hook)() : s.tableHooks)
    hook();
}

void AddCompilerTableHook(void (*hook)()) { State().tableHooks.push_back(hook); }

void ResetCompilerState() {
  // The brackets a compile stopped by #fatal or a full table left open are
  // that compile's, never the next one's to report.
  ResetBracketModule();
  ResetLocalSymbolTable();
  SnapshotSymbolInserts();
  ResetLabelsForCompile();
  ResetErrorCounters();
}

void *CountedAlloc(size_t size) {
  ConfigState &s = State();
  if (!s.countedPool)
    s.countedPool = plat::MemPoolInit(0);
  ++s.countedAllocations;
  return plat::MemAllocPtr(s.countedPool, size, 0);
}

char *CountedStrDup(std::string_view text) {
  char *copy = static_cast<char *>(CountedAlloc(text.size() + 1));
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

uint32_t CountedAllocations() { return State().countedAllocations; }

void ReadProfileTable(std::span<ProfileTableEntry> table, const std::string &file) {
  for (ProfileTableEntry &e : table) {
    if (e.type == ProfileEntryType::kString) {
      e.lengthRead =
          e.buffer && e.bufferSize
              ? uint16_t(plat::GetPrivateProfileString(e.section, e.key, e.defaultText, e.buffer, e.bufferSize, file))
              : 0;
    } else if (e.integer) {
      std::string text = plat::GetProfileString(e.section, e.key, "", file);
      *e.integer = text.empty() ? e.defaultInteger : int32_t(std::strtol(text.c_str(), nullptr, 10));
    }
  }
}

void ResetCompilerConfigModule() {
  if (State().countedPool)
    plat::MemPoolFree(State().countedPool);
  State() = ConfigState();
  BiosCompileFlag() = false;
  for (const CompilerConfigEntry &entry : CompilerConfigTable)
    CompilerConfig().*entry.variable = entry.defaultValue;
}

} // namespace tsw
