#pragma once

#include "compcore/cc_gen/emit_cache.h"
#include "foundation/msgnumbers.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The origin table: the memory segments the origin directives define, each
// bound to the emit cache that fills it and, when it fills, continued by
// the origin that follows it.
namespace tsw {

enum class OriginDebugMode : int32_t { kAll = 0, kDebugOnly = 1, kNodebugOnly = 2 };

struct OriginDirective {
  std::string name;
  int32_t kind = 0;
  ADDR24 start{};
  ADDR24 resume{};
  EmitCache *cache = nullptr;
  uint32_t size = 0;
  OriginDebugMode debugMode = OriginDebugMode::kAll;
  OriginDirective *follows = nullptr;
  bool splitbin = false;
  // Made by the compile, not by a directive.
  bool implicit = false;
  // Defined by a program compile: the next one defines it again.
  bool ofProgram = false;
};

// The segment's lowest and highest address, by the direction its cache fills.
ADDR24 OriginLowEnd(const OriginDirective &o);
ADDR24 OriginHighEnd(const OriginDirective &o);

// Stands in for the origin of a cache that has none; outside the table.
OriginDirective &DefaultOrigin();
// Records keep their addresses while they stay in the table.
const std::vector<std::unique_ptr<OriginDirective>> &OriginTable();
int FindOrigin(const std::string &name);
uint32_t SplitbinCount();

// The rest of the directive's line, after the dispatcher flushed `cache`.
void ParseOriginDirective(int32_t kind, EmitCache *cache);
void ActivateOrigin(OriginDirective *record);
// An origin the compile sets up itself where no directive gave `cache`
// one: entered in the table under `name` and made the cache's, emission
// starting at `start`.
OriginDirective *AddImplicitOrigin(const std::string &name, EmitCache *cache, ADDR24 start, uint32_t size);
// Takes those origins away again (the processor changed to one whose
// program places its code by directives); their caches are left without.
void DropImplicitOrigins();
// A program compile starts from the BIOS's origins: those the last program
// compile defined are taken away, their caches left without.
void DropProgramOrigins();
// Detaches every cache and drops every record; the option caches are
// forgotten.
void ClearOriginTable();
// Serious warning 2121 for each origin that starts below the end of one
// placed before it, over logical and then physical addresses.
void CheckOriginOverlaps();
// The table's records ordered by their physical low end.
std::vector<const OriginDirective *> OriginsByPhysicalAddress();

void ResetOriginModule();

} // namespace tsw
