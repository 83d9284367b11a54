#pragma once

#include <cstdint>
#include <string>

// The ".bin" byte image of a compile, beside the program's source.
namespace tsw {

// Creates the image of `programPath` (its extension replaced by ".bin"),
// starting with the BIOS image when the compile includes the BIOS. False,
// with a compile error, when it cannot be created.
bool CreateBinImageFile(const char *programPath);
void WriteBinImageAt(uint32_t count, uint32_t offset, const uint8_t *data);
void CloseBinImageFile();
bool BinImageFileOpen();
// The file the last CreateBinImageFile named (the download sends it).
const std::string &BinImagePath();

void ResetBinImageModule();

} // namespace tsw
