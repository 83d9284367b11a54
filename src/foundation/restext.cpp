#include "foundation/restext.h"

#include <cstring>

#include "platform/format.h"

namespace tsw {
namespace {

const MessageTexts *gTexts = nullptr;
char gSharedText[kResourceBufferSize];

} // namespace

void SetMessageTexts(const MessageTexts *texts) { gTexts = texts; }

int LoadResourceString(unsigned id, char *buf, int size) {
  if (size <= 0)
    return 0;
  const char *text = gTexts ? gTexts->Find(id) : nullptr;
  return int(plat::CopyCut(buf, size_t(size), text ? text : ""));
}

const char *GetResourceString(unsigned id) {
  LoadResourceString(id, gSharedText, int(sizeof gSharedText));
  return gSharedText;
}

void ResetMessageTextModule() {
  gTexts = nullptr;
  gSharedText[0] = '\0';
}

} // namespace tsw
