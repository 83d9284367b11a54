#pragma once

#include "compcore/cc_go/cc_go.h"

#include <functional>
#include <map>
#include <string>

// The compile driver's view of the library index, over the module index.
namespace tsw {

class ModuleIndexService : public LibraryIndexService {
public:
  explicit ModuleIndexService(std::function<std::string()> libDirPath) : libDirPath_(std::move(libDirPath)) {}
  int Build(const std::string &programDir) override;
  bool LibDirChanged(const std::string &libDirPath) override;
  std::vector<std::string> LibraryPaths() override;
  bool LibraryChanged(const std::string &libraryPath) override;

private:
  // A file's time against the stored one; the new time is stored. A file
  // that cannot be read counts as changed. A file first seen is compared
  // with `firstTime`.
  bool TimeChanged(const std::string &path, uint32_t firstTime);

  std::function<std::string()> libDirPath_;
  std::map<std::string, uint32_t> times_;
};

} // namespace tsw
