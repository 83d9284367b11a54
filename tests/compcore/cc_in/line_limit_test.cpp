#include "compcore/cc_in/cc_in.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace tsw::testing {
namespace {

class LogicalLineLimit : public ProgramCompileTest {};

// The longest logical line the compiler takes, in characters.
constexpr size_t kLongestLine = kMaxLineBytes / 2 - 2;

struct LimitCase {
  const char *what;
  size_t length;         // of the logical line on line 2
  size_t continuationAt; // 0: one physical line; else a backslash-newline after this many characters
  // The line of the character past the limit; 0: the line compiles, and
  // the compile goes on to the redeclaration on `lastLine`.
  uint16_t refusedAt;
  uint16_t lastLine;
};

// A line at the limit compiles; one character more ends the compile with the
// error where that character stands, however the line was made of physical
// lines.
TEST_F(LogicalLineLimit, OneCharacterPastTheLimitEndsTheCompileAtThatLine) {
  const LimitCase cases[] = {
      {"at the limit", kLongestLine, 0, 0, 4},
      {"one past", kLongestLine + 1, 0, 2, 0},
      {"at the limit, continued", kLongestLine, 20000, 0, 5},
      {"one past, continued", kLongestLine + 1, 20000, 3, 0},
      {"one past, continued before the last character", kLongestLine + 1, kLongestLine, 3, 0},
      {"past within one physical line, which goes on", kLongestLine + 2, kLongestLine + 1, 2, 0},
  };
  texts_.ShowNumberAndArguments(kMsgRedeclared);
  texts_.ShowNumberAndArguments(kMsgLineTooLong);
  for (const LimitCase &c : cases) {
    std::string line = "int " + std::string(c.length - 5, 'a') + ";";
    if (c.continuationAt)
      line.insert(c.continuationAt, "\\\n");
    Compile("int before;\n" + line + "\nint after;\nint after;\n");
    const std::string expected =
        c.refusedAt ? std::to_string(c.refusedAt) + ":E|PROG.C|" + std::to_string(kMsgLineTooLong)
                    : std::to_string(c.lastLine) + ":E|PROG.C|" + std::to_string(kMsgRedeclared) + " after";
    std::vector<std::string> records;
    for (const std::string &record : Records())
      records.push_back(record.substr(record.find(':') + 1));
    EXPECT_EQ(records, std::vector<std::string>{expected}) << c.what;
  }
}

} // namespace
} // namespace tsw::testing
