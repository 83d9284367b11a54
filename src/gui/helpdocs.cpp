#include "gui/helpdocs.h"

#include <QDesktopServices>
#include <QUrl>

#include <optional>

#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/settings.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace tsw {
namespace {

constexpr const char *kHelpModule = "gui\\tswhelp";
constexpr const char *kPersonalitySection = "Tessel C Personality";

// The desktop has no help engine that knows topics or keywords: each shows
// the file as a whole.
class DesktopViewer : public HelpViewer {
public:
  void Close() override {}
  bool ShowContents(const std::string &file) override { return OpenFile(file); }
  bool ShowContext(const std::string &file, uint32_t) override { return OpenFile(file); }
  bool ShowKeyword(const std::string &file, const std::string &) override { return OpenFile(file); }
  bool OpenPage(const std::string &page) override {
    std::optional<std::string> local = plat::ResolvePath(page);
    const QUrl url = local ? QUrl::fromLocalFile(QString::fromStdString(*local))
                           : QUrl(QString::fromStdString(page), QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
  }

private:
  static bool OpenFile(const std::string &file) {
    std::optional<std::string> found = plat::ResolvePath(file);
    return found && QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(*found)));
  }
};

void CannotShow(const std::string &file, uint32_t line) {
  xFileOpen(kMsgCannotOpen, file.c_str(), kHelpModule, line).Report();
}

} // namespace

namespace {
HelpViewer *&ViewerInUse() {
  static HelpViewer *viewer = nullptr;
  return viewer;
}
} // namespace

void SetHelpViewer(HelpViewer *viewer) { ViewerInUse() = viewer; }

HelpViewer &ShellHelpViewer() {
  static DesktopViewer desktop;
  return ViewerInUse() ? *ViewerInUse() : desktop;
}

HelpFiles MakeHelpFiles(const Settings &settings) {
  const std::string &directory = settings.main.executableDirectory;
  return {plat::JoinPath(directory, settings.personality.helpFile),
          plat::JoinPath(directory, settings.personality.helpIRFile)};
}

void ShowHelpTopic(HelpViewer &viewer, const HelpFiles &files, uint32_t topic) {
  if (topic == kHelpQuit) {
    viewer.Close();
    return;
  }
  const bool shown =
      topic == kHelpContents ? viewer.ShowContents(files.help) : viewer.ShowContext(files.help, topic);
  if (!shown)
    CannotShow(files.help, __LINE__);
}

void ShowAsmHelp(HelpViewer &viewer, const HelpFiles &files) {
  if (!viewer.ShowKeyword(files.assemblerHelp, kAsmHelpKeyword))
    CannotShow(files.assemblerHelp, __LINE__);
}

void ShowOnlineDocument(HelpViewer &viewer, const Settings &settings, const std::string &valueName,
                        const std::string &defaultPage) {
  // Read where the user may have changed it since the program started.
  const plat::ProfileDocument document(settings.FilePath());
  const std::string page = document.Get(kPersonalitySection, valueName).value_or(defaultPage);
  if (page.empty() || !viewer.OpenPage(page))
    plat::Notifier().MessageBox(kOnlineDocumentsTitle, GetResourceString(kMsgCannotStartViewer), plat::Buttons::Ok,
                                plat::Icon::Error);
}

void AddHelpCommands(CommandHandlers &commands, const Settings &settings) {
  const HelpFiles files = MakeHelpFiles(settings);
  auto topic = [files](uint32_t number) { return [files, number] { ShowHelpTopic(ShellHelpViewer(), files, number); }; };
  commands.Add(cmd::kHelpContents, topic(kHelpContents));
  commands.Add(cmd::kHelpContents2, topic(kHelpContents));
  commands.Add(cmd::kHelpTopic, topic(kHelpTopicIndex));
  commands.Add(cmd::kAssemblerHelp, [files] { ShowAsmHelp(ShellHelpViewer(), files); });
  auto document = [&settings](const char *value, const char *page) {
    return [&settings, value, page] { ShowOnlineDocument(ShellHelpViewer(), settings, value, page); };
  };
  commands.Add(cmd::kOnlineDocs, document(kTechSupportValue, kTechSupportPage));
  commands.Add(cmd::kOnlineFirst, document("DefaultURL", ""));
  commands.Add(cmd::kOnlineFirst + 1, document("DefaultKeywordURL", ""));
  commands.Add(cmd::kOnlineFirst + 2, document("DefaultOperatorURL", ""));
  commands.Add(cmd::kOnlineLast, document("DefaultFunctionURL", ""));
}

} // namespace tsw
