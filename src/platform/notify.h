#pragma once

#include <string>
#include <vector>

// Message boxes and status texts go through one seam: the window layer shows
// them, tests record them, and nothing below the window layer ever blocks on
// a modal box of its own.
namespace tsw::plat {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Icon { None, Error, Warning, Information, Question };
enum Answer { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

class Notifications {
public:
  virtual ~Notifications() = default;
  virtual Answer MessageBox(const std::string &title, const std::string &text, Buttons buttons,
                            Icon icon) = 0;
  virtual void StatusText(const std::string &text) = 0;
};

// Records every call and answers from a script; the default answer is the
// box's first button.
class RecordingNotifier : public Notifications {
public:
  struct Box {
    std::string title, text;
    Buttons buttons;
    Icon icon;
  };

  Answer MessageBox(const std::string &title, const std::string &text, Buttons buttons,
                    Icon icon) override;
  void StatusText(const std::string &text) override { statusTexts.push_back(text); }

  std::vector<Box> boxes;
  std::vector<std::string> statusTexts;
  std::vector<Answer> answers; // taken front first
};

Answer FirstButton(Buttons buttons);

// The notifier in use; nullptr puts back the default, which writes to
// standard error and answers the first button.
void SetNotifier(Notifications *notifier);
Notifications &Notifier();

} // namespace tsw::plat
