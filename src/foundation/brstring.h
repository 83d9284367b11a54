#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/collate.h"
#include "foundation/tahash.h"

// Interned names: every distinct text is stored once, in one table of unique
// strings, with a count of the handles on it. Copying a handle copies a
// pointer; two handles are equal exactly when they share one entry.
namespace tsw {

// An owned copy of a text: the key of the unique-string table.
class BRSZ {
public:
  BRSZ() = default;
  explicit BRSZ(std::string_view text) : text_(text) {}
  const char *Text() const { return text_.c_str(); }
  std::string_view View() const { return text_; }

private:
  std::string text_;
};

template <> struct TaKeyTraits<BRSZ> {
  static uint16_t Hash(const BRSZ &key) { return TaTextHash(key.View()); }
  static int Compare(const BRSZ &a, const BRSZ &b) { return std::strcmp(a.Text(), b.Text()); }
  static bool Equal(const BRSZ &a, const BRSZ &b) { return a.View() == b.View(); }
};

struct BRStrRec {
  uint32_t count = 0;
};

using BRStringEntry = TaPAssoc<BRSZ, BRStrRec>;

class BRString {
public:
  // A null handle, read as the empty text.
  BRString() = default;
  explicit BRString(const char *text);
  explicit BRString(std::string_view text);
  BRString(const BRString &other) { Attach(other.entry_); }
  BRString(BRString &&other) noexcept : entry_(other.entry_) { other.entry_ = nullptr; }
  BRString &operator=(const BRString &other);
  BRString &operator=(BRString &&other) noexcept;
  ~BRString() { Release(); }

  // Points the handle at `entry` (the old one released) with one reference
  // more.
  void Attach(BRStringEntry *entry);
  // Drops this handle's reference; the last one removes the text from the
  // table. The handle is null afterwards.
  void Release();
  // Points the handle at the text's entry, adding it when missing. 1 when the
  // entry is new, 0 when the text was present.
  uint16_t Intern(const BRSZ &text);
  uint16_t Intern(std::string_view text) { return Intern(BRSZ(text)); }

  uint16_t Hash() const { return TaTextHash(View()); }
  const char *Text() const { return entry_ ? entry_->key.Text() : ""; }
  std::string_view View() const { return entry_ ? entry_->key.View() : std::string_view(); }
  BRStringEntry *Entry() const { return entry_; }
  uint32_t RefCount() const { return entry_ ? entry_->value->count : 0; }

  friend bool operator==(const BRString &a, const BRString &b) { return a.entry_ == b.entry_; }
  // Ordered sets and maps list names in collating order.
  friend bool operator<(const BRString &a, const BRString &b) {
    return CollateText(a.View(), b.View()) < 0;
  }

  // Removes every entry that no handle points at; gives how many went.
  static uint16_t PurgeUnused();
  // The shared handle on the empty text, for fields that hold no name.
  static const BRString &Empty();

private:
  BRStringEntry *entry_ = nullptr;
};

// The unique-string table. Init is called once before any name is made and
// Free once after the last handle is gone; Reset does both, so every test
// starts with a table that holds only the empty text.
void InitStringTable();
void FreeStringTable();
void ResetStringModule();
uint16_t StringTableCount();
BRStringEntry *FindStringEntry(std::string_view text);
// The entry of `text`, added with a count of 0 when missing; no handle
// points at a new entry until one is attached.
BRStringEntry *FindOrAddStringEntry(std::string_view text, bool *added = nullptr);

template <> struct TaKeyTraits<BRString> {
  static uint16_t Hash(const BRString &key) { return key.Hash(); }
  static int Compare(const BRString &a, const BRString &b) {
    return CollateText(a.View(), b.View());
  }
  static bool Equal(const BRString &a, const BRString &b) { return a == b; }
};

// The key of the library module index: a name and a qualifier, where a
// qualifier of 0 matches any other.
struct ModName {
  BRString name;
  uint32_t qualifier = 0;
};

template <> struct TaKeyTraits<ModName> {
  static uint16_t Hash(const ModName &key) { return key.name.Hash(); }
  static int Compare(const ModName &a, const ModName &b) {
    return CollateText(a.name.View(), b.name.View());
  }
  static bool Equal(const ModName &a, const ModName &b) {
    return a.name == b.name &&
           (a.qualifier == 0 || b.qualifier == 0 || a.qualifier == b.qualifier);
  }
};

// Texts in a stream are interned as they are read.
template <> struct TaElementTraits<BRString> {
  static BRString *Make() { return new BRString(); }
  static void Destroy(BRString *s) { delete s; }
  static bool Write(std::ostream &out, const BRString &s) { return TaWriteText(out, s.View()); }
  static bool Read(std::istream &in, BRString &s) {
    std::string text;
    if (!TaReadText(in, text))
      return false;
    s.Intern(text);
    return true;
  }
};

template <> struct TaElementTraits<BRSZ> {
  static BRSZ *Make() { return new BRSZ(); }
  static void Destroy(BRSZ *s) { delete s; }
  static bool Write(std::ostream &out, const BRSZ &s) { return TaWriteText(out, s.View()); }
  static bool Read(std::istream &in, BRSZ &s) {
    std::string text;
    if (!TaReadText(in, text))
      return false;
    s = BRSZ(text);
    return true;
  }
};

// A named record: the name's text, then the record's own stream form.
// Destroying the entry leaves the record alone.
template <class V> struct TaElementTraits<TaPAssoc<BRString, V>> {
  using Entry = TaPAssoc<BRString, V>;
  static Entry *Make() { return new Entry(BRString(), TaElementTraits<V>::Make()); }
  static void Destroy(Entry *e) { delete e; }
  static bool Write(std::ostream &out, const Entry &e) {
    return TaElementTraits<BRString>::Write(out, e.key) && TaElementTraits<V>::Write(out, *e.value);
  }
  static bool Read(std::istream &in, Entry &e) {
    if (TaElementTraits<BRString>::Read(in, e.key) && TaElementTraits<V>::Read(in, *e.value))
      return true;
    TaElementTraits<V>::Destroy(e.value);
    e.value = nullptr;
    return false;
  }
};

} // namespace tsw
