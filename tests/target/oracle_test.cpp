#include <gtest/gtest.h>

#include "runner/program_check.h"
#include "runner/results.h"
#include "target_fixture.h"

namespace tsw::target {
namespace {

using testing::kSdccStartup;
using tsw::testing::TempDir;

TEST(ResultDeclarationsTest, ReadsTypesArraysAndStatedValues) {
  std::vector<ResultVariable> results = ReadResultDeclarations("int a;\n"
                                                               "long r_product;   /* expect -200000 */\n"
                                                               "unsigned  long r_wide;\n"
                                                               "unsigned r_bits[3]; /* expect 1, 0x8000 0xffff */\n"
                                                               "  char r_c; /* not a statement of value */\n"
                                                               "float r_f; /* expect 1.5 */\n"
                                                               "int r_used = 3;\n"
                                                               "void f(void) { r_product = 1; }\n");
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[0].name, "r_product");
  EXPECT_EQ(results[0].type, ResultType::Long);
  EXPECT_EQ(results[0].expected, (std::vector<std::string>{"-200000"}));
  EXPECT_EQ(results[1].type, ResultType::UnsignedLong);
  EXPECT_TRUE(results[1].expected.empty());
  EXPECT_EQ(results[2].count, 3u);
  EXPECT_EQ(ResultSize(results[2]), 6u);
  EXPECT_EQ(results[2].expected, (std::vector<std::string>{"1", "0x8000", "0xffff"}));
  EXPECT_EQ(results[3].type, ResultType::Float);
}

TEST(ResultValueTest, EncodesValuesAtTheLimitsOfEachType) {
  struct Case {
    ResultType type;
    const char *text;
    std::optional<std::vector<uint8_t>> bytes;
  };
  const Case cases[] = {
      {ResultType::Int, "-32768", std::vector<uint8_t>{0x00, 0x80}},
      {ResultType::Int, "32767", std::vector<uint8_t>{0xff, 0x7f}},
      {ResultType::Int, "32768", std::nullopt},
      {ResultType::Int, "-32769", std::nullopt},
      {ResultType::Unsigned, "0xffff", std::vector<uint8_t>{0xff, 0xff}},
      {ResultType::Unsigned, "-1", std::nullopt},
      {ResultType::Char, "255", std::vector<uint8_t>{0xff}},
      {ResultType::Char, "256", std::nullopt},
      {ResultType::Long, "-2147483648", std::vector<uint8_t>{0, 0, 0, 0x80}},
      {ResultType::Long, "2147483648", std::nullopt},
      {ResultType::UnsignedLong, "4294967295", std::vector<uint8_t>{0xff, 0xff, 0xff, 0xff}},
      {ResultType::Float, "-2.5", std::vector<uint8_t>{0x00, 0x00, 0x20, 0xc0}},
      {ResultType::Float, "1e", std::nullopt},
      {ResultType::Int, "12x", std::nullopt},
      {ResultType::Int, "--1", std::nullopt},
  };
  for (const Case &c : cases)
    EXPECT_EQ(EncodeResultValue(c.type, c.text), c.bytes) << c.text;
}

class SdccOracleTest : public ::testing::Test {
protected:
  std::vector<std::string> Check(const std::string &source) {
    return CheckProgramWithSdcc(dir_.Write("prog.c", source), kSdccStartup, dir_.path());
  }
  TempDir dir_;
};

TEST_F(SdccOracleTest, RunsAProgramAndChecksItsStatedValues) {
  // Initialised data (copied by the start-up), a library helper (the long
  // multiply) and results of every width.
  std::vector<std::string> problems = Check("int a = -7;\n"
                                            "long r_l; /* expect -700000 */\n"
                                            "int r_q[2]; /* expect -3 -1 */\n"
                                            "char r_c; /* expect 44 */\n"
                                            "float r_f; /* expect -3.5 */\n"
                                            "void main(void) {\n"
                                            "  r_l = (long)a * 100000; r_q[0] = a / 2; r_q[1] = a % 2;\n"
                                            "  r_c = 300; r_f = a / 2.0f;\n"
                                            "}\n");
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST_F(SdccOracleTest, ReportsEveryWrongStatedValue) {
  // Where SDCC is stated to differ, its build is held to its own value.
  std::vector<std::string> problems = Check("int r_right; /* expect 6 */\n"
                                            "int r_wrong; /* expect 7 */\n"
                                            "unsigned r_pair[2]; /* expect 1 3 */\n"
                                            "int r_known; /* expect 5; sdcc 6: a stated fault */\n"
                                            "int r_changed; /* expect 6; sdcc 5: a fault since mended */\n"
                                            "void main(void) {\n"
                                            "  r_right = 6; r_wrong = 6; r_pair[0] = 1; r_pair[1] = 2;\n"
                                            "  r_known = 6; r_changed = 6;\n"
                                            "}\n");
  ASSERT_EQ(problems.size(), 3u) << ::testing::PrintToString(problems);
  EXPECT_EQ(problems[0], "r_wrong is 6 (0x6), expected 7 (0x7)");
  EXPECT_EQ(problems[1], "r_pair[1] is 2 (0x2), expected 3 (0x3)");
  EXPECT_EQ(problems[2], "r_changed is 6 (0x6), expected 5 (0x5)");
}

TEST_F(SdccOracleTest, ReportsFailuresToBuildOrToHalt) {
  struct Case {
    const char *source;
    const char *problem;
  };
  const Case cases[] = {
      {"int r_x;\nvoid main(void) { r_x = ; }\n", "SDCC build failed"},
      {"volatile int n;\nint r_x;\nvoid main(void) { for (;;) n++; }\n", "cycle limit reached"},
      {"int x;\nvoid main(void) { x = 1; }\n", "declares no result variables"},
      {"int r_x; /* expect 1 2 */\nvoid main(void) { r_x = 1; }\n", "states 2 values for 1 elements"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> problems = Check(c.source);
    ASSERT_FALSE(problems.empty()) << c.source;
    EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
  }
}

} // namespace
} // namespace tsw::target
