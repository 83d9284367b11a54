// The simulator kernel, run from reset the way a compiled program starts:
// the reset jump, then the jump the BIOS compile puts after the kernel's
// last code, then a start-up stub laid out as the compiler lays it out
// (start-up call, stack, the stores into the kernel's variables, main or
// premain, exit with 0).
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "runner/asm_convert.h"
#include "runner/routine_harness.h"
#include "runner/simulator.h"
#include "support/tempdir.h"

namespace tsw::target {
namespace {

using tsw::testing::TempDir;

std::string Converted(const std::string &file) {
  std::ifstream in(std::filesystem::path(TSW_Z180_LIBRARY) / file, std::ios::binary);
  ConvertedAsm converted = ConvertLibraryAsm(std::string(std::istreambuf_iterator<char>(in), {}));
  for (const std::string &problem : converted.problems)
    ADD_FAILURE() << file << " " << problem;
  return converted.text;
}

// The start-up stub of a program, as the compiler builds it for the Z180
// (the memory-map values are placeholders the kernel does not read).
std::string StartupStub(bool globalInit) {
  return std::string("\tjp stub\n"
                     "stub:\n"
                     "\tld a,#0xE0\n\tld i,a\n"
                     "\tld hl,#0\n\tpush hl\n\tex de,hl\n\tld hl,#0x1000\n\tpush hl\n\tld b,#0\n\tld c,#0xE0\n"
                     "\tcall _startup\n"
                     "\tld sp,#0xE000\n\tei\n"
                     "\tld hl,#0xDF00\n\tld (AUX_STACK_PTR),hl\n\tld hl,#-0xDE00\n\tld (AUX_STACK_LIMIT),hl\n"
                     "\tld hl,#-0xD000\n\tld (STACK_LIMIT),hl\n\tld hl,#0\n\tld (RST28SWT),hl\n"
                     "\tld hl,#RST28SWT_OFF\n\tld (hl),#0\n"
                     "\tld hl,#0x1234\n\tpush hl\n") +
         (globalInit ? "\tcall premain\n" : "\tcall main\n") + "\tld hl,#0\n\tpush hl\n\tcall exit\n";
}

// Words a program records for the test in its "_seen" block.
constexpr uint32_t kSeenWords = 13;

struct KernelRun {
  SimulatorRun run;
  AsmProgram program;
};

KernelRun RunKernel(const std::string &programAsm, bool globalInit, const TempDir &dir) {
  std::string source = "\t.hd64\n\t.area _HEADER (ABS)\n\t.org 0\n" + Converted("SIMBIOS.C") +
                       StartupStub(globalInit) + programAsm + Converted("RUNTIME.LIB");
  KernelRun result;
  result.program = AssembleProgram(source, dir.path());
  if (!result.program.ok)
    return result;
  SimulatorRequest request;
  request.hexImage = result.program.hexImage;
  // From address 3 on: the simulator shows the bytes at its reset label as
  // instructions, not as a dump.
  request.dumps.push_back({3, 0x100});
  if (auto exitCode = SymbolAddress(result.program.symbols, "exit_code"))
    request.dumps.push_back({*exitCode, 2});
  for (const char *name : {"marks", "bound_index"})
    if (auto address = SymbolAddress(result.program.symbols, name))
      request.dumps.push_back({*address, 2});
  if (auto address = SymbolAddress(result.program.symbols, "seen"))
    request.dumps.push_back({*address, kSeenWords * 2});
  result.run = RunOnSimulator(request);
  return result;
}

uint16_t WordAt(const KernelRun &k, std::string_view symbol) {
  auto address = SymbolAddress(k.program.symbols, symbol);
  if (!address)
    return 0xDEAD;
  auto bytes = k.run.Read(*address, 2);
  return bytes ? uint16_t((*bytes)[0] | (*bytes)[1] << 8) : 0xDEAD;
}

TEST(Z180KernelTest, ExitStoresTheExitCodeAndHalts) {
  struct Case {
    const char *what;
    const char *main; // assembly of main and what it needs
    bool globalInit;
    uint16_t exitCode;
    uint16_t marks; // what the program recorded on its way
  };
  const Case cases[] = {
      {"main calls exit", "main::\n\tld hl,#7\n\tpush hl\n\tcall exit\n\tld hl,#1\n\tld (_marks),hl\n\tret\n", false, 7, 0},
      {"main returns", "main::\n\tld hl,#0x0505\n\tld (_marks),hl\n\tret\n", false, 0, 0x0505},
      {"exit with -1", "main::\n\tld hl,#0xFFFF\n\tpush hl\n\tcall exit\n", false, 0xFFFF, 0},
      // premain runs the global initialisation before main.
      // The failed run-time checks end the program with their own codes.
      {"bound check", "main::\n\tcall bound_e\n\tld hl,#1\n\tld (_marks),hl\n\tret\n", false, 0xFFFE, 0},
      {"index check", "main::\n\tld hl,#17\n\tcall abound_e\n\tld hl,#1\n\tld (_marks),hl\n\tret\n", false,
       0xFFFD, 0},
      {"premain", "_GLOBAL_INIT::\n\tld hl,#0x0100\n\tld (_marks),hl\n\tret\n"
                  "main::\n\tld hl,(_marks)\n\tinc hl\n\tld (_marks),hl\n\tpush hl\n\tcall exit\n",
       true, 0x0101, 0x0101},
  };
  for (const Case &c : cases) {
    TempDir dir;
    std::string program = std::string(c.main) + "_marks::\n\t.dw 0\n";
    // Without global initialisation the chain is never called: it would
    // leave its mark.
    if (!c.globalInit)
      program += "_GLOBAL_INIT::\n\tld hl,#0x0BAD\n\tld (_marks),hl\n\tret\n";
    KernelRun k = RunKernel(program, c.globalInit, dir);
    ASSERT_TRUE(k.program.ok) << c.what << ": " << k.program.log;
    ASSERT_EQ(k.run.stop, SimStop::Halted) << c.what << ": " << k.run.log;
    EXPECT_EQ(WordAt(k, "exit_code"), c.exitCode) << c.what;
    EXPECT_EQ(WordAt(k, "marks"), c.marks) << c.what;
    if (c.exitCode == 0xFFFD) {
      EXPECT_EQ(WordAt(k, "bound_index"), 17) << c.what;
    }
  }
}

// A call through a root bouncer (rst 30h, the page, the function's
// address) reaches the function with the caller's registers, and the
// function finds its caller's page, then its caller's return address, then
// the arguments on its stack; what it returns in the registers reaches the
// caller, whose stack is as before the call. The program installs the jump
// to the library's bank switch at the kernel's vector, as a start-up stub
// does when the program has a root bouncer.
TEST(Z180KernelTest, TheBankSwitchCarriesRegistersBothWaysAndLeavesOneWordBetween) {
  const std::string program =
      "main::\n"
      "\tld a,#0xC3\n\tld (vrst30),a\n\tld hl,#_b_all\n\tld (vrst30+1),hl\n"
      "\tld (_seen+24),sp\n"
      "\tld hl,#0x1234\n\tpush hl\n"
      "\tld hl,#0x1111\n\tld de,#0x2222\n\tld bc,#0x3333\n\tld a,#0x44\n"
      "\tcall bouncer\n"
      "_after_call::\n"
      "\tld (_seen+14),hl\n\tld (_seen+16),de\n\tld (_seen+18),bc\n\tld (_seen+20),a\n"
      "\tpop hl\n\tld (_seen+22),sp\n\tret\n"
      "bouncer:\n\trst 0x30\n\t.db 0\n\t.dw far_function\n"
      "far_function:\n"
      "\tld (_seen+0),hl\n\tld (_seen+2),de\n\tld (_seen+4),bc\n\tld (_seen+6),a\n"
      "\tld hl,#2\n\tadd hl,sp\n\tld de,#_seen+8\n\tld bc,#6\n\tldir\n"
      "\tld hl,#0x5555\n\tld de,#0x6666\n\tld bc,#0x7777\n\tld a,#0x88\n\tret\n"
      "_marks::\n\t.dw 0\n_GLOBAL_INIT::\n\tret\n_seen::\n\t.ds 26\n";
  TempDir dir;
  KernelRun k = RunKernel(program, false, dir);
  ASSERT_TRUE(k.program.ok) << k.program.log;
  ASSERT_EQ(k.run.stop, SimStop::Halted) << k.run.log;
  auto seen = SymbolAddress(k.program.symbols, "seen");
  auto afterCall = SymbolAddress(k.program.symbols, "after_call");
  ASSERT_TRUE(seen && afterCall);
  auto bytes = k.run.Read(*seen, kSeenWords * 2);
  ASSERT_TRUE(bytes);
  auto word = [&](size_t i) { return uint16_t((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8); };
  const struct {
    const char *what;
    size_t index;
    uint16_t expected;
  } words[] = {
      {"HL in the function", 0, 0x1111},
      {"DE in the function", 1, 0x2222},
      {"BC in the function", 2, 0x3333},
      {"the caller's return address", 5, uint16_t(*afterCall)},
      {"the argument", 6, 0x1234},
      {"HL back in the caller", 7, 0x5555},
      {"DE back in the caller", 8, 0x6666},
      {"BC back in the caller", 9, 0x7777},
      {"the caller's stack pointer after the call", 11, word(12)},
  };
  for (const auto &w : words)
    EXPECT_EQ(word(w.index), w.expected) << w.what;
  EXPECT_EQ(word(4) >> 8, 0) << "the caller's page in the word's high byte (the simulator's CBR reads 0)";
  EXPECT_EQ(word(3) & 0xFF, 0x44) << "A in the function";
  EXPECT_EQ(word(10) & 0xFF, 0x88) << "A back in the caller";
}

// The word at address 3 leads to the kernel's signature, where the IDE
// looks for it.
TEST(Z180KernelTest, AddressThreeLeadsToTheKernelSignature) {
  TempDir dir;
  KernelRun k = RunKernel("main::\n\tret\n_marks::\n\t.dw 0\n_GLOBAL_INIT::\n\tret\n", false, dir);
  ASSERT_TRUE(k.program.ok) << k.program.log;
  auto pointer = k.run.Read(3, 2);
  ASSERT_TRUE(pointer);
  uint16_t directory = uint16_t((*pointer)[0] | (*pointer)[1] << 8);
  ASSERT_LT(directory, 0x100 - 7);
  auto signature = k.run.Read(directory, 7);
  ASSERT_TRUE(signature);
  EXPECT_EQ(std::string(signature->begin(), signature->end()), "TesselC");
}

} // namespace
} // namespace tsw::target
