// Cofunctions compiled by our compiler and run on the simulator through the
// library's stepping routines: a costate's waitfordone calls them once per
// turn, each step resumes the body where its last one left, and the value a
// body returns reaches the item's variable when it ends.
#include <gtest/gtest.h>

#include "marked_program.h"

namespace tsw::target {
namespace {

using testing::ExpectMarksAfterRun;
using testing::MarkedProgram;

// put(v) logs v from MARK(0) on; the loop runs the costate once per turn
// until the costate says it is through, and counts the turns.
constexpr const char *kLog = "int n;\nint turns;\nint through;\n"
                             "void put(int v) { MARK(n) = v; n++; }\n";
constexpr const char *kTurns = "  for (turns = 0; !through && turns < 20; turns++) {\n";

std::string Functions(const char *more) { return std::string(kLog) + more; }
std::string Main(const char *costate, int logged, const char *beforeTheCostate = "") {
  return std::string(kTurns) + beforeTheCostate + "    costate {\n" + costate + "      through = 1;\n    }\n  }\n" +
         fmt::format("  MARK({}) = turns;\n", logged);
}

struct CofunctionProgram {
  const char *what;
  std::string functions;
  std::string main;
  std::vector<uint16_t> marks;
};

TEST(CofunctionRun, StepsResumeAndTheValueReachesTheItem) {
  const CofunctionProgram programs[] = {
      // Three steps: each yield ends a turn of the costate; the third
      // returns, the item takes the value and the waitfordone its number.
      {"one cofunction, three steps",
       Functions("int r;\nint w;\n"
                 "cofunc int twice(int x) { put(x); yield; put(x + 1); yield; return x * 2; }\n"),
       Main("      w = waitfordone { r = twice(5); };\n      put(r);\n      put(w);\n", 4),
       {5, 6, 10, 1, 3}},
      // The arguments pass in the first round only, whose locals the later
      // steps keep; waitfor holds the body until the flag is set.
      {"waitfor in a cofunction, locals kept",
       Functions("int go;\nint r;\n"
                 "cofunc int sum(int a, int b) { int s; s = a + b; put(s); waitfor(go); return s + 1; }\n"),
       Main("      waitfordone { r = sum(30, 12); };\n      put(r);\n", 2, "    if (turns == 2) go = 1;\n"),
       {42, 43, 3}},
      // waitfordone ends with its last item: the quick one's value is
      // stored once, when it ends, while the slow one goes on.
      {"two items, both awaited",
       Functions("int a;\nint b;\nint w;\n"
                 "cofunc int slow(int x) { put(x); yield; put(x); yield; return x + 100; }\n"
                 "cofunc int quick(int x) { put(x); return x + 200; }\n"),
       Main("      w = waitfordone { a = slow(1); b = quick(2); };\n      put(a);\n      put(b);\n      put(w);\n",
            6),
       {1, 2, 1, 101, 202, 1, 3}},
      // waitforfirstdone ends with the first item to end, its number the
      // result; the other item's variable is left as it was.
      {"the first done ends the wait",
       Functions("int a;\nint b;\nint w;\n"
                 "cofunc int slow(int x) { put(x); yield; put(x); yield; return x + 100; }\n"
                 "cofunc int quick(int x) { put(x); yield; return x + 200; }\n"),
       Main("      w = waitforfirstdone { a = slow(1); b = quick(2); };\n      put(a);\n      put(b);\n"
            "      put(w);\n",
            6),
       {1, 2, 1, 0, 202, 2, 2}},
      // Without a variable to store into, the first item to end still
      // ends the wait.
      {"the first done ends the wait, no value stored",
       Functions("int w;\n"
                 "cofunc int slow(int x) { put(x); yield; put(x); yield; return x; }\n"
                 "cofunc int quick(int x) { put(x); yield; return x; }\n"),
       Main("      w = waitforfirstdone { slow(1); quick(2); };\n      put(w);\n", 4), {1, 2, 1, 2, 2}},
      // abort ends the cofunction and the wait, with minus the item's number.
      {"abort ends the wait",
       Functions("int a;\nint w;\n"
                 "cofunc int stop(int x) { put(x); yield; abort; put(99); return 1; }\n"),
       Main("      w = waitfordone { a = stop(7); };\n      put(a);\n      put(w);\n", 3),
       {7, 0, uint16_t(-1), 2}},
  };
  for (const CofunctionProgram &c : programs)
    ExpectMarksAfterRun(MarkedProgram{c.what, c.functions.c_str(), c.main.c_str(), c.marks});
}

// Two tasks call one single-user cofunction: the first call it serves
// runs to its end while the other waits for it, and then starts it over
// with its own argument.
constexpr const char *kSharedCallers =
    "int a;\nint b;\nint doneA;\nint doneB;\n"
    "scofunc int server(int x) { abandon { put(99); } put(x); yield; put(x + 1); return x * 10; }\n";
constexpr const char *kSharedLoop =
    "  for (turns = 0; !(doneA && doneB) && turns < 20; turns++) {\n"
    "    costate { if (!doneA) { waitfordone { a = server(1); }; put(a); doneA = 1; } }\n"
    "    costate { if (!doneB) { waitfordone { b = server(2); }; put(b); doneB = 1; } }\n"
    "%s"
    "  }\n"
    "  MARK(%d) = turns;\n";

TEST(CofunctionRun, ASingleUserCofunctionServesOneCallAtATime) {
  struct Case {
    const char *what;
    const char *more;
    const char *inTheLoop;
    int logged;
    std::vector<uint16_t> marks;
  };
  const Case cases[] = {
      {"the second caller waits for the first", "", "", 6, {1, 2, 10, 2, 3, 20, 3}},
      // The loop head gives the first caller up after its first step: the
      // abandon block runs and that caller starts over, still ahead of the
      // other, which waits on.
      {"the loop head gives the caller up",
       "void _loophead(void);\n",
       "    if (turns == 0) _loophead();\n",
       8,
       {1, 99, 1, 2, 10, 2, 3, 20, 4}},
  };
  for (const Case &c : cases) {
    const std::string functions = std::string(kLog) + kSharedCallers + c.more;
    char loop[512];
    std::snprintf(loop, sizeof loop, kSharedLoop, c.inTheLoop, c.logged);
    ExpectMarksAfterRun(MarkedProgram{c.what, functions.c_str(), loop, c.marks});
  }
}

} // namespace
} // namespace tsw::target
