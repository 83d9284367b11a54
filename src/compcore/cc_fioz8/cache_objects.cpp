#include "compcore/cc_fioz8/cache_objects.h"

#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_gen/target_modes.h"

namespace tsw {

namespace {

constexpr int16_t kNullCacheBytes = 32;
constexpr int16_t kRootCodeBytes = 4096;
constexpr int16_t kXmemCodeBytes = 8192;
constexpr int16_t kWatchCodeBytes = 256;
constexpr int16_t kConstantBytes = 1024;
constexpr int16_t kVariableBytes = 256;

struct FixedCaches {
  NullCache null{kNullCacheBytes};
  RootCache rootCode{kRootCodeBytes};
  XmemCache xmemCode{kXmemCodeBytes};
  WatchCache watchCode{kWatchCodeBytes};
  CRVConstantCache constant{kConstantBytes};
  CRVVariableCache rootVariable{kVariableBytes, OriginKind::kRvarorg};
  CRVVariableCache watchVariable{kVariableBytes, OriginKind::kWvarorg};
};

std::unique_ptr<FixedCaches> &Fixed() {
  static std::unique_ptr<FixedCaches> fixed;
  return fixed;
}

} // namespace

void BuildCompileCaches() {
  Fixed() = std::make_unique<FixedCaches>();
  DefaultOrigin().cache = &Fixed()->null;
  SwitchCodeCacheSet(0);
}

void SwitchCodeCacheSet(int set) {
  (void)set;
  FixedCaches &f = *Fixed();
  CachePointers &p = Caches();
  p.rootCode = &f.rootCode;
  p.xmemCode = &f.xmemCode;
  p.watchCode = &f.watchCode;
  p.constant = &f.constant;
  p.rootVariable = &f.rootVariable;
  p.watchVariable = &f.watchVariable;
  p.currentCode = &f.rootCode;
  FollowConstantCache();
}

EmitCache &DiscardCache() { return Fixed()->null; }

std::vector<EmitCache *> AllCaches() {
  std::vector<EmitCache *> all;
  if (FixedCaches *f = Fixed().get())
    all = {&f->null, &f->rootCode, &f->xmemCode, &f->watchCode, &f->constant, &f->rootVariable, &f->watchVariable};
  for (EmitCache *option :
       {static_cast<EmitCache *>(Caches().debugXmem), static_cast<EmitCache *>(Caches().nodebugXmem)})
    if (option)
      all.push_back(option);
  return all;
}

void DestroyCompileCaches() {
  Caches() = {};
  DefaultOrigin().cache = nullptr;
  Fixed().reset();
}

} // namespace tsw
