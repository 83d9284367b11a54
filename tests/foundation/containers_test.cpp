#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/brstring.h"
#include "foundation/collate.h"
#include "foundation/tahash.h"
#include "foundation/talist.h"

namespace tsw {
namespace {

class ContainersTest : public ::testing::Test {
protected:
  void SetUp() override { ResetStringModule(); }
  void TearDown() override { FreeStringTable(); }
};

TEST(TaBucketCountTest, TakesTheFirstPrimeNotBelowTheRequest) {
  struct Case {
    uint16_t request, buckets;
  } cases[] = {{0, 13},     {13, 13},     {14, 31},     {100, 127},   {500, 503},
               {1021, 2039}, {2000, 2039}, {32720, 65521}, {65521, 65521}, {65530, 65530}};
  for (const Case &c : cases)
    EXPECT_EQ(TaBucketCount(c.request), c.buckets) << c.request;
  // The twelfth prime of the list is 32719, not 32749.
  EXPECT_EQ(TaBucketCount(32719), 32719);
}

TEST(TaTextHashTest, ShiftsAndXorsSixteenBits) {
  EXPECT_EQ(TaTextHash("abc"), 0x07FB);
  EXPECT_EQ(TaTextHash(""), 0);
  // Bytes are taken as unsigned; the top bits fall off at 16.
  EXPECT_EQ(TaTextHash("\x80\x80"), 0x0280);
  EXPECT_EQ(TaTextHash("zzzzzzzzz"), ((TaTextHash("zzzzzzzz") << 2) ^ 'z') & 0xFFFF);
}

TEST(CollateTextTest, IgnoresCaseFirstThenPutsLowerCaseFirst) {
  EXPECT_LT(CollateText("a", "B"), 0);
  EXPECT_LT(CollateText("a", "A"), 0);
  EXPECT_LT(CollateText("A", "b"), 0);
  EXPECT_LT(CollateText("ab", "abc"), 0);
  EXPECT_EQ(CollateText("Main", "Main"), 0);
  EXPECT_GT(CollateText("Main", "main"), 0);
}

struct Item {
  int value = 0;
  bool Write(std::ostream &out) const {
    TaWriteU16(out, uint16_t(value));
    return true;
  }
  bool Read(std::istream &in) {
    uint16_t v = 0;
    bool ok = TaReadU16(in, v);
    value = v;
    return ok;
  }
};

template <class List> std::vector<int> Values(const List &list) {
  std::vector<int> values;
  list.ForEach([&](Item *item) { values.push_back(item->value); });
  return values;
}

TEST(TaListTest, StackAndQueueKeepTheirOrder) {
  Item a{1}, b{2}, c{3};
  Ta1LIFO<Item> stack;
  Ta1FIFO<Item> queue;
  for (Item *item : {&a, &b, &c}) {
    stack.Add(item);
    queue.Add(item);
  }
  EXPECT_EQ(Values(stack), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(Values(queue), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(stack.Get(), &c);
  EXPECT_EQ(queue.Get(), &a);
  EXPECT_EQ(queue.Count(), 2u);
}

TEST(TaListTest, EmptyListGivesNullAndStaysEmpty) {
  Ta1FIFO<Item> queue;
  EXPECT_EQ(queue.Get(), nullptr);
  EXPECT_EQ(queue.Pop(), nullptr);
  EXPECT_EQ(queue.Peek(), nullptr);
  EXPECT_EQ(queue.Count(), 0u);
}

TEST(TaListTest, QueueEmptiedByGetStartsAgainAtHeadAndTail) {
  Item a{1}, b{2};
  Ta1FIFO<Item> queue;
  queue.AddTail(&a);
  EXPECT_EQ(queue.Get(), &a);
  queue.AddTail(&b);
  EXPECT_EQ(queue.Peek(), &b);
  EXPECT_EQ(queue.PeekTail(), &b);
  EXPECT_EQ(queue.Count(), 1u);
}

TEST(TaListTest, RemoveIfUnlinksMatchesAndKeepsTheTail) {
  Ta1FIFO<Item> queue;
  for (int v : {1, 2, 3, 4})
    queue.AddTail(new Item{v});
  EXPECT_EQ(queue.RemoveIf([](Item *item) { return item->value % 2 == 0; }, true), 2);
  EXPECT_EQ(Values(queue), (std::vector<int>{1, 3}));
  queue.AddTail(new Item{5}); // the tail moved back to 3 when 4 went
  EXPECT_EQ(Values(queue), (std::vector<int>{1, 3, 5}));
  queue.Clear(true);
  EXPECT_EQ(queue.Count(), 0u);
}

std::string Bytes(const std::string &s) {
  std::string hex;
  char buf[4];
  for (unsigned char c : s) {
    snprintf(buf, sizeof buf, "%02x ", c);
    hex += buf;
  }
  return hex;
}

TEST_F(ContainersTest, TextListStreamFormIsCountThenLengthCountedTexts) {
  Ta1FIFO<BRString> names;
  names.AddTail(new BRString("ab"));
  names.AddTail(new BRString(""));
  std::ostringstream out;
  ASSERT_TRUE(names.Write(out));
  EXPECT_EQ(Bytes(out.str()), "02 00 03 00 61 62 00 01 00 00 ");
  names.Clear(true);
}

TEST_F(ContainersTest, StackReadsBackReversedAndQueueInOrder) {
  std::ostringstream out;
  {
    Ta1FIFO<BRString> names;
    for (const char *n : {"x", "y", "z"})
      names.AddTail(new BRString(n));
    names.Write(out);
    names.Clear(true);
  }
  auto read = [&](Ta1L<BRString> &list) {
    std::istringstream in(out.str());
    EXPECT_TRUE(list.Read(in));
    std::string texts;
    list.ForEach([&](BRString *s) { texts += s->Text(); });
    list.Clear(true);
    return texts;
  };
  Ta1LIFO<BRString> stack;
  Ta1FIFO<BRString> queue;
  EXPECT_EQ(read(stack), "zyx");
  EXPECT_EQ(read(queue), "xyz");
}

TEST_F(ContainersTest, TruncatedStreamKeepsWholeElementsAndFails) {
  const char bytes[] = {3, 0, 2, 0, 'a', 0, 5, 0, 'b'};
  std::istringstream in(std::string(bytes, sizeof bytes));
  Ta1FIFO<BRString> names;
  EXPECT_FALSE(names.Read(in));
  ASSERT_EQ(names.Count(), 1u);
  EXPECT_STREQ(names.Peek()->Text(), "a");
  names.Clear(true);
}

TEST(TaStreamTest, MalformedTextIsRefused) {
  for (std::string bytes : {std::string("\0\0", 2), std::string("\2\0ab", 4)}) {
    std::istringstream in(bytes);
    std::string text;
    EXPECT_FALSE(TaReadText(in, text)) << Bytes(bytes);
  }
}

struct Rec {
  int n = 0;
};

TEST_F(ContainersTest, UniqueTableRefusesADuplicateAndDropsEmptyBuckets) {
  TaDUniqueHash<BRString, Rec> labels(500);
  EXPECT_EQ(labels.BucketCount(), 503);
  Rec r1{1}, r2{2};
  BRString name("main");
  EXPECT_EQ(labels.Insert(name, &r1), 1);
  EXPECT_EQ(labels.Insert(BRString("main"), &r2), 0);
  EXPECT_EQ(labels.Count(), 1);
  EXPECT_EQ(labels.Find(name)->value, &r1);

  uint16_t bucket = labels.BucketIndex(name);
  EXPECT_TRUE(labels.BucketInUse(bucket));
  EXPECT_EQ(labels.Remove(name), &r1);
  EXPECT_FALSE(labels.BucketInUse(bucket));
  EXPECT_EQ(labels.Remove(name), nullptr);
  EXPECT_EQ(labels.Insert(name, &r2), 1);
  EXPECT_TRUE(labels.BucketInUse(bucket));
  labels.Flush(false);
  EXPECT_EQ(labels.Count(), 0);
}

TEST_F(ContainersTest, ForEachWalksBucketsInIndexOrderAndKeysInOrder) {
  // With 13 buckets many names share a bucket; within one, keys are in
  // collating order.
  TaDUniqueHash<BRString, Rec> table(13);
  std::vector<BRString> names;
  for (const char *n : {"beta", "Alpha", "alpha", "gamma", "delta", "b", "B", "zz", "Zz"}) {
    names.emplace_back(n);
    table.InsertKey(names.back());
  }
  int lastBucket = -1;
  const BRString *last = nullptr;
  table.ForEach([&](TaPAssoc<BRString, Rec> *entry) {
    int bucket = table.BucketIndex(entry->key);
    EXPECT_GE(bucket, lastBucket);
    if (bucket == lastBucket) {
      EXPECT_LT(CollateText(last->View(), entry->key.View()), 0);
    }
    lastBucket = bucket;
    last = &entry->key;
  });
  EXPECT_EQ(table.Count(), names.size());
}

TEST_F(ContainersTest, SortedBucketOfOwnedTextsUsesByteOrder) {
  Ta1LSorted<BRSZ, Rec> bucket;
  bucket.Insert(BRSZ("a"), nullptr);
  bucket.Insert(BRSZ("B"), nullptr);
  bucket.Insert(BRSZ("C"), nullptr);
  std::string order;
  bucket.ForEach([&](TaPAssoc<BRSZ, Rec> *e) { order += e->key.Text(); });
  EXPECT_EQ(order, "BCa");
  EXPECT_EQ(bucket.Insert(BRSZ("a"), nullptr), nullptr);
}

TEST_F(ContainersTest, ModuleNameQualifierZeroMatchesAny) {
  TaDUniqueHash<ModName, Rec> index(1021);
  EXPECT_EQ(index.BucketCount(), 2039);
  Rec r{7};
  BRString name("printf");
  EXPECT_EQ(index.Insert(ModName{name, 5}, &r), 1);
  EXPECT_EQ(index.Find(ModName{name, 0})->value, &r);
  EXPECT_EQ(index.Find(ModName{name, 5})->value, &r);
  EXPECT_EQ(index.Find(ModName{name, 6}), nullptr);
  // Another qualifier of the same name is a key of its own.
  EXPECT_EQ(index.Insert(ModName{name, 6}, &r), 1);
  EXPECT_NE(index.Find(ModName{name, 6}), nullptr);
  EXPECT_EQ(index.Insert(ModName{name, 0}, &r), 0);
}

TEST_F(ContainersTest, NamedRecordListStreamsKeyThenRecord) {
  Ta1L<TaPAssoc<BRString, Item>> *list = new Ta1LIFO<TaPAssoc<BRString, Item>>();
  Item item{0x1234};
  list->Push(new TaPAssoc<BRString, Item>(BRString("L1"), &item));
  std::ostringstream out;
  ASSERT_TRUE(list->Write(out));
  EXPECT_EQ(Bytes(out.str()), "01 00 03 00 4c 31 00 34 12 ");
  list->Clear(true); // destroys the entry, not the item
  delete list;

  Ta1LIFO<TaPAssoc<BRString, Item>> back;
  std::istringstream in(out.str());
  ASSERT_TRUE(back.Read(in));
  TaPAssoc<BRString, Item> *entry = back.Pop();
  EXPECT_STREQ(entry->key.Text(), "L1");
  EXPECT_EQ(entry->value->value, 0x1234);
  delete entry->value;
  delete entry;
}

} // namespace
} // namespace tsw
