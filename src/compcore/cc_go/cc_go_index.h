#pragma once

#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_mod/cc_mod.h"

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
  // A file's stamp against the stored one; the new stamp is stored. A file
  // that cannot be read counts as changed. A file first seen is compared
  // with `first`.
  bool StampChanged(const std::string &path, const FileStamp &first);

  std::function<std::string()> libDirPath_;
  std::map<std::string, FileStamp> stamps_;
};

} // namespace tsw
