#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Memory pools: fixed-size pools for many small records of one size, and
// variable-size pools for large transient tables, each released as a whole.
// Every failure is reported to one error handler, which may throw.
namespace tsw::plat {

struct MemPoolImpl;
using MEM_POOL = MemPoolImpl *;

inline constexpr unsigned MEM_ZEROINIT = 0x1;

enum class MemError {
  OutOfMemory,  // the allocation did not fit (the system's or the pool's limit)
  BadPointer,   // the pointer was not allocated here, or was freed already
  WrongPool,    // a fixed-size block freed as a variable one, or the reverse
  BadPool,      // the pool handle is not a live pool
  BadParameter, // a size of 0 where one is needed
};

using MemErrorHandler = std::function<void(MemError, MEM_POOL)>;

// Installs the handler called on every failure; gives the previous one.
MemErrorHandler MemSetErrorHandler(MemErrorHandler handler);

MEM_POOL MemPoolInit(unsigned flags);
MEM_POOL MemPoolInitFS(size_t blockSize, size_t blockCount, unsigned flags);
size_t MemPoolSetPageSize(MEM_POOL pool, size_t pageSize);
bool MemPoolSetBlockSizeFS(MEM_POOL pool, size_t blockSize);
// Caps the bytes a pool hands out; 0 lifts the cap.
void MemPoolSetLimit(MEM_POOL pool, size_t bytes);
bool MemPoolFree(MEM_POOL pool);

void *MemAllocPtr(MEM_POOL pool, size_t size, unsigned flags);
void *MemReAllocPtr(void *block, size_t size, unsigned flags);
bool MemFreePtr(void *block);

void *MemAllocFS(MEM_POOL pool);
bool MemFreeFS(void *block);

// Releases every pool and puts the default handler back.
void ResetPoolModule();

} // namespace tsw::plat
