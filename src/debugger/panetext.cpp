#include "debugger/panetext.h"

#include "foundation/restext.h"
#include "platform/format.h"

#include <fmt/format.h>

namespace tsw {
namespace {

constexpr const char *kLocationSeparator = "----------";
constexpr const char *kFlagLetters = "SZXHXVNC";
constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kFirstHighByte = 0x80;

uint8_t HighByte(uint16_t word) { return uint8_t(word >> 8); }

std::string AddressText(ADDR24 address) {
  if (Addr24InWindow(address))
    return fmt::format("{:02x}:{:04x}", address.segment, address.logical);
  return fmt::format("{:04x}", address.logical);
}

} // namespace

std::vector<std::string> PcLocationLines(ADDR24 pc, const std::optional<SourceLocation> &where) {
  std::vector<std::string> lines{kLocationSeparator};
  if (where)
    lines.push_back(plat::FormatText(GetResourceString(kMsgPcSourcePosition), where->file, where->line));
  else
    lines.push_back("PC@" + AddressText(pc));
  return lines;
}

std::string FlagsLine(const TargetRegisterFrame &frame) {
  std::string flags(kFlagLetters);
  for (int bit = 7; bit >= 0; --bit)
    if (!(frame.af & (1u << bit)))
      flags[size_t(7 - bit)] = ' ';
  return flags + fmt::format("  XPC {:02X}", frame.xpc);
}

std::vector<std::string> RegisterLines(const TargetRegisterFrame &f) {
  return {
      FlagsLine(f),
      fmt::format("A   {:02X}    AF' {:04X}", HighByte(f.af), f.af_),
      fmt::format("BC  {:04X}  BC' {:04X}", f.bc, f.bc_),
      fmt::format("DE  {:04X}  DE' {:04X}", f.de, f.de_),
      fmt::format("HL  {:04X}  HL' {:04X}", f.hl, f.hl_),
      fmt::format("IX  {:04X}  IY  {:04X}", f.ix, f.iy),
      fmt::format("PC  {:04X}  SP  {:04X}", f.pc, f.sp),
  };
}

std::vector<std::string> StackLines(uint16_t sp, const uint8_t *words, size_t lineCount) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < lineCount; ++i) {
    uint16_t word = uint16_t(words[2 * i] | words[2 * i + 1] << 8);
    lines.push_back(fmt::format("{:04X}: {:04X}", uint16_t(sp + 2 * i), word));
  }
  return lines;
}

ADDR24 DumpReadAddress(const DumpAddressing &at) {
  if (at.physicalForm)
    return PhysicalToAddr24(at.physicalAddress);
  if (at.segmentForm)
    return PhysicalToAddr24((at.address.segment * kExtPageSize + at.address.logical) & kPhysicalMask);
  return at.address;
}

std::vector<std::string> DumpLines(const DumpAddressing &at, const uint8_t *bytes, size_t count) {
  std::vector<std::string> lines;
  for (size_t start = 0; start + kDumpBytesPerLine <= count; start += kDumpBytesPerLine) {
    std::string line;
    if (at.physicalForm)
      line = fmt::format("{:06x} ", (at.physicalAddress + start) & kPhysicalMask);
    else if (at.segmentForm)
      line = fmt::format("{:02x}:{:04x} ", at.address.segment, uint16_t(at.address.logical + start));
    else
      line = fmt::format("{:04x} ", uint16_t(at.address.logical + start));
    const uint8_t *row = bytes + start;
    for (size_t i = 0; i < kDumpBytesPerLine; ++i)
      line += fmt::format("{:02X} ", row[i]);
    for (size_t i = 0; i < kDumpBytesPerLine; ++i)
      line += row[i] < kFirstPrintable || row[i] >= kFirstHighByte ? ' ' : char(row[i]);
    lines.push_back(std::move(line));
  }
  return lines;
}

} // namespace tsw
