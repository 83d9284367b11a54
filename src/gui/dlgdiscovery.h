#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "compcore/link/discoveryrow.h"

class QDialog;
class QPushButton;
class QTimer;
class QTreeWidget;
class QWidget;

// The discovery dialog: the boards that answer the network broadcast, one
// row each, for the user to pick one. The search runs for about five
// seconds from the dialog's timer; a search that finds no board ends the
// dialog with an error.
namespace tsw {

class LanguageModule;

inline constexpr const char *kDiscoveryTemplate = "DIALOG_DISCOVERY";
inline constexpr int kDiscoveryTickMs = 100;
inline constexpr int kDiscoveryTicks = 50;
inline constexpr const char *kDiscoveryModule = "gui\\tswopt";

// The rows apart from the window: one per board address.
class DiscoveryRows {
public:
  // False when a board of that address is listed already.
  bool Add(const DiscoveryRow &row);
  const std::vector<DiscoveryRow> &Rows() const { return rows_; }

private:
  std::vector<DiscoveryRow> rows_;
};

// The search as the dialog drives it; the link's broadcast by default.
struct DiscoverySearch {
  std::function<void()> start, poll, stop;
};
DiscoverySearch LinkDiscovery();

class cDiscovery {
public:
  cDiscovery(const LanguageModule &module, QWidget *parent, DiscoverySearch search = LinkDiscovery());
  ~cDiscovery();
  cDiscovery(const cDiscovery &) = delete;
  cDiscovery &operator=(const cDiscovery &) = delete;

  // Runs modally: the chosen board, none when the user closed the dialog.
  // A search that found nothing, or failed, raises its error here.
  std::optional<DiscoveryRow> Run();
  // A board's reply, while this is the open discovery dialog.
  void AddTargetRow(const DiscoveryRow &row);

  QDialog *Dialog() const { return dialog_; }
  QTreeWidget *List() const { return list_; }
  QPushButton *SelectButton() const { return select_; }
  // The discovery dialog that is open, or null.
  static cDiscovery *Open();

private:
  void Tick();
  void Select();
  void StopSearch();

  std::unique_ptr<QWidget> made_;
  QDialog *dialog_ = nullptr;
  QTreeWidget *list_ = nullptr;
  QPushButton *select_ = nullptr;
  QTimer *timer_ = nullptr;
  DiscoverySearch search_;
  DiscoveryRows rows_;
  std::optional<DiscoveryRow> chosen_;
  std::exception_ptr failure_;
  int ticks_ = 0;
  bool searching_ = false;
  bool waitCursor_ = false;
};

} // namespace tsw
