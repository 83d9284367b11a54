#include "gui/dlgmemopt.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <string>

#include "dialog_fixture.h"
#include "platform/notify.h"
#include "shell_fakes.h"

namespace tsw::testing {
namespace {

TEST(ValueRange, AValueStandsOnItsStepInsideTheRangeAndShowsInItsFormat) {
  struct Case {
    const char *name;
    const ValueRange &range;
    uint16_t value;
    uint16_t shownValue;
    const char *text;
  };
  const Case cases[] = {
      {"off the grid falls to the step below", ranges::kUstk, 0x850, 0x800, "800h"},
      {"above the maximum", ranges::kAstk, 0x5000, 0x4000, "4000h"},
      {"below the minimum", ranges::kRomx, 0, 1, "1000h"},
      {"a page shows as its address", ranges::kRams, 0x40, 0x40, "40000h"},
      {"the top page", ranges::kRomx, 0xB, 0xB, "B000h"},
      {"no extra RAM", ranges::kRamg, 0, 0, "   0h"},
      {"extra RAM", ranges::kRamg, 0x8000, 0x8000, "8000h"},
      {"between the two RAM sizes", ranges::kRamg, 0x7FFF, 0, "   0h"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const uint16_t shown = c.range.ValueAt(c.range.PositionOf(c.value));
    EXPECT_EQ(shown, c.shownValue);
    EXPECT_EQ(c.range.Text(shown), c.text);
  }
  EXPECT_EQ(ranges::kUstk.PositionOf(0xFF00), 0) << "the top of the bar is the maximum";
  EXPECT_EQ(ranges::kUstk.PositionOf(0), ranges::kUstk.Positions());
}

class MemoryDialogs : public EnglishDialogSuite {
protected:
  void SetUp() override { plat::SetNotifier(&notifier); }
  void TearDown() override { plat::SetNotifier(nullptr); }

  static QString Shown(QDialog &d, uint32_t id) { return Get<QLabel>(d, id)->text(); }
  static void Arrow(QDialog &d, uint32_t bar, bool up) {
    Get<QScrollBar>(d, bar)->triggerAction(up ? QAbstractSlider::SliderSingleStepSub
                                              : QAbstractSlider::SliderSingleStepAdd);
  }

  InstalledTexts texts{{{16, "Tessel C"}, {5032, "The target cannot be reached."}, {813, " No port."}}};
  plat::RecordingNotifier notifier;
};

TEST_F(MemoryDialogs, TheRootMapShowsEachValueOnItsGridStepsByTheArrowsAndStoresOnOkOnly) {
  RootMapOptionValues values{.ustk = 0x850, .astk = 0xD0, .heap = 0x1000, .free = 0x8000};
  auto user = [](QDialog &d) {
    EXPECT_EQ(Shown(d, 101), "800h");
    EXPECT_EQ(Shown(d, 102), "D0h");
    EXPECT_EQ(Shown(d, 104), "8000h");
    Arrow(d, 106, true);
    EXPECT_EQ(Shown(d, 102), "E0h");
    Arrow(d, 107, false);
    EXPECT_EQ(Shown(d, 103), "F00h");
    Arrow(d, 108, true);
    EXPECT_EQ(Shown(d, 104), "8000h") << "nothing above the maximum";
  };
  const RootMapOptionValues before = values;
  WhenTheDialogIsUp([&](QDialog &d) {
    user(d);
    Get<QPushButton>(d, 2)->click();
  });
  EXPECT_FALSE(RunRootMapDialog(*module_, nullptr, values));
  EXPECT_EQ(values, before);
  WhenTheDialogIsUp([&](QDialog &d) {
    user(d);
    Get<QPushButton>(d, 1)->click();
  });
  EXPECT_TRUE(RunRootMapDialog(*module_, nullptr, values));
  EXPECT_EQ(values, (RootMapOptionValues{.ustk = 0x800, .astk = 0xE0, .heap = 0xF00, .free = 0x8000}));
}

TEST_F(MemoryDialogs, ReservedMemoryStoresBothValues) {
  ReservedMemoryOptionValues values{.logrs = 0x100, .logxs = 0xC000};
  WhenTheDialogIsUp([](QDialog &d) {
    EXPECT_EQ(Shown(d, 101), "100h");
    EXPECT_EQ(Shown(d, 102), "C000h");
    Arrow(d, 103, true);
    Arrow(d, 104, false);
    Get<QPushButton>(d, 1)->click();
  });
  EXPECT_TRUE(RunReservedMemoryDialog(*module_, nullptr, values));
  EXPECT_EQ(values, (ReservedMemoryOptionValues{.logrs = 0x200, .logxs = 0xBF00}));
}

TEST_F(MemoryDialogs, TheBoardsOwnRamLayoutLocksTheRamBarsAndTriesThePortFirst) {
  struct Case {
    const char *name;
    bool corvid, portOpens;
    int portTries;
    size_t boxes;
  };
  const Case cases[] = {
      {"the port opens", false, true, 1, 0},
      {"the port does not open: said, and locked all the same", false, false, 1, 1},
      {"a Corvid needs no port", true, false, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    notifier.boxes.clear();
    int tries = 0;
    MemoryMapServices services;
    services.assumeCorvidCpu = c.corvid;
    services.tryPort = [&] {
      ++tries;
      return c.portOpens;
    };
    MemoryMapOptionValues values{.romx = 2, .rome = 0x40, .rams = 0x80, .rame = 0x90, .ramg = 0, .ramcfg = 0};
    WhenTheDialogIsUp([&](QDialog &d) {
      EXPECT_EQ(Shown(d, 104), "40000h");
      EXPECT_EQ(Shown(d, 103), "80000h");
      EXPECT_EQ(Shown(d, 107), "2000h");
      for (uint32_t bar : {110u, 111u, 113u})
        EXPECT_TRUE(FindControl(d, bar)->isEnabled());
      EXPECT_EQ(tries, 0) << "no port while the layout is the user's";
      Get<QCheckBox>(d, 117)->click();
      for (uint32_t bar : {110u, 111u, 113u})
        EXPECT_FALSE(FindControl(d, bar)->isEnabled()) << bar;
      EXPECT_TRUE(FindControl(d, 109)->isEnabled()) << "the flash sizes stay the user's";
      Get<QCheckBox>(d, 117)->click();
      EXPECT_TRUE(FindControl(d, 110)->isEnabled());
      Get<QCheckBox>(d, 117)->click();
      Arrow(d, 112, true);
      Get<QPushButton>(d, 1)->click();
    });
    EXPECT_TRUE(RunMemoryMapDialog(*module_, nullptr, values, services));
    EXPECT_EQ(values, (MemoryMapOptionValues{.romx = 3, .rome = 0x40, .rams = 0x80, .rame = 0x90, .ramg = 0, .ramcfg = 1}));
    EXPECT_EQ(tries, 2 * c.portTries) << "tried each time the box was checked";
    ASSERT_EQ(notifier.boxes.size(), 2 * c.boxes);
    if (c.boxes) {
      EXPECT_EQ(notifier.boxes[0].text, "The target cannot be reached. No port.");
    }
  }
}

} // namespace
} // namespace tsw::testing
