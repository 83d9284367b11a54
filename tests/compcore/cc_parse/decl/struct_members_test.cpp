#include "foundation/msgnumbers.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Member declarations with their qualifiers, compiled as whole programs by
// the product: what a member's "const" refuses and what it lets through.
namespace tsw::testing {
namespace {

class StructMembers : public ProgramCompileTest {
protected:
  // The numbers of the messages the compile recorded, in order.
  std::vector<unsigned> MessageNumbers() {
    std::vector<unsigned> numbers;
    for (const std::string &record : Records()) {
      const size_t open = record.find('['), close = record.find(']', open);
      if (open != std::string::npos && close != std::string::npos)
        numbers.push_back(unsigned(std::stoul(record.substr(open + 1, close - open - 1))));
    }
    return numbers;
  }
};

TEST_F(StructMembers, AConstMemberIsReadButNeverStored) {
  struct Case {
    const char *statement;
    std::vector<unsigned> messages;
  };
  const Case cases[] = {
      {"r = s.y", {}},
      {"r = ps->y + s.z", {}},
      {"r = s.c", {}},
      {"s.z = 1", {}},
      {"s.y = 2", {kMsgNotModifiable}},
      {"s.y += 2", {kMsgNotModifiable}},
      {"s.y++", {kMsgNotModifiable}},
      {"--ps->y", {kMsgNotModifiable}},
      {"ps->w = 3", {kMsgNotModifiable}},
      {"s.c = 'a'", {kMsgNotModifiable}},
      // The pointer member is const, what it points at is not.
      {"*s.p = 4", {}},
      {"s.p = &r", {kMsgNotModifiable}},
  };
  // "const" before the type, after it, beside the sharing qualifiers and
  // with "volatile": each makes the member const, and only that member.
  const std::string declarations = "struct S {\n"
                                   "  const int y;\n"
                                   "  int z;\n"
                                   "  unsigned int const w;\n"
                                   "  shared const volatile char c;\n"
                                   "  int * const p;\n"
                                   "} s, *ps;\n"
                                   "int r;\n";
  for (const Case &c : cases) {
    Compile(declarations + "void f() { " + c.statement + "; }\n");
    EXPECT_EQ(MessageNumbers(), c.messages) << c.statement << ": " << ::testing::PrintToString(Records());
  }
}

TEST_F(StructMembers, QualifiersOfAMemberAreCheckedAsADeclarationsAre) {
  struct Case {
    const char *members;
    std::vector<unsigned> messages;
  };
  const Case cases[] = {
      {"const int const y;", {kMsgConstTwice}},
      {"const volatile int y; int z;", {}},
  };
  for (const Case &c : cases) {
    Compile(std::string("struct S { ") + c.members + " } s;\n");
    EXPECT_EQ(MessageNumbers(), c.messages) << c.members << ": " << ::testing::PrintToString(Records());
  }
  // A qualifier is no type: the member is reported by its name.
  Compile("struct S { const y; } s;\n");
  const std::vector<unsigned> numbers = MessageNumbers();
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), kMsgMemberWithoutType), numbers.end())
      << ::testing::PrintToString(Records());
}

} // namespace
} // namespace tsw::testing
