#include "compcore/cc_gen/addr_directory.h"

#include "compcore/cc_gen/codegen_hooks.h"

#include <algorithm>

namespace tsw {

namespace {

struct DirectoryModule {
  CCAddrDirectory root, xmem;
  CCAddrDirectory biosRoot, biosXmem;
  bool lastCompileWasBios = false;
};
DirectoryModule &State() {
  static DirectoryModule m;
  return m;
}

ADDR24 Lookup(const CCAddrDirectory &directory, ADDR24 address) {
  int index = directory.Find(address);
  return index < 0 ? address : directory.ValueAt(index);
}

} // namespace

void CCAddrDirectory::Insert(ADDR24 key, ADDR24 value) {
  auto at = std::upper_bound(entries_.begin(), entries_.end(), key,
                             [](ADDR24 k, const Entry &e) { return Addr24Less(k, e.key); });
  entries_.insert(at, Entry{key, value});
}

int CCAddrDirectory::Find(ADDR24 key) const {
  int low = 0, high = int(entries_.size()) - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    ADDR24 k = entries_[size_t(middle)].key;
    if (Addr24Equal(k, key))
      return middle;
    if (Addr24Less(k, key))
      low = middle + 1;
    else
      high = middle - 1;
  }
  return -1;
}

CCAddrDirectory &RootAddressDirectory() { return State().root; }
CCAddrDirectory &XmemAddressDirectory() { return State().xmem; }

ADDR24 LookupRoot(ADDR24 address) {
  if (CodeGenSetup().cpu != TargetCpu::Corvid || address.logical >= ExtWindowStart)
    return address;
  return Lookup(State().root, address);
}

ADDR24 LookupXmem(ADDR24 address) {
  if (CodeGenSetup().cpu != TargetCpu::Corvid || address.logical < ExtWindowStart)
    return address;
  return Lookup(State().xmem, address);
}

void EnterXmemFunction(ADDR24 entry, ADDR24 body) {
  State().root.Insert(entry, body);
  State().xmem.Insert(body, entry);
}

void ResetAddressDirectoriesForCompile(bool biosCompile) {
  DirectoryModule &m = State();
  if (biosCompile) {
    m.biosRoot.Clear();
    m.biosXmem.Clear();
    m.root.Clear();
    m.xmem.Clear();
  } else {
    if (m.lastCompileWasBios) {
      m.biosRoot = m.root;
      m.biosXmem = m.xmem;
    }
    m.root = m.biosRoot;
    m.xmem = m.biosXmem;
  }
  m.lastCompileWasBios = biosCompile;
}

void ResetAddressDirectoryModule() { State() = DirectoryModule{}; }

} // namespace tsw
