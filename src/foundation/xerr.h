#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "foundation/addr24.h"
#include "foundation/msgnumbers.h"

// Every failure that ends an operation is an exception of the family rooted
// at xErr: a message number, the raising source module and line, and the
// millisecond time it was made. The command level catches xErr and reports
// it; under the verbose switch the report adds the position and a trace of
// the exceptions made since the last report.
namespace tsw {

// Set by the "/debug" switch: reports carry position and trace.
extern bool VerboseReports;
// What the system is doing with the board (0 to 7); picks the sentence a
// link-error report begins with.
extern uint32_t CurrentActivity;

// The serial link's transfer in progress, kept by the link while it
// exchanges the bytes of a target-memory read or write. A link-error report
// names the address and clears the flag.
struct LinkTransferState {
  bool pending = false;
  bool isWrite = false;
  ADDR24 address;
};
extern LinkTransferState LinkTransfer;

inline constexpr unsigned kTraceCapacity = 20;
struct TraceEntry {
  const char *module;
  uint32_t line;
  uint32_t time;
};
unsigned ErrorTraceCount();
const TraceEntry &ErrorTraceEntry(unsigned index);


class xErr : public std::exception {
public:
  // `module` names the raising source file ("compcore\\cc_er"); it is kept
  // as given, so raisers pass a string literal.
  xErr(uint32_t message, const char *module, uint32_t line);

  virtual void Report() const;
  virtual void ReportWithAltTitle() const;
  // The text into `buf`, cut to size - 1 characters and terminated.
  virtual void GetText(char *buf, unsigned size) const;

  // The text as GetText gives it in a report's 512 characters.
  std::string Text() const;
  const char *what() const noexcept override;

  uint32_t Message() const { return message_; }
  const char *Module() const { return module_; }
  uint32_t Line() const { return line_; }
  uint32_t TimeStamp() const { return time_; }

protected:
  // "\nFile: %s, Line: %d".
  std::string PositionPiece() const;
  // One line per earlier trace entry, newest first, with its time relative
  // to this exception.
  std::string TraceLines() const;
  void ShowBox(uint32_t titleMessage, const std::string &text) const;

private:
  uint32_t message_;
  const char *module_;
  uint32_t line_;
  uint32_t time_;
  mutable std::string what_;
};

class xSystem : public xErr {
public:
  using xErr::xErr;
};

class xNoMem : public xSystem {
public:
  xNoMem(const char *module, uint32_t line) : xSystem(kMsgNoMem, module, line) {}
};

// A file that cannot be opened or created: the message is a format with the
// file name as its one argument. The name is copied, so it may go away.
class xFileOpen : public xSystem {
public:
  xFileOpen(uint32_t message, const char *fileName, const char *module, uint32_t line);
  void GetText(char *buf, unsigned size) const override;
  const std::string &FileName() const { return fileName_; }

private:
  std::string fileName_;
};

class xInternal : public xErr {
public:
  xInternal(const char *module, uint32_t line) : xErr(kMsgInternal, module, line) {}
  void GetText(char *buf, unsigned size) const override;
};

class xUserCancel : public xErr {
public:
  xUserCancel(const char *module, uint32_t line) : xErr(kMsgUserCancel, module, line) {}
};

class xCCErrOvflo : public xErr {
public:
  xCCErrOvflo(const char *module, uint32_t line) : xErr(kMsgErrorLimit, module, line) {}
};

class xWatch : public xErr {
public:
  static constexpr size_t kMaxText = 159;
  xWatch(uint32_t message, const char *module, uint32_t line) : xErr(message, module, line) {}
  // A free text, cut to kMaxText characters; the message number is 0.
  xWatch(const std::string &text, const char *module, uint32_t line);
  void Report() const override;
  void GetText(char *buf, unsigned size) const override;
  const std::string &FreeText() const { return text_; }

private:
  std::string text_;
};

// Failures of the link to the board: the report begins with the sentence of
// the current activity and ends with the address of a transfer in progress.
class xTCErr : public xErr {
public:
  using xErr::xErr;
  void Report() const override;
  void ReportWithAltTitle() const override;
  // The whole text of the report, cut to `size` - 1 characters.
  std::string LinkErrorText(unsigned size) const;
};

class xTCInit : public xTCErr {
public:
  using xTCErr::xTCErr;
  void GetText(char *buf, unsigned size) const override;
};

class xTCOpen : public xTCInit {
public:
  xTCOpen(const char *module, uint32_t line) : xTCInit(kMsgPortOpen, module, line) {}
  void GetText(char *buf, unsigned size) const override { xErr::GetText(buf, size); }
};

class xTCLocked : public xTCInit {
public:
  xTCLocked(const char *module, uint32_t line) : xTCInit(kMsgLocked, module, line) {}
  void GetText(char *buf, unsigned size) const override { xErr::GetText(buf, size); }
};

class xTCBaud : public xTCInit {
public:
  xTCBaud(const char *module, uint32_t line) : xTCInit(kMsgBaud, module, line) {}
  void GetText(char *buf, unsigned size) const override { xErr::GetText(buf, size); }
};

class xTCComm : public xTCErr {
public:
  using xTCErr::xTCErr;
  void GetText(char *buf, unsigned size) const override;
};

class xTCOverrun : public xTCComm {
public:
  xTCOverrun(const char *module, uint32_t line) : xTCComm(kMsgOverrun, module, line) {}
  void GetText(char *buf, unsigned size) const override { xErr::GetText(buf, size); }
};

class xTCXmitTimeout : public xTCComm {
public:
  xTCXmitTimeout(const char *module, uint32_t line) : xTCComm(kMsgXmitTimeout, module, line) {}
};

// Empties the trace and puts the verbose switch, the activity and the link
// transfer back to their start.
void ResetErrorModule();

} // namespace tsw
