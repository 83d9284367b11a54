#include "foundation/xerr.h"

#include <array>
#include <vector>

#include "foundation/mstimer.h"
#include "foundation/restext.h"
#include "platform/format.h"
#include "platform/notify.h"

namespace tsw {

bool VerboseReports = false;
uint32_t CurrentActivity = 0;
LinkTransferState LinkTransfer;

namespace {

constexpr int kTitleSize = 40;
constexpr unsigned kReportTextSize = 512;
constexpr int kFileOpenFormatSize = 256;
constexpr int kPortMessageSize = 128;
constexpr int kTransferFormatSize = 64;

std::array<TraceEntry, kTraceCapacity> gTrace;
unsigned gTraceCount = 0;

// The sentence a link-error report begins with, by activity code.
constexpr std::array<uint32_t, 8> kActivityMessages = {11040, 11041, 11042, 11043,
                                                        11045, 11044, 11047, 11046};

std::string LoadText(uint32_t id, int size) {
  std::vector<char> buf(size_t(size), '\0');
  LoadResourceString(id, buf.data(), size);
  return std::string(buf.data());
}

std::string Cut(std::string text, unsigned size) {
  if (size == 0)
    return std::string();
  if (text.size() > size - 1)
    text.resize(size - 1);
  return text;
}

} // namespace

unsigned ErrorTraceCount() { return gTraceCount; }
const TraceEntry &ErrorTraceEntry(unsigned index) { return gTrace.at(index); }

xErr::xErr(uint32_t message, const char *module, uint32_t line)
    : message_(message), module_(module ? module : ""), line_(line), time_(MsTimer::Now()) {
  if (gTraceCount < kTraceCapacity)
    gTrace[gTraceCount++] = TraceEntry{module_, line_, time_};
}

std::string xErr::PositionPiece() const {
  return plat::FormatText("\nFile: %s, Line: %d", module_, line_);
}

std::string xErr::TraceLines() const {
  std::string lines;
  // The newest entry is normally this exception, whose position the
  // position piece shows already.
  for (unsigned i = gTraceCount >= 2 ? gTraceCount - 1 : 0; i-- > 0;) {
    const TraceEntry &e = gTrace[i];
    lines += plat::FormatText("\n%s,%d,%ld", e.module, e.line, int32_t(e.time - time_));
  }
  return lines;
}

void xErr::GetText(char *buf, unsigned size) const {
  std::string text = LoadText(message_, int(kReportTextSize));
  if (VerboseReports)
    text += PositionPiece() + TraceLines();
  plat::CopyCut(buf, size, text);
}

std::string xErr::Text() const {
  char buf[kReportTextSize];
  GetText(buf, sizeof buf);
  return buf;
}

const char *xErr::what() const noexcept {
  try {
    what_ = Text();
  } catch (...) {
    what_.clear();
  }
  return what_.c_str();
}

void xErr::ShowBox(uint32_t titleMessage, const std::string &text) const {
  plat::Notifier().MessageBox(LoadText(titleMessage, kTitleSize), text, plat::Buttons::Ok,
                              plat::Icon::None);
}

void xErr::Report() const {
  ShowBox(kMsgReportTitle, Text());
  gTraceCount = 0;
}

void xErr::ReportWithAltTitle() const {
  ShowBox(kMsgReportAltTitle, Text());
  gTraceCount = 0;
}

xFileOpen::xFileOpen(uint32_t message, const char *fileName, const char *module, uint32_t line)
    : xSystem(message, module, line), fileName_(fileName ? fileName : "") {}

void xFileOpen::GetText(char *buf, unsigned size) const {
  std::string text = Cut(plat::FormatText(LoadText(Message(), kFileOpenFormatSize), fileName_),
                         kReportTextSize);
  if (VerboseReports)
    text += PositionPiece();
  plat::CopyCut(buf, size, text);
}

void xInternal::GetText(char *buf, unsigned size) const {
  plat::CopyCut(buf, size, LoadText(Message(), int(kReportTextSize)) + PositionPiece());
}

xWatch::xWatch(const std::string &text, const char *module, uint32_t line)
    : xErr(0, module, line), text_(text.substr(0, kMaxText)) {}

void xWatch::GetText(char *buf, unsigned size) const {
  if (!text_.empty())
    plat::CopyCut(buf, size, text_);
  else if (Message() != 0)
    plat::CopyCut(buf, size, LoadText(Message(), int(kReportTextSize)));
  else
    plat::CopyCut(buf, size, "");
}

void xWatch::Report() const { ShowBox(kMsgReportTitle, Text()); }

void xTCInit::GetText(char *buf, unsigned size) const {
  std::string text = LoadText(kMsgPortSetup, int(kReportTextSize));
  if (VerboseReports)
    text += "\n" + LoadText(Message(), kPortMessageSize) + PositionPiece() + TraceLines();
  plat::CopyCut(buf, size, text);
}

void xTCComm::GetText(char *buf, unsigned size) const {
  std::string own = LoadText(Message(), int(kReportTextSize));
  std::string text = own;
  if (VerboseReports)
    text += "\n" + own + PositionPiece() + TraceLines();
  plat::CopyCut(buf, size, text);
}

std::string xTCErr::LinkErrorText(unsigned size) const {
  uint32_t prefixMessage = CurrentActivity < kActivityMessages.size()
                               ? kActivityMessages[CurrentActivity]
                               : kActivityMessages[0];
  std::string text = Cut(LoadText(prefixMessage, int(kReportTextSize)), size);
  // The exception's own text follows the prefix directly, in the space the
  // prefix leaves; a prefix that fills the buffer leaves none.
  unsigned used = unsigned(text.size());
  if (size > used + 1) {
    std::vector<char> rest(size - used - 1, '\0');
    GetText(rest.data(), unsigned(rest.size()));
    text += rest.data();
  }
  if (LinkTransfer.pending) {
    LinkTransfer.pending = false;
    std::string format = LoadText(LinkTransfer.isWrite ? kMsgTransferWrite : kMsgTransferRead,
                                  kTransferFormatSize);
    text += plat::FormatText(format, Addr24Segment(LinkTransfer.address),
                             Addr24Logical(LinkTransfer.address));
  }
  return Cut(std::move(text), size);
}

void xTCErr::Report() const { ShowBox(kMsgReportTitle, LinkErrorText(kReportTextSize)); }

void xTCErr::ReportWithAltTitle() const {
  ShowBox(kMsgReportAltTitle, LinkErrorText(kReportTextSize));
}

void ResetErrorModule() {
  gTraceCount = 0;
  VerboseReports = false;
  CurrentActivity = 0;
  LinkTransfer = LinkTransferState{};
}

} // namespace tsw
