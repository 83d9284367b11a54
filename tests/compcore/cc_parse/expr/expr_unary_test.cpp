#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

// The unary and postfix levels of the compiler the product assembles: a
// program's declarations compiled through CompileFile, then one expression
// read at the cursor as the statement compiler will hand it over.
class ExprUnaryTest : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    SingleLineMode = 1;
  }
  void TearDown() override {
    SingleLineMode = 0;
    UnarySwitches() = {};
    ProgramCompileTest::TearDown();
  }
  // The message numbers recorded since the last Declare or Expression.
  std::vector<unsigned> Messages() {
    std::vector<unsigned> numbers;
    for (const std::string &r : Records()) {
      const size_t open = r.rfind('[');
      if (open != std::string::npos)
        numbers.push_back(unsigned(std::stoul(r.substr(open + 1))));
    }
    return numbers;
  }
  void Declare(const std::string &program) {
    ASSERT_EQ(Compile(program), 0) << program;
  }
  // An automatic variable of the function being compiled, at `offset` in
  // its frame.
  static SymbolRecord *Local(const char *name, int16_t offset, uint32_t declarator = 0, uint8_t type = kTypeInt) {
    return AddSymbol(name, declarator, type, uint16_t(offset), kClassAutoLocal);
  }
  // The unary expression `text` as one logical line (only its primary
  // expression with `primaryOnly`); the text left over.
  std::string Expression(const std::string &text, ValueRecord &value, bool primaryOnly = false) {
    ClearErrorList();
    LogicalLineBuffer line;
    line.text = text;
    for (size_t i = 0; i < text.size(); ++i) {
      line.lines.push_back(1);
      line.columns.push_back(uint16_t(i + 1));
    }
    InstallLogicalLine(std::move(line), 0);
    InputColumn = 0;
    value = {};
    if (primaryOnly)
      CompilePrimaryExpression(value, false);
    else
      GenerateUnaryExpression(value);
    return InputCursor;
  }
};

TEST_F(ExprUnaryTest, NamesBecomeRecordsOfTheirStorage) {
  Declare("int g;\nstatic long s;\nextern char e;\nchar a[4];\nint *p;\n");
  Local("i", -4);
  Local("q", -6, kLevelPointer, kTypeChar);
  struct Case {
    const char *text;
    uint8_t storage;
    uint8_t type;
    uint32_t declarator;
    uint32_t value;
    bool lvalue;
  } cases[] = {
      {"g", kStorageGlobal, kTypeInt, 0, 0, true},
      {"s", kStorageStatic, kTypeLong, 0, 0, true},
      {"e", kStorageExtern, kTypeChar, 0, 0, true},
      {"a", kStorageGlobal, kTypeChar, kLevelArray, 0, false},
      {"p", kStorageGlobal, kTypeInt, kLevelPointer, 0, true},
      {"i", kStorageAuto, kTypeInt, 0, uint32_t(-4), true},
      {"q", kStorageAuto, kTypeChar, kLevelPointer, uint32_t(-6), true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ValueRecord v;
    Expression(c.text, v);
    EXPECT_EQ(v.storage, c.storage);
    EXPECT_EQ(v.type, c.type);
    EXPECT_EQ(v.declarator, c.declarator);
    EXPECT_EQ(v.value, c.value);
    EXPECT_EQ(v.IsLvalue(), c.lvalue);
    EXPECT_TRUE(v.IsModifiable());
    ASSERT_NE(v.symbol, nullptr);
    EXPECT_STREQ(v.symbol->name, c.text);
    EXPECT_EQ(Messages(), std::vector<unsigned>{});
  }
  EXPECT_TRUE(UnarySwitches().autoReferenced);
}

TEST_F(ExprUnaryTest, AutomaticVariablesWhereTheFunctionHasNone) {
  Declare("int g;\n");
  Local("i", -2);
  struct Case {
    const char *what;
    UnaryLevelSwitches switches;
    uint8_t storage;
    std::vector<unsigned> messages;
  } cases[] = {
      {"no automatic variables", {true, false, false, false}, kStorageConstant, {kMsgAutoNotAllowed}},
      {"inside a costate", {false, true, false, false}, kStorageAuto, {kMsgAutoInCostate}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    UnarySwitches() = c.switches;
    ValueRecord v;
    Expression("i", v);
    EXPECT_EQ(v.storage, c.storage);
    EXPECT_EQ(Messages(), c.messages);
  }
}

TEST_F(ExprUnaryTest, UndeclaredNames) {
  Declare("typedef int word;\n");
  ValueRecord v;
  // Called before any declaration: a global function returning int.
  EXPECT_EQ(Expression("later(", v, true), "(");
  EXPECT_EQ(v.storage, kStorageGlobal);
  EXPECT_EQ(v.declarator, kLevelFunction);
  EXPECT_EQ(v.type, kTypeInt);
  const SymbolRecord *later = LookupSymbol("later", false, SymbolTableId::kGlobal);
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(later->kind, kClassGlobal);

  Expression("nowhere", v);
  EXPECT_EQ(Messages(), std::vector<unsigned>{kMsgUndeclaredName});
  EXPECT_EQ(v.storage, kStorageConstant);

  // A type name is no value.
  Expression("word", v);
  EXPECT_EQ(Messages(), std::vector<unsigned>{kMsgUnusableName});
  EXPECT_EQ(v.storage, kStorageConstant);
}

} // namespace
} // namespace tsw::testing
