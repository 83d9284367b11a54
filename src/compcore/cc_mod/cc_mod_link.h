#pragma once

#include "compcore/cc_in/cc_lines.h"

// The line sources' view of the module index: a #use'd library's header
// blocks, and the bodies of the modules that define still-undefined names.
namespace tsw {

class ModuleIndexLink : public LibraryIndexLink {
public:
  // `name` matches a library by its whole path or by its file name. Its
  // names are entered into the module index, and a program compile lists
  // it among the used libraries.
  bool UseLibrary(const std::string &name, std::string &path, std::vector<ModuleSegment> &headers,
                  bool &alreadyUsed) override;
  bool NextModuleToLink(ModuleSegment &body) override;
  size_t PendingNameCount() const override;
};

} // namespace tsw
