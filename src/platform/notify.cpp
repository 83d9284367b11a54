#include "platform/notify.h"

#include <cstdio>

namespace tsw::plat {
namespace {

class StderrNotifier : public Notifications {
public:
  Answer MessageBox(const std::string &title, const std::string &text, Buttons buttons, Icon) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return FirstButton(buttons);
  }
  void StatusText(const std::string &) override {}
};

StderrNotifier stderrNotifier;
Notifications *current = &stderrNotifier;

} // namespace

Answer FirstButton(Buttons buttons) {
  switch (buttons) {
  case Buttons::YesNo:
  case Buttons::YesNoCancel:
    return IDYES;
  case Buttons::RetryCancel:
    return IDRETRY;
  case Buttons::Ok:
  case Buttons::OkCancel:
    break;
  }
  return IDOK;
}

Answer RecordingNotifier::MessageBox(const std::string &title, const std::string &text, Buttons buttons,
                                     Icon icon) {
  boxes.push_back({title, text, buttons, icon});
  if (answers.empty())
    return FirstButton(buttons);
  Answer answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}

void SetNotifier(Notifications *notifier) { current = notifier ? notifier : &stderrNotifier; }
Notifications &Notifier() { return *current; }

} // namespace tsw::plat
