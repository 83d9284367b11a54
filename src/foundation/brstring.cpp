#include "foundation/brstring.h"

#include <memory>

namespace tsw {
namespace {

constexpr uint16_t kStringTableBuckets = 2000;

using StringTable = TaDUniqueHash<BRSZ, BRStrRec>;

std::unique_ptr<StringTable> gTable;
BRString *gEmpty = nullptr;

StringTable &Table() {
  if (!gTable)
    InitStringTable();
  return *gTable;
}

} // namespace

void InitStringTable() {
  if (gTable)
    return;
  gTable = std::make_unique<StringTable>(kStringTableBuckets);
  gEmpty = new BRString("");
}

void FreeStringTable() {
  delete gEmpty;
  gEmpty = nullptr;
  if (gTable)
    gTable->Flush(true);
  gTable.reset();
}

namespace {

// The table lives to the end of the process; its entries are freed with it,
// so a reset that re-creates it leaves nothing behind at exit.
struct StringTableAtExit {
  ~StringTableAtExit() { FreeStringTable(); }
} gFreeAtExit;

} // namespace

void ResetStringModule() {
  FreeStringTable();
  InitStringTable();
}

uint16_t StringTableCount() { return Table().Count(); }

BRStringEntry *FindStringEntry(std::string_view text) { return Table().Find(BRSZ(text)); }

BRStringEntry *FindOrAddStringEntry(std::string_view text, bool *added) {
  BRSZ key(text);
  StringTable &table = Table();
  BRStringEntry *entry = table.Find(key);
  if (added)
    *added = entry == nullptr;
  if (entry)
    return entry;
  table.Insert(key, new BRStrRec{});
  return table.Find(key);
}

BRString::BRString(const char *text) { Intern(std::string_view(text ? text : "")); }

BRString::BRString(std::string_view text) { Intern(text); }

BRString &BRString::operator=(const BRString &other) {
  Attach(other.entry_);
  return *this;
}

BRString &BRString::operator=(BRString &&other) noexcept {
  if (this != &other) {
    Release();
    entry_ = other.entry_;
    other.entry_ = nullptr;
  }
  return *this;
}

void BRString::Attach(BRStringEntry *entry) {
  // The new reference is taken before the old one goes, so attaching a
  // handle to its own entry keeps the entry alive.
  if (entry)
    ++entry->value->count;
  Release();
  entry_ = entry;
}

void BRString::Release() {
  BRStringEntry *entry = entry_;
  entry_ = nullptr;
  if (!entry || !gTable)
    return;
  BRStrRec *rec = entry->value;
  if (rec->count > 0)
    --rec->count;
  if (rec->count == 0)
    delete gTable->Remove(entry->key);
}

uint16_t BRString::Intern(const BRSZ &text) {
  bool added = false;
  Attach(FindOrAddStringEntry(text.View(), &added));
  return added ? 1 : 0;
}

uint16_t BRString::PurgeUnused() {
  StringTable &table = Table();
  Ta1LIFO<BRSZ> unused;
  table.ForEach([&](BRStringEntry *entry) {
    if (entry->value->count == 0)
      unused.Push(new BRSZ(entry->key));
  });
  uint16_t removed = 0;
  while (BRSZ *key = unused.Pop()) {
    delete table.Remove(*key);
    delete key;
    ++removed;
  }
  return removed;
}

const BRString &BRString::Empty() {
  Table();
  return *gEmpty;
}

} // namespace tsw
