#include "compcore/cc_rom/shadow_image.h"

#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/output_target.h"

#include <array>
#include <bitset>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tsw {

namespace {

constexpr uint32_t kShadowPage = 4096;

struct ShadowPage {
  std::array<uint8_t, kShadowPage> bytes{};
  std::bitset<kShadowPage> emitted;
};
using PageMap = std::unordered_map<uint32_t, ShadowPage>;

struct JournalEntry {
  uint32_t physical;
  uint8_t byte;
  bool emitted;
};

struct ShadowModule {
  PageMap pages;
  PageMap biosPages;
  bool lastCompileWasBios = false;
  std::vector<JournalEntry> journal;
  std::vector<size_t> marks;
};

ShadowModule &State() {
  static ShadowModule m;
  return m;
}

} // namespace

void RegisterShadowCodeState() {
  RegisterCodeStateParticipant({
      CodeStateSide::kCode,
      [] { State().marks.push_back(State().journal.size()); },
      [] {
        ShadowModule &s = State();
        if (s.marks.empty())
          return;
        size_t mark = s.marks.back();
        while (s.journal.size() > mark) {
          const JournalEntry &e = s.journal.back();
          ShadowPage &page = s.pages[e.physical / kShadowPage];
          page.bytes[e.physical % kShadowPage] = e.byte;
          page.emitted[e.physical % kShadowPage] = e.emitted;
          s.journal.pop_back();
        }
      },
      [] {
        ShadowModule &s = State();
        if (!s.marks.empty())
          s.marks.pop_back();
        if (s.marks.empty())
          s.journal.clear();
      },
  });
}

void ShadowWrite(uint32_t physical, const uint8_t *bytes, uint32_t count) {
  ShadowModule &m = State();
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t a = (physical + i) & kPhysicalMask;
    ShadowPage &page = m.pages[a / kShadowPage];
    uint32_t at = a % kShadowPage;
    if (!m.marks.empty())
      m.journal.push_back({a, page.bytes[at], bool(page.emitted[at])});
    page.bytes[at] = bytes[i];
    page.emitted[at] = true;
  }
}

bool ShadowRead(uint32_t physical, uint8_t &byte) {
  const PageMap &pages = State().pages;
  uint32_t a = physical & kPhysicalMask;
  auto it = pages.find(a / kShadowPage);
  if (it == pages.end() || !it->second.emitted[a % kShadowPage])
    return false;
  byte = it->second.bytes[a % kShadowPage];
  return true;
}

bool ReadEmittedPhysical(uint32_t physical, uint32_t count, uint8_t *out) {
  uint32_t i = 0;
  while (i < count) {
    if (ShadowRead(physical + i, out[i])) {
      ++i;
      continue;
    }
    // A run of bytes no compile emitted: only the board can have them.
    uint32_t runEnd = i + 1;
    uint8_t ignored;
    while (runEnd < count && !ShadowRead(physical + runEnd, ignored))
      ++runEnd;
    OutputTarget *board = CurrentOutputTarget();
    if (!board || !board->ReadTargetMemory(runEnd - i, BoardAddressOf((physical + i) & kPhysicalMask), out + i))
      return false;
    i = runEnd;
  }
  return true;
}

bool ReadEmittedBytes(ADDR24 address, uint32_t count, uint8_t *out) {
  return ReadEmittedPhysical(Addr24ToPhysical(address), count, out);
}

void ResetShadowForCompile(bool biosCompile) {
  ShadowModule &m = State();
  if (biosCompile) {
    m.pages.clear();
    m.biosPages.clear();
  } else {
    if (m.lastCompileWasBios)
      m.biosPages = m.pages;
    m.pages = m.biosPages;
  }
  m.journal.clear();
  m.marks.clear();
  m.lastCompileWasBios = biosCompile;
}

void ResetShadowModule() {
  ShadowModule &m = State();
  m.pages.clear();
  m.biosPages.clear();
  m.journal.clear();
  m.marks.clear();
  m.lastCompileWasBios = false;
}

} // namespace tsw
