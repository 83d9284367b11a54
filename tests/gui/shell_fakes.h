#pragma once

#include <string>

#include "fakes/fake_texts.h"
#include "foundation/xerr.h"
#include "gui/driverlink.h"
#include "platform/pleasewait.h"

#include <memory>
#include <optional>
#include <vector>

namespace tsw::testing {

// The please-wait dialog as the shell drives it, in order. With
// `cancelAtPump` the user presses Cancel before that pump; without
// `openMarksBusy` it never reports a long operation running.
class RecordingPleaseWait : public plat::PleaseWaitService {
public:
  void Open(bool withCancel) override {
    calls.push_back(withCancel ? "open cancel" : "open");
    busy = openMarksBusy;
  }
  void SetText(const std::string &text) override { calls.push_back("text " + text); }
  void Pump() override {
    calls.push_back("pump");
    if (cancelAtPump && ++pumps == *cancelAtPump)
      throw xUserCancel("test", 1);
  }
  void Close() override {
    calls.push_back("close");
    busy = false;
  }
  bool Busy() const override { return busy; }
  int PumpDepth() const override { return depth; }
  std::vector<std::string> calls;
  bool busy = false;
  bool openMarksBusy = true;
  int depth = 0;
  std::optional<int> cancelAtPump;
  int pumps = 0;
};

// The serial link's board boundary with nothing attached: each port the
// link opens is noted and fails to open.
class NoBoardAttached {
public:
  driver::BoardPortOpener Opener() {
    return [this](const std::string &path, std::string *why) -> std::unique_ptr<plat::SerialPort> {
      opened.push_back(path);
      if (why)
        *why = "no board attached";
      return nullptr;
    };
  }
  std::vector<std::string> opened;
};

} // namespace tsw::testing
