#pragma once

#include <cstdint>
#include <string>

// The please-wait seam: long operations of the compiler and the link run on
// the one user-interface thread and keep it alive by pumping between their
// steps. They reach the one dialog only through these operations; the window
// layer serves them, and without it they do nothing.
namespace tsw::plat {

class PleaseWaitService {
public:
  virtual ~PleaseWaitService() = default;
  // Shows the dialog (with a Cancel button when asked) unless one is open,
  // and marks a long operation as running.
  virtual void Open(bool withCancel) = 0;
  virtual void SetText(const std::string &text) = 0;
  // Handles at most one pending window event. A cancel the user asked for
  // is raised here as the user-cancel exception, and only here.
  virtual void Pump() = 0;
  virtual void Close() = 0;
  // Set from Open to Close: an operation started from inside another keeps
  // the outer dialog.
  virtual bool Busy() const = 0;
  // Above 0 while a pump dispatches an event: code reached from there must
  // not start a nested link transaction.
  virtual int PumpDepth() const = 0;
};

// The service in use; nullptr puts back the default, which does nothing and
// is never busy.
void SetPleaseWait(PleaseWaitService *service);
PleaseWaitService &PleaseWait();

} // namespace tsw::plat
