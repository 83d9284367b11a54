#include "gui/exelock.h"

namespace tsw {
namespace {
bool locked = false;
} // namespace

bool ExecutableLocked() { return locked; }
void LockExecutable() { locked = true; }
void UnlockExecutable() { locked = false; }

} // namespace tsw
