#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace tsw::testing {
namespace {

class ReservedNames : public ProgramCompileTest {};

struct DeclaredName {
  const char *name;
  bool reserved;
};

// Reserved words the declaration parser does not take for its own words
// reach the symbol table as names and are warned about; a name that only
// looks like one (a prefix, an extension, another case) is not.
TEST_F(ReservedNames, OnlyAReservedWordItselfIsWarnedAbout) {
  const DeclaredName cases[] = {
      {"abort", true},     {"always_on", true}, {"asm", true},     {"costate", true},   {"init_on", true},
      {"protected", true}, {"segchain", true},  {"shared", true},  {"waitfor", true},   {"waitfordone", true},
      {"xmemok", true},    {"yield", true},     {"abor", false},   {"aborts", false},   {"Abort", false},
      {"as", false},       {"waitfo", false},   {"xmemo", false},  {"yields", false},   {"zz", false},
  };
  texts_.ShowNumberAndArguments(kMsgReservedWord);
  std::string program;
  std::vector<std::string> expected;
  for (size_t i = 0; i < std::size(cases); ++i) {
    program += std::string("int ") + cases[i].name + ";\n";
    if (cases[i].reserved)
      expected.push_back(std::to_string(i + 1) + ":W|PROG.C|" + std::to_string(kMsgReservedWord) + " " +
                         cases[i].name);
  }
  Compile(program);
  std::vector<std::string> warned;
  for (const std::string &record : Records())
    warned.push_back(record.substr(record.find(':') + 1));
  EXPECT_EQ(warned, expected);
}

} // namespace
} // namespace tsw::testing
