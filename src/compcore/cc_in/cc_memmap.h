#pragma once

#include "compcore/common/cc_storage.h"

#include <cstdint>
#include <functional>
#include <string_view>

// The #memmap and #class default stacks: where functions are placed when a
// declaration names no memory, and which class a local declaration without
// a class word gets. Both directives take "push" and "pop" so that a header
// can change a default and give it back.
namespace tsw {

// #memmap codes.
enum : uint16_t { kMemmapRoot = 0, kMemmapXmem = 2, kMemmapAnymem = 4 };

inline constexpr uint16_t kDefaultStackEntries = 20;
inline constexpr uint32_t kDefaultAnymemThreshold = 8192;
// "anymem" takes a byte count up to and including this.
inline constexpr int32_t kMaxAnymemThreshold = 65536;

// Matches a word at the cursor (true) and consumes it.
using KeywordMatcher = bool (*)(std::string_view);
// Reads the number after "anymem".
using NumberReader = std::function<int32_t()>;

// The code of the memory keyword at the cursor, or -1 when none stands there.
int ParseMemmapKeyword(KeywordMatcher match, const NumberReader &readNumber);
int ParseClassKeyword(KeywordMatcher match);
// A memory keyword of a declaration or an #asm line: records it as the
// declaration's memory code and places the function; false when none.
bool ParseAsmMemoryKeyword(KeywordMatcher match, const NumberReader &readNumber);

// The directives; the cursor stands after the directive's name.
void MemmapDirective(const NumberReader &readNumber);
void ClassDirective();

uint16_t CurrentMemmapDefault();
uint16_t CurrentClassDefault();
void SetDefaultStorageClass(uint16_t storageClass);
void ResetMemmapAndClassDefaults();

// Bytes of root code past which an anymem function goes to extended memory;
// held in 32 bits so that 65536 means "always extended memory".
uint32_t AnymemThreshold();
// The memory code of the declaration being parsed (anymem until a keyword).
uint16_t &DeclarationMemoryCode();

void ResetMemmapModule();

} // namespace tsw
