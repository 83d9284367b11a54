#include "gui/tswcdlg.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/xerr.h"

namespace tsw {
namespace {

// Records what the holder does to the windows; the dialog's pending events
// are a script of handlers the test gives.
class FakeHost : public MessageDialogHost {
public:
  class Dialog : public MessageDialogWindow {
  public:
    Dialog(FakeHost &host, bool withCancel) : host(host), withCancel(withCancel) { ++host.alive; }
    ~Dialog() override { --host.alive; }
    void SetText(const std::string &t) override { text = t; }
    void HandlePending() override {
      if (pending) {
        auto handler = std::move(pending);
        pending = nullptr;
        handler();
      }
    }
    bool CancelRequested() const override { return cancel; }
    FakeHost &host;
    bool withCancel;
    bool cancel = false;
    std::string text;
    std::function<void()> pending;
  };

  std::unique_ptr<MessageDialogWindow> CreateDialog(bool withCancel) override {
    auto dialog = std::make_unique<Dialog>(*this, withCancel);
    last = dialog.get();
    ++created;
    return dialog;
  }
  void EnableMainWindow(bool enable) override { mainEnabled = enable; }
  void ClearStatusMessage() override { ++statusClears; }

  int alive = 0, created = 0, statusClears = 0;
  bool mainEnabled = true;
  Dialog *last = nullptr;
};

TEST(PleaseWait, NestedOpenKeepsTheOuterDialogAndOneCloseEndsIt) {
  FakeHost host;
  cDialogControl holder(host);
  OpenMessageDialog(holder, 1);
  OpenMessageDialog(holder, 0);
  EXPECT_EQ(host.created, 1);
  EXPECT_TRUE(host.last->withCancel);
  EXPECT_TRUE(holder.Busy());
  EXPECT_FALSE(host.mainEnabled);
  CloseMessageDialog(holder);
  EXPECT_EQ(host.alive, 0);
  EXPECT_FALSE(holder.Busy());
  EXPECT_TRUE(host.mainEnabled);
}

TEST(PleaseWait, TextClearsTheStatusMessageEvenWithoutADialog) {
  FakeHost host;
  cDialogControl holder(host);
  SetMessageDialogText(holder, "ignored");
  EXPECT_EQ(host.statusClears, 1);
  OpenMessageDialog(holder, 0);
  SetMessageDialogText(holder, "Compiling a.c...");
  EXPECT_EQ(host.statusClears, 2);
  EXPECT_EQ(host.last->text, "Compiling a.c...");
}

TEST(PleaseWait, CancelIsRaisedAtTheNextPumpAndOnlyThere) {
  FakeHost host;
  cDialogControl holder(host);
  OpenMessageDialog(holder, 1);
  // The button only marks the request; the operation goes on to its pump.
  host.last->pending = [&] { host.last->cancel = true; };
  try {
    PumpMessageDialog(holder);
    FAIL() << "no cancel";
  } catch (const xUserCancel &cancel) {
    EXPECT_STREQ(cancel.Module(), kDialogModule);
    EXPECT_EQ(cancel.Line(), 403u);
  }
  // The dialog is gone at once, the main window stays disabled.
  EXPECT_EQ(host.alive, 0);
  EXPECT_FALSE(holder.HasDialog());
  EXPECT_TRUE(holder.Busy());
  EXPECT_FALSE(host.mainEnabled);
  // Later pumps and texts do nothing; the clean-up's close enables again.
  EXPECT_NO_THROW(PumpMessageDialog(holder));
  SetMessageDialogText(holder, "late");
  CloseMessageDialog(holder);
  EXPECT_TRUE(host.mainEnabled);
  EXPECT_FALSE(holder.Busy());
}

TEST(PleaseWait, PumpDepthIsOneInsideADispatchedHandlerAndZeroAfter) {
  struct Case {
    const char *name;
    bool handlerThrows;
  };
  for (const Case &c : {Case{"returns", false}, Case{"throws", true}}) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    cDialogControl holder(host);
    OpenMessageDialog(holder, 0);
    int depthInside = -1;
    host.last->pending = [&] {
      depthInside = holder.PumpDepth();
      if (c.handlerThrows)
        throw std::runtime_error("handler");
    };
    if (c.handlerThrows) {
      EXPECT_THROW(PumpMessageDialog(holder), std::runtime_error);
      // Any exception out of the pump takes the dialog with it.
      EXPECT_FALSE(holder.HasDialog());
    } else {
      PumpMessageDialog(holder);
      EXPECT_TRUE(holder.HasDialog());
    }
    EXPECT_EQ(depthInside, 1);
    EXPECT_EQ(holder.PumpDepth(), 0);
  }
}

TEST(PleaseWait, AHandlerThatClosesTheDialogLeavesThePumpSafe) {
  FakeHost host;
  cDialogControl holder(host);
  OpenMessageDialog(holder, 1);
  host.last->pending = [&] {
    host.last->cancel = true;
    CloseMessageDialog(holder);
  };
  // The closed dialog's request is not raised: the operation it belonged
  // to is over.
  EXPECT_NO_THROW(PumpMessageDialog(holder));
  EXPECT_EQ(host.alive, 0);
  EXPECT_EQ(holder.PumpDepth(), 0);
}

TEST(PleaseWait, PumpWithoutDialogDoesNothing) {
  FakeHost host;
  cDialogControl holder(host);
  EXPECT_NO_THROW(PumpMessageDialog(holder));
  EXPECT_EQ(holder.PumpDepth(), 0);
  EXPECT_EQ(host.created, 0);
}

TEST(PleaseWait, TheServiceSeamReachesTheHolder) {
  FakeHost host;
  cDialogControl holder(host);
  plat::SetPleaseWait(&holder);
  plat::PleaseWait().Open(false);
  EXPECT_TRUE(plat::PleaseWait().Busy());
  plat::PleaseWait().Close();
  plat::SetPleaseWait(nullptr);
  EXPECT_FALSE(plat::PleaseWait().Busy());
  EXPECT_EQ(host.created, 1);
}

} // namespace
} // namespace tsw
