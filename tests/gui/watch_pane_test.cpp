#include "gui/watchlist.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "debugger/debug_fake_board.h"
#include "debugger/debug_fake_products.h"
#include "debugger/debug_fake_ui.h"
#include "debugger/debugengine.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "gui/debuginfo.h"
#include "gui/debugpanes.h"
#include "pane_fixture.h"
#include "platform/notify.h"
#include "qt_fixture.h"
#include "shell_fakes.h"

namespace tsw::testing {
namespace {

constexpr ADDR24 kMainStart = MakeAddr24(0, 0x4000);
constexpr ADDR24 kOtherStart = MakeAddr24(0, 0x4200);
constexpr ADDR24 kInMain = MakeAddr24(0, 0x4010);
constexpr ADDR24 kInOther = MakeAddr24(0, 0x4210);
constexpr ADDR24 kNowhere = MakeAddr24(0, 0x0100);
constexpr uint16_t kWatchArea = 0x3E00;
// Each fake fragment takes this many bytes of the watch code area.
constexpr uint16_t kFragmentSize = 0x10;

gui::WatchResultBytes Record(uint8_t size, uint8_t type, uint32_t declarator, uint32_t value) {
  gui::WatchResultBytes b{};
  b[0] = size;
  b[1] = type;
  for (int i = 0; i < 4; ++i) {
    b[2 + i] = uint8_t(declarator >> (8 * i));
    b[6 + i] = uint8_t(value >> (8 * i));
  }
  return b;
}

// A compiler that knows two functions, main and another, and a board whose
// fragments give the records the test puts in: a watch's record is chosen
// by its expression.
class FakeWatchServices : public WatchServices {
public:
  std::optional<Scope> FunctionAt(ADDR24 pc) override {
    const uint16_t at = Addr24Logical(pc);
    if (at >= 0x4000 && at < 0x4200)
      return Scope{kMainStart, kOtherStart};
    if (at >= 0x4200 && at < 0x4400)
      return Scope{kOtherStart, MakeAddr24(0, 0x4400)};
    return std::nullopt;
  }
  std::optional<Scope> MainFunction() override {
    if (!hasMain)
      return std::nullopt;
    return Scope{kMainStart, kOtherStart};
  }
  uint16_t WatchCodeAddress() override { return area; }
  void SetWatchCodeAddress(uint16_t address) override { area = address; }
  ADDR24 WatchResultVariable() override { return MakeAddr24(0x12, 0x2345); }
  uint16_t CompileWatchStatement(const std::string &statement, const Scope &scope) override {
    statements.push_back(statement);
    scopes.push_back(Addr24Logical(scope.functionStart));
    const std::string expression = statement.substr(statement.find(", ") + 2, statement.size() - statement.find(", ") - 4);
    if (failing.count(expression))
      return 0;
    fragments[area] = expression;
    area = uint16_t(area + kFragmentSize);
    return locals.count(expression) ? 2 : 1;
  }
  bool UsesTcp() override { return tcp; }
  uint8_t Evaluate(uint16_t fragment, gui::WatchResultBytes &record) override {
    evaluated.push_back(fragment);
    if (busy)
      return 3;
    record = records[fragments.at(fragment)];
    return 0;
  }
  std::string ReadText(uint16_t address) override { return fmt::format("text at {:04X}", address); }
  std::string StructTag(uint8_t) override { return "point"; }
  void ShowMessage(unsigned message) override { shown.push_back(message); }
  uint32_t CompileCount() override { return compiles; }

  bool hasMain = true, busy = false, tcp = false;
  uint16_t area = kWatchArea;
  uint32_t compiles = 1;
  std::set<std::string> failing, locals;
  std::map<std::string, gui::WatchResultBytes> records;
  std::map<uint16_t, std::string> fragments; // what each fragment was compiled from
  std::vector<std::string> statements;
  std::vector<uint16_t> scopes;
  std::vector<uint16_t> evaluated;
  std::vector<unsigned> shown;
};

class WatchList : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageTexts(&texts);
    plat::SetNotifier(&notifier);
    watches.SetServices(&services);
  }
  void TearDown() override {
    plat::SetNotifier(nullptr);
    SetMessageTexts(nullptr);
  }
  std::string Value(size_t index, ADDR24 pc) { return watches.FormatLine(index, pc).substr(48); }
  std::string Type(size_t index, ADDR24 pc) { return watches.FormatLine(index, pc).substr(31, 16); }

  InstalledTexts texts{{{kMsgWatchNotAvailable, "<not available>"},
                        {kMsgWatchTargetBusy, "<target busy>"},
                        {kMsgNoWatchScope, "No function to evaluate the watch in."},
                        {kMsgWatchDoesNotCompile, "The watch expression does not compile."}}};
  plat::RecordingNotifier notifier;
  FakeWatchServices services;
  cWatchList watches{cWatchList::kWatchKind};
};

std::string Padded(const std::string &text, size_t width) { return text + std::string(width - text.size(), ' '); }

TEST_F(WatchList, AWatchCompilesInTheFunctionOfThePcAndShowsItsValue) {
  services.records["i"] = Record(2, 2, 0, 0xFFFF);
  watches.Insert(-1, "i");
  watches.CompileAll(kInOther);
  ASSERT_EQ(services.statements, (std::vector<std::string>{"ReturnWatchValue((void *)0x00122345, i);"}));
  EXPECT_EQ(services.scopes, (std::vector<uint16_t>{0x4200}));
  EXPECT_EQ(watches.FormatLine(0, kInOther),
            Padded("i", 30) + " " + Padded("int", 16) + " " + Padded("-1 (0xFFFF)", 29));
  EXPECT_EQ(services.evaluated, (std::vector<uint16_t>{kWatchArea}));
}

TEST_F(WatchList, ScopeAndCompileFailuresAsTheUserSeesThem) {
  struct Case {
    const char *what;
    ADDR24 pc;
    bool hasMain;
    bool failing;
    bool local;
    std::vector<uint16_t> scopes;      // where it compiled
    std::vector<std::string> boxes;    // reported
    std::vector<unsigned> shown;       // the services' own boxes
    std::string value;                 // at the pc
  };
  const Case cases[] = {
      {"in a function", kInOther, true, false, false, {0x4200}, {}, {}, "5 (0x0005)"},
      {"no function: main stands in", kNowhere, true, false, false, {0x4000}, {}, {}, "5 (0x0005)"},
      {"main stands in for locals: told", kNowhere, true, false, true, {0x4000}, {}, {kMsgWatchScopeIsMain}, "????"},
      {"no function, no main", kNowhere, false, false, false, {}, {"No function to evaluate the watch in."}, {}, "????"},
      {"does not compile", kInMain, true, true, false, {0x4000}, {"The watch expression does not compile."}, {}, "????"},
  };
  for (const Case &c : cases) {
    FakeWatchServices fresh;
    fresh.hasMain = c.hasMain;
    if (c.failing)
      fresh.failing.insert("n");
    if (c.local)
      fresh.locals.insert("n");
    fresh.records["n"] = Record(2, 2, 0, 5);
    cWatchList list(cWatchList::kWatchKind);
    list.SetServices(&fresh);
    notifier.boxes.clear();
    list.Insert(-1, "n");
    list.CompileAll(c.pc);
    EXPECT_EQ(fresh.scopes, c.scopes) << c.what;
    std::vector<std::string> boxes;
    for (const auto &box : notifier.boxes)
      boxes.push_back(box.text);
    EXPECT_EQ(boxes, c.boxes) << c.what;
    EXPECT_EQ(fresh.shown, c.shown) << c.what;
    EXPECT_EQ(list.FormatLine(0, c.pc).substr(48, c.value.size()), c.value) << c.what;
    list.SetServices(nullptr);
  }
}

TEST_F(WatchList, AWatchOfLocalsShowsNoValueInAnotherFunction) {
  services.locals.insert("count");
  services.records["count"] = Record(2, 3, 0, 7);
  watches.Insert(-1, "count");
  watches.CompileAll(kInMain);
  EXPECT_EQ(Value(0, kInMain), Padded("7 (0x0007)", 29));
  EXPECT_EQ(Value(0, kInOther), Padded("????", 29));
  EXPECT_EQ(Value(0, kInMain), Padded("7 (0x0007)", 29));
  // Not evaluated where it cannot be.
  EXPECT_EQ(services.evaluated.size(), 2u);
}

TEST_F(WatchList, ABusyKernelAndAnUncompiledWatchSayWhy) {
  services.records["i"] = Record(2, 2, 0, 1);
  watches.Insert(-1, "i");
  EXPECT_EQ(Value(0, kInMain), Padded("????", 29)) << "not compiled yet";
  watches.CompileAll(kInMain);
  services.busy = true;
  EXPECT_EQ(Value(0, kInMain), Padded("<target busy>", 29));
  EXPECT_EQ(Type(0, kInMain), Padded("????", 16)) << "no value has given the type yet";
  services.busy = false;
  EXPECT_EQ(Type(0, kInMain), Padded("int", 16));
}

TEST_F(WatchList, CharPointersStructuresAndTheirTypes) {
  services.records["s"] = Record(2, 1, 2, 0x2100);
  services.records["pt"] = Record(6, 16, 0, 0);
  services.records["ppt"] = Record(2, 16, 2, 0x2200);
  for (const char *text : {"s", "pt", "ppt"})
    watches.Insert(-1, text);
  watches.CompileAll(kInMain);
  EXPECT_EQ(Type(0, kInMain), Padded("char *", 16));
  EXPECT_EQ(Value(0, kInMain), Padded("(0x2100) \"text at 2100\"", 29));
  EXPECT_EQ(Type(1, kInMain), Padded("struct point", 16));
  EXPECT_EQ(Value(1, kInMain), Padded("", 29));
  EXPECT_EQ(Type(2, kInMain), Padded("struct point *", 16));
  EXPECT_EQ(Value(2, kInMain), Padded("0x2200", 29));
}

TEST_F(WatchList, FreeingAFragmentCompilesTheWatchesBehindItAgain) {
  for (const char *text : {"a", "b", "c"}) {
    services.records[text] = Record(2, 2, 0, uint32_t(text[0]));
    watches.Insert(-1, text);
  }
  watches.CompileAll(kInMain);
  ASSERT_EQ(services.area, kWatchArea + 3 * kFragmentSize);
  // The dialog deletes the first watch: the area goes back to its start.
  watches.Remove(0);
  EXPECT_EQ(services.area, kWatchArea);
  EXPECT_FALSE(watches.IsCompiled());
  watches.Insert(-1, "d");
  services.records["d"] = Record(2, 2, 0, 'd');
  watches.CompileAll(kInMain);
  // Every watch has a fragment of its own that holds its own statement.
  std::set<uint16_t> seen;
  for (size_t i = 0; i < watches.Count(); ++i) {
    const cWatchList::cWatch &w = watches.At(i);
    ASSERT_TRUE(w.compiled) << w.expression;
    EXPECT_TRUE(seen.insert(w.fragment).second) << w.expression;
    EXPECT_EQ(services.fragments.at(w.fragment), w.expression);
    EXPECT_EQ(Value(i, kInMain), Padded(fmt::format("{} (0x{:04X})", int(w.expression[0]), int(w.expression[0])), 29));
  }
  // Clearing gives the whole area back.
  watches.Clear();
  EXPECT_EQ(services.area, kWatchArea);
}

TEST_F(WatchList, ATcpBoardsBlockPairsWithTheWatchesInOrder) {
  services.tcp = true;
  for (const char *text : {"s", "n", "unpaired"})
    watches.Insert(-1, text);
  watches.CompileAll(kInMain);
  std::vector<uint8_t> block;
  auto add = [&](const gui::WatchResultBytes &record, const std::string &text) {
    block.insert(block.end(), record.begin(), record.end());
    std::string padded = text;
    padded.resize(16, '\0');
    block.insert(block.end(), padded.begin(), padded.end());
  };
  add(Record(2, 1, 2, 0x2100), "from the board");
  add(Record(2, 2, 0, 42), "");
  watches.StoreTargetValues(2, block.data(), block.size());
  EXPECT_EQ(Value(0, kInMain), Padded("(0x2100) \"from the board\"", 29));
  EXPECT_EQ(Value(1, kInMain), Padded("42 (0x002A)", 29));
  EXPECT_TRUE(services.evaluated.empty()) << "over TCP/IP nothing is evaluated one by one";
  // A count larger than the block holds takes only the entries there.
  watches.StoreTargetValues(40, block.data(), block.size());
  EXPECT_EQ(Value(2, kInMain), Padded("????", 29));
}

TEST_F(WatchList, HistoryEntriesAreOnlyText) {
  cWatchList history(cWatchList::kHistoryKind);
  history.SetServices(&services);
  history.Insert(-1, "typed");
  history.CompileAll(kInMain);
  EXPECT_TRUE(services.statements.empty());
  EXPECT_EQ(history.GetExpression(0), "typed");
  EXPECT_EQ(history.GetExpression(5), "");
}

// The pane over the engine: the place of the program counter, then the
// watches, as the engine hands it each stop.
class WatchPane : public QtSuiteOver<WatchList> {
protected:
  void SetUp() override {
    QtSuiteOver<WatchList>::SetUp();
    SetDebugSeams(&board, &products, &ui);
    products.AddStatement(kInMain, "main.c", 3, 1);
  }
  void TearDown() override {
    SetDebugSeams(nullptr, nullptr, nullptr);
    QtSuiteOver<WatchList>::TearDown();
  }
  DebugFakeBoard board;
  DebugFakeProducts products;
  DebugFakeUi ui;
  RecordingPaneHost host;
};

TEST_F(WatchPane, EachStopAddsThePlaceAndAtMostAHundredWatches) {
  const std::vector<std::string> place = PcLocationLines(kInMain, products.FindSourceForAddress(kInMain));
  ASSERT_FALSE(place.empty());
  struct Case {
    int watches;
    size_t rows;         // the ring holds 100
    std::string first;   // the oldest row kept
    std::string last;
  };
  const Case cases[] = {
      {3, place.size() + 3, place.front(), "w2 "},
      // A hundred lines at most; the ring of a hundred rows keeps them all.
      {120, 100, "w0 ", "w99 "},
  };
  for (const Case &c : cases) {
    cDebugInfo info;
    for (int i = 0; i < c.watches; ++i) {
      const std::string text = fmt::format("w{}", i);
      services.records[text] = Record(2, 2, 0, uint32_t(i));
      info.Watches().Insert(-1, text);
    }
    services.statements.clear();
    cWatchPane pane(host, [&] { return &info; }, services, kInMain);
    EXPECT_EQ(services.statements.size(), size_t(c.watches)) << "the pane compiles the program's watches at once";
    pane.ShowValues(kInMain);
    const std::vector<std::string> lines = pane.Lines();
    ASSERT_EQ(lines.size(), c.rows) << c.watches;
    EXPECT_EQ(lines.front().substr(0, c.first.size()), c.first) << c.watches;
    EXPECT_EQ(lines.back().substr(0, c.last.size()), c.last) << c.watches;
    EXPECT_LE(lines.back().size(), kWatchPaneWidth);
    services.area = kWatchArea;
  }
}

TEST_F(WatchPane, ANewCompileCompilesTheWatchesAgainAndClearEmptiesTheLists) {
  cDebugInfo info;
  info.Watches().Insert(-1, "i");
  info.History().Insert(-1, "typed");
  services.records["i"] = Record(2, 2, 0, 1);
  cWatchPane pane(host, [&] { return &info; }, services, kInMain);
  ASSERT_EQ(services.statements.size(), 1u);
  pane.ShowValues(kInMain);
  EXPECT_EQ(services.statements.size(), 1u) << "compiled once while no compile intervened";
  ++services.compiles;
  services.area = kWatchArea;
  pane.ShowValues(kInMain);
  EXPECT_EQ(services.statements.size(), 2u);
  pane.Clear();
  EXPECT_EQ(info.Watches().Count(), 0u);
  EXPECT_EQ(info.History().Count(), 0u);
  EXPECT_TRUE(pane.Lines().empty());
}

TEST_F(WatchPane, AnExpressionEvaluatedOnceLeavesALineAndNoWatch) {
  cDebugInfo info;
  info.Watches().Insert(-1, "kept");
  services.records["kept"] = Record(2, 2, 0, 1);
  services.records["x * 2"] = Record(2, 2, 0, 84);
  cWatchPane pane(host, [&] { return &info; }, services, kInMain);
  const uint16_t areaAfterWatches = services.area;
  const size_t rows = pane.Lines().size();
  pane.EvaluateOnce("x * 2", kInMain);
  ASSERT_EQ(pane.Lines().size(), rows + 1);
  EXPECT_EQ(pane.Lines().back(), Padded("x * 2", 30) + " " + Padded("int", 16) + " " + Padded("84 (0x0054)", 29));
  EXPECT_EQ(services.area, areaAfterWatches) << "its fragment is given back";
  EXPECT_EQ(info.Watches().Expressions(), std::vector<std::string>{"kept"});
  EXPECT_TRUE(info.Watches().At(0).compiled) << "the watches before it keep their fragments";
}

} // namespace
} // namespace tsw::testing
