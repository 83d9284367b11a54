#pragma once

#include "foundation/addr24.h"

#include <cstddef>
#include <vector>

// On the Corvid, a function compiled into extended memory keeps an entry
// address below the window; the directories map that entry to where the
// body continues in the window, and back.
namespace tsw {

class CCAddrDirectory {
public:
  // Keeps the keys in ADDR24 order; an equal key goes after its peers.
  void Insert(ADDR24 key, ADDR24 value);
  // Index of a key, or -1.
  int Find(ADDR24 key) const;
  ADDR24 ValueAt(int index) const { return entries_[size_t(index)].value; }
  size_t Count() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

private:
  struct Entry {
    ADDR24 key;
    ADDR24 value;
  };
  std::vector<Entry> entries_;
};

CCAddrDirectory &RootAddressDirectory();
CCAddrDirectory &XmemAddressDirectory();

// Entry address (below the window) to the extended-memory address; any
// other address comes back unchanged, and always on the Z180.
ADDR24 LookupRoot(ADDR24 address);
// The way back, for addresses in the window.
ADDR24 LookupXmem(ADDR24 address);
// A function placed in extended memory: both pairs.
void EnterXmemFunction(ADDR24 entry, ADDR24 body);

// A BIOS compile starts with empty directories; a program compile starts
// from the pairs the BIOS compile left, so no pair of an earlier program
// compile can send a call to a function's old address.
void ResetAddressDirectoriesForCompile(bool biosCompile);
void ResetAddressDirectoryModule();

} // namespace tsw
