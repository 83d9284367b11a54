#include "compcore/cc_in/cc_brackets.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_in.h"
#include "foundation/restext.h"

#include <deque>
#include <string>

namespace tsw {
namespace {

struct BracketState {
  std::deque<MatchBlockInfo> stack;
  bool disabled = false;
};

BracketState &State() {
  static BracketState s;
  return s;
}

PlainMessage UnmatchedMessage(uint32_t kind) {
  switch (kind) {
  case kOpenBrace: return Plain<kMsgBraceNotClosed>();
  case kCloseBrace: return Plain<kMsgBraceNotOpened>();
  case kOpenSquare: return Plain<kMsgSquareNotClosed>();
  case kCloseSquare: return Plain<kMsgSquareNotOpened>();
  case kOpenParen: return Plain<kMsgParenNotClosed>();
  case kCloseParen: return Plain<kMsgParenNotOpened>();
  case kCommentOpen: return Plain<kMsgCommentNotClosed>();
  case kCommentClose: return Plain<kMsgCommentNotOpened>();
  case kAsmOpen: return Plain<kMsgAsmNotClosed>();
  case kAsmClose: return Plain<kMsgAsmNotOpened>();
  default: return {0};
  }
}

const char *ClosingText(uint32_t kind) {
  switch (kind) {
  case kCloseParen: return ")";
  case kCloseBrace: return "}";
  case kCloseSquare: return "]";
  case kCommentClose: return "*/";
  case kAsmClose: return "#endasm";
  default: return "";
  }
}

// Bracket errors are recorded past the record limit. Recording throws in a
// watch compile: the flag must not stay raised for the errors after it.
void RecordBracketError(uint32_t line, uint32_t column, const std::string &text) {
  struct RaisedFlag {
    RaisedFlag() { BracketReportFlag() = true; }
    ~RaisedFlag() { BracketReportFlag() = false; }
  } raised;
  RecordCompileError(static_cast<int>(line), static_cast<int>(column), text);
}

void ReportUnmatched(const MatchBlockInfo &item) {
  PlainMessage message = UnmatchedMessage(item.kind);
  if (!message.id) {
    CompileError<kMsgUnknownBracket>();
    return;
  }
  RecordBracketError(item.line, item.column, GetResourceString(message.id));
}

void ReportMismatch(const MatchBlockInfo &top, const MatchBlockInfo &item) {
  RecordBracketError(item.line, item.column,
                     FormatMessage<kMsgMismatch>(ClosingText(item.kind), static_cast<int>(top.line)));
}

} // namespace

void TrackBracket(char c, uint32_t line, uint32_t column) {
  uint32_t kind = 0;
  switch (c) {
  case '{': kind = kOpenBrace; break;
  case '}': kind = kCloseBrace; break;
  case '(': kind = kOpenParen; break;
  case ')': kind = kCloseParen; break;
  case '[': kind = kOpenSquare; break;
  case ']': kind = kCloseSquare; break;
  default: return;
  }
  CheckBracketNesting(kind, line, column);
}

void CheckBracketNesting(uint32_t kind, uint32_t line, uint32_t column) {
  BracketState &s = State();
  if (s.disabled || kind < kOpenBrace || kind > kAsmClose)
    return;
  MatchBlockInfo item{nullptr, line, column, kind};
  if (kind % 2 == 0) {
    s.stack.push_back(item);
    return;
  }
  if (s.stack.empty()) {
    ReportUnmatched(item);
    return;
  }
  MatchBlockInfo top = s.stack.back();
  s.stack.pop_back();
  if (top.kind == kind - 1)
    return;
  if (WatchCompileFlag())
    ReportUnmatched(item);
  else
    ReportMismatch(top, item);
}

void ReportUnclosedBrackets() {
  BracketState &s = State();
  // Before the language module is loaded there are no texts to report
  // with; the stack is emptied all the same.
  bool haveTexts = *GetResourceString(UnmatchedMessage(kOpenParen).id) != '\0';
  while (!s.stack.empty()) {
    MatchBlockInfo top = s.stack.back();
    s.stack.pop_back();
    if (haveTexts)
      ReportUnmatched(top);
  }
}

bool &BracketTrackingDisabled() { return State().disabled; }
size_t OpenBracketCount() { return State().stack.size(); }

void InstallBracketTracker() {
  SetBracketTracker([](char c, uint16_t line, uint16_t column) { TrackBracket(c, line, column); });
}

std::deque<MatchBlockInfo> CopyOpenBrackets() { return State().stack; }
void RestoreOpenBrackets(std::deque<MatchBlockInfo> items) { State().stack = std::move(items); }

void ResetBracketModule() { State() = BracketState(); }

} // namespace tsw
