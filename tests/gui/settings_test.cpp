#include "gui/settings.h"

#include "platform/profile.h"
#include "settings_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tsw {
namespace {

namespace fs = std::filesystem;
using plat::GetProfileString;
using plat::WritePrivateProfileString;
using tsw::testing::ConfigHome;

constexpr const char *kVersion = "7.06P";
constexpr const char *kExe = "/opt/tsw/";

class FakeHost : public SettingsHost {
public:
  std::optional<MainWindowState> state;
  std::optional<MainWindowState> MainWindow() const override { return state; }
};

TEST(Settings, FirstStartGivesEveryDefaultAndWritesOnlyTheDocumentPages) {
  ConfigHome home;
  Settings s(kVersion, kExe);
  s.main.resourceModule = "ENGLISH.DLL";
  s.Load();

  EXPECT_EQ(s.main.resourceModule, "ENGLISH.DLL");
  EXPECT_TRUE(s.main.toolBarOn);
  EXPECT_TRUE(s.main.zoomed);
  EXPECT_EQ(s.main.right, 640);
  EXPECT_EQ(s.main.bottom, 480);
  EXPECT_EQ(s.recentFiles.Limit(), 9);
  EXPECT_EQ(s.editor.tabs, 3);
  EXPECT_EQ(s.comm.port, 2);
  EXPECT_EQ(s.comm.baudRate, 115200u);
  EXPECT_EQ(s.comm.currentBaud, 115200u);
  EXPECT_EQ(s.comm.tcpPort, 4244);
  EXPECT_EQ(s.comm.disableModemInt, 1);
  EXPECT_EQ(s.compiler.maxRows, 2);
  EXPECT_EQ(s.compiler.maxErrors, 10);
  EXPECT_EQ(s.stdio.outputPath, "TS.OUT");
  EXPECT_EQ(s.stdio.inputPath, "TS.IN");
  EXPECT_TRUE(s.stdio.ansiEscapes);
  EXPECT_TRUE(s.environment.searchFromCursor);
  EXPECT_EQ(s.environment.customColors[15], kWhite);
  EXPECT_EQ(s.personality.distribution, "Tessel C Dist. 7.06P");
  EXPECT_EQ(s.personality.defaultH, "default.h");
  EXPECT_EQ(s.locations.coldloader, "bios\\coldload.bin");
  EXPECT_EQ(s.locations.defaultLibDir, "Lib.dir");
  EXPECT_EQ(s.locations.userLibDir, "lib.dir");
  const PaneSettings &editor = s.Pane(PaneKind::kEditor);
  EXPECT_EQ(editor.font.height, -14);
  EXPECT_EQ(editor.font.faceName, "Courier New");
  EXPECT_EQ(editor.font.weight, 400);
  EXPECT_EQ(editor.font.charSet, 1);
  EXPECT_EQ(editor.font.pitchAndFamily, 1);
  EXPECT_EQ(editor.Color(ColorRole::kForeground).useDefault, 1u);
  // Absent colours mean "default" but keep the colour the ranges use.
  const ColorSetting &cursor = s.Pane(PaneKind::kDebugEditor).Color(ColorRole::kExecutionCursorFg);
  EXPECT_EQ(cursor.useDefault, 1u);
  EXPECT_EQ(cursor.color, Rgb(255, 0, 0));
  EXPECT_EQ(s.Pane(PaneKind::kStack).placement.state, WindowPlacement::kNone);

  std::string file = s.FilePath();
  EXPECT_EQ(file, home.Base() + "/7.06P.ini");
  EXPECT_EQ(GetProfileString("Tessel C Personality", "DefaultURL", "", file), "/opt/tsw/docs\\default.htm");
  EXPECT_EQ(GetProfileString("Tessel C Personality", "DefaultOperatorURL", "", file),
            "/opt/tsw/docs\\ts\\10operat.htm");
  EXPECT_EQ(GetProfileString("Tessel C", "ToolBarOn", "absent", file), "absent");

  ASSERT_TRUE(s.Save());
  std::string text = home.dir().Read("Brindle/TSW/Corvid/7.06P.ini");
  for (const char *section : {"Tessel C",
                              "Tessel C Editor",
                              "Tessel C Communications",
                              "Tessel C Compiler",
                              "Tessel C Stdio Window",
                              "Tessel C Message Window",
                              "Tessel C Watch Window",
                              "Tessel C Assembly Window",
                              "Tessel C Dump Window",
                              "Tessel C Register Window",
                              "Tessel C Stack Window",
                              "Tessel C Library Lookup Window",
                              "Tessel C Error Editor",
                              "Tessel C Debug Editor",
                              "Tessel C Environment",
                              "Tessel C Personality",
                              "Tessel C Download Configuration",
                              "Corvid Specific File Locations",
                              "File A",
                              "File I"})
    EXPECT_NE(text.find("[" + std::string(section) + "]\n"), std::string::npos) << section;
  EXPECT_EQ(GetProfileString("File J", "Path", "absent", file), "absent"); // beyond the limit
}

TEST(Settings, EachVersionTextNamesItsOwnFileInsideTheSettingsDirectory) {
  ConfigHome home;
  const std::string extras[] = {"", "../x", "a/b", "/etc/passwd", std::string(300, 'v'), "..", "%2F"};
  std::vector<std::string> paths;
  for (const std::string &extra : extras) {
    Settings s(std::string(kVersion) + extra, kExe);
    s.Load();
    s.editor.tabs = static_cast<uint16_t>(paths.size() + 1);
    ASSERT_TRUE(s.Save()) << extra;
    fs::path file = fs::canonical(s.FilePath());
    EXPECT_EQ(file.string().rfind(fs::canonical(home.Base()).string() + "/", 0), 0u) << file;
    for (const std::string &other : paths)
      EXPECT_NE(other, file.string());
    paths.push_back(file.string());
  }
  // Settings of one version are invisible to another.
  for (size_t i = 0; i < std::size(extras); ++i) {
    Settings s(std::string(kVersion) + extras[i], kExe);
    s.Load();
    EXPECT_EQ(s.editor.tabs, i + 1) << extras[i];
  }
}

struct RoundTrip {
  const char *name;
  const char *section, *key;
  std::optional<std::string> stored; // nothing: absent
  std::function<std::string(const Settings &)> inMemory;
  std::optional<std::string> savedBack; // nothing: not written
};

TEST(Settings, ValuesRoundTripThroughTheFile) {
  auto rows = [](const Settings &s) { return std::to_string(s.compiler.maxRows); };
  auto netText = [](const Settings &s) { return s.comm.netAddressText; };
  auto colour = [](const Settings &s) {
    const ColorSetting &c = s.Pane(PaneKind::kMessage).Color(ColorRole::kBackground);
    return std::to_string(c.useDefault) + ":" + std::to_string(c.color);
  };
  auto font = [](const Settings &s) { return std::to_string(s.Pane(PaneKind::kWatch).font.height); };
  auto faceName = [](const Settings &s) { return s.Pane(PaneKind::kWatch).font.faceName; };
  auto charSet = [](const Settings &s) { return std::to_string(s.Pane(PaneKind::kWatch).font.charSet); };
  auto errors = [](const Settings &s) { return std::to_string(s.compiler.maxErrors); };
  auto outPath = [](const Settings &s) { return s.stdio.outputPath; };
  auto rts = [](const Settings &s) { return std::to_string(s.comm.rtsFlow); };
  auto custom = [](const Settings &s) { return std::to_string(s.environment.customColors[3]); };

  const char *comp = "Tessel C Compiler";
  const RoundTrip cases[] = {
      {"rows absent", comp, "Max Rows", std::nullopt, rows, "1"},
      {"rows zero", comp, "Max Rows", "0", rows, "1"},
      {"rows 24", comp, "Max Rows", "24", rows, "24"},
      {"not a number", comp, "Max Errors", "12x", errors, "10"},
      {"hex is no number", comp, "Max Errors", "0x20", errors, "10"},
      {"negative wraps like a word", comp, "Max Errors", "-1", errors, "65535"},
      {"text fits its buffer", "Tessel C Communications", "String Net Address", "123.123.123.123", netText,
       "123.123.123.123"},
      {"text one byte over", "Tessel C Communications", "String Net Address", "123.123.123.1234", netText, ""},
      {"outer blanks", "Tessel C Stdio Window", "Output Path", " out file ", outPath, " out file "},
      {"outer quotes", "Tessel C Stdio Window", "Output Path", "'\"q\"'", outPath, "'\"q\"'"},
      {"colour of two numbers", "Tessel C Message Window", "Background", "1,2", colour, "Default"},
      {"colour masked", "Tessel C Message Window", "Background", "256,1,2", colour, "0,1,2"},
      {"font 10pt at 96 dpi", "Tessel C Watch Window", "Font Height", "10", font, "10"},
      {"face name of 31", "Tessel C Watch Window", "Font Name", std::string(31, 'f'), faceName, std::string(31, 'f')},
      {"face name of 32", "Tessel C Watch Window", "Font Name", std::string(32, 'f'), faceName, "Courier New"},
      {"character set never written", "Tessel C Watch Window", "Character Set", "128", charSet, "128"},
      {"read-only key stays absent", "Tessel C Communications", "RTS Flow", std::nullopt, rts, std::nullopt},
      {"custom colour", "Tessel C Environment", "CustomColor3", "x", custom, "255,255,255"},
  };
  for (const RoundTrip &c : cases) {
    ConfigHome home;
    std::string file = SettingsFilePath(kVersion);
    fs::create_directories(fs::path(file).parent_path());
    if (c.stored) {
      ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, c.stored->c_str(), file));
    }
    Settings s(kVersion, kExe);
    s.Load();
    std::string memory = c.inMemory(s);
    ASSERT_TRUE(s.Save());
    std::string saved = GetProfileString(c.section, c.key, "\x01", file);
    EXPECT_EQ(saved, c.savedBack.value_or("\x01")) << c.name << " (in memory " << memory << ")";
  }
}

TEST(Settings, ExpectedInMemoryValues) {
  struct Case {
    const char *section, *key, *stored;
    std::function<std::string(const Settings &)> value;
    const char *expected;
  };
  const Case cases[] = {
      {"Tessel C Compiler", "Max Rows", "24", [](const Settings &s) { return std::to_string(s.compiler.maxRows); },
       "25"},
      {"Tessel C Message Window", "Background", "1,2",
       [](const Settings &s) {
         return std::to_string(s.Pane(PaneKind::kMessage).Color(ColorRole::kBackground).useDefault);
       },
       "1"},
      {"Tessel C Message Window", "Background", "10,20,30",
       [](const Settings &s) { return std::to_string(s.Pane(PaneKind::kMessage).Color(ColorRole::kBackground).color); },
       "1971210"},
      {"Tessel C Communications", "String Net Address", "123.123.123.1234",
       [](const Settings &s) { return s.comm.netAddressText; }, ""},
      {"Tessel C Stdio Window", "Cursor", "7", [](const Settings &s) { return std::to_string(s.stdio.cursor); }, "7"},
      {"Tessel C", "Resource Module", "FRENCH.DLL", [](const Settings &s) { return s.main.resourceModule; },
       "FRENCH.DLL"},
  };
  for (const Case &c : cases) {
    ConfigHome home;
    std::string file = SettingsFilePath(kVersion);
    fs::create_directories(fs::path(file).parent_path());
    ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, c.stored, file));
    Settings s(kVersion, kExe);
    s.Load();
    EXPECT_EQ(c.value(s), c.expected) << c.section << "/" << c.key;
  }
}

TEST(Settings, PlacementWithAreaIsARectangleRecord) {
  ConfigHome home;
  std::string file = SettingsFilePath(kVersion);
  fs::create_directories(fs::path(file).parent_path());
  for (auto [key, value] : {std::pair{"Left", "10"}, {"Top", "20"}, {"Right", "110"}, {"Bottom", "220"}})
    WritePrivateProfileString("Tessel C Dump Window", key, value, file);
  Settings s(kVersion, kExe);
  s.Load();
  const WindowPlacement &p = s.Pane(PaneKind::kDump).placement;
  EXPECT_EQ(p.state, WindowPlacement::kRectangle);
  EXPECT_EQ(p.placement.normalPosition.right, 110);
  EXPECT_EQ(p.placement.normalPosition.bottom, 220);
  EXPECT_FALSE(p.open);

  // Without an area the rectangle is ignored; the open flag still counts.
  for (auto [key, value] : {std::pair{"Right", "0"}, {"Bottom", "300"}, {"Open", "1"}})
    WritePrivateProfileString("Tessel C Stack Window", key, value, file);
  s.Load();
  const WindowPlacement &stack = s.Pane(PaneKind::kStack).placement;
  EXPECT_EQ(stack.state, WindowPlacement::kNone);
  EXPECT_TRUE(stack.open);
}

TEST(Settings, MainWindowPlacementComesFromTheHost) {
  ConfigHome home;
  Settings s(kVersion, kExe);
  s.Load();
  FakeHost host;
  host.state = SettingsHost::MainWindowState{false, false, {5, 6, 705, 506}};
  ASSERT_TRUE(s.Save(&host));
  std::string file = s.FilePath();
  EXPECT_EQ(GetProfileString("Tessel C", "Zoomed", "", file), "0");
  EXPECT_EQ(GetProfileString("Tessel C", "Right", "", file), "705");

  // Closed while maximised: zoomed, the last normal rectangle stays.
  host.state = SettingsHost::MainWindowState{true, false, {0, 0, 1920, 1080}};
  ASSERT_TRUE(s.Save(&host));
  EXPECT_EQ(GetProfileString("Tessel C", "Zoomed", "", file), "1");
  EXPECT_EQ(GetProfileString("Tessel C", "Right", "", file), "705");
}

TEST(Settings, DamagedFileIsReadWhereItParsesAndKeptByASave) {
  ConfigHome home;
  std::string file = SettingsFilePath(kVersion);
  std::string binary("\x00\x01\xfe\xff", 4);
  std::string damaged = "[Tessel C Editor\nTabs=9\n[Tessel C Editor]\n" + binary + "\nTabs=5\nTabs=6\n" +
                        std::string(1 << 20, 'z') + "\n[Tessel C Compiler]\nMax Errors=33";
  home.dir().Write("Brindle/TSW/Corvid/7.06P.ini", damaged);
  Settings s(kVersion, kExe);
  s.Load();
  EXPECT_EQ(s.editor.tabs, 5);
  EXPECT_EQ(s.compiler.maxErrors, 33);
  s.editor.tabs = 4;
  ASSERT_TRUE(s.Save());
  std::string text = home.dir().Read("Brindle/TSW/Corvid/7.06P.ini");
  EXPECT_NE(text.find("[Tessel C Editor\nTabs=9\n"), std::string::npos);
  EXPECT_NE(text.find(binary), std::string::npos);
  EXPECT_NE(text.find(std::string(1 << 20, 'z')), std::string::npos);
  EXPECT_NE(text.find("Tabs=4\nTabs=6\n"), std::string::npos);
}

TEST(Settings, AKeyAnotherWriterAddedSurvivesTheSave) {
  ConfigHome home;
  Settings s(kVersion, kExe);
  s.Load();
  ASSERT_TRUE(WritePrivateProfileString("Tessel C", "Theirs", "kept", s.FilePath()));
  ASSERT_TRUE(WritePrivateProfileString("Other Program", "x", "1", s.FilePath()));
  ASSERT_TRUE(s.Save());
  EXPECT_EQ(GetProfileString("Tessel C", "Theirs", "", s.FilePath()), "kept");
  EXPECT_EQ(GetProfileString("Other Program", "x", "", s.FilePath()), "1");
}

TEST(Settings, UnwritableFileOrDirectoryLeavesEverythingAsItWas) {
  {
    ConfigHome home;
    Settings s(kVersion, kExe);
    s.Load();
    ASSERT_TRUE(s.Save());
    std::string before = home.dir().Read("Brindle/TSW/Corvid/7.06P.ini");
    fs::permissions(s.FilePath(), fs::perms::owner_read);
    s.editor.tabs = 8;
    EXPECT_FALSE(s.Save());
    EXPECT_EQ(home.dir().Read("Brindle/TSW/Corvid/7.06P.ini"), before);
  }
  {
    ConfigHome home;
    home.dir().Write("Brindle", "a plain file where the directory belongs");
    Settings s(kVersion, kExe);
    s.Load(); // goes on with the defaults
    EXPECT_EQ(s.editor.tabs, 3);
    EXPECT_FALSE(s.Save());
    EXPECT_EQ(home.dir().Read("Brindle"), "a plain file where the directory belongs");
  }
}

TEST(Settings, HistoriesRoundTripAndStoredCountsAreClamped) {
  ConfigHome home;
  std::string file = SettingsFilePath(kVersion);
  fs::create_directories(fs::path(file).parent_path());
  std::string longPath = "/home/user/" + std::string(200, 'p') + ".c";
  WritePrivateProfileString("Tessel C Environment", "Number of Find Strings", "100000", file);
  WritePrivateProfileString("Tessel C Environment", "Find Strings", "a,b,c", file);
  WritePrivateProfileString("Tessel C Environment", "Number of Replace Strings", "-1", file);
  WritePrivateProfileString("Tessel C Environment", "Replace Strings", "x,y", file);
  WritePrivateProfileString("Tessel C Environment", "Number of File Strings", "2", file);
  WritePrivateProfileString("Tessel C Environment", "File Strings", (longPath + ",/b.c").c_str(), file);

  Settings s(kVersion, kExe);
  s.Load();
  EXPECT_EQ(s.environment.findHistory.Count(), 15); // the last piece stands in for the missing ones
  EXPECT_EQ(s.environment.replaceHistory.Count(), 0);
  ASSERT_EQ(s.environment.fileHistory.Count(), 2);
  EXPECT_EQ(s.environment.fileHistory.Entries().front(), longPath);

  s.environment.findHistory.Clear();
  s.environment.findHistory.Push("a,b");
  s.environment.findHistory.Push("c\\d");
  s.environment.dumpHistory.Push("0x4000");
  ASSERT_TRUE(s.Save());
  EXPECT_EQ(GetProfileString("Tessel C Environment", "Number of Replace Strings", "", file), "0");
  EXPECT_EQ(GetProfileString("Tessel C Environment", "Number of Find Strings", "", file), "2");

  Settings again(kVersion, kExe);
  again.Load();
  EXPECT_EQ(again.environment.findHistory.Entries(), (std::deque<std::string>{"a,b", "c\\d"}));
  EXPECT_EQ(again.environment.dumpHistory.Entries(), (std::deque<std::string>{"0x4000"}));
  EXPECT_EQ(again.environment.fileHistory.Entries().front(), longPath);
}

TEST(Settings, ResourceModuleNameIsReadAloneAndKeptWhenAbsent) {
  ConfigHome home;
  std::string name = "ENGLISH.DLL";
  ReadResourceModuleName(kVersion, name);
  EXPECT_EQ(name, "ENGLISH.DLL");
  std::string file = SettingsFilePath(kVersion);
  fs::create_directories(fs::path(file).parent_path());
  WritePrivateProfileString("Tessel C", "Resource Module", "GERMAN.DLL", file);
  ReadResourceModuleName(kVersion, name);
  EXPECT_EQ(name, "GERMAN.DLL");
  ReadResourceModuleName("7.06P-other", name);
  EXPECT_EQ(name, "GERMAN.DLL");
}

} // namespace
} // namespace tsw
