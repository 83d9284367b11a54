#include "compcore/cc_go/compile.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "fakes/fake_texts.h"
#include "foundation/reset.h"
#include "foundation/restext.h"

#include "foundation/xerr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace tsw {
namespace {

struct Said {
  char what; // 'E' error, 'S' serious warning, 'B' message box
  unsigned message;
  std::string argument;
  bool operator==(const Said &) const = default;
};

// Records what the table reports, through the compiler's own raisers: it
// plays the diagnostic sink, the message window and the code generator's
// label table, and its texts are "#number|argument".
class FakeCompiler : public DiagnosticSink, public MessageOutput, public CodeGenerator {
public:
  bool RecordError(unsigned m, uint16_t, uint16_t, const std::string &text) override {
    said.push_back({'E', m, Argument(text)});
    return false;
  }
  void RecordWarning(unsigned m, int, uint16_t, uint16_t, const std::string &text) override {
    said.push_back({'S', m, Argument(text)});
  }
  void ShowBox(const std::string &, const std::string &text) override {
    said.push_back({'B', unsigned(std::stoul(text.substr(1))), ""});
  }
  void ShowWaitLine(const std::string &) override {}
  void DefineLabel(std::string_view name, uint32_t address) override { labels[std::string(name)] = address; }

  std::vector<Said> said;
  std::map<std::string, uint32_t> labels;
  testing::FakeTexts texts{{}, [](unsigned id) { return "#" + std::to_string(id) + "|%s"; }};

private:
  static std::string Argument(const std::string &text) { return text.substr(text.find('|') + 1); }
};

// A fresh compiler whose symbol table reports to `compiler`, with the input
// standing at line 12, column 5 of PROG.C.
inline void StartSymbolTable(FakeCompiler &compiler, uint16_t symbolLimit) {
  ResetFoundation();
  ResetCompiler();
  SetMessageTexts(&compiler.texts);
  SetDiagnosticSink(&compiler);
  SetMessageOutput(&compiler);
  SetCodeGenerator(&compiler);
  SetErrorFileName("PROG.C", 1);
  InstallLogicalLine({"x", {12}, {5}}, 0);
  AllocateSymbolTables(symbolLimit);
}

class SymbolTableTest : public ::testing::Test {
protected:
  void SetUp() override { StartSymbolTable(compiler, kLimit); }
  void TearDown() override {
    ResetCompiler();
    ResetFoundation();
  }
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> m;
    for (const Said &s : compiler.said)
      m.push_back(s.message);
    return m;
  }

  static constexpr uint16_t kLimit = 400;
  static constexpr uint32_t kFunction = 3;
  static constexpr uint32_t kPointer = 2;
  static constexpr int16_t kInt = 2, kChar = 1, kAuto = 2;
  FakeCompiler compiler;
};

TEST(SymbolHash, SumsAndDoublingsOverTheIdentifierOnly) {
  struct Case {
    const char *name;
    uint32_t modulus, hash;
  } cases[] = {
      {"a", 1000, 388},     // s 97, t 97
      {"ab", 2000, 1071},   // s 195, t 292
      {"ab+c", 2000, 1071}, // the identifier ends at '+'
      {"ab", 500, 71},      {"", 7, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(HashName(c.name, c.modulus), c.hash) << c.name;
}

TEST(SymbolNames, StaticAndMemberNames) {
  struct Case {
    const char *name;
    uint16_t number;
    const char *made;
  } cases[] = {
      {"x", 17, "x_aB"},
      {"count", 0, "count_`A"},
      {"abcdefghijklmnopqrstuvwxyz0123456", 255, "abcdefghijklmnopqrstuvwxyz016_oP"},
  };
  for (const Case &c : cases) {
    char buffer[kNameBufferSize + 8] = {};
    std::strcpy(buffer, c.name);
    MakeStaticName(buffer, c.number);
    EXPECT_STREQ(buffer, c.made) << c.name;
    EXPECT_LE(std::strlen(buffer), kIdentifierLength);
  }
}

TEST_F(SymbolTableTest, NamesAreSignificantTo32Bytes) {
  std::string a(32, 'n'), b(32, 'n');
  a += "first";
  b += "second";
  SymbolRecord *r = AddSymbol(a, 0, kInt, 1, kKindGlobal);
  EXPECT_EQ(LookupSymbol(b, false, SymbolTableId::kGlobal), r);
  EXPECT_EQ(std::string(r->name), std::string(32, 'n'));
  EXPECT_EQ(r->line, 12);
  EXPECT_STREQ(r->file, "PROG.C");
  EXPECT_EQ(r->flagsB, kFlagsBOnEntry);
  EXPECT_EQ(r->sizeWord, kSizeWordOnEntry);
}

TEST_F(SymbolTableTest, RedeclarationRules) {
  struct Step {
    const char *name;
    uint32_t declarator;
    int16_t type;
    uint16_t definition;
    int16_t kind;
    std::vector<unsigned> messages; // what this step adds
  };
  struct Case {
    const char *what;
    std::vector<Step> steps;
  } cases[] = {
      {"prototype then definition is silent",
       {{"f", kFunction, kInt, 0, kKindExtern, {}}, {"f", kFunction, kInt, 1, kKindGlobal, {}}}},
      {"second definition",
       {{"g", kFunction, kInt, 1, kKindGlobal, {}}, {"g", kFunction, kInt, 1, kKindGlobal, {491}}}},
      {"prototype after the definition is silent",
       {{"h", kFunction, kInt, 1, kKindGlobal, {}}, {"h", kFunction, kInt, 0, kKindExtern, {}}}},
      {"prototype with another return type",
       {{"k", kFunction, kInt, 0, kKindExtern, {}}, {"k", kFunction, kChar, 0, kKindExtern, {499}}}},
      {"repeated extern", {{"e", 0, kInt, 0, kKindExtern, {}}, {"e", 0, kInt, 0, kKindExtern, {}}}},
      {"extern then definition", {{"v", 0, kInt, 0, kKindExtern, {}}, {"v", 0, kInt, 0, kKindGlobal, {}}}},
      {"extern then another type", {{"w", 0, kInt, 0, kKindExtern, {}}, {"w", kPointer, kInt, 0, kKindGlobal, {491}}}},
      {"repeated local", {{"i", 0, kInt, 0, kAuto, {}}, {"i", 0, kInt, 0, kAuto, {491}}}},
  };
  for (const Case &c : cases) {
    SetUp();
    SymbolRecord *first = nullptr;
    for (const Step &s : c.steps) {
      size_t before = compiler.said.size();
      SymbolRecord *r = AddSymbol(s.name, s.declarator, s.type, s.definition, s.kind);
      if (!first)
        first = r;
      EXPECT_EQ(r, first) << c.what; // a name is entered once
      std::vector<unsigned> added;
      for (size_t i = before; i < compiler.said.size(); ++i)
        added.push_back(compiler.said[i].message);
      EXPECT_EQ(added, s.messages) << c.what;
    }
    compiler.said.clear();
  }
}

TEST_F(SymbolTableTest, DefinitionWordFollowsTheDefinition) {
  SymbolRecord *f = AddSymbol("f", kFunction, kInt, 0, kKindExtern);
  AddSymbol("f", kFunction, kInt, 7, kKindGlobal);
  EXPECT_EQ(f->definition, 7);
}

TEST_F(SymbolTableTest, ExternKnownToTheBiosBecomesADefinedLabel) {
  AddBiosSymbol("SerialBuf", Addr24FromLong(0x00C400));
  AddBiosSymbol("Zero", Addr24FromLong(0x050000)); // address part 0: not resolved
  SymbolRecord *r = AddSymbol("SerialBuf", kPointer, kChar, 0, kKindExtern);
  EXPECT_EQ(r->kind, kKindGlobal);
  EXPECT_EQ(r->address, 0x00C400u);
  EXPECT_EQ(compiler.labels["SerialBuf"], 0x00C400u);
  EXPECT_EQ(AddSymbol("Zero", 0, kInt, 0, kKindExtern)->kind, kKindExtern);
  // Functions are never resolved from the BIOS.
  AddBiosSymbol("bfun", Addr24FromLong(0x1234));
  EXPECT_EQ(AddSymbol("bfun", kFunction, kInt, 0, kKindExtern)->kind, kKindExtern);
}

TEST_F(SymbolTableTest, ReservedWordsWarnButAreEntered) {
  for (const char *word : {"speed", "firsttime"}) {
    compiler.said.clear();
    SymbolRecord *r = AddSymbol(word, 0, kInt, 0, kKindGlobal);
    EXPECT_EQ((std::vector<Said>{{'S', 2096, word}}), compiler.said);
    EXPECT_EQ(LookupSymbol(word, false, SymbolTableId::kGlobal), r);
  }
}

TEST_F(SymbolTableTest, MembersAreFoundOnlyAsMembers) {
  char name[kNameBufferSize + 4] = "x";
  MakeStaticName(name, 17);
  AddSymbol(name, 0, kInt, 2, kKindMember);
  AddSymbol("plain", 0, kInt, 0, kKindGlobal);
  EXPECT_NE(LookupSymbol("x_aB", true, SymbolTableId::kGlobal), nullptr);
  EXPECT_EQ(LookupSymbol("plain", true, SymbolTableId::kGlobal), nullptr);
}

TEST_F(SymbolTableTest, RollBackForgetsNamesEnteredSinceTheSnapshot) {
  AddSymbol("kept", 0, kInt, 0, kKindGlobal);
  SnapshotSymbolInserts();
  AddSymbol("gone", 0, kInt, 0, kKindGlobal);
  AddSymbol("local", 0, kInt, 0, kAuto);
  RollBackSymbolInserts();
  EXPECT_NE(LookupSymbol("kept", false, SymbolTableId::kGlobal), nullptr);
  EXPECT_EQ(LookupSymbol("gone", false, SymbolTableId::kGlobal), nullptr);
  EXPECT_EQ(LookupSymbol("local", false, SymbolTableId::kLocal), nullptr);
  // Compiling the function again enters the names afresh, without 491.
  AddSymbol("gone", 0, kInt, 0, kKindGlobal);
  EXPECT_TRUE(compiler.said.empty());
}

TEST_F(SymbolTableTest, LocalScopesAndTheBiosCompile) {
  AddSymbol("g", 0, kInt, 0, kKindGlobal);
  AddSymbol("l", 0, kInt, 0, kAuto);
  ResetLocalSymbolTable();
  EXPECT_EQ(LookupSymbol("l", false, SymbolTableId::kLocal), nullptr);
  ResetSymbolTablesForCompile(false); // the program after the BIOS keeps its globals
  EXPECT_NE(LookupSymbol("g", false, SymbolTableId::kGlobal), nullptr);
  ResetSymbolTablesForCompile(true);
  EXPECT_EQ(LookupSymbol("g", false, SymbolTableId::kGlobal), nullptr);
}

TEST_F(SymbolTableTest, FullTablesEndTheCompile) {
  struct Case {
    const char *what;
    int16_t kind;
    size_t listLength;
    unsigned box;
  } cases[] = {
      {"global records", kKindGlobal, 0, 514},
      {"local records", kAuto, 0, 515},
      // A record is 43 bytes plus two per list entry: long lists fill sooner.
      {"global records with lists", kKindGlobal, 40, 514},
  };
  for (const Case &c : cases) {
    StartSymbolTable(compiler, kLimit);
    compiler.said.clear();
    std::vector<uint16_t> list(c.listLength, 3);
    int entered = 0;
    try {
      for (;; ++entered)
        AddSymbol("s" + std::to_string(entered), 0, kInt, 0, c.kind, list);
    } catch (const xCCErrOvflo &) {
    }
    EXPECT_EQ(Messages(), (std::vector<unsigned>{498, c.box})) << c.what;
    uint32_t share = c.kind == kAuto ? (kLimit - kLimit * 3 / 4) * 45 : (kLimit * 3 / 4) * 45;
    EXPECT_LE(uint32_t(entered) * SymbolRecordBytes(c.listLength), share) << c.what;
    EXPECT_GT(uint32_t(entered + 3) * SymbolRecordBytes(c.listLength), share) << c.what;
  }
}

TEST_F(SymbolTableTest, FullNameMemoryRefusesTheEntry) {
  // 2000 symbols would want 66000 bytes of names; the memory stops at 65280,
  // three quarters of it global, so names run out before records do.
  StartSymbolTable(compiler, 2000);
  int entered = 0;
  EXPECT_THROW(
      {
        for (;; ++entered) {
          std::string name = "n" + std::to_string(entered);
          name.resize(kIdentifierLength, 'q');
          AddSymbol(name, 0, kInt, 0, kKindGlobal);
        }
      },
      xCCErrOvflo);
  // Listed as a full table as well as in its box.
  EXPECT_EQ(Messages(), (std::vector<unsigned>{498, 516}));
  EXPECT_EQ(entered,
            1483); // 1 + 1483 × 33 bytes fit in 48960, one more does not
}

TEST_F(SymbolTableTest, TypeAreaIsCheckedFromBothEnds) {
  int16_t id = 0;
  TypeRecord *first = NewTypeRecord("S", &id);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(id, kFirstTypeId);
  EXPECT_EQ(TypeRecordAt(id), first);
  EXPECT_EQ(FindTypeByName("S"), first);
  EXPECT_EQ(TypeRecordAt(3), nullptr);

  // Member lists growing down reach the records.
  SymbolRecord *member = AddSymbol("m", 0, kInt, 0, kKindGlobal);
  int pushed = 0;
  while (PushTypeMember(first, member))
    ++pushed;
  EXPECT_EQ(Messages().back(), 419u);
  EXPECT_EQ(TypeMembers(first).size(), size_t(pushed));
  // And records growing up are refused too.
  EXPECT_EQ(NewTypeRecord("T", &id), nullptr);
}

TEST_F(SymbolTableTest, MoreThan240TypesAreRefused) {
  int16_t id = 0;
  for (int i = 0; i < 240; ++i)
    ASSERT_NE(NewTypeRecord("T" + std::to_string(i), &id), nullptr);
  EXPECT_EQ(id, kLastTypeId);
  EXPECT_EQ(NewTypeRecord("one_more", &id), nullptr);
  EXPECT_EQ(Messages(), std::vector<unsigned>{420});
}

} // namespace
} // namespace tsw

namespace tsw {
namespace {

void InstallText(const std::string &text) {
  LogicalLineBuffer line;
  line.text = text;
  line.lines.assign(text.size(), 1);
  line.columns.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    line.columns[i] = uint16_t(i + 1);
  InstallLogicalLine(line, 0);
}

TEST(ReadIdentifierTest, KeepsThirtyTwoBytesAndConsumesTheRest) {
  ResetSourceInputModule();
  InstallText(std::string(40, 'v') + "+1");
  std::string name;
  EXPECT_EQ(ReadIdentifier(name), kIdentifierLength);
  EXPECT_EQ(name, std::string(32, 'v'));
  EXPECT_EQ(*InputCursor, '+');
  ResetSourceInputModule();
}

// A language whose double-byte characters begin with 0x81 or 0x82.
class DoubleByteNames : public ::testing::Test {
protected:
  void SetUp() override {
    ResetCompiler();
    std::bitset<256> lead;
    lead.set(0x81);
    lead.set(0x82);
    SetLeadBytes(lead);
  }
  void TearDown() override { ResetCompiler(); }
};

TEST_F(DoubleByteNames, IdentifierKeepsItsCharactersWhole) {
  // The trail byte '@' is no identifier character on its own.
  InstallText(std::string(31, 'a') + "\x81@b+");
  std::string name;
  EXPECT_EQ(ReadIdentifier(name), 31u);
  EXPECT_EQ(name, std::string(31, 'a'));
  EXPECT_EQ(*InputCursor, '+');
}

TEST_F(DoubleByteNames, StaticNameCutKeepsCharactersWhole) {
  struct Case {
    std::string name, made;
  } cases[] = {
      {std::string(27, 'a') + "\x81\x41" + "cde", std::string(27, 'a') + "e_aB"},
      {std::string(30, 'a') + "\x82\x42", std::string(27, 'a') + "\x82\x42_aB"},
  };
  for (const Case &c : cases) {
    char buffer[kNameBufferSize + 8] = {};
    std::strcpy(buffer, c.name.c_str());
    MakeStaticName(buffer, 17);
    EXPECT_EQ(std::string(buffer), c.made);
    EXPECT_LE(std::strlen(buffer), kIdentifierLength);
  }
}

} // namespace
} // namespace tsw
