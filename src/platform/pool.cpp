#include "platform/pool.h"

#include <cstring>
#include <memory>
#include <memory_resource>
#include <unordered_map>
#include <unordered_set>

namespace tsw::plat {

struct MemPoolImpl {
  bool fixedSize = false;
  size_t blockSize = 0;
  size_t limit = 0;
  size_t inUse = 0;
  size_t pageSize = 4096;
  std::pmr::unsynchronized_pool_resource resource;
  std::unordered_map<void *, size_t> blocks; // live block -> its size
};

namespace {

struct PoolModule {
  MemErrorHandler handler;
  std::unordered_set<MEM_POOL> pools;
  std::unordered_map<void *, MEM_POOL> owner; // live block -> its pool
};

PoolModule &Module() {
  static PoolModule module;
  return module;
}

// Reports a failure; the handler may throw, so callers leave their state
// whole before calling this.
void Fail(MemError error, MEM_POOL pool) {
  if (Module().handler)
    Module().handler(error, pool);
}

bool IsLive(MEM_POOL pool) { return pool && Module().pools.count(pool); }

void *Allocate(MEM_POOL pool, size_t size, unsigned flags) {
  if (!IsLive(pool)) {
    Fail(MemError::BadPool, pool);
    return nullptr;
  }
  if (size == 0) {
    Fail(MemError::BadParameter, pool);
    return nullptr;
  }
  if (pool->limit && pool->inUse + size > pool->limit) {
    Fail(MemError::OutOfMemory, pool);
    return nullptr;
  }
  void *block;
  try {
    block = pool->resource.allocate(size);
  } catch (const std::bad_alloc &) {
    Fail(MemError::OutOfMemory, pool);
    return nullptr;
  }
  if (flags & MEM_ZEROINIT)
    std::memset(block, 0, size);
  pool->blocks.emplace(block, size);
  pool->inUse += size;
  Module().owner.emplace(block, pool);
  return block;
}

// The pool of a live block, or nothing after reporting why.
MEM_POOL OwnerOf(void *block, bool fixedSize) {
  auto it = Module().owner.find(block);
  if (it == Module().owner.end()) {
    Fail(MemError::BadPointer, nullptr);
    return nullptr;
  }
  if (it->second->fixedSize != fixedSize) {
    Fail(MemError::WrongPool, it->second);
    return nullptr;
  }
  return it->second;
}

void Release(MEM_POOL pool, void *block) {
  size_t size = pool->blocks.at(block);
  pool->blocks.erase(block);
  pool->inUse -= size;
  Module().owner.erase(block);
  pool->resource.deallocate(block, size);
}

MEM_POOL NewPool(bool fixedSize, size_t blockSize) {
  auto pool = std::make_unique<MemPoolImpl>();
  pool->fixedSize = fixedSize;
  pool->blockSize = blockSize;
  MEM_POOL handle = pool.release();
  Module().pools.insert(handle);
  return handle;
}

} // namespace

MemErrorHandler MemSetErrorHandler(MemErrorHandler handler) {
  MemErrorHandler previous = std::move(Module().handler);
  Module().handler = std::move(handler);
  return previous;
}

MEM_POOL MemPoolInit(unsigned) { return NewPool(false, 0); }

MEM_POOL MemPoolInitFS(size_t blockSize, size_t, unsigned) {
  if (blockSize == 0) {
    Fail(MemError::BadParameter, nullptr);
    return nullptr;
  }
  return NewPool(true, blockSize);
}

size_t MemPoolSetPageSize(MEM_POOL pool, size_t pageSize) {
  if (!IsLive(pool)) {
    Fail(MemError::BadPool, pool);
    return 0;
  }
  std::swap(pool->pageSize, pageSize);
  return pageSize;
}

bool MemPoolSetBlockSizeFS(MEM_POOL pool, size_t blockSize) {
  if (!IsLive(pool) || !pool->fixedSize) {
    Fail(MemError::BadPool, pool);
    return false;
  }
  if (blockSize == 0 || !pool->blocks.empty()) {
    Fail(MemError::BadParameter, pool);
    return false;
  }
  pool->blockSize = blockSize;
  return true;
}

void MemPoolSetLimit(MEM_POOL pool, size_t bytes) {
  if (IsLive(pool))
    pool->limit = bytes;
}

bool MemPoolFree(MEM_POOL pool) {
  if (!IsLive(pool)) {
    Fail(MemError::BadPool, pool);
    return false;
  }
  for (const auto &[block, size] : pool->blocks)
    Module().owner.erase(block);
  Module().pools.erase(pool);
  delete pool; // the resource returns all its memory at once
  return true;
}

void *MemAllocPtr(MEM_POOL pool, size_t size, unsigned flags) {
  if (IsLive(pool) && pool->fixedSize) {
    Fail(MemError::WrongPool, pool);
    return nullptr;
  }
  return Allocate(pool, size, flags);
}

void *MemReAllocPtr(void *block, size_t size, unsigned flags) {
  MEM_POOL pool = OwnerOf(block, false);
  if (!pool)
    return nullptr;
  size_t old = pool->blocks.at(block);
  void *grown = Allocate(pool, size, 0);
  if (!grown)
    return nullptr;
  std::memcpy(grown, block, std::min(old, size));
  if ((flags & MEM_ZEROINIT) && size > old)
    std::memset(static_cast<char *>(grown) + old, 0, size - old);
  Release(pool, block);
  return grown;
}

bool MemFreePtr(void *block) {
  MEM_POOL pool = OwnerOf(block, false);
  if (!pool)
    return false;
  Release(pool, block);
  return true;
}

void *MemAllocFS(MEM_POOL pool) {
  if (IsLive(pool) && !pool->fixedSize) {
    Fail(MemError::WrongPool, pool);
    return nullptr;
  }
  return Allocate(pool, IsLive(pool) ? pool->blockSize : 1, 0);
}

bool MemFreeFS(void *block) {
  MEM_POOL pool = OwnerOf(block, true);
  if (!pool)
    return false;
  Release(pool, block);
  return true;
}

void ResetPoolModule() {
  for (MEM_POOL pool : Module().pools)
    delete pool;
  Module().pools.clear();
  Module().owner.clear();
  Module().handler = nullptr;
}

} // namespace tsw::plat
