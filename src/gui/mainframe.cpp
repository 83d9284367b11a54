#include "gui/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

#include "foundation/rescatalog.h"
#include "foundation/restext.h"
#include "gui/resbuilder.h"
#include "gui/shellstate.h"
#include "gui/statbar.h"
#include "gui/tswmainw.h"
#include "foundation/msgnumbers.h"

namespace tsw {
namespace {

constexpr uint16_t kCheckCommands[] = {
    cmd::kOptionA, cmd::kOptionB, cmd::kToolBar, cmd::kShow32BitRegs, cmd::kVerboseDisassembly, cmd::kAssumeCorvid};
constexpr int kToolBarPointSize = 10;
constexpr int kSeparatorWidth = 6;
constexpr int kIconSize = 16;
// Enablers also run this often while nothing else asks for them.
constexpr int kIdleUpdateMs = 250;

// The tool bar's images are the program's own: a short mark per command.
const char *ToolMark(uint16_t id) {
  switch (id) {
  case cmd::kNew: return "N";
  case cmd::kOpen: return "O";
  case cmd::kSave: return "S";
  case cmd::kPrint: return "P";
  case cmd::kPrintPreview: return "Pv";
  case cmd::kCut: return "X";
  case cmd::kCopy: return "C";
  case cmd::kPaste: return "V";
  case cmd::kFind: return "F";
  case cmd::kReplace: return "R";
  case cmd::kFindNext: return "F>";
  case cmd::kLeaveDebugging: return "Q";
  case cmd::kCompile: return "Cc";
  case cmd::kToggleAssembly: return "As";
  case cmd::kToggleRegisters: return "Rg";
  case cmd::kToggleStack: return "St";
  case cmd::kHelpContents: return "?";
  default: return "";
  }
}

QIcon ToolIcon(uint16_t id) {
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::darkBlue);
  QFont font = painter.font();
  font.setPixelSize(kIconSize / 2 + 1);
  font.setBold(true);
  painter.setFont(font);
  painter.drawRect(0, 0, kIconSize - 1, kIconSize - 1);
  painter.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, ToolMark(id));
  return QIcon(pixmap);
}

template <class T> T *Enclosing(QWidget *widget) {
  for (; widget; widget = widget->parentWidget())
    if (auto *found = dynamic_cast<T *>(widget))
      return found;
  return nullptr;
}

} // namespace

bool IsCheckCommand(uint16_t id) {
  return std::ranges::find(kCheckableCommands, uint32_t(id)) != std::end(kCheckableCommands);
}

namespace {

// The window menu stands after the first six popups of the frame menu.
constexpr int kWindowMenuPosition = 6;

// Puts the frame's one action of each command in place of the item the
// builder made, and gives every popup its enablers when it opens.
void AdoptActions(QMenu &menu, const std::function<QAction *(uint16_t)> &own, const std::function<void()> &update) {
  QObject::connect(&menu, &QMenu::aboutToShow, &menu, update);
  for (QAction *item : menu.actions()) {
    if (QMenu *sub = item->menu()) {
      AdoptActions(*sub, own, update);
      continue;
    }
    if (item->isSeparator() || !item->data().isValid())
      continue;
    QAction *action = own(uint16_t(item->data().toUInt()));
    if (!action)
      continue;
    action->setText(item->text());
    menu.insertAction(item, action);
    menu.removeAction(item);
    item->deleteLater();
  }
}

} // namespace

cMainFrame::cMainFrame(cMainWindow *client, const CommandHandlers &appCommands, QWidget *parent)
    : QMainWindow(parent), client_(client), appCommands_(&appCommands),
      router_([this] { return Chain(); },
              [this](const std::function<void()> &worker) { client_->Core().RunGuarded(worker); },
              &MainWindowCore::RunReported) {
  setObjectName("MainFrame");
  setCentralWidget(client_);
  statusBar_ = new cStatBar(this);
  setStatusBar(statusBar_);
  Shell().statusBar = statusBar_;
  BuildActions();
  BuildToolBar();
  auto *idle = new QTimer(this);
  idle->setInterval(kIdleUpdateMs);
  connect(idle, &QTimer::timeout, this, &cMainFrame::UpdateCommandStates);
  idle->start();
  connect(qApp, &QApplication::focusChanged, this, &cMainFrame::UpdateCommandStates);
}

cMainFrame::~cMainFrame() {
  if (Shell().statusBar == statusBar_)
    Shell().statusBar = nullptr;
}

CommandRouter::Chain cMainFrame::Chain() const {
  CommandRouter::Chain chain{nullptr, nullptr, &client_->Commands(), appCommands_};
  QWidget *focus = QApplication::focusWidget();
  if (focus && client_->isAncestorOf(focus)) {
    auto *frame = Enclosing<QMdiSubWindow>(focus);
    for (QWidget *w = focus; w && w != frame; w = w->parentWidget())
      if (auto *pane = dynamic_cast<CommandOwnerWidget *>(w)) {
        chain[0] = &pane->OwnCommands();
        break;
      }
    if (auto *owner = dynamic_cast<CommandOwnerWidget *>(frame))
      chain[1] = &owner->OwnCommands();
  }
  return chain;
}

void cMainFrame::BuildActions() {
  for (const CommandSpec &spec : CommandTable()) {
    auto *action = new QAction(this);
    action->setData(spec.id);
    action->setCheckable(IsCheckCommand(spec.id));
    action->setObjectName(QString("cmd%1").arg(spec.id));
    uint16_t id = spec.id;
    connect(action, &QAction::triggered, this, [this, id] {
      router_.Dispatch(id);
      UpdateCommandStates();
    });
    addAction(action);
    actions_[spec.id] = action;
  }
  UpdateCommandStates();
}

void cMainFrame::BuildMenus(const LanguageModule &module) {
  std::string error;
  std::optional<MenuResource> frameMenu = LoadMenuResource(module, kFrameMenuName, &error);
  if (frameMenu) {
    BuildMenuBar(*frameMenu, *menuBar());
    QList<QAction *> popups = menuBar()->actions();
    if (!popups.isEmpty())
      fileMenu_ = popups.front()->menu();
    if (std::optional<MenuResource> windowMenu = LoadMenuResource(module, kWindowMenuName, &error)) {
      windowMenu_ =
          BuildPopupMenu(*windowMenu, QString::fromUtf8(GetResourceString(kMsgWindowMenuTitle)), this).release();
      QAction *before = popups.size() > kWindowMenuPosition ? popups[kWindowMenuPosition] : nullptr;
      menuBar()->insertMenu(before, windowMenu_);
    }
  }
  auto own = [this](uint16_t id) { return Action(id); };
  auto update = [this] { UpdateCommandStates(); };
  for (QAction *popup : menuBar()->actions())
    if (QMenu *menu = popup->menu())
      AdoptActions(*menu, own, update);
  if (std::optional<AcceleratorTable> keys = LoadAcceleratorTable(module, kEditAcceleratorsName, &error))
    InstallAccelerators(*keys, *this, [this](uint32_t id) {
      router_.Dispatch(uint16_t(id));
      UpdateCommandStates();
    });
  if (!error.empty())
    std::fprintf(stderr, "tsw: %s\n", error.c_str());
}

void cMainFrame::BuildToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setObjectName("ToolBar");
  toolBar_->setMovable(false);
  toolBar_->setIconSize({kIconSize, kIconSize});
  QFont font = toolBar_->font();
  font.setPointSize(kToolBarPointSize);
  toolBar_->setFont(font);
  for (uint16_t id : kToolBarLayout) {
    if (id == 0) {
      auto *gap = new QWidget(toolBar_);
      gap->setFixedWidth(kSeparatorWidth);
      toolBar_->addWidget(gap);
      continue;
    }
    QAction *action = Action(id);
    action->setIcon(ToolIcon(id));
    toolBar_->addAction(action);
    if (QWidget *button = toolBar_->widgetForAction(action)) {
      button->installEventFilter(this);
      toolButtons_[button] = id;
    }
  }
  addToolBar(Qt::TopToolBarArea, toolBar_);
}

bool cMainFrame::eventFilter(QObject *watched, QEvent *event) {
  auto it = toolButtons_.find(watched);
  if (it != toolButtons_.end() && statusBar_) {
    if (event->type() == QEvent::Enter) {
      const char *hint = GetResourceString(it->second);
      if (*hint)
        statusBar_->ShowMessage(hint);
    } else if (event->type() == QEvent::Leave) {
      statusBar_->ShowMessage("");
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

QAction *cMainFrame::Action(uint16_t id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void cMainFrame::UpdateCommandStates() {
  for (auto &[id, action] : actions_) {
    CommandState state = router_.State(id);
    action->setEnabled(state.enabled);
    if (action->isCheckable())
      action->setChecked(state.checked);
  }
}

void cMainFrame::closeEvent(QCloseEvent *event) {
  if (canClose && !canClose()) {
    event->ignore();
    return;
  }
  if (cleanup) {
    auto once = std::move(cleanup);
    cleanup = nullptr;
    once();
  }
  event->accept();
}

} // namespace tsw
