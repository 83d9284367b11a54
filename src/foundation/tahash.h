#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/talist.h"

// Fixed-size hash tables whose buckets are lists kept in key order. A table
// keeps the bucket count chosen when it is made for its whole life.
namespace tsw {

// What a key type means to a table: the 16-bit hash of its text, its order
// within a bucket, and when two keys are the same key. Specialised by every
// key type.
template <class K> struct TaKeyTraits;

// The 16-bit text hash shared by every key type.
uint16_t TaTextHash(std::string_view text);

// The bucket count for a request: the first prime of the fixed list not
// below it; a request above the last prime is used as it is.
uint16_t TaBucketCount(uint16_t request);

template <class K, class V> struct TaAbsAssoc {
  K key;
  V value;
};

// A bucket entry: destroying it destroys its key, never its value.
template <class K, class V> struct TaPAssoc : TaAbsAssoc<K, V *> {
  TaPAssoc() = default;
  TaPAssoc(const K &k, V *v) : TaAbsAssoc<K, V *>{k, v} {}
};

// Entries in ascending key order, no key twice.
template <class K, class V> class Ta1LSorted : public Ta1L<TaPAssoc<K, V>> {
public:
  using Entry = TaPAssoc<K, V>;
  using Keys = TaKeyTraits<K>;
  using Node = typename Ta1L<Entry>::Node;

  ~Ta1LSorted() override { Clear(false); }

  // Takes an entry made by the caller; null (and the entry still the
  // caller's) when its key is present.
  Entry *Add(Entry *entry) override {
    if (Find(entry->key))
      return nullptr;
    this->LinkAfter(LastBelow(entry->key), entry);
    return entry;
  }

  Entry *Insert(const K &key, V *value) {
    if (Find(key))
      return nullptr;
    Entry *entry = new Entry(key, value);
    this->LinkAfter(LastBelow(key), entry);
    return entry;
  }

  // The walk stops at the first key above the wanted one.
  Entry *Find(const K &key) const {
    for (Node *node = this->Head(); node; node = node->next) {
      int order = Keys::Compare(node->element->key, key);
      if (order > 0)
        break;
      if (order == 0 && Keys::Equal(node->element->key, key))
        return node->element;
    }
    return nullptr;
  }

  // Takes the entry out of the list and gives it to the caller.
  Entry *Unlink(const K &key) {
    Node *prev = nullptr;
    for (Node *node = this->Head(); node; prev = node, node = node->next) {
      int order = Keys::Compare(node->element->key, key);
      if (order > 0)
        break;
      if (order == 0 && Keys::Equal(node->element->key, key))
        return this->UnlinkAfter(prev);
    }
    return nullptr;
  }

  // Destroys the entry with its key and gives its value.
  V *Remove(const K &key) {
    Entry *entry = Unlink(key);
    if (!entry)
      return nullptr;
    V *value = entry->value;
    delete entry;
    return value;
  }

  // Destroys every entry with its key, and with `destroyValues` the values.
  void Clear(bool destroyValues) {
    while (Entry *entry = this->Pop()) {
      if (destroyValues)
        TaElementTraits<V>::Destroy(entry->value);
      delete entry;
    }
  }

private:
  // The node after which a new key goes: the last one whose key is below.
  Node *LastBelow(const K &key) const {
    Node *prev = nullptr;
    for (Node *node = this->Head(); node && Keys::Compare(node->element->key, key) < 0;
         node = node->next)
      prev = node;
    return prev;
  }
};

template <class K, class V> class TaHashEntryBase {
public:
  using Entry = TaPAssoc<K, V>;
  virtual ~TaHashEntryBase() = default;
  // One value per key.
  virtual bool IsUnit() const = 0;
  virtual Entry *AddNew(const K &key, V *value) = 0;
  virtual Entry *AddEntry(Entry *entry) = 0;
  virtual void Clear(bool destroyValues) = 0;
};

// The one bucket kind: a key that is present is refused.
template <class K, class V> class TaUnitHashEntry : public TaHashEntryBase<K, V> {
public:
  using Entry = TaPAssoc<K, V>;
  bool IsUnit() const override { return true; }
  Entry *AddNew(const K &key, V *value) override { return list.Insert(key, value); }
  Entry *AddEntry(Entry *entry) override { return list.Add(entry); }
  void Clear(bool destroyValues) override { list.Clear(destroyValues); }

  Ta1LSorted<K, V> list;
};

template <class K, class V> class TaDHashBase {
public:
  using Entry = TaPAssoc<K, V>;
  using Bucket = TaUnitHashEntry<K, V>;
  using Keys = TaKeyTraits<K>;

  TaDHashBase(uint16_t requestedBuckets, bool duplicates)
      : buckets_(TaBucketCount(requestedBuckets)), duplicates_(duplicates) {}
  TaDHashBase(const TaDHashBase &) = delete;
  TaDHashBase &operator=(const TaDHashBase &) = delete;
  // Destroys the buckets and their entries; values stay the owner's.
  virtual ~TaDHashBase() = default;

  virtual void OnInsert(Entry *entry) = 0;
  virtual void OnRemove(Entry *entry) = 0;

  Entry *Find(const K &key) const {
    const Bucket *bucket = buckets_[BucketIndex(key)].get();
    return bucket ? bucket->list.Find(key) : nullptr;
  }

  // 1 when added; 0 when the key is present already.
  uint16_t Insert(const K &key, V *value) {
    if (!duplicates_ && Find(key))
      return 0;
    Entry *entry = BucketFor(key).AddNew(key, value);
    return Added(entry);
  }

  // Takes a ready entry; on 0 it stays the caller's.
  uint16_t Insert(Entry *entry) {
    if (!duplicates_ && Find(entry->key))
      return 0;
    return Added(BucketFor(entry->key).AddEntry(entry));
  }

  uint16_t InsertKey(const K &key) { return Insert(key, nullptr); }

  // Destroys the entry with its key and gives its value; null when absent.
  V *Remove(const K &key) {
    std::unique_ptr<Bucket> &bucket = buckets_[BucketIndex(key)];
    Entry *entry = bucket ? bucket->list.Find(key) : nullptr;
    if (!entry)
      return nullptr;
    OnRemove(entry);
    --count_;
    V *value = bucket->list.Remove(key);
    if (bucket->list.Empty())
      bucket.reset();
    return value;
  }

  // Buckets in index order, entries in key order within a bucket. The
  // callback must not change the table.
  template <class F> void ForEach(F &&fn) const {
    for (const std::unique_ptr<Bucket> &bucket : buckets_)
      if (bucket)
        bucket->list.ForEach(fn);
  }

  void Flush(bool destroyValues) {
    for (std::unique_ptr<Bucket> &bucket : buckets_) {
      if (bucket)
        bucket->Clear(destroyValues);
      bucket.reset();
    }
    count_ = 0;
  }

  uint16_t Count() const { return count_; }
  uint16_t BucketCount() const { return uint16_t(buckets_.size()); }
  bool BucketInUse(uint16_t index) const { return buckets_[index] != nullptr; }

  uint16_t BucketIndex(const K &key) const {
    return uint16_t(uint32_t(Keys::Hash(key)) * kHashMultiplier % buckets_.size());
  }

private:
  static constexpr uint32_t kHashMultiplier = 65521;

  Bucket &BucketFor(const K &key) {
    std::unique_ptr<Bucket> &bucket = buckets_[BucketIndex(key)];
    if (!bucket)
      bucket = std::make_unique<Bucket>();
    return *bucket;
  }

  uint16_t Added(Entry *entry) {
    if (!entry)
      return 0;
    ++count_;
    OnInsert(entry);
    return 1;
  }

  std::vector<std::unique_ptr<Bucket>> buckets_;
  uint16_t count_ = 0;
  bool duplicates_;
};

// Every table of the system: duplicates refused, no hooks.
template <class K, class V> class TaDUniqueHash : public TaDHashBase<K, V> {
public:
  explicit TaDUniqueHash(uint16_t requestedBuckets) : TaDHashBase<K, V>(requestedBuckets, false) {}
  void OnInsert(TaPAssoc<K, V> *) override {}
  void OnRemove(TaPAssoc<K, V> *) override {}
};

} // namespace tsw
