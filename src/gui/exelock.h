#pragma once

// The IDE holds its own executable while it runs, and lets go of it while
// a file dialog is open or a file is written, so a user may save over the
// program's own directory. Linux keeps a running program's file intact by
// itself, so taking the lock claims nothing from the system: only its
// state is kept, for the places that release and retake it.
namespace tsw {

bool ExecutableLocked();
void LockExecutable();
void UnlockExecutable();

// Released for the lifetime of the object, then taken again when it was
// held before.
class ExecutableReleased {
public:
  ExecutableReleased() : wasLocked_(ExecutableLocked()) { UnlockExecutable(); }
  ~ExecutableReleased() {
    if (wasLocked_)
      LockExecutable();
  }
  ExecutableReleased(const ExecutableReleased &) = delete;
  ExecutableReleased &operator=(const ExecutableReleased &) = delete;

private:
  bool wasLocked_;
};

} // namespace tsw
