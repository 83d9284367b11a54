#include "gui/dlgdiscovery.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <string>

#include "compcore/link/tcs/discovery.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"
#include "gui/resbuilder.h"

namespace tsw {
namespace {

constexpr uint32_t kListId = 101, kSelectId = 102;
constexpr int kListGapAboveSelect = 28;
// A chosen text keeps at most this many characters.
constexpr size_t kChosenTextLimit = 254;

struct Column {
  const char *title;
  int width;
};
constexpr Column kColumns[] = {
    {"Name", 150}, {"IP Address", 150}, {"Control Port", 80}, {"Status", 150}, {"MAC Address", 150}};

cDiscovery *openDialog = nullptr;

std::string Cut(const QString &text) { return text.toStdString().substr(0, kChosenTextLimit); }

} // namespace

bool DiscoveryRows::Add(const DiscoveryRow &row) {
  for (const DiscoveryRow &listed : rows_)
    if (listed.address == row.address)
      return false;
  rows_.push_back(row);
  return true;
}

DiscoverySearch LinkDiscovery() { return {&DiscoverTargets, &PollDiscoveryReplies, &StopDiscovery}; }

cDiscovery::cDiscovery(const LanguageModule &module, QWidget *parent, DiscoverySearch search)
    : search_(std::move(search)) {
  made_ = LoadDialogTemplate(module, kDiscoveryTemplate, parent, nullptr);
  dialog_ = dynamic_cast<QDialog *>(made_.get());
  if (!dialog_)
    return;
  list_ = dynamic_cast<QTreeWidget *>(FindControl(*dialog_, kListId));
  select_ = dynamic_cast<QPushButton *>(FindControl(*dialog_, kSelectId));
  if (list_) {
    list_->setColumnCount(int(std::size(kColumns)));
    QStringList titles;
    for (const Column &column : kColumns)
      titles << column.title;
    list_->setHeaderLabels(titles);
    for (int i = 0; i < int(std::size(kColumns)); ++i)
      list_->setColumnWidth(i, kColumns[i].width);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (select_)
      list_->setGeometry(0, 0, dialog_->width(), std::max(0, select_->y() - kListGapAboveSelect));
    QObject::connect(list_, &QTreeWidget::itemDoubleClicked, dialog_, [this] { Select(); });
  }
  if (select_) {
    select_->setEnabled(false);
    QObject::connect(select_, &QPushButton::clicked, dialog_, [this] { Select(); });
  }
  if (auto *cancel = dynamic_cast<QPushButton *>(FindControl(*dialog_, kCancelButtonId)))
    QObject::connect(cancel, &QPushButton::clicked, dialog_, &QDialog::reject);
  timer_ = new QTimer(dialog_);
  timer_->setInterval(kDiscoveryTickMs);
  QObject::connect(timer_, &QTimer::timeout, dialog_, [this] { Tick(); });
}

cDiscovery::~cDiscovery() {
  StopSearch();
  if (openDialog == this)
    openDialog = nullptr;
}

cDiscovery *cDiscovery::Open() { return openDialog; }

std::optional<DiscoveryRow> cDiscovery::Run() {
  if (!dialog_)
    return std::nullopt;
  openDialog = this;
  ticks_ = 0;
  try {
    if (search_.start)
      search_.start();
    searching_ = true;
  } catch (...) {
    openDialog = nullptr;
    throw;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  waitCursor_ = true;
  timer_->start();
  dialog_->exec();
  StopSearch();
  openDialog = nullptr;
  if (failure_)
    std::rethrow_exception(std::exchange(failure_, nullptr));
  return chosen_;
}

void cDiscovery::StopSearch() {
  if (timer_)
    timer_->stop();
  if (waitCursor_) {
    QApplication::restoreOverrideCursor();
    waitCursor_ = false;
  }
  if (searching_) {
    searching_ = false;
    // Closing the socket cannot fail in a way the user could act on.
    try {
      if (search_.stop)
        search_.stop();
    } catch (const xErr &) {
    }
  }
}

// Runs in the dialog's event loop: what fails here ends the dialog and is
// raised by Run, outside the loop.
void cDiscovery::Tick() {
  const int before = ticks_++;
  try {
    if (before < kDiscoveryTicks) {
      if (search_.poll)
        search_.poll();
      return;
    }
    timer_->stop();
    if (waitCursor_) {
      QApplication::restoreOverrideCursor();
      waitCursor_ = false;
    }
    if (rows_.Rows().empty())
      throw xTCErr(kMsgNoBoardFound, kDiscoveryModule, __LINE__);
  } catch (...) {
    failure_ = std::current_exception();
    timer_->stop();
    dialog_->reject();
  }
}

void cDiscovery::AddTargetRow(const DiscoveryRow &row) {
  if (!list_ || !rows_.Add(row))
    return;
  auto *item = new QTreeWidgetItem(list_);
  const std::string *texts[] = {&row.name, &row.address, &row.port, &row.status, &row.ethernet};
  for (int i = 0; i < int(std::size(texts)); ++i)
    item->setText(i, QString::fromStdString(*texts[i]));
  if (select_)
    select_->setEnabled(true);
}

void cDiscovery::Select() {
  if (!list_)
    return;
  QList<QTreeWidgetItem *> selected = list_->selectedItems();
  if (selected.isEmpty())
    return;
  QTreeWidgetItem *item = selected.front();
  chosen_ =
      DiscoveryRow{Cut(item->text(0)), Cut(item->text(1)), Cut(item->text(2)), Cut(item->text(3)), Cut(item->text(4))};
  dialog_->accept();
}

} // namespace tsw
