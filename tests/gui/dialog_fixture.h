#pragma once

// Dialogs of the English language module, worked as a user would: the
// module is loaded once per suite, and the user's part runs once the modal
// dialog is up.
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/langmodule.h"
#include "gui/resbuilder.h"
#include "qt_fixture.h"
#include "support/buildbin.h"

namespace tsw::testing {

class EnglishDialogSuite : public QtSuite {
protected:
  static void SetUpTestSuite() {
    QtSuite::SetUpTestSuite();
    std::string error;
    module_ = LanguageModule::Load("ENGLISH.DLL", BuildBin(), &error).release();
    ASSERT_NE(module_, nullptr) << error;
  }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
    QtSuite::TearDownTestSuite();
  }

  // Posts `user` to act on the modal dialog the caller runs next; one still
  // open afterwards is cancelled, so that no test waits on it.
  static void WhenTheDialogIsUp(std::function<void(QDialog &)> user) {
    QTimer::singleShot(0, [user = std::move(user)] {
      auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      user(*dialog);
      if (dialog->isVisible())
        dialog->reject();
    });
  }
  template <class W> static W *Get(QDialog &d, uint32_t id) { return dynamic_cast<W *>(FindControl(d, id)); }

  static inline LanguageModule *module_ = nullptr;
};

} // namespace tsw::testing
