#include "compcore/decode_check.h"
#include "compcore/expression_body_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

class ExprStatementTest : public ExpressionBodyTest {};

TEST_F(ExprStatementTest, AConstantStatementCostsNoCodeAndAVariableIsLoaded) {
  ASSERT_EQ(Compile("int g;\nvoid f() { 5; g; }\n"), 0) << ::testing::PrintToString(Records());
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, BodyBytes(),
                        {fmt::format("ld    hl,({:04X})", AddressOf("g")), "ret"}));
}

} // namespace
} // namespace tsw::testing
