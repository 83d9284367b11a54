#include "compcore/cc_stab/cc_stab.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_codegen.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace tsw {
namespace {

constexpr char kModule[] = "compcore\\cc_stab";
constexpr uint32_t kOverflowLine = 280;

constexpr uint32_t kNominalRecordBytes = 45; // what the memory is sized by
constexpr uint32_t kNameBytesPerSymbol = 33;
constexpr uint32_t kNameMemoryCap = 65280;
constexpr uint32_t kMinLocalSlots = 128;
constexpr uint32_t kMoveRecordRoom = 23040; // 512 records
constexpr uint32_t kMoveRecordStep = 11520; // 256 records
constexpr uint32_t kMoveNameRoom = 16896;
constexpr uint32_t kMoveNameStep = 8448;
constexpr uint32_t kTypeAreaBytes = 19968;
constexpr uint32_t kTypeRecordBytes = 39;
constexpr uint32_t kMemberListTop = kTypeRecordBytes * (kTypeAreaBytes / kTypeRecordBytes - 2);
constexpr uint32_t kMemberEntryBytes = 4;
constexpr uint32_t kFunctionLevel = 3;
constexpr uint32_t kLevelMask = 3;

// The 52 reserved words, in their fixed order.
constexpr std::array<std::string_view, 52> kReservedWords = {
    "abort",   "always_on", "anymem",    "auto",     "break",       "case",    "char",     "continue",  "costate",
    "debug",   "default",   "do",        "else",     "extern",      "float",   "for",      "goto",      "if",
    "init_on", "int",       "interrupt", "long",     "nodebug",     "norst",   "nouseix",  "protected", "ret",
    "return",  "root",      "segchain",  "shared",   "short",       "sizeof",  "speed",    "static",    "struct",
    "switch",  "typedef",   "union",     "unsigned", "useix",       "waitfor", "while",    "xdata",     "xmem",
    "xmemok",  "xstring",   "yield",     "asm",      "waitfordone", "size",    "firsttime"};
// Every declared name is checked against them: a sorted copy answers in a
// few comparisons.
constexpr std::array<std::string_view, kReservedWords.size()> kReservedWordsSorted = [] {
  auto words = kReservedWords;
  std::sort(words.begin(), words.end());
  return words;
}();

// One of the two tables: its buckets and its share of the two memories, as
// byte offsets into them.
struct Table {
  std::vector<SymbolRecord *> slots;
  // The slots filled since the table was last cleared: clearing a scope
  // touches only these, not the whole table.
  std::vector<uint32_t> filled;
  uint32_t recordStart = 0, recordEnd = 0, recordFree = 0;
  uint32_t nameStart = 0, nameEnd = 0, nameFree = 0;
  SymbolRecord *last = nullptr;
  // The records themselves, in entry order; capacity fixed at allocation so
  // that record pointers stay valid.
  std::vector<SymbolRecord> records;
  std::vector<uint16_t> lists;
  PlainMessage fullMessage{0};
};

struct SymbolTableState {
  uint32_t recordMemoryEnd = 0;
  std::vector<char> names;
  Table global, local;
  std::vector<SymbolRecord **> undo;
  uint32_t savedGlobalFree = 0, savedLocalFree = 0;
  size_t savedGlobalCount = 0, savedLocalCount = 0, savedGlobalLists = 0, savedLocalLists = 0;
  std::vector<std::unique_ptr<TypeRecord>> types;
  uint32_t memberBytes = 0;
  // The global table as the last full reset's compile (the BIOS) left it:
  // every later compile starts from here, not from its predecessor's globals.
  bool compileMarkTaken = false;
  size_t markCount = 0, markLists = 0, markTypes = 0;
  uint32_t markRecordFree = 0, markNameFree = 0, markMemberBytes = 0;
};

SymbolTableState &State() {
  static SymbolTableState state;
  return state;
}

Table &TableOf(SymbolTableId id) { return id == SymbolTableId::kGlobal ? State().global : State().local; }

std::string_view IdentifierPrefix(std::string_view name) {
  size_t n = 0;
  while (n < name.size() && IsIdentChar(name[n]))
    ++n;
  return name.substr(0, n);
}

// The bucket a name starts its probe at. HashName gives realistic names a
// few hundred distinct values, so it would make long probe runs in a large
// table; a well-mixed hash (FNV-1a) spreads them over every slot.
size_t StartSlot(std::string_view key, size_t slotCount) {
  constexpr uint32_t kOffsetBasis = 2166136261u, kPrime = 16777619u;
  uint32_t h = kOffsetBasis;
  for (char c : key)
    h = (h ^ uint8_t(c)) * kPrime;
  return h % slotCount;
}

bool SameName(const SymbolRecord &r, std::string_view key) {
  return r.nameLength == key.size() && std::memcmp(r.name, key.data(), key.size()) == 0;
}

void ClearTable(Table &t) {
  for (uint32_t index : t.filled)
    t.slots[index] = nullptr;
  t.filled.clear();
  t.records.clear();
  t.lists.clear();
  t.last = nullptr;
  t.recordFree = t.recordStart;
  t.nameFree = t.nameStart;
}

// AddSymbol keeps one bucket free, so the probe always ends.
void InsertSymbolSlot(size_t start, Table &t, SymbolRecord *record) {
  size_t n = t.slots.size();
  size_t index = start % n;
  while (t.slots[index])
    index = (index + 1) % n;
  t.slots[index] = record;
  t.filled.push_back(uint32_t(index));
  SymbolTableState &s = State();
  if (s.undo.size() >= s.global.slots.size())
    CompileError<kMsgUndoListFull>();
  else
    s.undo.push_back(&t.slots[index]);
}

bool IsFunction(uint32_t declarator) { return (declarator & kLevelMask) == kFunctionLevel; }

[[noreturn]] void TableOverflow(PlainMessage boxMessage) {
  CompileError<kMsgTableFull>();
  ShowMessage(true, boxMessage);
  throw xCCErrOvflo(kModule, kOverflowLine);
}

SymbolRecord *Redeclaration(SymbolRecord *r, std::string_view name, uint32_t declarator, int16_t type,
                            uint16_t definition, int16_t kind) {
  // The tests below look at the definition word as it was before this
  // declaration: a prototype followed by its definition is silent.
  uint16_t before = r->definition;
  if (kind == kKindGlobal)
    r->definition = definition;
  if (IsFunction(declarator) && IsFunction(r->declarator)) {
    if (declarator == r->declarator && uint8_t(type) == r->type) {
      if (before == 0)
        r->definition = definition;
      else if (definition != 0)
        CompileError<kMsgRedeclared>(std::string(name));
    } else {
      CompileError<kMsgRedeclaredType>();
    }
    return r;
  }
  bool externMeetsDefinition =
      (kind == kKindGlobal && r->kind == kKindExtern) || (kind == kKindExtern && r->kind == kKindGlobal);
  if (externMeetsDefinition && uint8_t(type) == r->type && declarator == r->declarator)
    return r;
  if (kind != kKindExtern && kind != kKindMember)
    CompileError<kMsgRedeclared>(std::string(name));
  return r;
}

void DropGlobalsAfterMark(SymbolTableState &s) {
  Table &g = s.global;
  // Later entries only ever probed past earlier ones, so emptying their slots
  // leaves every kept entry reachable.
  const SymbolRecord *keptEnd = g.records.data() + std::min(g.records.size(), s.markCount);
  std::erase_if(g.filled, [&](uint32_t index) {
    SymbolRecord *&slot = g.slots[index];
    if (slot && slot >= keptEnd && slot < g.records.data() + g.records.size())
      slot = nullptr;
    return slot == nullptr;
  });
  g.records.resize(std::min(g.records.size(), s.markCount));
  g.lists.resize(std::min(g.lists.size(), s.markLists));
  g.last = g.records.empty() ? nullptr : &g.records.back();
  g.recordFree = s.markRecordFree;
  g.nameFree = s.markNameFree;
  s.types.resize(std::min(s.types.size(), s.markTypes));
  s.memberBytes = s.markMemberBytes;
}

} // namespace

void AllocateSymbolTables(uint16_t symbolLimit) {
  SymbolTableState &s = State();
  ResetSymbolTableModule();
  uint32_t n = symbolLimit;
  s.recordMemoryEnd = n * kNominalRecordBytes;
  s.names.assign(std::min(n * kNameBytesPerSymbol, kNameMemoryCap), '\0');
  s.global.slots.assign(n + n / 4, nullptr);
  s.local.slots.assign(std::max(n / 4, kMinLocalSlots), nullptr);
  s.global.fullMessage = Plain<kMsgGlobalTableFull>();
  s.local.fullMessage = Plain<kMsgLocalTableFull>();
  // The smallest record decides how many can fit.
  size_t most = s.recordMemoryEnd / kSymbolRecordFixedBytes + 1;
  for (Table *t : {&s.global, &s.local}) {
    t->records.reserve(most);
    t->lists.reserve(s.recordMemoryEnd / 2);
  }
  s.undo.reserve(s.global.slots.size());
  ResetSymbolTablesForCompile(true);
}

void ResetSymbolTablesForCompile(bool fullReset) {
  SymbolTableState &s = State();
  uint32_t n = s.recordMemoryEnd / kNominalRecordBytes;
  uint32_t split = (n * 3 / 4) * kNominalRecordBytes;
  uint32_t nameSplit = ((uint32_t(s.names.size()) % 65536) * 3) >> 2;
  s.global.recordStart = 0;
  s.global.recordEnd = split;
  s.local.recordStart = split;
  s.local.recordEnd = s.recordMemoryEnd;
  s.global.nameStart = 0;
  s.global.nameEnd = nameSplit;
  s.local.nameStart = nameSplit;
  s.local.nameEnd = uint32_t(s.names.size());
  if (fullReset) {
    ClearTable(s.global);
    s.global.nameFree = s.global.nameStart + 1; // offset 0 stays the empty name
    s.types.clear();
    s.memberBytes = 0;
    s.compileMarkTaken = false;
  } else if (!s.compileMarkTaken) {
    s.compileMarkTaken = true;
    s.markCount = s.global.records.size();
    s.markLists = s.global.lists.size();
    s.markTypes = s.types.size();
    s.markRecordFree = s.global.recordFree;
    s.markNameFree = s.global.nameFree;
    s.markMemberBytes = s.memberBytes;
  } else {
    DropGlobalsAfterMark(s);
  }
  ResetLocalSymbolTable();
}

void ResetLocalSymbolTable() {
  SymbolTableState &s = State();
  ClearTable(s.local);
}

void MoveLocalTableBoundary() {
  SymbolTableState &s = State();
  if (s.global.recordFree + kMoveRecordRoom < s.recordMemoryEnd) {
    s.global.recordEnd = s.local.recordStart = s.global.recordFree + kMoveRecordStep;
    s.local.recordEnd = s.recordMemoryEnd;
  }
  if (s.global.nameFree + kMoveNameRoom < s.names.size())
    s.global.nameEnd = s.local.nameStart = s.global.nameFree + kMoveNameStep;
  ResetLocalSymbolTable();
}

void ResetSymbolTableModule() {
  SymbolTableState &s = State();
  s.~SymbolTableState();
  new (&s) SymbolTableState();
}

uint32_t HashName(std::string_view name, uint32_t modulus) {
  uint32_t s = 0, t = 0;
  for (char ch : IdentifierPrefix(name)) {
    uint32_t c = static_cast<unsigned char>(ch);
    s += c;
    t = 2 * t + c;
  }
  return modulus ? (s + 3 * t) % modulus : 0;
}

SymbolRecord *FindSymbolSlot(SymbolTableId id, std::string_view name) {
  Table &t = TableOf(id);
  size_t n = t.slots.size();
  if (n == 0)
    return nullptr;
  std::string_view key = IdentifierPrefix(name).substr(0, kIdentifierLength);
  size_t index = StartSlot(key, n);
  for (;;) {
    SymbolRecord *r = t.slots[index];
    if (!r || r->offset >= t.recordFree)
      return nullptr;
    if (SameName(*r, key))
      return r;
    index = (index + 1) % n;
  }
}

SymbolRecord *LookupSymbol(std::string_view name, bool onlyMembers, SymbolTableId table) {
  SymbolRecord *r = FindSymbolSlot(table, name);
  return r && onlyMembers && r->kind != kKindMember ? nullptr : r;
}

SymbolRecord *AddSymbol(std::string_view name, uint32_t declarator, int16_t type, uint16_t definition, int16_t kind,
                        std::span<const uint16_t> list) {
  SymbolTableState &s = State();
  CheckNotReservedWord(name);
  std::string_view key = IdentifierPrefix(name).substr(0, kIdentifierLength);

  bool global = kind == kKindGlobal || kind == kKindTypedefTop || kind == kKindExtern || kind == kKindMember ||
                kind == kKindGlobalStatic;
  Table &t = global ? s.global : s.local;
  SymbolTableId id = global ? SymbolTableId::kGlobal : SymbolTableId::kLocal;
  uint32_t address = 0;
  if (SymbolRecord *r = LookupSymbol(key, kind == kKindMember, id))
    return Redeclaration(r, key, declarator, type, definition, kind);
  if (kind == kKindExtern && !IsFunction(declarator)) {
    uint32_t bios = Addr24ToLong(LookupBiosSymbol(key, ADDR24{}));
    if (uint16_t(bios) != 0) {
      kind = kKindGlobal;
      CodeGen().DefineLabel(key, bios);
      address = bios;
    }
  }
  if (kind == kKindGlobalStatic)
    kind = kKindStatic;

  // Room for this record and one more of the nominal size, and a bucket
  // left empty that ends every probe.
  uint32_t bytes = SymbolRecordBytes(list.size());
  if (t.recordFree + bytes + kNominalRecordBytes > t.recordEnd || t.records.size() + 2 > t.slots.size())
    TableOverflow(t.fullMessage);
  // The name memory never takes a byte past this table's share of it.
  if (t.nameFree + key.size() + 1 > t.nameEnd)
    TableOverflow(Plain<kMsgNameMemoryFull>());

  char *nameCopy = &s.names[t.nameFree];
  std::memcpy(nameCopy, key.data(), key.size());
  nameCopy[key.size()] = '\0';
  t.nameFree += uint32_t(key.size() + 1);

  size_t listStart = t.lists.size();
  t.lists.insert(t.lists.end(), list.begin(), list.end());

  // The error list's record of the file lives as long as the symbols of
  // a compile; the input's own name changes with every file.
  const ErrorFileRecord *file = CurrentErrorFileRecord();
  SymbolRecord &r = t.records.emplace_back();
  r.name = nameCopy;
  r.nameLength = uint8_t(key.size());
  r.offset = t.recordFree;
  r.extent = t.recordFree + bytes;
  r.flagsB = kFlagsBOnEntry;
  r.sizeWord = kSizeWordOnEntry;
  r.type = uint8_t(type);
  r.kind = uint8_t(kind);
  r.declarator = declarator;
  r.address = r.addressCopy = address;
  r.definition = definition;
  r.line = CurrentSourceLine();
  r.column = CurrentSourceColumn();
  r.file = file ? file->name.c_str() : "";
  r.list = std::span<const uint16_t>(t.lists.data() + listStart, list.size());
  InsertSymbolSlot(StartSlot(key, t.slots.size()), t, &r);
  t.last = &r;
  t.recordFree += bytes;
  return &r;
}

void MakeStaticName(char *name, uint16_t number) {
  constexpr size_t kCutLength = 29;
  CheckNotReservedWord(name);
  size_t length = std::strlen(name);
  if (length > kCutLength) {
    // The head and the last character, each kept whole.
    std::string_view whole(name, length);
    size_t lastLength = LastCharacterLength(whole);
    size_t head = WholeCharacterPrefix(whole, kCutLength - lastLength);
    std::memmove(name + head, name + length - lastLength, lastLength);
    length = head + lastLength;
  }
  name[length++] = '_';
  name[length++] = char(0x60 + (number >> 4));
  name[length++] = char('A' + (number & 15));
  name[length] = '\0';
}

bool CheckNotReservedWord(std::string_view name) {
  if (!std::binary_search(kReservedWordsSorted.begin(), kReservedWordsSorted.end(), name))
    return true;
  CompileWarningSerious<kMsgReservedWord>(std::string(name));
  return false;
}

void SnapshotSymbolInserts() {
  SymbolTableState &s = State();
  s.savedGlobalFree = s.global.recordFree;
  s.savedLocalFree = s.local.recordFree;
  s.savedGlobalCount = s.global.records.size();
  s.savedLocalCount = s.local.records.size();
  s.savedGlobalLists = s.global.lists.size();
  s.savedLocalLists = s.local.lists.size();
  s.undo.clear();
}

void RollBackSymbolInserts() {
  SymbolTableState &s = State();
  for (SymbolRecord **slot : s.undo)
    *slot = nullptr;
  s.global.recordFree = s.savedGlobalFree;
  s.local.recordFree = s.savedLocalFree;
  s.global.records.resize(std::min(s.global.records.size(), s.savedGlobalCount));
  s.local.records.resize(std::min(s.local.records.size(), s.savedLocalCount));
  s.global.lists.resize(std::min(s.global.lists.size(), s.savedGlobalLists));
  s.local.lists.resize(std::min(s.local.lists.size(), s.savedLocalLists));
  for (Table *t : {&s.global, &s.local})
    t->last = t->records.empty() ? nullptr : &t->records.back();
}

TypeRecord *TypeRecordAt(int16_t id) {
  size_t index = size_t(id - kFirstTypeId);
  if (id < kFirstTypeId || index >= State().types.size())
    return nullptr;
  return State().types[index].get();
}

TypeRecord *FindTypeByName(std::string_view tag) {
  for (auto &type : State().types)
    if (tag == type->tag)
      return type.get();
  return nullptr;
}

TypeRecord *NewTypeRecord(std::string_view tag, int16_t *id) {
  SymbolTableState &s = State();
  // Records grow up from the bottom of the area and member lists down from
  // near its top; a new record must stay below every list.
  uint32_t recordsEnd = uint32_t(s.types.size() + 1) * kTypeRecordBytes;
  uint32_t listsBottom = kMemberListTop - s.memberBytes - kMemberEntryBytes; // with its end entry
  if (recordsEnd > listsBottom) {
    CompileError<kMsgTypeAreaFull>();
    return nullptr;
  }
  int16_t newId = int16_t(kFirstTypeId + s.types.size());
  if (newId > kLastTypeId) {
    CompileError<kMsgTooManyTypes>();
    return nullptr;
  }
  auto type = std::make_unique<TypeRecord>();
  std::string_view cut = tag.substr(0, kIdentifierLength);
  std::memcpy(type->tag, cut.data(), cut.size());
  s.memberBytes += kMemberEntryBytes; // the list's end entry
  s.types.push_back(std::move(type));
  *id = newId;
  return s.types.back().get();
}

bool PushTypeMember(TypeRecord *type, SymbolRecord *member) {
  SymbolTableState &s = State();
  uint32_t recordsEnd = uint32_t(s.types.size()) * kTypeRecordBytes;
  if (kMemberListTop - s.memberBytes - kMemberEntryBytes < recordsEnd) {
    CompileError<kMsgTypeAreaFull>();
    return false;
  }
  s.memberBytes += kMemberEntryBytes;
  type->members.push_back(member);
  return true;
}

std::span<SymbolRecord *const> TypeMembers(const TypeRecord *type) { return type->members; }

void ForEachSymbolRecord(SymbolTableId table, const std::function<bool(const SymbolRecord &)> &visit) {
  for (const SymbolRecord &record : TableOf(table).records)
    if (visit(record))
      return;
}

} // namespace tsw
