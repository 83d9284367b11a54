#pragma once

#include <functional>
#include <optional>

#include "compcore/link/discoveryrow.h"

class QWidget;

// The target communication options dialog: the serial port and its line,
// or the board's network address, control port and name.
namespace tsw {

class LanguageModule;
struct CommunicationSettings;

struct TargetOptionsServices {
  // The board the user picks from the discovery dialog; none when the user
  // picked none or no board answered (reported). The discovery dialog while
  // empty.
  std::function<std::optional<DiscoveryRow>(QWidget *parent)> discover;
  // Runs whenever the choice between the links is made: a link's program
  // is compiled for debugging again.
  std::function<void()> linkChosen;
};

// Runs the dialog modally over the link settings; true when OK stored them.
// A network address that does not parse, or none, keeps the dialog open
// while the network link is chosen.
bool RunTargetOptionsDialog(const LanguageModule &module, QWidget *parent, CommunicationSettings &comm,
                            const TargetOptionsServices &services);

} // namespace tsw
