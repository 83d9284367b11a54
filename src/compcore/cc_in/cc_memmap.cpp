#include "compcore/cc_in/cc_memmap.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"

#include <array>

namespace tsw {

namespace {

constexpr int kNoKeyword = -1;

struct DefaultStack {
  std::array<uint16_t, kDefaultStackEntries> entries{};
  uint16_t level = 0;
  uint16_t &Current() { return entries[level]; }
};

struct MemmapState {
  DefaultStack memmap;
  DefaultStack storageClass;
  uint32_t anymemThreshold = kDefaultAnymemThreshold;
  uint16_t declarationMemory = kMemmapAnymem;
};

MemmapState &State() {
  static MemmapState s;
  return s;
}

bool MatchAtInput(std::string_view word) { return MatchWordAtInput(word); }

// "push" and "pop" around a keyword; a missing or unknown keyword stores
// the stack's default code.
void ParsePushPopDefault(DefaultStack &stack, uint16_t defaultCode, const std::function<int()> &parseKeyword) {
  SkipSpaces();
  auto keywordOrDefault = [&] {
    int code = parseKeyword();
    return code == kNoKeyword ? defaultCode : uint16_t(code);
  };
  if (MatchWordAtInput("push")) {
    SkipSpaces();
    if (stack.level + 1 >= kDefaultStackEntries) {
      CompileError<kMsgStackFull>();
      return;
    }
    uint16_t code = keywordOrDefault();
    stack.entries[++stack.level] = code;
  } else if (MatchWordAtInput("pop")) {
    SkipSpaces();
    if (stack.level == 0)
      CompileError<kMsgStackEmpty>();
    else
      --stack.level;
  } else {
    stack.Current() = keywordOrDefault();
  }
}

} // namespace

int ParseMemmapKeyword(KeywordMatcher match, const NumberReader &readNumber) {
  if (match("root"))
    return kMemmapRoot;
  if (match("xmem"))
    return kMemmapXmem;
  if (!match("anymem"))
    return kNoKeyword;
  SkipSpaces();
  if (IsDigitChar(*InputCursor)) {
    int32_t bytes = readNumber();
    if (bytes < 0 || bytes > kMaxAnymemThreshold)
      CompileError<kMsgAnymemRange>();
    else
      State().anymemThreshold = uint32_t(bytes);
  }
  return kMemmapAnymem;
}

int ParseClassKeyword(KeywordMatcher match) {
  if (match("auto"))
    return kClassAutoLocal;
  if (match("static"))
    return kClassStaticLocal;
  return kNoKeyword;
}

bool ParseAsmMemoryKeyword(KeywordMatcher match, const NumberReader &readNumber) {
  int code = ParseMemmapKeyword(match, readNumber);
  if (code == kNoKeyword)
    return false;
  State().declarationMemory = uint16_t(code);
  ChooseFunctionMemory(uint16_t(code));
  return true;
}

void MemmapDirective(const NumberReader &readNumber) {
  ParsePushPopDefault(State().memmap, kMemmapRoot, [&] { return ParseMemmapKeyword(MatchAtInput, readNumber); });
}

void ClassDirective() {
  ParsePushPopDefault(State().storageClass, kClassAutoLocal, [] { return ParseClassKeyword(MatchAtInput); });
}

uint16_t CurrentMemmapDefault() { return State().memmap.Current(); }
uint16_t CurrentClassDefault() { return State().storageClass.Current(); }
void SetDefaultStorageClass(uint16_t storageClass) { State().storageClass.Current() = storageClass; }

void ResetMemmapAndClassDefaults() {
  State().memmap.Current() = kMemmapAnymem;
  State().storageClass.Current() = kClassAutoLocal;
  Attributes().directiveDefaults &= ~kAttrUseIx;
}

uint32_t AnymemThreshold() { return State().anymemThreshold; }
uint16_t &DeclarationMemoryCode() { return State().declarationMemory; }

void ResetMemmapModule() { State() = MemmapState{}; }

} // namespace tsw
