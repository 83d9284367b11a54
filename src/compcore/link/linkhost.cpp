#include "compcore/link/linkhost.h"

namespace tsw {

namespace {
LinkHost quietHost;
LinkHost *current = &quietHost;
} // namespace

const char *LinkHost::IsMacroDefined(const char *name) {
  (void)name;
  return nullptr;
}

std::string LinkHost::MakeFilePath(const std::string &path, const char *extension) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return path + extension;
  return path.substr(0, dot) + extension;
}

LinkHost &Host() { return *current; }
void SetLinkHost(LinkHost *host) { current = host ? host : &quietHost; }

} // namespace tsw
