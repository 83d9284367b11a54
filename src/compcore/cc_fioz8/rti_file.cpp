#include "compcore/cc_fioz8/rti_file.h"

#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/common/cc_session.h"

#include <array>
#include <cstdio>
#include <vector>

namespace tsw {

namespace {

constexpr uint16_t kKernelDirectoryPointer = 3;
constexpr uint16_t kDebugBlockPointer = 0x11;
constexpr uint32_t kLowMemoryBytes = 0x2402;
constexpr uint32_t kDebugBlockBank = 0x80000;
constexpr uint16_t kRootTop = 0x8000;
constexpr uint8_t kLargestPairedSizeCode = 8;
constexpr uint16_t kKernelFlagOpen = 1;
constexpr uint16_t kKernelFlagClose = 2;

// Where each header field comes from in the kernel's directory.
struct HeaderField {
  uint8_t offset;
  uint8_t directory;
  uint8_t width;
};
constexpr HeaderField kHeaderFields[] = {
    {0, 0x2B, 1},  {1, 0x2C, 1},  {2, 0x32, 1},  {3, 0x1F, 2},  {5, 0x21, 1},  {6, 0x20, 1},
    {7, 0x23, 2},  {9, 0x25, 2},  {11, 0x27, 2}, {13, 0x15, 2}, {15, 0x17, 2}, {17, 0x19, 2},
    {19, 0x1B, 2}, {21, 0x1D, 2}, {23, 0x2D, 2}, {25, 0x29, 2},
};
constexpr uint8_t kRamcfgSizeCode = 0;
constexpr uint8_t kLogicalPages = 1;
constexpr uint8_t kRamStart = 2;
constexpr uint8_t kStackWord = 25;
constexpr uint16_t kStackWordBias = 4;
constexpr uint8_t kBoardType = 27;
constexpr uint8_t kOperatingMode = 29;
constexpr uint8_t kDebugBlockLength = 31;

struct RtiModule {
  RtiShell *shell = nullptr;
  std::FILE *reading = nullptr;
};
RtiModule &State() {
  static RtiModule m;
  return m;
}

bool Read(OutputTarget &board, uint32_t physical, uint32_t count, uint8_t *out) {
  return board.ReadTargetMemory(count, BoardAddressOf(physical), out);
}

bool ReadWord(OutputTarget &board, uint32_t physical, uint16_t &word) {
  uint8_t b[2];
  if (!Read(board, physical, 2, b))
    return false;
  word = uint16_t(b[0] | b[1] << 8);
  return true;
}

void PutWord(uint8_t *at, uint16_t word) {
  at[0] = uint8_t(word);
  at[1] = uint8_t(word >> 8);
}

void SetRamSizes(uint8_t code, uint16_t rams, uint16_t &rame, uint16_t &ramg) {
  if (code <= kLargestPairedSizeCode) {
    rame = uint16_t(code * 2 + rams);
    ramg = uint16_t(code << 12);
  } else {
    rame = uint16_t(code + rams);
    ramg = 0;
  }
}

bool ReadHeader(OutputTarget &board, std::array<uint8_t, kRtiHeaderBytes> &header, uint16_t directory) {
  for (const HeaderField &f : kHeaderFields) {
    if (!Read(board, uint32_t(directory) + f.directory, f.width, &header[f.offset]))
      return false;
  }
  uint16_t stack = uint16_t(header[kStackWord] | header[kStackWord + 1] << 8);
  PutWord(&header[kStackWord], uint16_t(stack + kStackWordBias));
  PutWord(&header[kBoardType], uint16_t(Addr24ToLong(LookupBiosSymbol("IOP_BOARD_TYPE", {}))));
  ADDR24 opmode = LookupBiosSymbol("OPMODE", {});
  header[kOperatingMode] = 0;
  if (Addr24ToLong(opmode) != 0 && !board.ReadTargetMemory(1, opmode, &header[kOperatingMode]))
    return false;
  header[30] = 0;
  return true;
}

void UpdateConfiguration(const std::array<uint8_t, kRtiHeaderBytes> &header) {
  CompilerSettings &cfg = CompilerConfig();
  if (cfg.ramcfg != 0) {
    cfg.logr = header[kLogicalPages] & 0x0F;
    cfg.rams = header[kRamStart];
    cfg.logx = header[kLogicalPages] >> 4;
    SetRamSizes(header[kRamcfgSizeCode], cfg.rams, cfg.rame, cfg.ramg);
  }
  ExtWindowStart = uint16_t(cfg.logx * kExtPageSize);
  cfg.ramx = uint16_t(cfg.logx - cfg.logr);
}

bool WriteRti(std::FILE *file, OutputTarget &board) {
  uint16_t directory = 0;
  if (!ReadWord(board, kKernelDirectoryPointer, directory))
    return false;
  std::array<uint8_t, kRtiHeaderBytes> header{};
  if (!ReadHeader(board, header, directory))
    return false;
  UpdateConfiguration(header);

  uint8_t pointer[4];
  if (!Read(board, uint32_t(directory) + kDebugBlockPointer, 4, pointer))
    return false;
  uint32_t block = uint32_t(pointer[0] | pointer[1] << 8 | pointer[2] << 16 | uint32_t(pointer[3]) << 24);
  const bool root = block < kRootTop;
  if (!root)
    block = kDebugBlockBank - (0x10000 - block);
  if (root)
    board.PulseKernelFlag(kKernelFlagOpen);
  uint16_t length = 0;
  bool ok = ReadWord(board, block, length);
  std::vector<uint8_t> debugBlock(length);
  ok = ok && (length == 0 || Read(board, block + 2, length, debugBlock.data()));
  if (root)
    board.PulseKernelFlag(kKernelFlagClose);
  if (!ok)
    return false;
  PutWord(&header[kDebugBlockLength], length);
  std::vector<uint8_t> low(kLowMemoryBytes);
  if (!Read(board, 0, kLowMemoryBytes, low.data()))
    return false;
  return std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
         std::fwrite(debugBlock.data(), 1, debugBlock.size(), file) == debugBlock.size() &&
         std::fwrite(low.data(), 1, low.size(), file) == low.size();
}

} // namespace

void SetRtiShell(RtiShell *shell) { State().shell = shell; }

bool SaveRtiFile() {
  CloseRtiFile();
  RtiShell *shell = State().shell;
  if (!shell)
    return false;
  std::optional<std::string> path = shell->ChooseRtiFile();
  if (!path)
    return false;
  OutputTarget *board = CurrentOutputTarget();
  std::FILE *file = board ? std::fopen(path->c_str(), "w+b") : nullptr;
  if (!file) {
    shell->ShowMessageBox(kMsgRtiNotCreated);
    return false;
  }
  const bool ok = WriteRti(file, *board);
  std::fclose(file);
  if (!ok) {
    // A half-read board leaves no file that looks complete.
    std::remove(path->c_str());
    shell->ShowMessageBox(kMsgRtiNotCreated);
  }
  return ok;
}

bool OpenRtiFile(const std::string &path) {
  CloseRtiFile();
  State().reading = std::fopen(path.c_str(), "rb");
  return State().reading != nullptr;
}

void CloseRtiFile() {
  if (State().reading)
    std::fclose(State().reading);
  State().reading = nullptr;
}

bool ReadRtiHeader(uint8_t *buffer) {
  std::FILE *f = State().reading;
  if (!f || std::fseek(f, 0, SEEK_SET) != 0)
    return false;
  std::array<uint8_t, kRtiHeaderBytes> header{};
  if (std::fread(header.data(), 1, header.size(), f) != header.size())
    return false;
  std::copy(header.begin(), header.end(), buffer);
  return true;
}

void DecodeMemorySizeCodes(uint16_t &rams, uint16_t &rame, uint16_t &ramg, uint16_t &rome) {
  std::array<uint8_t, kRtiHeaderBytes> h{};
  if (!ReadRtiHeader(h.data()))
    return;
  rams = h[kRamStart];
  const uint8_t mode = h[kOperatingMode];
  const uint16_t boardType = uint16_t(h[kBoardType] | h[kBoardType + 1] << 8);
  constexpr uint16_t kBoardWithoutModeSizes = 4;
  if ((mode & 0xF0) != 0 && boardType != kBoardWithoutModeSizes) {
    switch (mode & 0x30) {
    case 0x00: rome = 16; break;
    case 0x10: rome = 32; break;
    case 0x20: rome = (mode & 0x80) ? 64 : 128; break;
    default: break;
    }
    if (mode & 0x80)
      rome = uint16_t(rome - 1);
  }
  SetRamSizes(h[kRamcfgSizeCode], rams, rame, ramg);
}

} // namespace tsw
