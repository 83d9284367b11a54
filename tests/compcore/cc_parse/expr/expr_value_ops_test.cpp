#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_parse/expr/value_ops.h"
#include "compcore/codegen_fixture.h"

namespace tsw {
namespace {

using testing::CodegenTest;

class ExprValueOpsTest : public CodegenTest {
protected:
  static ValueRecord Value(uint8_t type, uint8_t storage, uint32_t declarator, bool lvalue = false,
                           uint32_t offset = 0) {
    ValueRecord v = MakeValue(type, declarator, storage, lvalue);
    v.value = offset;
    return v;
  }
};

TEST_F(ExprValueOpsTest, OnlyAPlainVoidValueIsRejected) {
  struct Case {
    const char *what;
    ValueRecord value;
    bool accepted;
  } cases[] = {
      {"void result", Value(kTypeVoid, kStoragePrimary, 0), false},
      {"void *", Value(kTypeVoid, kStoragePrimary, kLevelPointer), true},
      {"void function designator", Value(kTypeVoid, kStorageGlobal, kLevelFunction), true},
      {"int", Value(kTypeInt, kStoragePrimary, 0), true},
      {"char constant", MakeCharConstantValue('a'), true},
  };
  for (const Case &c : cases) {
    sink.records.clear();
    EXPECT_EQ(CheckValueNotVoid(c.value), c.accepted) << c.what;
    EXPECT_EQ(sink.Messages(), c.accepted ? std::vector<unsigned>{} : std::vector<unsigned>{kMsgVoidValueUsed})
        << c.what;
  }
}

TEST_F(ExprValueOpsTest, DirectAddressingByStorageAndFrameReach) {
  struct Case {
    const char *what;
    ValueRecord value;
    uint16_t attributes;
    bool direct;
  } cases[] = {
      {"constant", MakeIntConstantValue(3), 0, true},
      {"global", Value(kTypeLong, kStorageGlobal, 0, true), 0, true},
      {"static", Value(kTypeInt, kStorageStatic, 0, true), 0, true},
      {"register class", Value(kTypeInt, kStorageRegisterClass, 0, true), 0, true},
      {"extern", Value(kTypeInt, kStorageExtern, 0, true), 0, true},
      {"register value", Value(kTypeInt, kStoragePrimary, 0), 0, false},
      {"structure on the stack", Value(kTypeInt, kStorageStackStruct, 0), 0, false},
      {"int local near SP", Value(kTypeInt, kStorageAuto, 0, true, 10), 0, true},
      {"int local at the last reachable word", Value(kTypeInt, kStorageAuto, 0, true, 253), 0, true},
      {"int local one byte beyond", Value(kTypeInt, kStorageAuto, 0, true, 254), 0, false},
      {"pointer local", Value(kTypeChar, kStorageAuto, kLevelPointer, true, 4), 0, true},
      {"long local without frame pointer", Value(kTypeLong, kStorageAuto, 0, true, 4), 0, false},
      {"char local without frame pointer", Value(kTypeChar, kStorageAuto, 0, true, 4), 0, false},
      {"long local through IX", Value(kTypeLong, kStorageAuto, 0, true, 4), kAttrUseIx, false},
      {"char local through IX", Value(kTypeChar, kStorageAuto, 0, true, 4), kAttrUseIx, true},
      {"int parameter through IX", Value(kTypeInt, kClassParameterArea, 0, true, 6), kAttrUseIx, true},
      {"int local out of IX reach, near SP", Value(kTypeInt, kStorageAuto, 0, true, 200), kAttrUseIx, true},
  };
  // The Corvid reaches words near SP without a frame pointer.
  SetCpu(TargetCpu::Corvid);
  for (const Case &c : cases) {
    Attributes().current = c.attributes;
    Emission() = {};
    EXPECT_EQ(IsDirectlyAddressable(c.value), c.direct) << c.what;
  }
  Attributes().current = 0;
}

TEST_F(ExprValueOpsTest, OnTheZ180OnlyTheFramePointerReachesStackVariables) {
  struct Case {
    const char *what;
    ValueRecord value;
    uint16_t attributes;
    bool direct;
  } cases[] = {
      // Its address would have to be computed in HL, where the value goes.
      {"int local near SP", Value(kTypeInt, kStorageAuto, 0, true, 10), 0, false},
      {"pointer local", Value(kTypeChar, kStorageAuto, kLevelPointer, true, 4), 0, false},
      {"int local through IX", Value(kTypeInt, kStorageAuto, 0, true, 4), kAttrUseIx, true},
      {"global", Value(kTypeInt, kStorageGlobal, 0, true), 0, true},
  };
  SetCpu(TargetCpu::Z180);
  for (const Case &c : cases) {
    Attributes().current = c.attributes;
    Emission() = {};
    EXPECT_EQ(IsDirectlyAddressable(c.value), c.direct) << c.what;
  }
  Attributes().current = 0;
}

TEST_F(ExprValueOpsTest, DirectAddressingFollowsThePushesSinceTheFrame) {
  ValueRecord local = Value(kTypeInt, kStorageAuto, 0, true, 250);
  SetCpu(TargetCpu::Corvid);
  Emission() = {};
  EXPECT_TRUE(IsDirectlyAddressable(local));
  Emission().stackOffset = -4; // two words pushed move the local away from SP
  EXPECT_FALSE(IsDirectlyAddressable(local));
}

TEST_F(ExprValueOpsTest, AssignableValues) {
  struct Case {
    const char *what;
    ValueRecord value;
    bool assignable;
  } cases[] = {
      {"lvalue in registers", Value(kTypeInt, kStoragePrimary, 0, true), true},
      {"lvalue structure", Value(kFirstStructType, kStorageGlobal, 0, true), true},
      {"named int not marked lvalue", Value(kTypeInt, kStorageGlobal, 0), true},
      {"named pointer on the stack", Value(kTypeChar, kStorageAuto, kLevelPointer), true},
      {"extern long", Value(kTypeLong, kStorageExtern, 0), true},
      {"constant", MakeIntConstantValue(1), false},
      {"register result", Value(kTypeInt, kStoragePrimary, 0), false},
      {"array name", Value(kTypeInt, kStorageGlobal, kLevelArray), false},
      {"function name", Value(kTypeInt, kStorageGlobal, kLevelFunction), false},
      {"named structure not marked lvalue", Value(kFirstStructType, kStorageGlobal, 0), false},
  };
  for (const Case &c : cases) {
    sink.records.clear();
    EXPECT_EQ(CheckAssignable(c.value), c.assignable) << c.what;
    EXPECT_EQ(sink.Messages(), c.assignable ? std::vector<unsigned>{} : std::vector<unsigned>{kMsgNotAssignable})
        << c.what;
  }
}

TEST_F(ExprValueOpsTest, IndirectionTakesOneLevelAndWalksTheDimensions) {
  static const uint16_t dims[] = {3, 5};
  ValueRecord matrix = Value(kTypeInt, kStorageGlobal, 0x11); // int m[3][5]
  matrix.dimensions = dims;
  EXPECT_EQ(ArrayDimensionProduct(matrix), 10);

  DereferenceValue(matrix); // m[i]: a row, itself an array
  EXPECT_EQ(matrix.declarator, 1u);
  EXPECT_EQ(matrix.dimensions, dims + 1);
  EXPECT_FALSE(matrix.IsLvalue());
  EXPECT_EQ(ArrayDimensionProduct(matrix), 2);

  DereferenceValue(matrix); // m[i][j]: an int object
  EXPECT_EQ(matrix.declarator, 0u);
  EXPECT_TRUE(matrix.IsLvalue());
  EXPECT_EQ(matrix.wasLvalue, 1);
  EXPECT_TRUE(upcalls->events.empty()) << "an array's elements lie at its own address";

  ValueRecord pointer = Value(kTypeInt, kStorageAuto, 0x22, true); // int **p
  pointer.dimensions = dims;
  DereferenceValue(pointer);
  EXPECT_EQ(pointer.declarator, 2u);
  EXPECT_EQ(pointer.dimensions, dims) << "a pointer level has no dimension of its own";
  EXPECT_EQ(ArrayDimensionProduct(pointer), 2);
  EXPECT_TRUE(sink.Messages().empty());
  // *p: the object lies where p points, so p itself is loaded first.
  EXPECT_EQ(upcalls->events, std::vector<std::string>{"load value"});
  EXPECT_EQ(pointer.storage, kStoragePrimary);
  EXPECT_TRUE(pointer.IsLvalue()) << "the register now holds the pointee's address";

  // A pointer value already in the register is not loaded again.
  upcalls->events.clear();
  ValueRecord held = Value(kTypeInt, kStoragePrimary, kLevelPointer);
  DereferenceValue(held);
  EXPECT_TRUE(upcalls->events.empty());
  EXPECT_TRUE(held.IsLvalue());
}

TEST_F(ExprValueOpsTest, IndirectionOfAnAddressConstantLoadsItFirst) {
  ValueRecord address = MakeVoidPointerConstant(0x8000);
  address.type = kTypeChar; // (char *)0x8000
  DereferenceValue(address);
  EXPECT_EQ(upcalls->events, std::vector<std::string>{"load value"});
  EXPECT_EQ(address.storage, kStoragePrimary);
  EXPECT_EQ(address.declarator, 0u);
  EXPECT_TRUE(address.IsLvalue()) << "the register now holds the object's address";
}

TEST_F(ExprValueOpsTest, IndirectionWithoutALevelOrDimensionList) {
  struct Case {
    const char *what;
    ValueRecord value;
    std::vector<unsigned> messages;
    uint32_t declarator;
  } cases[] = {
      {"int", Value(kTypeInt, kStorageGlobal, 0, true), {kMsgNotIndirectable}, 0},
      {"function returning a pointer", Value(kTypeInt, kStorageGlobal, 0x23), {kMsgNotIndirectable}, 2},
      {"array without list", Value(kTypeChar, kStorageExtern, 0x21), {}, 2},
  };
  for (Case &c : cases) {
    sink.records.clear();
    DereferenceValue(c.value);
    EXPECT_EQ(sink.Messages(), c.messages) << c.what;
    EXPECT_EQ(c.value.declarator, c.declarator) << c.what;
    EXPECT_TRUE(c.value.IsLvalue()) << c.what;
  }
  EXPECT_TRUE(upcalls->events.empty());
}

} // namespace
} // namespace tsw
