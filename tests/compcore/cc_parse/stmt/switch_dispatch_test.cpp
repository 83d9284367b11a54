#include "compcore/statement_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A switch hands its case table to the dispatch routine, which reads it
// behind its own return address: compiled by the product on the Corvid
// without bouncers and decoded, the table follows the call directly
// whether the routine stands before the switch or is placed after it.
namespace tsw::testing {
namespace {

using SwitchDispatchCompile = StatementCompileTest;

constexpr const char *kSwitch = "void f(int n) { switch (n) { case 1: g = 10; break; case 2: g = 20; break; } }\n";
constexpr const char *kDispatchRoutine = "#asm\n_switch::\n ret\n#endasm\n";

TEST_F(SwitchDispatchCompile, TheTableFollowsTheCallOfTheDispatchRoutine) {
  // The body up to the dispatch; {d} is the routine's address, {t} the
  // table's first target.
  const std::vector<std::string> body = {"ld    hl,(sp+2)", "jp    {a}",     "ld    hl,000A",   "ld    (3FFE),hl",
                                         "jp    {e}",       "ld    hl,0014", "ld    (3FFE),hl", "jp    {e}",
                                         "jp    {e}",       "ld    bc,0002", "call  {d}"};
  struct Case {
    const char *what;
    std::string program;
    uint16_t function; // where f starts
    uint16_t routine;
  };
  const Case cases[] = {
      {"the routine placed after the switch", std::string("int g;\n") + kSwitch + kDispatchRoutine, 0x1000, 0x102E},
      {"the routine placed before", std::string("int g;\n") + kDispatchRoutine + kSwitch, 0x1001, 0x1000},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(CompileAlone("#nodebug\n" + c.program), 0) << c.what << ": " << ::testing::PrintToString(Records());
    const uint16_t f = c.function;
    auto at = [&](uint16_t offset) { return fmt::format("{:04X}", f + offset); };
    std::vector<std::string> listing;
    for (const std::string &line : body)
      listing.push_back(fmt::format(fmt::runtime(line), fmt::arg("a", at(0x1A)), fmt::arg("e", at(0x2D)),
                                    fmt::arg("d", fmt::format("{:04X}", c.routine))));
    // value 1 to the first case, value 2 to the second, page 0 each.
    for (const uint16_t word : {0x0001, f + 0x05, 0x0002, f + 0x0E}) {
      listing.push_back(fmt::format("db {:02X}", word & 0xFF));
      listing.push_back(fmt::format("db {:02X}", word >> 8));
      if (word == f + 0x05 || word == f + 0x0E)
        listing.push_back("db 00");
    }
    listing.push_back(fmt::format("jp    {}", at(0x2D)));
    listing.push_back("ret");
    std::vector<uint8_t> image = Image();
    const size_t start = f - 0x1000;
    std::vector<uint8_t> function(image.begin() + long(start), image.begin() + long(start) + 0x2E);
    EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, function, listing, {{0x20, 10}}, f)) << c.what;
  }
}

} // namespace
} // namespace tsw::testing
