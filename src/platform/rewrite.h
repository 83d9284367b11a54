#pragma once

#include <string>

namespace tsw::plat {

// Called before a file is written anew from its beginning (a compile's
// outputs): removes it when it is a regular file of one name that this
// process may write, so that the new contents go to a new file. Rewriting a
// file in place makes some file systems (ext4) write the old contents out
// when the file is closed, which can take longer than the compile that
// rewrote it. A file that may not be written, a symbolic link, a file of
// several names or one that cannot be removed is left for the caller's open,
// which then truncates or refuses it as before.
void RemoveBeforeRewrite(const std::string &path);

} // namespace tsw::plat
