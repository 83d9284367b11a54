#include "compcore/decl_fixture.h"

#include "compcore/cc_parse/decl/cc_struct.h"

#include <gtest/gtest.h>

namespace tsw::testing {
namespace {

class DeclStruct : public DeclFixture {
protected:
  static int16_t IdOf(const char *tag) {
    for (int16_t id = kFirstTypeId; TypeRecordAt(id); ++id)
      if (TypeRecordAt(id) == FindTypeByName(tag))
        return id;
    return -1;
  }
  // Each member's name and offset, in declaration order.
  static std::vector<std::pair<std::string, uint16_t>> Layout(const char *tag) {
    std::vector<std::pair<std::string, uint16_t>> out;
    for (SymbolRecord *m : TypeMembers(FindTypeByName(tag)))
      out.emplace_back(m->name, m->definition);
    return out;
  }
  using Members = std::vector<std::pair<std::string, uint16_t>>;
};

TEST_F(DeclStruct, OffsetsFollowOneAnotherAndUnionMembersOverlap) {
  Compile("struct P { char c; int i; long l[2]; } p;\nunion U { char c; long l; int i; } u;\n");
  int16_t p = IdOf("P"), u = IdOf("U");
  EXPECT_EQ(p, kFirstTypeId);
  EXPECT_EQ(Layout("P"), (Members{{"c_aA", 0}, {"i_aA", 1}, {"l_aA", 3}}));
  EXPECT_EQ(FindTypeByName("P")->size, 11);
  EXPECT_EQ(Layout("U"), (Members{{"c_aB", 0}, {"l_aB", 0}, {"i_aB", 0}}));
  EXPECT_EQ(FindTypeByName("U")->size, 4);
  EXPECT_EQ(Symbol("p")->type, p);
  EXPECT_EQ(backEnd.Object("p")->byteSize, 11);
  EXPECT_EQ(backEnd.Object("u")->byteSize, 4);
  SymbolRecord *l = FindMember("l", p);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->kind, kKindMember);
  EXPECT_EQ(l->declarator, 0x1u);
  EXPECT_EQ(FindMember("l", u)->declarator, 0u);
  EXPECT_EQ(FindMember("x", p), nullptr);
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(DeclStruct, NestedDefinitionsSelfReferenceAndTypedefs) {
  Compile("struct O { int a; struct In { char x[3]; } in; int b; } o;\n"
          "struct N { int v; struct N *next; };\n"
          "typedef struct { int x, y; } Point;\nPoint pts[2];\nstruct In *pin;\n");
  EXPECT_EQ(IdOf("In"), kFirstTypeId + 1);
  EXPECT_EQ(Layout("O"), (Members{{"a_aA", 0}, {"in_aA", 2}, {"b_aA", 5}}));
  EXPECT_EQ(FindTypeByName("O")->size, 7);
  EXPECT_EQ(FindMember("in", IdOf("O"))->type, IdOf("In"));
  SymbolRecord *next = FindMember("next", IdOf("N"));
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->type, IdOf("N"));
  EXPECT_EQ(next->declarator, uint32_t(kLevelPointer));
  EXPECT_EQ(FindTypeByName("N")->size, 4);
  EXPECT_EQ(Symbol("pts")->type, Symbol("Point")->type);
  EXPECT_EQ(backEnd.Object("pts")->byteSize, 8);
  EXPECT_EQ(Symbol("pin")->type, IdOf("In"));
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(DeclStruct, MemberQualifiersGoToTheMembers) {
  Compile("struct Q { shared int a; protected char *b; int c; } q;\n");
  auto qualifier = [](const char *name) {
    return (FindMember(name, kFirstTypeId)->flagsA & kFlagsAQualifierMask) >> kFlagsAQualifierShift;
  };
  EXPECT_EQ(qualifier("a"), kQualifierShared);
  EXPECT_EQ(qualifier("b"), kQualifierProtected);
  EXPECT_EQ(qualifier("c"), kQualifierNone);
  EXPECT_EQ(Symbol("q")->flagsA & kFlagsAQualifierMask, 0);
}

TEST_F(DeclStruct, TheEnclosingDeclarationKeepsItsStateAcrossTheMembers) {
  Compile("typedef int *IP;\nstatic struct S { IP p; long l; } s[2];\n");
  SymbolRecord *s = Symbol("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, kKindStatic);
  EXPECT_EQ(s->declarator, 0x1u);
  EXPECT_EQ(backEnd.Object("s")->byteSize, 12);
}

TEST_F(DeclStruct, RedefinitionWarnsAndRefillsTheMembers) {
  Compile("struct R { int a; int b; };\nstruct R { long a; };\n");
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[0].message, 491u);
  EXPECT_EQ(sink.records[0].kind, 1); // a warning
  // "a" differs from the member of the first definition.
  EXPECT_EQ(sink.records[1].message, 491u);
  EXPECT_EQ(sink.records[1].kind, 2);
  EXPECT_EQ(Layout("R"), (Members{{"a_aA", 0}}));
  EXPECT_EQ(FindTypeByName("R")->size, 4);
  // The same definition again reuses its members silently.
  Restart();
  Compile("struct R { int a; };\nstruct R { int a; };\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{491}));
  EXPECT_EQ(Layout("R"), (Members{{"a_aA", 0}}));
}

TEST_F(DeclStruct, ErrorsByNumber) {
  struct Case {
    const char *source;
    std::vector<unsigned> messages;
  } cases[] = {
      {"struct Unknown u;", {418}},
      {"struct T { struct T t; };", {422}},
      {"struct T { struct T t[2]; };", {422}},
      {"struct Z { int a[]; };", {415}},
      {"struct D { int a; int a; };", {491}},
      {"struct W { bogus x; };", {421, 517, 408}},
      // A member named like a reserved word is warned about once.
      {"struct K { int size; };", {2096}},
  };
  for (const Case &c : cases) {
    Restart();
    Compile(std::string(c.source) + "\n");
    EXPECT_EQ(sink.Messages(), c.messages) << c.source;
  }
}

TEST_F(DeclStruct, AtMostOneHundredFiftyMembers) {
  std::string members;
  for (unsigned i = 0; i <= kMaxMembers; ++i)
    members += "char m" + std::to_string(i) + ";\n";
  Compile("struct M {\n" + members + "};\n");
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{423}));
  EXPECT_EQ(TypeMembers(FindTypeByName("M")).size(), kMaxMembers);
  EXPECT_EQ(FindTypeByName("M")->size, kMaxMembers);
}

TEST_F(DeclStruct, FaultFixAStructurePastSixtyFourKilobytesIsRefused) {
  Compile("struct B { long a[10000]; long b[10000]; };\nstruct B b;\n");
  ASSERT_FALSE(sink.records.empty());
  EXPECT_EQ(sink.records[0].message, kMsgObjectTooLarge);
  // Its size is not the wrapped one; an object of it has no size.
  EXPECT_EQ(FindTypeByName("B")->size, 0);
  EXPECT_EQ(sink.Messages(), (std::vector<unsigned>{kMsgObjectTooLarge, 415}));
}

} // namespace
} // namespace tsw::testing
