#pragma once

#include "compcore/cc_rom/shadow_image.h"
#include "foundation/msgnumbers.h"
#include "foundation/addr24.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The writer of every flushed run: into the shadow always, then into the
// byte listing or the board as the compile's outputs ask. At the end of a
// compile the listing becomes the byte image, its Intel HEX twin and the
// "splitbin" part files.
namespace tsw {

inline constexpr uint16_t kMaxListingRecord = 400;

void WriteRomListingRecord(uint16_t count, ADDR24 address, const uint8_t *bytes);
// 0, or 1 when the listing cannot be opened (message 617).
int BeginRomListing(const std::string &programName);
void FinishRomListing();
bool RomListingOpen();

// The written-block map: one bit per flash block the compile wrote.
inline constexpr size_t kWrittenBlockMapBytes = 1024;
void ClearWrittenBlockMap();
bool IsBlockWritten(uint32_t physical, uint32_t blockSize);
uint32_t CountWrittenBlocks();

struct ImageRange {
  uint32_t start;
  uint32_t length;
};

enum ImageBuildResult : int {
  kImageBuilt = 0,
  kImageFilesNotOpened = 1,
  kImageListingUnreadable = 2,
  kImageBiosPartFailed = 3,
  kImageRecordFailed = 4,
  kImageChecksumFailed = 5,
  kImageHexFailed = 6,
};

struct ImageFileNames {
  std::string listingExt = "rom";
  std::string hexExt = "hex";
  std::string binExt = "bin";
};
// Builds the image and its HEX twin from the listing; with `records`, the
// merged ranges the image holds. `imageBaseKb` is the image's first
// kilobyte.
int BuildImageFromListing(const std::string &programName, uint16_t keepListing, const ImageFileNames &names,
                          std::vector<ImageRange> *records, uint32_t &imageBaseKb);
// The numbered part files of the "splitbin" origins; 0 when a file cannot
// be opened.
int WriteImageFiles(const std::string &programName);
// False when the binary could not be read.
bool WriteIntelHexFile(std::FILE *binary, std::FILE *hex);

// A listing record as read back.
struct ListingRecord {
  uint16_t segment = 0;
  uint16_t logical = 0;
  uint16_t count = 0;
  uint8_t bytes[512] = {};
  uint16_t byteSum = 0;
};
// 0 read, -1 end of file, -2 bad record.
int ReadListingRecord(std::FILE *listing, ListingRecord &record);
uint32_t ListingRecordPhysical(const ListingRecord &record);

// Takes part in the statement snapshot; called once with every reset of
// the compiler.
void RegisterListingCodeState();
void ResetRomListingModule();

} // namespace tsw
