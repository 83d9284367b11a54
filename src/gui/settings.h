#pragma once

#include "gui/combolist.h"
#include "gui/recentfiles.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Every user setting of the IDE, loaded once at start-up from one ini file
// per user and version and written back once at shut-down. Nothing here
// reports an error: a file that cannot be read gives the defaults, one that
// cannot be written is noted on standard error and left as it was.
namespace tsw {

namespace plat {
class ProfileDocument;
}

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
  return (red & 255) | (green & 255) << 8 | (blue & 255) << 16;
}
constexpr uint32_t RedOf(uint32_t rgb) { return rgb & 255; }
constexpr uint32_t GreenOf(uint32_t rgb) { return rgb >> 8 & 255; }
constexpr uint32_t BlueOf(uint32_t rgb) { return rgb >> 16 & 255; }
constexpr uint32_t kWhite = Rgb(255, 255, 255);

// A pane colour: the system's or device default, or a colour of our own.
struct ColorSetting {
  uint32_t useDefault = 1;
  uint32_t color = 0; // red in the low byte
};

// The font of a pane, in the form the text panes measure: the height in
// device units, negative for a character height.
struct FontSetting {
  static constexpr size_t kFaceNameSize = 32;
  static constexpr uint8_t kFixedPitch = 1;
  int32_t height = 0;
  int32_t weight = 0;
  uint8_t charSet = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName; // at most kFaceNameSize - 1 characters
};

struct PlacementPoint {
  int32_t x = 0, y = 0;
};
struct PlacementRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// One saved window placement: nothing (0), a rectangle from the settings
// (1), or a placement captured from a live window (2).
struct WindowPlacement {
  enum State : uint32_t { kNone = 0, kRectangle = 1, kCaptured = 2 };
  static constexpr uint32_t kShowNormal = 1;
  static constexpr uint32_t kShowMinimized = 2;
  static constexpr uint32_t kShowMaximized = 3;
  struct Placement {
    uint32_t length = 44;
    uint32_t flags = 0;
    uint32_t showCmd = kShowNormal;
    PlacementPoint minPosition, maxPosition;
    PlacementRect normalPosition;
  };

  uint32_t state = kNone;
  Placement placement;
  bool open = false;

  void Init(bool isOpen) { *this = WindowPlacement{kNone, Placement{}, isOpen}; }
};

// The eleven window kinds with fonts and colours of their own, in the order
// they are loaded and saved.
enum class PaneKind : uint8_t {
  kEditor,
  kStdio,
  kMessage,
  kWatch,
  kAssembly,
  kDump,
  kRegister,
  kStack,
  kLibraryLookup,
  kErrorEditor,
  kDebugEditor,
};
inline constexpr size_t kPaneKindCount = 11;

enum class ColorRole : uint8_t {
  kForeground,
  kBackground,
  kSelectionFg,
  kSelectionBg,
  kCurrentMessageFg, // message window only
  kCurrentMessageBg,
  kExecutionCursorFg, // debug editor only
  kExecutionCursorBg,
  kBreakpointFg,
  kBreakpointBg,
};
inline constexpr size_t kColorRoleCount = 10;

struct PaneSettings {
  FontSetting font;
  std::array<ColorSetting, kColorRoleCount> colors;
  WindowPlacement placement; // unused by the editor and the library lookup window

  ColorSetting &Color(ColorRole role) { return colors[static_cast<size_t>(role)]; }
  const ColorSetting &Color(ColorRole role) const { return colors[static_cast<size_t>(role)]; }
};

struct MainSettings {
  std::string resourceModule; // 260 bytes
  std::string executableDirectory;
  bool toolBarOn;
  uint16_t biosFileType;
  bool userLibEnabled, userBiosEnabled, restrictWatchExp;
  bool show32BitRegs, verboseDisassembly, assumeCorvidCpu;
  bool zoomed;
  int32_t left, top, right, bottom;
};

struct EditorSettings {
  uint16_t tabs;
  bool autoIndent, removeTrailingWhitespace;
};

struct CommunicationSettings {
  uint16_t port;
  uint32_t baudRate;
  uint32_t currentBaud; // not stored: the user's rate at load
  uint16_t stopBits, fullDuplex, safety;
  bool useTcp;
  uint32_t netAddress;
  std::string netAddressText; // 16 bytes
  std::string controllerName; // 256 bytes
  uint16_t tcpPort;
  bool enableTcp;
  uint16_t rtsFlow;         // read only
  uint16_t disableModemInt; // carried
  uint16_t toolHelpTimer;   // read only
};

// The IDE's own compiler options ("Tessel C Compiler"), not the tsw.cfg record.
struct CompilerPreferences {
  uint16_t maxRows; // rows of the message window, at least 2
  uint16_t maxErrors, maxSeriousWarnings, maxTrivialWarnings;
  bool noBouncers, storageClassWarning, zeroPadBinFile, includeTimeStamp;
};

struct StdioSettings {
  bool autoOpen, outputToFile;
  std::string outputPath; // 260 bytes
  bool appendOutput;
  uint16_t cursor;
  // Read, never written.
  bool ansiEscapes, dosColors, ansiArrows, dosArrows, inputFromFile;
  std::string inputPath;
  bool halfDuplex;
};

struct EnvironmentSettings {
  static constexpr size_t kCustomColorCount = 16;
  static constexpr size_t kFileEntrySize = 260;
  bool caseSensitiveSearch, searchFromCursor, noPromptReplace;
  std::string startLocation; // written only: the current directory at load
  std::array<uint32_t, kCustomColorCount> customColors;
  cComboList findHistory, replaceHistory, dumpHistory;
  cComboList fileHistory{cComboList::kDefaultCapacity, kFileEntrySize};
  cComboList dasmHistory;
};

struct PersonalitySettings {
  std::string defaultH, helpFile, helpIRFile; // 514 bytes
  std::string distribution;                   // 64 bytes
  std::string defaultURL, defaultKeywordURL, defaultFunctionURL, defaultOperatorURL;
};

struct DownloadSettings {
  std::string rootCodeTop, xmemCodeTop, rootDataBottom, xmemDataBottom; // 9 bytes
};

struct FileLocationSettings {
  std::string defaultUserBios, userLibDir, coldloader, pilotBios, defaultLibDir, defaultBios, corvidRtiFile,
      precompile; // 260 bytes
};

// What the store needs of the live program when it saves.
class SettingsHost {
public:
  struct MainWindowState {
    bool maximized = false;
    bool minimized = false;
    PlacementRect rect; // screen coordinates
  };
  virtual ~SettingsHost() = default;
  // Nothing while the main window does not exist.
  virtual std::optional<MainWindowState> MainWindow() const = 0;
  // A system colour value becomes its current RGB; an RGB stays.
  virtual uint32_t ResolveColor(uint32_t color) const { return color; }
};

// The settings file of one version text: $XDG_CONFIG_HOME (or ~/.config)
// + "/Brindle/TSW/Corvid/" + the version text made a safe file name. A
// very long version text is split into directory levels, so every text
// names a file of its own inside that directory.
std::string SettingsFilePath(std::string_view versionText);

// Reads only "Resource Module" of the main section; `name` keeps its text
// when the value is absent (or too long for its 260 bytes).
void ReadResourceModuleName(std::string_view versionText, std::string &name);

class Settings {
public:
  static constexpr int32_t kLogicalDpiDefault = 96;

  // `executableDirectory` ends in a separator; `dpi` is the screen's
  // logical pixels per inch for the font heights.
  Settings(std::string versionText, std::string executableDirectory, int32_t dpi = kLogicalDpiDefault);
  Settings(const Settings &) = delete;
  Settings &operator=(const Settings &) = delete;

  // Every value back to its default; the resource module name is kept.
  void Reset();
  // Reads the file (once) and writes the documentation pages back at once,
  // so they stand in the file from the first start.
  void Load();
  // Writes every setting over the file as it is now, in one replacement.
  // False (and noted on standard error) when it could not be written.
  bool Save(const SettingsHost *host = nullptr);

  const std::string &FilePath() const { return path_; }
  const std::string &VersionText() const { return versionText_; }
  int32_t Dpi() const { return dpi_; }

  PaneSettings &Pane(PaneKind kind) { return panes[static_cast<size_t>(kind)]; }
  const PaneSettings &Pane(PaneKind kind) const { return panes[static_cast<size_t>(kind)]; }

  MainSettings main;
  EditorSettings editor;
  CommunicationSettings comm;
  CompilerPreferences compiler;
  StdioSettings stdio;
  EnvironmentSettings environment;
  PersonalitySettings personality;
  DownloadSettings download;
  FileLocationSettings locations;
  std::array<PaneSettings, kPaneKindCount> panes;
  RecentFiles recentFiles;

private:
  void ReadAll(const plat::ProfileDocument &doc);
  void WriteAll(plat::ProfileDocument &doc, const SettingsHost *host);
  void WriteDocumentPages(plat::ProfileDocument &doc) const;

  std::string versionText_;
  std::string path_;
  int32_t dpi_;
};

} // namespace tsw
