#pragma once

#include "platform/notify.h"

// Message boxes as the user sees them: modal boxes over the active window.
namespace tsw {

class QtNotifier : public plat::Notifications {
public:
  plat::Answer MessageBox(const std::string &title, const std::string &text, plat::Buttons buttons,
                          plat::Icon icon) override;
  void StatusText(const std::string &text) override;
};

} // namespace tsw
