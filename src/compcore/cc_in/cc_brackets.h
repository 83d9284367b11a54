#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// Bracket balance, independent of the parse: every opening bracket, comment
// opening and assembly-block opening is pushed with its position; each
// closing one must match the most recent open one.
namespace tsw {

enum BracketKind : uint32_t {
  kOpenBrace = 2,
  kCloseBrace = 3,
  kOpenSquare = 4,
  kCloseSquare = 5,
  kOpenParen = 6,
  kCloseParen = 7,
  kCommentOpen = 8,
  kCommentClose = 9,
  kAsmOpen = 10,
  kAsmClose = 11,
};

struct MatchBlockInfo {
  void *reserved = nullptr;
  uint32_t line = 0;
  uint32_t column = 0;
  uint32_t kind = 0;
};

void TrackBracket(char c, uint32_t line, uint32_t column);
void CheckBracketNesting(uint32_t kind, uint32_t line, uint32_t column);
// Reports and pops every open item, the most recent first.
void ReportUnclosedBrackets();
// Raised by the literal readers while brackets do not count.
bool &BracketTrackingDisabled();
size_t OpenBracketCount();
// The open items, for the statement snapshot, and putting them back.
std::deque<MatchBlockInfo> CopyOpenBrackets();
void RestoreOpenBrackets(std::deque<MatchBlockInfo> items);

// Connects TrackBracket to the source input's bracket hook.
void InstallBracketTracker();

void ResetBracketModule();

} // namespace tsw
