#include "compcore/cc_rom/rom_listing.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/common/cc_session.h"
#include "foundation/crc16.h"
#include "foundation/restext.h"
#include "platform/rewrite.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <strings.h>
#include <unistd.h>

namespace tsw {

namespace {

constexpr uint32_t kKilobyte = 1024;
constexpr uint32_t kMaxImageKb = 1024;
constexpr uint32_t kImageTopSlackKb = 4;
constexpr uint16_t kBiosCopyPiece = 32;
constexpr uint32_t kBiosPartPiece = 1024;
constexpr uint32_t kSplitPiece = 512;
constexpr int kBytesPerListingLine = 16;
constexpr size_t kMaxRecordBytes = 512;
constexpr uint32_t kHexRecordBytes = 32;
constexpr uint32_t kHexSegmentSpan = 0x8000;

// An image file, made a new file each compile (see RemoveBeforeRewrite).
std::FILE *OpenForRewrite(const std::string &path, const char *mode) {
  plat::RemoveBeforeRewrite(path);
  return std::fopen(path.c_str(), mode);
}
constexpr uint16_t kHexSegmentStep = 8;
constexpr uint32_t kChecksumBytes = 2;
constexpr uint32_t kTimeStampBytes = 4;
constexpr uint32_t kMapBits = kWrittenBlockMapBytes * 8;
constexpr char kToolName[] = "tsw";

struct MapChange {
  uint16_t index;
  uint8_t previous;
};

struct ListingModule {
  std::FILE *listing = nullptr;
  std::array<uint8_t, kWrittenBlockMapBytes> blockMap{};
  // Per save point: the listing's position and where its map changes begin.
  std::vector<long> positions;
  std::vector<size_t> mapMarks;
  std::vector<MapChange> mapLog;
  uint32_t imageBase = kPhysicalMask;
};

ListingModule &State() {
  static ListingModule m;
  return m;
}

void MarkBlock(uint32_t physical) {
  const uint32_t sector = Output().flashSectorSize;
  if (sector == 0)
    return;
  uint32_t block = physical / sector;
  // Small sectors number more blocks than the map holds.
  if (block >= kMapBits)
    return;
  ListingModule &m = State();
  uint8_t &slot = m.blockMap[block >> 3];
  if (!m.positions.empty())
    m.mapLog.push_back({uint16_t(block >> 3), slot});
  slot = uint8_t(slot | (1u << (block & 7)));
}

// Root addresses carry no page: the listing names them by their logical
// address alone, so reading a record back gives the same physical address.
ADDR24 ListingAddress(ADDR24 address) { return Addr24InWindow(address) ? address : MakeAddr24(0, address.logical); }

void WriteListingLine(ADDR24 address, uint16_t count, const uint8_t *bytes) {
  std::FILE *f = State().listing;
  if (!f)
    return;
  address = ListingAddress(address);
  std::fprintf(f, "%02x:%04x[%3x] -> ", address.segment, address.logical, count);
  for (uint16_t i = 0; i < count; ++i) {
    std::fprintf(f, "%02x ", bytes[i]);
    if ((i + 1) % kBytesPerListingLine == 0 && i + 1 < count)
      std::fprintf(f, "\n%16s", "");
  }
  std::fprintf(f, "\n");
  const uint32_t physical = Addr24ToPhysical(address);
  for (uint16_t i = 0; i < count; ++i)
    MarkBlock((physical + i) & kPhysicalMask);
}

void SendToFlash(uint16_t count, ADDR24 address, const uint8_t *bytes, OutputTarget &board) {
  if (board.UseTcp()) {
    board.WriteProgramBytesTcp(count, address, bytes);
    return;
  }
  const uint32_t sector = Output().flashSectorSize;
  uint32_t physical = Addr24ToPhysical(address);
  uint16_t done = 0;
  while (done < count) {
    uint32_t room = sector ? sector - (physical + done) % sector : uint32_t(count - done);
    uint16_t piece = uint16_t(std::min<uint32_t>(room, uint32_t(count - done)));
    board.WriteTargetBlock(piece, Addr24Add(address, done), bytes + done);
    done = uint16_t(done + piece);
  }
}

std::string ReplaceExtension(const std::string &name, const std::string &ext) {
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  std::string base =
      (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? name.substr(0, dot) : name;
  return base + "." + ext;
}

std::string CutExtension(const std::string &name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

void MergeRange(std::vector<ImageRange> &list, uint32_t start, uint32_t length) {
  uint32_t end = start + length;
  auto at = std::lower_bound(list.begin(), list.end(), start,
                             [](const ImageRange &r, uint32_t s) { return r.start + r.length + 1 < s; });
  while (at != list.end() && at->start <= end + 1) {
    start = std::min(start, at->start);
    end = std::max(end, at->start + at->length);
    at = list.erase(at);
  }
  list.insert(at, ImageRange{start, end - start});
}

bool CopyBiosPart(std::FILE *binary, uint32_t imageBaseKb, uint32_t imageSizeKb) {
  const uint32_t from = imageBaseKb * kKilobyte;
  const uint32_t end = Output().biosCodeEnd;
  std::vector<uint8_t> piece(kBiosPartPiece);
  for (uint32_t at = from; at <= end; at += kBiosPartPiece) {
    uint32_t n = std::min(kBiosPartPiece, end + 1 - at);
    if (!ReadEmittedPhysical(at, n, piece.data()) || std::fwrite(piece.data(), 1, n, binary) != n)
      return false;
  }
  std::vector<uint8_t> zeros(kKilobyte, 0);
  long wanted = long(imageSizeKb * kKilobyte);
  std::fseek(binary, 0, SEEK_END);
  for (long at = std::ftell(binary); at < wanted;) {
    size_t n = size_t(std::min<long>(long(kKilobyte), wanted - at));
    if (std::fwrite(zeros.data(), 1, n, binary) != n)
      return false;
    at += long(n);
  }
  return true;
}

bool IsExcludedFromChecksum(uint32_t physical) {
  const OutputSettings &o = Output();
  return (physical >= o.checksumPosition && physical < o.checksumPosition + kChecksumBytes) ||
         (physical >= o.timeStampPosition && physical < o.timeStampPosition + kTimeStampBytes);
}

bool WriteImageChecksum(std::FILE *binary, uint32_t imageBaseKb) {
  uint16_t crc = 0;
  const uint32_t below = imageBaseKb * kKilobyte;
  std::vector<uint8_t> bios(below);
  if (below && !ReadEmittedPhysical(0, below, bios.data()))
    return false;
  for (uint32_t a = 0; a < below; ++a)
    crc = ComputeCrc16(IsExcludedFromChecksum(a) ? uint8_t(0) : bios[a], kCrc16Ccitt, crc);
  std::fflush(binary);
  std::rewind(binary);
  uint32_t physical = below;
  for (int c; (c = std::fgetc(binary)) != EOF; ++physical)
    crc = ComputeCrc16(IsExcludedFromChecksum(physical) ? uint8_t(0) : uint8_t(c), kCrc16Ccitt, crc);
  uint8_t word[2] = {uint8_t(crc), uint8_t(crc >> 8)};
  if (!Output().includeTimeStamp)
    word[0] = word[1] = 0xFF;
  if (std::fseek(binary, long(Output().checksumPosition - below), SEEK_SET) != 0)
    return false;
  return std::fwrite(word, 1, 2, binary) == 2;
}

bool CopyFileRange(std::FILE *from, long start, long end, std::FILE *to) {
  std::vector<uint8_t> piece(kSplitPiece);
  if (std::fseek(from, start, SEEK_SET) != 0)
    return false;
  for (long at = start; at < end;) {
    size_t n = size_t(std::min<long>(long(kSplitPiece), end - at));
    size_t got = std::fread(piece.data(), 1, n, from);
    if (got == 0)
      break;
    if (std::fwrite(piece.data(), 1, got, to) != got)
      return false;
    at += long(got);
  }
  return true;
}

} // namespace

// ---- the writer ------------------------------------------------------------

void WriteRomListingRecord(uint16_t count, ADDR24 address, const uint8_t *bytes) {
  if (count == 0)
    return;
  ShadowWrite(Addr24ToPhysical(address), bytes, count);
  const OutputSettings &o = Output();
  const bool listing = o.outputBits & kOutputListing;
  const bool toBoard = o.outputBits & kOutputBoard;
  if (!listing && !toBoard)
    return;
  OutputTarget *board = CurrentOutputTarget();
  if (board && !board->FullDuplex() && !listing && toBoard && o.codeMode == CodeOutputMode::kProgram) {
    board->WriteTargetMemory(count, address, bytes);
    return;
  }
  if (o.codeMode == CodeOutputMode::kWatchCode && listing && toBoard &&
      (Addr24ToPhysical(address) >> 12) < CompilerConfig().rome) {
    if (board)
      SendToFlash(count, address, bytes, *board);
    return;
  }
  for (uint16_t done = 0; done < count;) {
    uint16_t piece = std::min<uint16_t>(kMaxListingRecord, uint16_t(count - done));
    ADDR24 at = done ? Addr24Add(address, done) : address;
    PumpProgress();
    if (o.codeMode == CodeOutputMode::kProgram && listing)
      WriteListingLine(at, piece, bytes + done);
    else if (board && o.codeMode != CodeOutputMode::kWatchSetup)
      board->WriteTargetMemory(piece, at, bytes + done);
    done = uint16_t(done + piece);
  }
}

int BeginRomListing(const std::string &programName) {
  const OutputSettings &o = Output();
  if (!(o.outputBits & (kOutputListing | kOutputBoard)))
    return 0;
  ListingModule &m = State();
  if (m.listing)
    std::fclose(m.listing);
  m.listing = std::fopen(ReplaceExtension(programName, "rom").c_str(), "w+");
  if (!m.listing) {
    ShowMessage<kMsgListingFailed>(false);
    return 1;
  }
  if ((o.outputBits & kOutputListing) && (o.outputBits & kOutputBit01) && !(o.outputBits & kOutputBit02) &&
      !(o.outputBits & kOutputBoard)) {
    ShowMessage<kMsgCopyingBios>(false);
    if (o.includeBios) {
      uint8_t piece[kBiosCopyPiece];
      for (uint32_t at = 0; at <= o.biosCodeEnd; at += kBiosCopyPiece) {
        uint16_t n = uint16_t(std::min<uint32_t>(kBiosCopyPiece, o.biosCodeEnd + 1 - at));
        ADDR24 address = MakeAddr24(0, uint16_t(at));
        if (ReadEmittedBytes(address, n, piece))
          WriteRomListingRecord(n, address, piece);
      }
    }
  }
  return 0;
}

bool RomListingOpen() { return State().listing != nullptr; }

void FinishRomListing() {
  ListingModule &m = State();
  if (m.listing) {
    const OutputSettings &o = Output();
    std::fprintf(m.listing, "*%04Xivec_base\n", o.ivecBase);
    std::fprintf(m.listing, "*%04Xscod_base\n", o.scodBase);
    std::fprintf(m.listing, "*%04Xroms\n", CompilerConfig().romc);
    std::fprintf(m.listing, "*0000version=%s\n", kToolName);
    std::fprintf(m.listing, "*0000library=%s\n", kToolName);
    std::fclose(m.listing);
    m.listing = nullptr;
  }
  m.positions.clear();
  m.mapMarks.clear();
  m.mapLog.clear();
}

// ---- written blocks ----------------------------------------------------------

void ClearWrittenBlockMap() { State().blockMap.fill(0); }

bool IsBlockWritten(uint32_t physical, uint32_t blockSize) {
  if (blockSize == 0)
    return false;
  uint32_t block = physical / blockSize;
  return block < kMapBits && (State().blockMap[block >> 3] >> (block & 7)) & 1;
}

uint32_t CountWrittenBlocks() {
  uint32_t n = 0;
  for (uint8_t byte : State().blockMap)
    n += uint32_t(__builtin_popcount(byte));
  return n;
}

// ---- roll-back -------------------------------------------------------------

void RegisterListingCodeState() {
  RegisterCodeStateParticipant({
      CodeStateSide::kCode,
      [] {
        ListingModule &l = State();
        l.positions.push_back(l.listing ? std::ftell(l.listing) : -1);
        l.mapMarks.push_back(l.mapLog.size());
      },
      [] {
        ListingModule &l = State();
        if (l.positions.empty())
          return;
        long position = l.positions.back();
        if (l.listing && position >= 0) {
          // Cut the file, so no record of the abandoned attempt survives
          // behind the closing lines.
          std::fflush(l.listing);
          if (ftruncate(fileno(l.listing), position) == 0)
            std::fseek(l.listing, position, SEEK_SET);
        }
        size_t mark = l.mapMarks.back();
        while (l.mapLog.size() > mark) {
          l.blockMap[l.mapLog.back().index] = l.mapLog.back().previous;
          l.mapLog.pop_back();
        }
      },
      [] {
        ListingModule &l = State();
        if (l.positions.empty())
          return;
        l.positions.pop_back();
        l.mapMarks.pop_back();
        if (l.positions.empty())
          l.mapLog.clear();
      },
  });
}

// ---- reading the listing -----------------------------------------------------

uint32_t ListingRecordPhysical(const ListingRecord &record) {
  return (uint32_t(record.segment) * kExtPageSize + record.logical) & kPhysicalMask;
}

int ReadListingRecord(std::FILE *listing, ListingRecord &record) {
  for (;;) {
    int c = std::fgetc(listing);
    while (c == '\n' || c == '\r')
      c = std::fgetc(listing);
    if (c == EOF)
      return -1;
    if (c == '*') {
      while ((c = std::fgetc(listing)) != EOF && c != '\n') {
      }
      continue;
    }
    std::ungetc(c, listing);
    break;
  }
  unsigned segment = 0, logical = 0, count = 0;
  int fields = std::fscanf(listing, "%2x:%4x[%x] ->", &segment, &logical, &count);
  if (fields != 3)
    return std::feof(listing) ? -1 : -2;
  if (count > kMaxRecordBytes)
    return -2;
  record.segment = uint16_t(segment);
  record.logical = uint16_t(logical);
  record.count = uint16_t(count);
  record.byteSum = 0;
  for (unsigned i = 0; i < count; ++i) {
    unsigned byte = 0;
    if (std::fscanf(listing, "%2x ", &byte) != 1)
      return -1;
    record.bytes[i] = uint8_t(byte);
    record.byteSum = uint16_t(record.byteSum + byte);
  }
  return 0;
}

// ---- the image -------------------------------------------------------------

int BuildImageFromListing(const std::string &programName, uint16_t keepListing, const ImageFileNames &names,
                          std::vector<ImageRange> *records, uint32_t &imageBaseKb) {
  const std::string listingName = ReplaceExtension(programName, names.listingExt);
  std::FILE *listing = std::fopen(listingName.c_str(), "r");
  std::FILE *binary = OpenForRewrite(ReplaceExtension(programName, names.binExt), "w+b");
  std::FILE *hex = OpenForRewrite(ReplaceExtension(programName, names.hexExt), "w");
  auto closeAll = [&] {
    for (std::FILE *f : {listing, binary, hex})
      if (f)
        std::fclose(f);
  };
  if (!listing || !binary || !hex) {
    closeAll();
    return kImageFilesNotOpened;
  }
  if (records)
    records->clear();

  ListingModule &m = State();
  ListingRecord record;
  uint32_t lowest = kPhysicalMask, highestEnd = 0;
  int status;
  bool any = false;
  while ((status = ReadListingRecord(listing, record)) == 0) {
    uint32_t start = ListingRecordPhysical(record);
    lowest = std::min(lowest, start);
    highestEnd = std::max(highestEnd, start + record.count);
    any = true;
    if (records)
      MergeRange(*records, start, record.count);
  }
  int result = kImageBuilt;
  m.imageBase = lowest;
  const uint32_t topKb = highestEnd / kKilobyte + kImageTopSlackKb;
  imageBaseKb = any ? lowest / kKilobyte : 0;
  uint32_t sizeKb = topKb - imageBaseKb;
  if (status == -2 || sizeKb > kMaxImageKb)
    result = kImageListingUnreadable;
  const bool binImage = strncasecmp(names.binExt.c_str(), "BIN", 3) == 0;
  if (binImage) {
    imageBaseKb = 0;
    sizeKb = topKb;
  }
  if (result == kImageBuilt && Output().includeBios && !CopyBiosPart(binary, imageBaseKb, sizeKb))
    result = kImageBiosPartFailed;
  if (result == kImageBuilt) {
    std::rewind(listing);
    const uint32_t base = (binImage && !Output().zeroPadBin) ? lowest : imageBaseKb * kKilobyte;
    while ((status = ReadListingRecord(listing, record)) == 0) {
      long offset = long((ListingRecordPhysical(record) - base) & kPhysicalMask);
      if (std::fseek(binary, offset, SEEK_SET) != 0 ||
          std::fwrite(record.bytes, 1, record.count, binary) != record.count) {
        status = -2;
        break;
      }
    }
    if (status == -2)
      result = kImageRecordFailed;
  }
  if (result == kImageBuilt && Output().includeBios && !WriteImageChecksum(binary, imageBaseKb))
    result = kImageChecksumFailed;
  if (result == kImageBuilt && !WriteIntelHexFile(binary, hex))
    result = kImageHexFailed;
  closeAll();
  if (result == kImageBuilt && keepListing == 0)
    std::remove(listingName.c_str());
  return result;
}

bool WriteIntelHexFile(std::FILE *binary, std::FILE *hex) {
  std::fflush(binary);
  std::rewind(binary);
  uint16_t segment = 0;
  uint32_t offset = 0;
  uint8_t data[kHexRecordBytes];
  bool ok = true;
  for (;;) {
    size_t n = std::fread(data, 1, kHexRecordBytes, binary);
    if (n == 0) {
      ok = !std::ferror(binary);
      break;
    }
    if (offset == 0)
      std::fprintf(hex, ":02000002%02X00%02X\n", segment, unsigned(-(segment + 4)) & 0xFF);
    unsigned sum = unsigned(n) + (offset >> 8) + (offset & 0xFF);
    std::fprintf(hex, ":%02X%04X00", unsigned(n), offset);
    for (size_t i = 0; i < n; ++i) {
      std::fprintf(hex, "%02X", data[i]);
      sum += data[i];
    }
    std::fprintf(hex, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    offset += kHexRecordBytes;
    if (offset >= kHexSegmentSpan) {
      segment = uint16_t(segment + kHexSegmentStep);
      offset = 0;
    }
  }
  std::fprintf(hex, ":00000001FF\n");
  return ok;
}

int WriteImageFiles(const std::string &programName) {
  const std::string base = CutExtension(programName);
  std::FILE *image = std::fopen((base + ".bin").c_str(), "r+b");
  if (!image)
    return 0;
  int result = 1;
  if (SplitbinCount() > 0) {
    std::fseek(image, 0, SEEK_END);
    const long fileEnd = std::ftell(image);
    const uint32_t fileBase = Output().zeroPadBin ? 0 : State().imageBase;
    auto fileOffset = [&](uint32_t physical) { return long(physical) - long(fileBase); };
    // Part boundaries: each origin whose follower asked for a split ends a
    // part with its last byte; the follower's low end starts the next.
    std::vector<std::pair<uint32_t, uint32_t>> parts;
    uint32_t partStart = fileBase;
    for (const OriginDirective *o : OriginsByPhysicalAddress()) {
      if (!o->follows || !o->follows->splitbin)
        continue;
      uint32_t end = Addr24ToPhysical(OriginHighEnd(*o)) + 1;
      parts.push_back({partStart, end});
      partStart = Addr24ToPhysical(OriginLowEnd(*o->follows));
    }
    parts.push_back({partStart, kPhysicalMask + 1});
    for (size_t k = 0; k < parts.size() && result; ++k) {
      const std::string partName = base + std::to_string(k);
      std::FILE *part = OpenForRewrite(partName + ".bin", "w+b");
      std::FILE *partHex = part ? OpenForRewrite(partName + ".hex", "w") : nullptr;
      if (!part || !partHex) {
        result = 0;
      } else {
        long from = std::max(0L, fileOffset(parts[k].first));
        long to = std::min(fileEnd, fileOffset(parts[k].second));
        if (!CopyFileRange(image, from, to, part) || !WriteIntelHexFile(part, partHex))
          result = 0;
      }
      for (std::FILE *f : {part, partHex})
        if (f)
          std::fclose(f);
    }
  }
  std::fclose(image);
  return result;
}

void ResetRomListingModule() {
  ListingModule &m = State();
  if (m.listing)
    std::fclose(m.listing);
  m.listing = nullptr;
  m.blockMap.fill(0);
  m.positions.clear();
  m.mapMarks.clear();
  m.mapLog.clear();
  m.imageBase = kPhysicalMask;
}

} // namespace tsw
