#include "gui/watchlist.h"

#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/program_compile_fixture.h"
#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debug_fake_ui.h"
#include "debugger/debugengine.h"
#include "debugger/products/compiler_products.h"
#include "foundation/msgnumbers.h"
#include "foundation/mstimer.h"
#include "gui/common/model/tswwatch.h"
#include "gui/driverlink.h"
#include "platform/notify.h"
#include "platform/ticks.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Watches as the IDE compiles them: the product's compiler after a program
// compile, the debugger reading what that compile left, and a board whose
// kernel runs the fragments.
namespace tsw::testing {
namespace {

constexpr uint16_t kResultVariable = 0x2345; // the fake kernel table's result word
constexpr uint16_t kCodeVariable = DebugFakeBoard::Var(7);
constexpr uint16_t kRequest = DebugFakeBoard::Var(11);
constexpr uint8_t kLoadHlFromAddress = 0x2A;
constexpr uint8_t kTypeInt = 2;

constexpr const char *kProgram = "#memmap root\n"
                                 "int g;\n"
                                 "void ReturnWatchValue(void *result, ...) { }\n"
                                 "int main(void) { g = 1; return 0; }\n";

// The kernel runs a fragment when asked: of its code it knows only the
// load of an int global the statement hands on, which it answers as
// ReturnWatchValue would, from its memory.
class WatchRunningBoard : public DebugFakeBoard {
public:
  void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    DebugFakeBoard::WriteTargetMemory(count, address, bytes);
    const uint32_t at = Addr24ToPhysical(address);
    if (at <= kRequest && kRequest < at + count && Memory()[kRequest] == 1)
      RunFragment(Word(kCodeVariable));
  }
  std::vector<uint16_t> ran;

private:
  void RunFragment(uint16_t fragment) {
    ran.push_back(fragment);
    Memory()[kRequest] = 0;
    uint8_t code[3] = {};
    if (!ReadEmittedPhysical(fragment, sizeof code, code) || code[0] != kLoadHlFromAddress)
      return;
    const uint16_t value = Word(uint16_t(code[1] | code[2] << 8));
    Poke(kResultVariable, {2, kTypeInt, 0, 0, 0, 0, uint8_t(value), uint8_t(value >> 8), 0, 0});
  }
};

class CompiledWatches : public ProgramCompileTest {
protected:
  void SetUp() override {
    ProgramCompileTest::SetUp();
    ResetTimerModule();
    plat::SetTickSource(&clock);
    plat::SetNotifier(&notifier);
    ResetDebugEngine();
    // The kernel's variables as a connect reads them; the board has no BIOS
    // symbols to give this compiler.
    SetDebugSeams(&board, &connectProducts, &ui);
    TargetConnect();
    SetDebugSeams(&board, &products, &ui);
    ASSERT_EQ(Compile(kProgram), 0) << ::testing::PrintToString(Records());
    watches.SetServices(&ProductWatchServices());
  }
  void TearDown() override {
    watches.Clear();
    SetDebugSeams(nullptr, nullptr, nullptr);
    ResetDebugEngine();
    plat::SetNotifier(nullptr);
    plat::SetTickSource(nullptr);
    ResetTimerModule();
    ProgramCompileTest::TearDown();
  }
  static ADDR24 InMain() {
    const SymbolRecord *main = LookupSymbol("main", false, SymbolTableId::kGlobal);
    return Addr24Add(Addr24FromLong(main ? main->address : 0), 1);
  }
  static uint16_t AddressOf(const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }

  plat::FakeTickSource clock{1000};
  plat::RecordingNotifier notifier;
  WatchRunningBoard board;
  DebugFakeProducts connectProducts;
  CompilerProducts products;
  DebugFakeUi ui;
  cWatchList watches{cWatchList::kWatchKind};
};

TEST_F(CompiledWatches, AWatchOfAGlobalShowsItsValueFromTheBoard) {
  board.PokeWord(AddressOf("g"), 1234);
  watches.Insert(-1, "g");
  watches.CompileAll(InMain());
  EXPECT_TRUE(notifier.boxes.empty()) << notifier.boxes.front().text;
  ASSERT_TRUE(watches.At(0).compiled);
  EXPECT_EQ(watches.At(0).scope, 0);
  EXPECT_EQ(watches.FormatLine(0, InMain()), gui::FormatWatchLine("g", "int", "1234 (0x04D2)"));
  EXPECT_EQ(board.ran, std::vector<uint16_t>{watches.At(0).fragment});
}

TEST_F(CompiledWatches, AWatchThatDoesNotCompileShowsItsMessageAndNoValue) {
  watches.Insert(-1, "nosuch");
  watches.Insert(-1, "g");
  watches.CompileAll(InMain());
  ASSERT_EQ(notifier.boxes.size(), 1u);
  EXPECT_NE(notifier.boxes[0].text.find(fmt::format("[{}]", kMsgUndeclaredName)), std::string::npos)
      << notifier.boxes[0].text;
  EXPECT_FALSE(watches.At(0).compiled);
  EXPECT_EQ(watches.FormatLine(0, InMain()), gui::FormatWatchLine("nosuch", "????", "????"));
  // The failed one took no room: the next watch has the area's start.
  ASSERT_TRUE(watches.At(1).compiled);
  EXPECT_EQ(watches.At(1).fragment, watches.At(0).fragment);
  EXPECT_TRUE(board.ran.size() <= 1);
}

} // namespace
} // namespace tsw::testing
