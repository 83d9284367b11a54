#pragma once

#include <QMainWindow>

#include <map>

#include "gui/commands.h"

class QAction;
class QMenu;
class QToolBar;

// The main frame: the main client window in its middle, the tool bar at
// the top, the status bar at the bottom, and one action per command id,
// each routed through the command table and enabled by its owner.
namespace tsw {

class cMainWindow;
class cStatBar;
class LanguageModule;

// A window that handles commands of its own: the text panes and frames.
class CommandOwnerWidget {
public:
  virtual ~CommandOwnerWidget() = default;
  virtual const CommandHandlers &OwnCommands() const = 0;
};

// The tool bar's buttons, left to right; 0 is a separator.
inline constexpr uint16_t kToolBarLayout[] = {
    cmd::kNew, cmd::kOpen,           cmd::kSave,    0, cmd::kPrint,          cmd::kPrintPreview,    0,
    cmd::kCut, cmd::kCopy,           cmd::kPaste,   0, cmd::kFind,           cmd::kReplace,         cmd::kFindNext,
    0,         cmd::kLeaveDebugging, cmd::kCompile, 0, cmd::kToggleAssembly, cmd::kToggleRegisters, cmd::kToggleStack,
    0,         cmd::kHelpContents,
};

bool IsCheckCommand(uint16_t id);

class cMainFrame : public QMainWindow {
  Q_OBJECT
public:
  // `appCommands` are the application's own, last in the routing chain.
  cMainFrame(cMainWindow *client, const CommandHandlers &appCommands, QWidget *parent = nullptr);
  ~cMainFrame() override;

  cMainWindow *Client() const { return client_; }
  cStatBar *StatusBar() const { return statusBar_; }
  QToolBar *ToolBar() const { return toolBar_; }
  // The action of a command id; null for an id outside the table.
  QAction *Action(uint16_t id) const;
  const CommandRouter &Router() const { return router_; }

  // Runs every enabler and sets the actions from them.
  void UpdateCommandStates();
  // The frame menu with the window menu in it, and the accelerators, from
  // the language module; each item is the command's one action.
  void BuildMenus(const LanguageModule &module);
  QMenu *FileMenu() const { return fileMenu_; }
  QMenu *WindowMenu() const { return windowMenu_; }

  // The main window is asked before the frame closes.
  std::function<bool()> canClose;
  // Runs once when the frame's window goes away.
  std::function<void()> cleanup;

protected:
  void closeEvent(QCloseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  CommandRouter::Chain Chain() const;
  void BuildActions();
  void BuildToolBar();

  cMainWindow *client_;
  const CommandHandlers *appCommands_;
  CommandRouter router_;
  cStatBar *statusBar_ = nullptr;
  QToolBar *toolBar_ = nullptr;
  std::map<uint16_t, QAction *> actions_;
  std::map<QObject *, uint16_t> toolButtons_;
  QMenu *fileMenu_ = nullptr;
  QMenu *windowMenu_ = nullptr;
};

} // namespace tsw
