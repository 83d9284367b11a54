#include "gui/recentfiles.h"

#include <QAction>
#include <QMenu>

namespace tsw {

void RebuildRecentFileMenu(QMenu &fileMenu, const RecentFiles &recent) {
  for (QAction *action : fileMenu.actions()) {
    bool ok = false;
    uint32_t id = action->data().toUInt(&ok);
    if (ok && id >= RecentFiles::kFirstCommand && id < RecentFiles::kFirstCommand + RecentFiles::kMenuItemCount) {
      fileMenu.removeAction(action);
      delete action;
    }
  }
  QList<QAction *> left = fileMenu.actions();
  if (!left.isEmpty() && left.back()->isSeparator()) {
    fileMenu.removeAction(left.back());
    delete left.back();
  }
  std::vector<RecentMenuItem> items = RecentMenuItems(recent);
  if (recent.Count() > 0)
    fileMenu.addSeparator();
  for (const RecentMenuItem &item : items) {
    QAction *action = fileMenu.addAction(QString::fromStdString(item.text));
    action->setData(item.commandId);
  }
}

} // namespace tsw
