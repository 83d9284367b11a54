#pragma once

#include <cstdint>
#include <string>

// The help commands: the program's help file, the assembler's instruction
// reference, and the online documents whose addresses the settings keep.
namespace tsw {

class Settings;
class CommandHandlers;

inline constexpr uint32_t kHelpQuit = 0, kHelpContents = 1, kHelpTopicIndex = 2;
// The help context of the library-function dialogs.
inline constexpr uint32_t kFunctionHelpContext = 0x2000100;
inline constexpr uint32_t kEditorHelpContext = 0x2000000;
inline constexpr const char *kAsmHelpKeyword = "Alphabetical List of Instructions";
inline constexpr const char *kOnlineDocumentsTitle = "Online Documents";
inline constexpr const char *kTechSupportValue = "TechSupportURL";
inline constexpr const char *kTechSupportPage = "https://support.tessel-c.example/";

// Where the help files lie: the settings' names in the program directory.
struct HelpFiles {
  std::string help;
  std::string assemblerHelp;
};
HelpFiles MakeHelpFiles(const Settings &settings);

// What shows help and documents on this system.
class HelpViewer {
public:
  virtual ~HelpViewer() = default;
  virtual void Close() = 0;
  // The file's contents, a numbered topic of it, or the topic a keyword
  // leads to; false when the file could not be shown.
  virtual bool ShowContents(const std::string &file) = 0;
  virtual bool ShowContext(const std::string &file, uint32_t context) = 0;
  virtual bool ShowKeyword(const std::string &file, const std::string &keyword) = 0;
  // A page, a local file or a web address, in the web browser.
  virtual bool OpenPage(const std::string &page) = 0;
};
// The viewer in use: by default the desktop's, where files and pages go
// to the programs the desktop has for them; nullptr puts that back.
void SetHelpViewer(HelpViewer *viewer);
HelpViewer &ShellHelpViewer();

// Topic 0 closes help, 1 shows the contents, any other number that topic.
// A file that cannot be shown is said in a box (5023).
void ShowHelpTopic(HelpViewer &viewer, const HelpFiles &files, uint32_t topic);
void ShowAsmHelp(HelpViewer &viewer, const HelpFiles &files);
// The page the settings name under `valueName` (`defaultPage` when they
// name none); an empty one, or one the browser does not take, is box 4004.
void ShowOnlineDocument(HelpViewer &viewer, const Settings &settings, const std::string &valueName,
                        const std::string &defaultPage);

// The main window's help commands, through the viewer in use.
void AddHelpCommands(CommandHandlers &commands, const Settings &settings);

} // namespace tsw
