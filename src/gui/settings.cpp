#include "gui/settings.h"

#include "platform/paths.h"
#include "platform/profile.h"

#include <fmt/format.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <variant>

namespace tsw {
namespace {

constexpr const char *kMain = "Tessel C";
constexpr const char *kEditor = "Tessel C Editor";
constexpr const char *kComm = "Tessel C Communications";
constexpr const char *kCompiler = "Tessel C Compiler";
constexpr const char *kStdio = "Tessel C Stdio Window";
constexpr const char *kEnvironment = "Tessel C Environment";
constexpr const char *kPersonality = "Tessel C Personality";
constexpr const char *kDownload = "Tessel C Download Configuration";
constexpr const char *kLocations = "Corvid Specific File Locations";
constexpr const char *kResourceModuleKey = "Resource Module";

constexpr uint32_t kPathBuffer = 260;
constexpr uint32_t kLongTextBuffer = 514;
constexpr uint32_t kColorBuffer = 80;
constexpr uint16_t kMinMessageRows = 2;
constexpr int32_t kPointsPerInch = 72;

constexpr const char *kSettingsBase = "Brindle/TSW/Corvid";
// Longest file-name component we make; longer version texts go on in
// further directory levels.
constexpr size_t kMaxComponent = 200;

// Where each field lives in the settings object.
using FieldRef = std::variant<bool *(*)(Settings &), uint16_t *(*)(Settings &), int32_t *(*)(Settings &),
                              uint32_t *(*)(Settings &), std::string *(*)(Settings &)>;
#define FIELD(member) +[](Settings &s) { return &s.member; }

enum class Access : uint8_t { kReadWrite, kReadOnly, kWriteOnly };

struct Key {
  const char *section;
  const char *name;
  FieldRef field;
  int64_t number = 0;            // default of a number
  const char *text = nullptr;    // default of a text; null keeps the current content
  uint32_t buffer = kPathBuffer; // bytes of a text, its terminating zero included
  Access access = Access::kReadWrite;
};

constexpr Access RO = Access::kReadOnly;
constexpr Access WO = Access::kWriteOnly;

// The keys held in plain fields, section by section in the order they load.
const Key kKeys[] = {
    {kMain, kResourceModuleKey, FIELD(main.resourceModule), 0, nullptr, kPathBuffer},
    {kMain, "Executable Directory", FIELD(main.executableDirectory), 0, nullptr, kPathBuffer, WO},
    {kMain, "ToolBarOn", FIELD(main.toolBarOn), 1},
    {kMain, "BIOSFileType", FIELD(main.biosFileType), 0},
    {kMain, "UserLibEnabled", FIELD(main.userLibEnabled), 0},
    {kMain, "UserBIOSEnabled", FIELD(main.userBiosEnabled), 0},
    {kMain, "restrictWatchExp", FIELD(main.restrictWatchExp), 0},
    {kMain, "Show32BitRegs", FIELD(main.show32BitRegs), 1},
    {kMain, "VerboseDisassembly", FIELD(main.verboseDisassembly), 1},
    {kMain, "Assume Corvid CPU", FIELD(main.assumeCorvidCpu), 1},
    // "Zoomed" and the rectangle are written from the live window.
    {kMain, "Zoomed", FIELD(main.zoomed), 1, nullptr, 0, RO},
    {kMain, "Left", FIELD(main.left), 0, nullptr, 0, RO},
    {kMain, "Top", FIELD(main.top), 0, nullptr, 0, RO},
    {kMain, "Right", FIELD(main.right), 640, nullptr, 0, RO},
    {kMain, "Bottom", FIELD(main.bottom), 480, nullptr, 0, RO},

    {kPersonality, "DefaultH", FIELD(personality.defaultH), 0, "default.h", kLongTextBuffer},
    {kPersonality, "HelpFile", FIELD(personality.helpFile), 0, "tsw.hlp", kLongTextBuffer},
    {kPersonality, "HelpIRFile", FIELD(personality.helpIRFile), 0, "ts_asm.hlp", kLongTextBuffer},
    {kPersonality, "Distribution", FIELD(personality.distribution), 0, nullptr, 64},
    {kPersonality, "DefaultURL", FIELD(personality.defaultURL), 0, nullptr, kLongTextBuffer},
    {kPersonality, "DefaultKeywordURL", FIELD(personality.defaultKeywordURL), 0, nullptr, kLongTextBuffer},
    {kPersonality, "DefaultFunctionURL", FIELD(personality.defaultFunctionURL), 0, nullptr, kLongTextBuffer},
    {kPersonality, "DefaultOperatorURL", FIELD(personality.defaultOperatorURL), 0, nullptr, kLongTextBuffer},

    {kComm, "Port", FIELD(comm.port), 2},
    {kComm, "Baud Rate", FIELD(comm.baudRate), 115200},
    {kComm, "Stop Bits", FIELD(comm.stopBits), 0},
    {kComm, "Full Duplex", FIELD(comm.fullDuplex), 1},
    {kComm, "Safety", FIELD(comm.safety), 0},
    {kComm, "UseTCP", FIELD(comm.useTcp), 0},
    {kComm, "Net Address", FIELD(comm.netAddress), 0},
    {kComm, "String Net Address", FIELD(comm.netAddressText), 0, "", 16},
    {kComm, "TCP Controller Name", FIELD(comm.controllerName), 0, "", 256},
    {kComm, "TCP Port", FIELD(comm.tcpPort), 4244},
    {kComm, "EnableTCP", FIELD(comm.enableTcp), 1},
    {kComm, "RTS Flow", FIELD(comm.rtsFlow), 0, nullptr, 0, RO},
    {kComm, "DisableModemInt", FIELD(comm.disableModemInt), 1},
    {kComm, "ToolHelpTimer", FIELD(comm.toolHelpTimer), 0, nullptr, 0, RO},

    // "Max Rows" is stored as rows - 1 and read apart.
    {kCompiler, "Max Errors", FIELD(compiler.maxErrors), 10},
    {kCompiler, "Max Serious Warnings", FIELD(compiler.maxSeriousWarnings), 10},
    {kCompiler, "Max Trivial Warnings", FIELD(compiler.maxTrivialWarnings), 10},
    {kCompiler, "No Bouncers", FIELD(compiler.noBouncers), 1},
    {kCompiler, "Storage Class Warning", FIELD(compiler.storageClassWarning), 0},
    {kCompiler, "Zero Pad Bin File", FIELD(compiler.zeroPadBinFile), 1},
    {kCompiler, "Include Time Stamp", FIELD(compiler.includeTimeStamp), 1},

    {kStdio, "ANSI Escapes", FIELD(stdio.ansiEscapes), 1, nullptr, 0, RO},
    {kStdio, "DOS Colors", FIELD(stdio.dosColors), 0, nullptr, 0, RO},
    {kStdio, "ANSI Arrows", FIELD(stdio.ansiArrows), 0, nullptr, 0, RO},
    {kStdio, "DOS Arrows", FIELD(stdio.dosArrows), 0, nullptr, 0, RO},
    {kStdio, "Cursor", FIELD(stdio.cursor), 0},
    {kStdio, "Input From File", FIELD(stdio.inputFromFile), 0, nullptr, 0, RO},
    {kStdio, "Input Path", FIELD(stdio.inputPath), 0, "TS.IN", kPathBuffer, RO},
    {kStdio, "Half Duplex", FIELD(stdio.halfDuplex), 0, nullptr, 0, RO},
    {kStdio, "Auto Open", FIELD(stdio.autoOpen), 1},
    {kStdio, "Output To File", FIELD(stdio.outputToFile), 0},
    {kStdio, "Output Path", FIELD(stdio.outputPath), 0, "TS.OUT", kPathBuffer},
    {kStdio, "Append Output", FIELD(stdio.appendOutput), 0},

    {kLocations, "Coldloader", FIELD(locations.coldloader), 0, "bios\\coldload.bin"},
    {kLocations, "PilotBIOS", FIELD(locations.pilotBios), 0, "bios\\pilot.bin"},
    {kLocations, "DefaultLibDir", FIELD(locations.defaultLibDir), 0, "Lib.dir"},
    {kLocations, "DefaultBIOS", FIELD(locations.defaultBios), 0, "CorvidBios.c"},
    {kLocations, "CorvidRTIFile", FIELD(locations.corvidRtiFile), 0, "bios\\corvbios.rti"},
    {kLocations, "Precompile", FIELD(locations.precompile), 0, "precomp.c"},
    {kLocations, "DefaultUSERBIOS", FIELD(locations.defaultUserBios), 0, ""},
    {kLocations, "UserLibDir", FIELD(locations.userLibDir), 0, "lib.dir"},

    {kEditor, "Tabs", FIELD(editor.tabs), 3},
    {kEditor, "Auto Indent", FIELD(editor.autoIndent), 1},
    {kEditor, "Remove Trailing Whitespace", FIELD(editor.removeTrailingWhitespace), 1},

    {kDownload, "Root Code Top", FIELD(download.rootCodeTop), 0, nullptr, 9},
    {kDownload, "Xmem Code Top", FIELD(download.xmemCodeTop), 0, nullptr, 9},
    {kDownload, "Root Data Bottom", FIELD(download.rootDataBottom), 0, nullptr, 9},
    {kDownload, "Xmem Data Bottom", FIELD(download.xmemDataBottom), 0, nullptr, 9},

    {kEnvironment, "Case Sensitive Search", FIELD(environment.caseSensitiveSearch), 0},
    {kEnvironment, "Search From Cursor", FIELD(environment.searchFromCursor), 1},
    {kEnvironment, "No Prompt Replace", FIELD(environment.noPromptReplace), 0},
    {kEnvironment, "Start Location", FIELD(environment.startLocation), 0, nullptr, kPathBuffer, WO},
};
#undef FIELD

struct PaneInfo {
  const char *section;
  bool hasPlacement;
};
constexpr PaneInfo kPanes[kPaneKindCount] = {
    {kEditor, false},
    {kStdio, true},
    {"Tessel C Message Window", true},
    {"Tessel C Watch Window", true},
    {"Tessel C Assembly Window", true},
    {"Tessel C Dump Window", true},
    {"Tessel C Register Window", true},
    {"Tessel C Stack Window", true},
    {"Tessel C Library Lookup Window", false},
    {"Tessel C Error Editor", true},
    {"Tessel C Debug Editor", true},
};
// Placements load and save in their own order.
constexpr PaneKind kPlacementOrder[] = {PaneKind::kMessage,  PaneKind::kWatch,       PaneKind::kStdio,
                                        PaneKind::kAssembly, PaneKind::kDump,        PaneKind::kRegister,
                                        PaneKind::kStack,    PaneKind::kErrorEditor, PaneKind::kDebugEditor};

struct ColorKey {
  ColorRole role;
  const char *name;
};
constexpr ColorKey kCommonColors[] = {{ColorRole::kForeground, "Foreground"},
                                      {ColorRole::kBackground, "Background"},
                                      {ColorRole::kSelectionFg, "Selection Fg"},
                                      {ColorRole::kSelectionBg, "Selection Bg"}};
constexpr ColorKey kMessageColors[] = {{ColorRole::kCurrentMessageFg, "Current Message Fg"},
                                       {ColorRole::kCurrentMessageBg, "Current Message Bg"}};
constexpr ColorKey kDebugEditorColors[] = {{ColorRole::kExecutionCursorFg, "Execution Cursor Fg"},
                                           {ColorRole::kExecutionCursorBg, "Execution Cursor Bg"},
                                           {ColorRole::kBreakpointFg, "Breakpoint Fg"},
                                           {ColorRole::kBreakpointBg, "Breakpoint Bg"}};

std::vector<ColorKey> ColorKeysOf(PaneKind kind) {
  std::vector<ColorKey> keys(std::begin(kCommonColors), std::end(kCommonColors));
  if (kind == PaneKind::kMessage)
    keys.insert(keys.end(), std::begin(kMessageColors), std::end(kMessageColors));
  if (kind == PaneKind::kDebugEditor)
    keys.insert(keys.end(), std::begin(kDebugEditorColors), std::end(kDebugEditorColors));
  return keys;
}

struct HistoryKey {
  cComboList EnvironmentSettings::*list;
  const char *count;
  const char *text;
};
// In load order; saving swaps the dump and file histories.
constexpr HistoryKey kHistories[] = {
    {&EnvironmentSettings::findHistory, "Number of Find Strings", "Find Strings"},
    {&EnvironmentSettings::replaceHistory, "Number of Replace Strings", "Replace Strings"},
    {&EnvironmentSettings::dumpHistory, "Number of Dump Strings", "Dump Strings"},
    {&EnvironmentSettings::fileHistory, "Number of File Strings", "File Strings"},
    {&EnvironmentSettings::dasmHistory, "Number of Dasm Strings", "Dasm Strings"},
};
constexpr size_t kHistorySaveOrder[] = {0, 1, 3, 2, 4};

// Stored numbers are decimal; anything else is not a number.
std::optional<int64_t> ParseNumber(const std::optional<std::string> &text) {
  if (!text || text->empty())
    return std::nullopt;
  int64_t value = 0;
  const char *end = text->data() + text->size();
  auto [ptr, ec] = std::from_chars(text->data(), end, value);
  if (ec != std::errc() || ptr != end)
    return std::nullopt;
  return value;
}

// A text too long for its buffer is not read.
std::optional<std::string> ReadText(const plat::ProfileDocument &doc, const char *section, const char *key,
                                    uint32_t buffer) {
  std::optional<std::string> text = doc.Get(section, key);
  if (text && text->size() >= buffer)
    return std::nullopt;
  return text;
}

int64_t ReadNumber(const plat::ProfileDocument &doc, const char *section, const char *key, int64_t def) {
  return ParseNumber(doc.Get(section, key)).value_or(def);
}

std::optional<uint32_t> ParseRgb(const std::string &text) {
  int red, green, blue;
  if (std::sscanf(text.c_str(), "%d,%d,%d", &red, &green, &blue) != 3)
    return std::nullopt;
  return Rgb(static_cast<uint32_t>(red), static_cast<uint32_t>(green), static_cast<uint32_t>(blue));
}

std::string RgbText(uint32_t rgb) { return fmt::format("{},{},{}", RedOf(rgb), GreenOf(rgb), BlueOf(rgb)); }

void SetDefault(Settings &s, const Key &key) {
  std::visit(
      [&](auto ref) {
        auto *field = ref(s);
        using T = std::remove_pointer_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
          if (key.text)
            *field = key.text;
        } else {
          *field = static_cast<T>(key.number);
        }
      },
      key.field);
}

void ReadKey(Settings &s, const plat::ProfileDocument &doc, const Key &key) {
  std::visit(
      [&](auto ref) {
        auto *field = ref(s);
        using T = std::remove_pointer_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
          if (std::optional<std::string> text = ReadText(doc, key.section, key.name, key.buffer))
            *field = *text;
          else if (key.text)
            *field = key.text;
        } else if constexpr (std::is_same_v<T, bool>) {
          *field = ReadNumber(doc, key.section, key.name, key.number) != 0;
        } else {
          *field = static_cast<T>(ReadNumber(doc, key.section, key.name, key.number));
        }
      },
      key.field);
}

void WriteKey(Settings &s, plat::ProfileDocument &doc, const Key &key) {
  std::visit(
      [&](auto ref) {
        auto *field = ref(s);
        using T = std::remove_pointer_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>)
          doc.Set(key.section, key.name, *field);
        else if constexpr (std::is_same_v<T, bool>)
          doc.Set(key.section, key.name, *field ? "1" : "0");
        else
          doc.Set(key.section, key.name, std::to_string(*field));
      },
      key.field);
}

std::string SafeFileName(std::string_view text) {
  std::string safe;
  for (unsigned char c : text) {
    bool plain =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (plain)
      safe += static_cast<char>(c);
    else
      safe += fmt::format("%{:02X}", c);
  }
  return safe;
}

std::string ConfigHome() {
  if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return xdg;
  const char *home = std::getenv("HOME");
  return plat::JoinPath(home && *home ? home : ".", ".config");
}

void Note(const std::string &what, const std::string &path) {
  std::cerr << "tsw: settings file " << path << ": " << what << '\n';
}

} // namespace

std::string SettingsFilePath(std::string_view versionText) {
  std::string safe = SafeFileName(versionText);
  std::string path = plat::JoinPath(ConfigHome(), kSettingsBase);
  // Every level but the last is exactly kMaxComponent long, so no level can
  // be "." or "..", and the last ends in ".ini".
  while (safe.size() > kMaxComponent) {
    path = plat::JoinPath(path, safe.substr(0, kMaxComponent));
    safe.erase(0, kMaxComponent);
  }
  return plat::JoinPath(path, safe + ".ini");
}

void ReadResourceModuleName(std::string_view versionText, std::string &name) {
  plat::ProfileDocument doc(SettingsFilePath(versionText));
  if (std::optional<std::string> text = ReadText(doc, kMain, kResourceModuleKey, kPathBuffer))
    name = *text;
}

Settings::Settings(std::string versionText, std::string executableDirectory, int32_t dpi)
    : versionText_(std::move(versionText)), path_(SettingsFilePath(versionText_)), dpi_(dpi > 0 ? dpi : 96) {
  main.executableDirectory = std::move(executableDirectory);
  Reset();
}

void Settings::Reset() {
  for (const Key &key : kKeys)
    SetDefault(*this, key);
  compiler.maxRows = kMinMessageRows;
  comm.currentBaud = comm.baudRate;
  const std::string &exe = main.executableDirectory;
  personality.distribution = "Tessel C Dist. " + versionText_;
  personality.defaultURL = exe + "docs\\default.htm";
  personality.defaultKeywordURL = exe + "docs\\ts\\9keyword.htm";
  personality.defaultFunctionURL = exe + "docs\\ts\\11functn.htm";
  personality.defaultOperatorURL = exe + "docs\\ts\\10operat.htm";
  download = {};
  environment.startLocation.clear();
  environment.customColors.fill(kWhite);
  for (const HistoryKey &history : kHistories)
    (environment.*history.list).Clear();

  for (PaneSettings &pane : panes) {
    pane.font = FontSetting{};
    pane.colors.fill(ColorSetting{});
    pane.placement.Init(false);
  }
  PaneSettings &debug = Pane(PaneKind::kDebugEditor);
  debug.Color(ColorRole::kExecutionCursorFg) = {0, Rgb(255, 0, 0)};
  debug.Color(ColorRole::kExecutionCursorBg) = {0, Rgb(0, 255, 0)};
  debug.Color(ColorRole::kBreakpointFg) = {0, Rgb(0, 0, 255)};
  debug.Color(ColorRole::kBreakpointBg) = {0, Rgb(255, 0, 0)};
  PaneSettings &messages = Pane(PaneKind::kMessage);
  messages.Color(ColorRole::kCurrentMessageFg) = {0, Rgb(0, 255, 0)};
  messages.Color(ColorRole::kCurrentMessageBg) = {0, Rgb(255, 0, 0)};
  recentFiles.Reset();
}

void Settings::Load() {
  if (std::filesystem::exists(path_) && !plat::CanRead(path_))
    Note("cannot be read; the defaults are used", path_);
  plat::ProfileDocument doc(path_);
  ReadAll(doc);
  WriteDocumentPages(doc);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
  if (!doc.Save())
    Note("cannot be written", path_);
}

void Settings::ReadAll(const plat::ProfileDocument &doc) {
  for (const Key &key : kKeys)
    if (key.access != Access::kWriteOnly)
      ReadKey(*this, doc, key);

  int64_t storedRows = ReadNumber(doc, kCompiler, "Max Rows", 0);
  compiler.maxRows = static_cast<uint16_t>(std::max<int64_t>(storedRows + 1, kMinMessageRows));
  comm.currentBaud = comm.baudRate;

  for (size_t i = 0; i < kPaneKindCount; ++i) {
    PaneSettings &pane = panes[i];
    const char *section = kPanes[i].section;
    int64_t points = ReadNumber(doc, section, "Font Height", 10);
    pane.font = FontSetting{};
    pane.font.height = static_cast<int32_t>(-((points * dpi_ + 71) / kPointsPerInch));
    pane.font.faceName = ReadText(doc, section, "Font Name", FontSetting::kFaceNameSize).value_or("Courier New");
    pane.font.weight = static_cast<int32_t>(ReadNumber(doc, section, "Font Weight", 400));
    pane.font.charSet = static_cast<uint8_t>(ReadNumber(doc, section, "Character Set", 1));
    pane.font.pitchAndFamily = FontSetting::kFixedPitch;
  }
  for (size_t i = 0; i < kPaneKindCount; ++i) {
    for (const ColorKey &key : ColorKeysOf(static_cast<PaneKind>(i))) {
      ColorSetting &color = panes[i].Color(key.role);
      color.useDefault = 1;
      std::string text = ReadText(doc, kPanes[i].section, key.name, kColorBuffer).value_or("Default");
      if (std::optional<uint32_t> rgb = ParseRgb(text))
        color = {0, *rgb};
    }
  }

  environment.startLocation = plat::CurrentDirectory();
  for (size_t n = 0; n < EnvironmentSettings::kCustomColorCount; ++n) {
    std::string text = ReadText(doc, kEnvironment, fmt::format("CustomColor{}", n).c_str(), kColorBuffer).value_or("");
    environment.customColors[n] = ParseRgb(text).value_or(kWhite);
  }

  for (PaneKind kind : kPlacementOrder) {
    const char *section = kPanes[static_cast<size_t>(kind)].section;
    WindowPlacement &record = Pane(kind).placement;
    PlacementRect rect{static_cast<int32_t>(ReadNumber(doc, section, "Left", 0)),
                       static_cast<int32_t>(ReadNumber(doc, section, "Top", 0)),
                       static_cast<int32_t>(ReadNumber(doc, section, "Right", 0)),
                       static_cast<int32_t>(ReadNumber(doc, section, "Bottom", 0))};
    if (rect.left != rect.right && rect.top != rect.bottom) {
      record.placement.normalPosition = rect;
      record.state = WindowPlacement::kRectangle;
    }
    record.open = ReadNumber(doc, section, "Open", record.open) != 0;
  }

  recentFiles.Load(doc, kMain);

  for (const HistoryKey &history : kHistories) {
    cComboList &list = environment.*history.list;
    list.Clear(); // a second load must not add the stored entries again
    int64_t count = std::clamp<int64_t>(ReadNumber(doc, kEnvironment, history.count, 0), 0, list.Capacity());
    list.SetFromCommaText(doc.Get(kEnvironment, history.text).value_or(""), static_cast<int32_t>(count));
  }
}

void Settings::WriteDocumentPages(plat::ProfileDocument &doc) const {
  doc.Set(kPersonality, "DefaultURL", personality.defaultURL);
  doc.Set(kPersonality, "DefaultKeywordURL", personality.defaultKeywordURL);
  doc.Set(kPersonality, "DefaultFunctionURL", personality.defaultFunctionURL);
  doc.Set(kPersonality, "DefaultOperatorURL", personality.defaultOperatorURL);
}

bool Settings::Save(const SettingsHost *host) {
  plat::ProfileDocument doc(path_);
  WriteAll(doc, host);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
  if (doc.Save())
    return true;
  Note("cannot be written; the settings of this session are lost", path_);
  return false;
}

void Settings::WriteAll(plat::ProfileDocument &doc, const SettingsHost *host) {
  for (const Key &key : kKeys)
    if (key.access != Access::kReadOnly)
      WriteKey(*this, doc, key);

  if (std::optional<SettingsHost::MainWindowState> window = host ? host->MainWindow() : std::nullopt) {
    main.zoomed = window->maximized;
    doc.Set(kMain, "Zoomed", main.zoomed ? "1" : "0");
    if (!window->maximized && !window->minimized) {
      main.left = window->rect.left, main.top = window->rect.top;
      main.right = window->rect.right, main.bottom = window->rect.bottom;
      doc.Set(kMain, "Left", std::to_string(main.left));
      doc.Set(kMain, "Top", std::to_string(main.top));
      doc.Set(kMain, "Right", std::to_string(main.right));
      doc.Set(kMain, "Bottom", std::to_string(main.bottom));
    }
  }
  doc.Set(kCompiler, "Max Rows", std::to_string(compiler.maxRows - 1));

  for (size_t i = 0; i < kPaneKindCount; ++i) {
    const FontSetting &font = panes[i].font;
    doc.Set(kPanes[i].section, "Font Height", std::to_string(font.height * -kPointsPerInch / dpi_));
    doc.Set(kPanes[i].section, "Font Name", font.faceName);
    doc.Set(kPanes[i].section, "Font Weight", std::to_string(font.weight));
  }
  for (size_t i = 0; i < kPaneKindCount; ++i) {
    for (const ColorKey &key : ColorKeysOf(static_cast<PaneKind>(i))) {
      const ColorSetting &color = panes[i].Color(key.role);
      uint32_t rgb = host ? host->ResolveColor(color.color) : color.color;
      doc.Set(kPanes[i].section, key.name, color.useDefault ? std::string("Default") : RgbText(rgb));
    }
  }
  for (size_t n = 0; n < EnvironmentSettings::kCustomColorCount; ++n)
    doc.Set(kEnvironment, fmt::format("CustomColor{}", n), RgbText(environment.customColors[n]));

  for (PaneKind kind : kPlacementOrder) {
    const char *section = kPanes[static_cast<size_t>(kind)].section;
    const WindowPlacement &record = Pane(kind).placement;
    const PlacementRect &rect = record.placement.normalPosition;
    doc.Set(section, "Left", std::to_string(rect.left));
    doc.Set(section, "Top", std::to_string(rect.top));
    doc.Set(section, "Right", std::to_string(rect.right));
    doc.Set(section, "Bottom", std::to_string(rect.bottom));
    doc.Set(section, "Open", record.open ? "1" : "0");
  }

  recentFiles.Save(doc, kMain);

  for (size_t index : kHistorySaveOrder) {
    const HistoryKey &history = kHistories[index];
    const cComboList &list = environment.*history.list;
    std::string text = list.GetCommaText();
    doc.Set(kEnvironment, history.text, text);
    doc.Set(kEnvironment, history.count, std::to_string(text.empty() ? 0 : list.Count()));
  }
}

} // namespace tsw
