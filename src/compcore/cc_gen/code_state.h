#pragma once

#include <cstdint>
#include <functional>

// The statement snapshot: every module whose state a statement compiled
// again must undo takes part once. Save points nest: the statement retry
// holds the outermost one; expression-level save points above it restore
// only the code side.
namespace tsw {

// Thrown when a statement overflowed its segment and must be compiled again
// in the following origin.
struct CommitCode {};

enum class CodeStateSide : uint8_t {
  kCode,      // restored by every save point
  kStatement, // restored only by the statement snapshot
};

struct CodeStateParticipant {
  CodeStateSide side = CodeStateSide::kCode;
  // Takes a new save point.
  std::function<void()> save;
  // Returns to the newest save point and keeps it.
  std::function<void()> restore;
  // Drops the newest save point and keeps what changed since.
  std::function<void()> discard;
};
// Registered once per module after each reset (which forgets them all);
// the emit caches always restore last.
void RegisterCodeStateParticipant(CodeStateParticipant participant);

// Statements being compiled, nested.
uint32_t &StatementDepth();

// Drops every save point, then saves everything for a statement at `depth`.
void SaveCodeState(uint32_t depth);
// Back to the start of the statement; the save point stays.
void RestoreCodeState();
// Whether the statement snapshot is that of the statement now compiled.
bool StatementSnapshotMatches();
// Drops every save point (the end of a compile).
void DropCodeState();

// Inner save points of the code side: the value identifies the point, and
// restoring or dropping a point that a statement roll-back has already
// taken away does nothing.
uint32_t PushCodeSavePoint();
void RestoreCodeSavePoint(uint32_t point);
void DropCodeSavePoint(uint32_t point);

// Compiles one statement through `body` with the overflow retry: a
// statement that overflows is compiled once more in the following origin; a
// second overflow ends the compile with the segment-full message.
uint16_t CompileWithRetry(const std::function<uint16_t()> &body);

// Drops the save points and the registered participants.
void ResetCodeStateModule();

} // namespace tsw
