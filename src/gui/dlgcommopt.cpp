#include "gui/dlgcommopt.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "foundation/xerr.h"
#include "gui/dlgdiscovery.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"
#include "platform/notify.h"
#include "platform/socket.h"

namespace tsw {
namespace {

constexpr const char *kTargetOptionsTemplate = "DIALOG_COMMOPT";
constexpr uint32_t kPortId = 101, kBaudId = 102, kStopBitsId = 103;
constexpr uint32_t kFullDuplexId = 104, kHalfSafeId = 105, kHalfId = 106;
constexpr uint32_t kTcpId = 108, kSerialId = 109;
constexpr uint32_t kAddressId = 110, kControlPortId = 121, kNameId = 115, kDiscoverId = 126;

constexpr uint32_t kSerialControls[] = {101, 102, 103, 104, 105, 106, 107, 111, 113, 114};
constexpr uint32_t kTcpControls[] = {110, 112, 115, 117, 121, 124, 126};
// Without the network link these go, and the serial link is the only one.
constexpr uint32_t kNetworkOnlyControls[] = {119, 108, 126, 112, 110, 115, 121, 117, 124, 109};

constexpr int kAddressLength = 15;
constexpr size_t kNameLength = 254;
constexpr size_t kControlPortTextLength = 31;
// What the address parser answers for a text it refuses.
constexpr uint32_t kRefusedAddress = 0xFFFFFFFFu;

struct Choice {
  const char *text;
  uint32_t value;
};
constexpr Choice kPorts[] = {{"COM1:", 1}, {"COM2:", 2}, {"COM3:", 3}, {"COM4:", 4},
                             {"COM5:", 5}, {"COM6:", 6}, {"COM7:", 7}, {"COM8:", 8}};
constexpr Choice kBauds[] = {
    {"110", 110},     {"150", 150},     {"300", 300},       {"600", 600},       {"1200", 1200},     {"2400", 2400},
    {"4800", 4800},   {"9600", 9600},   {"12800", 12800},   {"14400", 14400},   {"19200", 19200},   {"28800", 28800},
    {"38400", 38400}, {"57600", 57600}, {"115200", 115200}, {"128000", 128000}, {"230400", 230400}, {"256000", 256000}};
constexpr Choice kStopBits[] = {{"1", 0}, {"2", 2}};

// Fills the combo box and selects the value's entry, the first when none
// has it.
template <size_t N> void FillChoices(QComboBox &box, const Choice (&choices)[N], uint32_t value) {
  box.setEditable(false);
  box.clear();
  int selected = 0;
  for (size_t i = 0; i < N; ++i) {
    box.addItem(choices[i].text, QVariant::fromValue(choices[i].value));
    if (choices[i].value == value)
      selected = int(i);
  }
  box.setCurrentIndex(selected);
}

uint32_t Chosen(const QComboBox &box) { return box.currentData().toUInt(); }

void AddressError(const char *text) {
  plat::Notifier().MessageBox("Address Error", text, plat::Buttons::Ok, plat::Icon::Error);
}

// Closes the gaps the hidden controls leave: each control below one moves
// up by the room it took, and the dialog loses that much height.
void CloseHiddenGaps(QDialog &dialog) {
  std::vector<QWidget *> children;
  for (QObject *child : dialog.children())
    if (auto *w = qobject_cast<QWidget *>(child); w && !w->isWindow())
      children.push_back(w);
  std::stable_sort(children.begin(), children.end(), [](QWidget *a, QWidget *b) { return a->y() < b->y(); });
  int shift = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    QWidget *w = children[i];
    if (w->isHidden()) {
      const int next = i + 1 < children.size() ? children[i + 1]->y() : w->y() + w->height();
      shift += next - w->y();
      continue;
    }
    w->move(w->x(), w->y() - shift);
  }
  dialog.resize(dialog.width(), dialog.height() - shift);
}

std::optional<DiscoveryRow> DiscoverOnNetwork(const LanguageModule &module, QWidget *parent) {
  cDiscovery discovery(module, parent);
  try {
    return discovery.Run();
  } catch (const xErr &error) {
    error.Report();
    return std::nullopt;
  }
}

} // namespace

bool RunTargetOptionsDialog(const LanguageModule &module, QWidget *parent, CommunicationSettings &comm,
                            const TargetOptionsServices &services) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, kTargetOptionsTemplate, parent, nullptr);
  auto *dialog = dynamic_cast<QDialog *>(made.get());
  if (!dialog)
    return false;
  QDialog &d = *dialog;
  auto *port = Control<QComboBox>(d, kPortId);
  auto *baud = Control<QComboBox>(d, kBaudId);
  auto *stopBits = Control<QComboBox>(d, kStopBitsId);
  auto *full = Control<QRadioButton>(d, kFullDuplexId);
  auto *halfSafe = Control<QRadioButton>(d, kHalfSafeId);
  auto *half = Control<QRadioButton>(d, kHalfId);
  auto *tcp = Control<QRadioButton>(d, kTcpId);
  auto *serial = Control<QRadioButton>(d, kSerialId);
  auto *address = Control<QLineEdit>(d, kAddressId);
  auto *controlPort = Control<QLineEdit>(d, kControlPortId);
  auto *name = Control<QLineEdit>(d, kNameId);
  if (!port || !baud || !stopBits || !full || !halfSafe || !half || !tcp || !serial || !address || !controlPort ||
      !name)
    return false;
  // The duplex modes and the two links are a choice each, whatever the
  // template put next to them.
  auto *duplexGroup = new QButtonGroup(&d);
  for (QRadioButton *b : {full, halfSafe, half})
    duplexGroup->addButton(b);
  auto *linkGroup = new QButtonGroup(&d);
  for (QRadioButton *b : {tcp, serial})
    linkGroup->addButton(b);

  if (comm.fullDuplex == 0)
    (comm.safety == 0 ? half : halfSafe)->setChecked(true);
  else
    full->setChecked(true);
  FillChoices(*port, kPorts, comm.port);
  FillChoices(*baud, kBauds, comm.baudRate);
  FillChoices(*stopBits, kStopBits, comm.stopBits);

  auto enableFor = [&d](bool overTcp) {
    for (uint32_t id : kTcpControls)
      if (QWidget *w = FindControl(d, id))
        w->setEnabled(overTcp);
    for (uint32_t id : kSerialControls)
      if (QWidget *w = FindControl(d, id))
        w->setEnabled(!overTcp);
  };
  // Filled even while hidden, so that OK keeps the network values.
  address->setMaxLength(kAddressLength + 1);
  address->setText(QString::fromStdString(comm.netAddressText));
  controlPort->setText(QString::number(comm.tcpPort));
  name->setText(QString::fromStdString(comm.controllerName));
  if (!comm.enableTcp) {
    serial->setChecked(true);
    for (uint32_t id : kNetworkOnlyControls)
      if (QWidget *w = FindControl(d, id))
        w->hide();
    CloseHiddenGaps(d);
  } else {
    (comm.useTcp ? tcp : serial)->setChecked(true);
  }
  auto linkChanged = [&] {
    enableFor(tcp->isChecked());
    if (services.linkChosen)
      services.linkChosen();
  };
  linkChanged();
  QObject::connect(tcp, &QRadioButton::toggled, &d, linkChanged);

  if (auto *discover = Control<QPushButton>(d, kDiscoverId))
    QObject::connect(discover, &QPushButton::clicked, &d, [&] {
      const std::optional<DiscoveryRow> board =
          services.discover ? services.discover(&d) : DiscoverOnNetwork(module, &d);
      if (board) {
        address->setText(QString::fromStdString(board->address));
        name->setText(QString::fromStdString(board->name));
        controlPort->setText(QString::fromStdString(board->port));
      }
      d.activateWindow();
    });

  const bool accepted = ExecTemplateDialog(d, [&] {
    if (tcp->isChecked()) {
      const std::string text = address->text().toStdString().substr(0, kAddressLength);
      bool refused = false;
      if (plat::ParseIPv4(text) == kRefusedAddress) {
        AddressError("Invalid Address");
        refused = true;
      }
      if (text.empty()) {
        AddressError("Address cannot be blank");
        refused = true;
      }
      if (refused) {
        address->setFocus();
        return;
      }
    }
    d.accept();
  });
  if (!accepted)
    return false;

  comm.port = uint16_t(Chosen(*port));
  comm.baudRate = Chosen(*baud);
  comm.stopBits = uint16_t(Chosen(*stopBits));
  comm.fullDuplex = full->isChecked() ? 1 : 0;
  comm.safety = halfSafe->isChecked() ? 1 : 0;
  comm.useTcp = tcp->isChecked();
  comm.netAddressText = address->text().toStdString().substr(0, kAddressLength);
  comm.netAddress = plat::ParseIPv4(comm.netAddressText);
  comm.controllerName = name->text().toStdString().substr(0, kNameLength);
  comm.tcpPort = uint16_t(std::atoi(controlPort->text().toStdString().substr(0, kControlPortTextLength).c_str()));
  return true;
}

} // namespace tsw
