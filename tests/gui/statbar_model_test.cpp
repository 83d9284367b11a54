#include "gui/statbar_model.h"

#include <gtest/gtest.h>

#include "shell_fakes.h"

namespace tsw {
namespace {

// Eight pixels a character, twelve high.
class FixedMeasurer : public TextMeasurer {
public:
  Size Extent(const std::string &text) const override { return {int(text.size()) * 8, 12}; }
};

StatusTexts EnglishLikeTexts() {
  StatusTexts t;
  t.lineFormat = "Line %d";
  t.columnFormat = "Col %d";
  t.modified = "Modified";
  t.insert = "INS";
  t.overwrite = "OVR";
  t.mode = {"Edit", "Stopped", "Running", "Running (no poll)"};
  t.priorityOff = "Interrupts off";
  t.priorityOn = "Interrupts on";
  return t;
}

class StatusBar : public ::testing::Test {
protected:
  StatusBarModel Enabled() {
    StatusBarModel bar(measurer, EnglishLikeTexts(), 1000);
    bar.EnableTexts();
    return bar;
  }
  FixedMeasurer measurer;
};

TEST_F(StatusBar, FieldsStandSideBySideSizedToTheirWidestText) {
  StatusBarModel bar(measurer, EnglishLikeTexts(), 1000);
  struct Case {
    StatusField field;
    int x, width;
  };
  const Case cases[] = {
      {StatusField::Message, 0, 18 * 8 + 16},    {StatusField::Line, 160, 10 * 8 + 16},
      {StatusField::Column, 256, 9 * 8 + 16},    {StatusField::Modified, 344, 8 * 8 + 16},
      {StatusField::Insert, 424, 3 * 8 + 16},    {StatusField::Mode, 464, 17 * 8 + 16},
      {StatusField::Priority, 616, 14 * 8 + 16}, {StatusField::Filler, 744, 1000 - 744},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.field));
    EXPECT_EQ(bar.Box(c.field).x, c.x);
    EXPECT_EQ(bar.Box(c.field).width, c.width);
  }
  EXPECT_EQ(bar.Height(), 22);
}

TEST_F(StatusBar, TextsBeforeTheEndOfStartUpAreNotKept) {
  StatusBarModel bar(measurer, EnglishLikeTexts(), 1000);
  bar.SetModified(true);
  bar.SetModeText(1);
  bar.ShowMessage("a message far too long for the message field to hold");
  bar.EnableTexts();
  EXPECT_EQ(bar.Text(StatusField::Modified), "");
  EXPECT_EQ(bar.Text(StatusField::Mode), "");
  EXPECT_FALSE(bar.Overlay());
}

TEST_F(StatusBar, Setters) {
  struct Case {
    const char *name;
    void (*set)(StatusBarModel &);
    StatusField field;
    const char *expected;
  };
  const Case cases[] = {
      {"line", [](StatusBarModel &b) { b.SetLineColumn((41u << 16) | 7); }, StatusField::Line, "Line 41"},
      {"column", [](StatusBarModel &b) { b.SetLineColumn((41u << 16) | 7); }, StatusField::Column, "Col 7"},
      {"negative line empties the line",
       [](StatusBarModel &b) {
         b.SetLineColumn(1u << 16);
         b.SetLineColumn(0xFFFFFFFF);
       },
       StatusField::Line, ""},
      {"negative line empties the column",
       [](StatusBarModel &b) {
         b.SetLineColumn(1u << 16);
         b.SetLineColumn(0x80000005);
       },
       StatusField::Column, ""},
      {"modified", [](StatusBarModel &b) { b.SetModified(true); }, StatusField::Modified, "Modified"},
      {"saved", [](StatusBarModel &b) { b.SetModified(false); }, StatusField::Modified, ""},
      {"insert", [](StatusBarModel &b) { b.SetInsertMode(true); }, StatusField::Insert, "INS"},
      {"overwrite", [](StatusBarModel &b) { b.SetInsertMode(false); }, StatusField::Insert, "OVR"},
      {"mode 3", [](StatusBarModel &b) { b.SetModeText(3); }, StatusField::Mode, "Running (no poll)"},
      {"mode 4",
       [](StatusBarModel &b) {
         b.SetModeText(1);
         b.SetModeText(4);
       },
       StatusField::Mode, ""},
      {"mode -1",
       [](StatusBarModel &b) {
         b.SetModeText(1);
         b.SetModeText(-1);
       },
       StatusField::Mode, ""},
      {"Corvid priority", [](StatusBarModel &b) { b.SetPriority(0x1F3, true); }, StatusField::Priority, "IP=f3"},
      {"Corvid -1",
       [](StatusBarModel &b) {
         b.SetPriority(1, true);
         b.SetPriority(-1, true);
       },
       StatusField::Priority, ""},
      {"Z180 off", [](StatusBarModel &b) { b.SetPriority(0, false); }, StatusField::Priority, "Interrupts off"},
      {"Z180 on", [](StatusBarModel &b) { b.SetPriority(3, false); }, StatusField::Priority, "Interrupts on"},
      {"Z180 -1",
       [](StatusBarModel &b) {
         b.SetPriority(3, false);
         b.SetPriority(-1, false);
       },
       StatusField::Priority, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    StatusBarModel bar = Enabled();
    c.set(bar);
    EXPECT_EQ(bar.Text(c.field), c.expected);
  }
}

TEST_F(StatusBar, ATextLongerThanItsBufferIsCut) {
  StatusTexts texts = EnglishLikeTexts();
  texts.modified = std::string(30, 'm');
  StatusBarModel bar(measurer, texts, 1000);
  bar.EnableTexts();
  bar.SetModified(true);
  EXPECT_EQ(bar.Text(StatusField::Modified), std::string(19, 'm'));
}

TEST_F(StatusBar, MessageFieldOrOverlay) {
  const int messageWidth = 160; // "123456789012345678" + 16
  struct Case {
    const char *name;
    size_t length;
    bool overlay;
    int overlayRight;
  };
  const Case cases[] = {
      {"exactly as wide as the field", (messageWidth - 16) / 8, false, 0},
      {"one character wider ends at the line field's edge", (messageWidth - 16) / 8 + 1, true, 256},
      // 59 characters: 472 + 16 = 488, inside the mode field (464..616).
      {"edge inside the mode field", 59, true, 616},
      {"beyond the priority field: the filler's edge", 100, true, 1000},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    StatusBarModel bar = Enabled();
    std::string text(c.length, 'x');
    bar.ShowMessage(text);
    ASSERT_EQ(bar.Overlay().has_value(), c.overlay);
    if (c.overlay) {
      EXPECT_EQ(bar.Overlay()->Right(), c.overlayRight);
      EXPECT_EQ(bar.OverlayText(), text);
      EXPECT_EQ(bar.Text(StatusField::Message), "");
    } else {
      EXPECT_EQ(bar.Text(StatusField::Message), text);
    }
  }
}

TEST_F(StatusBar, FieldsUnderAnOverlayShowTheirLatestTextsAfterwards) {
  StatusBarModel bar = Enabled();
  bar.SetModeText(1);
  bar.SetLineColumn((3u << 16) | 4);
  bar.ShowMessage(std::string(59, 'x'));
  EXPECT_TRUE(bar.Covered(StatusField::Mode));
  EXPECT_TRUE(bar.Covered(StatusField::Line));
  EXPECT_FALSE(bar.Covered(StatusField::Priority));
  // Updates while covered are kept, not dropped.
  bar.SetModeText(0);
  bar.SetLineColumn((9u << 16) | 2);
  bar.SetInsertMode(false);
  bar.SetModified(true);
  bar.ShowMessage("");
  EXPECT_FALSE(bar.Overlay());
  EXPECT_FALSE(bar.Covered(StatusField::Mode));
  EXPECT_EQ(bar.Text(StatusField::Mode), "Edit");
  EXPECT_EQ(bar.Text(StatusField::Line), "Line 9");
  EXPECT_EQ(bar.Text(StatusField::Column), "Col 2");
  EXPECT_EQ(bar.Text(StatusField::Insert), "OVR");
  EXPECT_EQ(bar.Text(StatusField::Modified), "Modified");
}

TEST_F(StatusBar, AnEmptyMessageWithoutOverlayEmptiesTheMessageField) {
  StatusBarModel bar = Enabled();
  bar.ShowMessage("short");
  bar.ShowMessage(std::string(40, 'x'));
  // A new message first removes the overlay shown.
  bar.ShowMessage("again");
  EXPECT_FALSE(bar.Overlay());
  EXPECT_EQ(bar.Text(StatusField::Message), "again");
  bar.ShowMessage("");
  EXPECT_EQ(bar.Text(StatusField::Message), "");
}

TEST_F(StatusBar, ResizeGivesTheFillerTheRestOnlyWhenThereIsRoom) {
  StatusBarModel bar = Enabled();
  bar.Resize(900, 30);
  EXPECT_EQ(bar.Box(StatusField::Filler).width, 900 - 744);
  EXPECT_EQ(bar.Box(StatusField::Mode).height, 30);
  bar.Resize(700, 30);
  EXPECT_EQ(bar.Box(StatusField::Filler).width, 900 - 744);
}

TEST_F(StatusBar, TextsComeFromTheLanguageModule) {
  testing::InstalledTexts texts({{kMsgStatLine, "L%d"}, {kMsgStatMode2, "Run"}});
  StatusTexts loaded = StatusTexts::Load();
  EXPECT_EQ(loaded.lineFormat, "L%d");
  EXPECT_EQ(loaded.mode[2], "Run");
  EXPECT_EQ(loaded.mode[1], "");
}

} // namespace
} // namespace tsw
