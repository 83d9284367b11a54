#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tsw::plat {

bool WriteFileAtomically(const std::string &path, std::string_view contents) {
  std::string temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0)
    return false;
  const char *p = contents.data();
  size_t left = contents.size();
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok)
    ::unlink(temp.c_str());
  return ok;
}

} // namespace tsw::plat
