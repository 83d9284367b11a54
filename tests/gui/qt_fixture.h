#pragma once

#include <QApplication>

#include <gtest/gtest.h>

namespace tsw::testing {

// A suite of window tests with an application object of its own; the
// program's tests make theirs, so this one goes with the suite. `Base` is
// the fixture the windows need beside it (a fake board, say).
template <class Base = ::testing::Test> class QtSuiteOver : public Base {
protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char *argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

private:
  static inline QApplication *app_ = nullptr;
};
using QtSuite = QtSuiteOver<>;

} // namespace tsw::testing
