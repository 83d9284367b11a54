#include "compcore/link/tc/binimage.h"

#include <cstdio>

#include "compcore/link/biosimage.h"
#include "compcore/link/linkhost.h"
#include "compcore/link/linkmsgs.h"

namespace tsw {

namespace {
std::FILE *imageFile = nullptr;
std::string imagePath;
} // namespace

bool CreateBinImageFile(const char *programPath) {
  imagePath = Host().MakeFilePath(programPath, ".bin");
  CloseBinImageFile();
  imageFile = std::fopen(imagePath.c_str(), "w+b");
  if (!imageFile) {
    Host().CompileError(LinkCompileError::Of<kMsgCannotOpen>(imagePath));
    return false;
  }
  if (Host().IncludeBios() && BiosImageBuffer.highWater > 0)
    WriteBinImageAt(BiosImageBuffer.highWater, 0, BiosImageBuffer.bytes.data());
  return true;
}

void WriteBinImageAt(uint32_t count, uint32_t offset, const uint8_t *data) {
  if (!imageFile)
    return;
  std::fseek(imageFile, long(offset), SEEK_SET);
  std::fwrite(data, 1, count, imageFile);
}

void CloseBinImageFile() {
  if (imageFile)
    std::fclose(imageFile);
  imageFile = nullptr;
}

bool BinImageFileOpen() { return imageFile != nullptr; }
const std::string &BinImagePath() { return imagePath; }

void ResetBinImageModule() {
  CloseBinImageFile();
  imagePath.clear();
}

} // namespace tsw
