#include "platform/rewrite.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tsw::plat {

void RemoveBeforeRewrite(const std::string &path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1)
    return;
  // The mode bits too, not only access(): a file marked read-only stays
  // itself even for a user whom access() lets write it.
  constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
  if ((status.st_mode & kAnyWrite) == 0 || ::access(path.c_str(), W_OK) != 0)
    return;
  ::unlink(path.c_str());
}

} // namespace tsw::plat
