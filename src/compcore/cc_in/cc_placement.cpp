#include "compcore/cc_in/cc_placement.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/common/cc_session.h"

#include <string>

namespace tsw {

namespace {

// Output-mode bit that keeps "#corg" from choosing the code segment.
constexpr uint8_t kOutputModeKeepsSegment = 0x01;
// The BIOS's first extended-memory code origin starts on a fresh page of
// this size, one page above where its cache stood.
constexpr uint16_t kXmemOriginAlignment = 256;

struct OriginKind {
  OriginCache cache;
  int kind;
};
constexpr OriginKind kOriginKinds[] = {
    {OriginCache::kRootCode, 1},     {OriginCache::kXmemCode, 2},     {OriginCache::kWatchCode, 3},
    {OriginCache::kRootConstant, 7}, {OriginCache::kRootVariable, 4}, {OriginCache::kWatchVariable, 4},
};

int KindOf(OriginCache cache) {
  for (const OriginKind &k : kOriginKinds)
    if (k.cache == cache)
      return k.kind;
  return 0;
}

bool ReadChainName(std::string &name, PlainMessage missingMessage) {
  SkipSpaces();
  if (ReadIdentifier(name))
    return true;
  CompileError(missingMessage);
  return false;
}

// The BIOS's first extended-memory origin (with pointer checking and the
// IDE's BIOS flag) leaves a page between its cache's old position and its
// code.
void AlignFirstXmemOrigin(bool hadOrigin) {
  CodeGenerator &codegen = CodeGen();
  if (hadOrigin || !codegen.CacheHasOrigin(OriginCache::kXmemCode) || !codegen.IsBiosCode() ||
      !(Attributes().directiveDefaults & kAttrPointerCheck) || !DirectiveShellInUse().IdeBiosFlag())
    return;
  ADDR24 current = codegen.CacheAddress(OriginCache::kXmemCode);
  uint16_t intoPage = current.logical % kXmemOriginAlignment;
  int32_t advance = (intoPage ? kXmemOriginAlignment - intoPage : 0) + kXmemOriginAlignment;
  codegen.SetCacheEmitAddress(OriginCache::kXmemCode, Addr24Add(current, advance));
}

} // namespace

ADDR24 ParseOriginAddress() {
  int32_t segment = ReadDirectiveExpression();
  int32_t offset = ReadDirectiveExpression();
  return MakeAddr24(uint8_t(segment), uint16_t(offset));
}

void FuncChainDirective() {
  if (BiosCompileFlag() && !BiosFirstFlag() && !DirectiveShellInUse().IsProgramLoaded())
    CompileError<kMsgChainNeedsProgram>();
  std::string chain, function;
  if (ReadChainName(chain, Plain<kMsgChainName>()) && ReadChainName(function, Plain<kMsgChainFunction>()))
    CodeGen().AddSegChainFunction(chain, function);
  SkipToLineEnd();
}

void MakeChainDirective() {
  std::string chain;
  if (ReadChainName(chain, Plain<kMsgChainName>()))
    CodeGen().AddSegChainName(chain);
  SkipToLineEnd();
}

void CorgDirective() {
  CompileWarningSerious<kMsgCorgObsolete>();
  ExpandDirectiveOperand();
  ADDR24 address = ParseOriginAddress();
  CodeGenerator &codegen = CodeGen();
  codegen.SelectCodeCache(address);
  if (!Addr24InWindow(address) && !(codegen.OutputMode() & kOutputModeKeepsSegment))
    codegen.KeepCodeSegment(address.segment);
  SkipToLineEnd();
}

void DorgDirective() {
  CompileWarningSerious<kMsgDorgObsolete>();
  ExpandDirectiveOperand();
  CodeGen().SetDataEmitAddress(ParseOriginAddress());
  SkipToLineEnd();
}

void OriginDirective(OriginCache cache) {
  CodeGenerator &codegen = CodeGen();
  codegen.FlushCache(cache);
  const bool hadOrigin = codegen.CacheHasOrigin(cache);
  codegen.ParseOriginDirective(KindOf(cache), cache);
  switch (cache) {
  case OriginCache::kRootCode: codegen.SetLayoutWord(LayoutWord::kRootCode, codegen.CacheAddress(cache).logical); break;
  case OriginCache::kRootVariable: {
    ADDR24 address = codegen.CacheAddress(cache);
    codegen.SetDataEmitAddress(address);
    codegen.SetLayoutWord(LayoutWord::kRootVariable, address.logical);
    break;
  }
  case OriginCache::kXmemCode: AlignFirstXmemOrigin(hadOrigin); break;
  default: break;
  }
}

} // namespace tsw
