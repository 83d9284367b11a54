#include "debugger/disasm.h"

#include "debugger/insnenv.h"
#include "debugger/opcodes.h"
#include "debugger/stepper.h"
#include "foundation/memorymap.h"

#include <fmt/format.h>

#include <algorithm>

namespace tsw {
namespace {

constexpr uint8_t kPrefixIx = 0xDD;
constexpr uint8_t kPrefixIy = 0xFD;
constexpr uint8_t kPrefixCb = 0xCB;
constexpr uint8_t kPrefixEd = 0xED;
constexpr uint8_t kCorvidAltd = 0x76;
constexpr uint8_t kCorvidIoi = 0xD3;
constexpr uint8_t kCorvidIoe = 0xDB;
constexpr uint8_t kCorvidLjp = 0xC7;
constexpr uint8_t kCorvidLcall = 0xCF;
constexpr uint8_t kSymbolKindLabel = 253;
constexpr uint8_t kSymbolKindFunction = 2;
constexpr uint8_t kTypeCodeXmemFunction = 11;
// Prefix bytes nest in the decoder; a longer run is data, not code.
constexpr int kMaxPrefixDepth = 4;

enum Prefix : uint8_t { kNoPrefix = 0, kIxPrefix = 1, kIyPrefix = 2 };

const char *const kRegisters[8] = {"b", "c", "d", "e", "h", "l", "(hl)", "a"};
const char *const kPairs[3][4] = {{"bc", "de", "hl", "sp"}, {"bc", "de", "ix", "sp"}, {"bc", "de", "iy", "sp"}};
const char *const kPushPairs[4] = {"bc", "de", "hl", "af"};
const char *const kZ180Conditions[8] = {"nz", "z", "nc", "c", "po", "pe", "p", "m"};
const char *const kCorvidConditions[8] = {"nz", "z", "nc", "c", "lz", "lo", "p", "m"};
const char *const kRestarts[8] = {"00h", "08h", "10h", "18h", "20h", "28h", "30h", "38h"};
const char *const kInterruptModes[4] = {"0", "", "1", "2"};
constexpr int kRegisterH = 4, kRegisterL = 5, kRegisterIndirectHl = 6;

// Mnemonics after which the code generator must not assume hl or memory
// unchanged: jumps, calls, returns, stack and block operations.
constexpr uint8_t kNeverSimple[] = {4, 14, 15, 18, 28, 29, 31, 32, 33, 34, 40, 41, 42, 50, 52, 53, 65,
                                    // the compare, input and output block operations move hl;
                                    // rld and rrd write (hl)
                                    7, 8, 9, 10, 24, 25, 26, 27, 39, 43, 44, 47, 48, 59, 64};

struct DecoderState {
  TargetCpu cpu = TargetCpu::Z180;
  const OpcodeTables *tables = &OpcodeTablesFor(TargetCpu::Z180);
  uint8_t prefix = kNoPrefix;
  int displacement = 0;
  bool pendingAlternate = false;
};
DecoderState gState;

bool IsCorvid() { return gState.cpu == TargetCpu::Corvid; }

class Bytes {
public:
  Bytes(const uint8_t *code, size_t available) : code_(code), available_(code ? available : 0) {}
  uint8_t operator[](size_t i) const { return i < available_ ? code_[i] : 0; }
  uint16_t Word(size_t i) const { return uint16_t((*this)[i] | (*this)[i + 1] << 8); }

private:
  const uint8_t *code_;
  size_t available_;
};

const char *IndexRegisterName(uint8_t prefix) { return kPairs[prefix][2]; }

std::string Indexed(uint8_t prefix) { return fmt::format("({}{:+d})", IndexRegisterName(prefix), gState.displacement); }

struct Operand {
  std::string text;
  bool canMark = false;
  uint8_t simple = 1;
};

// One operand of the instruction whose opcode byte stands at `op` in `code`.
Operand Format(uint16_t operandCode, uint16_t address, const Bytes &code, size_t op) {
  const uint8_t opcode = code[op];
  const uint8_t prefix = gState.prefix;
  const bool plain = prefix == kNoPrefix;
  const size_t operandByte = plain ? op + 1 : op + 2;
  const int field543 = (opcode >> 3) & 7, field210 = opcode & 7, field54 = (opcode >> 4) & 3;

  auto reg = [&](int r) -> Operand {
    if (r == kRegisterIndirectHl && !plain && (operandCode & kOpIndexable))
      return {Indexed(prefix), false, 0};
    bool touchesHl = r == kRegisterH || r == kRegisterL || r == kRegisterIndirectHl;
    return {kRegisters[r], r != kRegisterIndirectHl, uint8_t(!touchesHl)};
  };

  switch (operandCode & kOpKindMask) {
  case kOpAF: return {"af"};
  case kOpAFAlt: return {"af'"};
  case kOpDE: return {"de", plain};
  case kOpIndexReg: return {IndexRegisterName(prefix), plain, uint8_t(!plain)};
  case kOpA: return {"a", plain};
  case kOpIndSP: return {"(sp)", false, 0};
  case kOpIndC: return {"(c)", false, 0};
  case kOpByte: return {fmt::format("{:02X}", code[operandByte])};
  case kOpIndByte: return {fmt::format("({:02X})", code[op + 1]), false, 0};
  case kOpRelative: return {fmt::format("{:04X}", uint16_t(address + 2 + int8_t(code[op + 1])))};
  case kOpWord: {
    uint16_t value = code.Word(op + 1);
    bool farJump = IsCorvid() && (opcode == kCorvidLjp || opcode == kCorvidLcall);
    if (operandCode & kOpCodeAddress)
      if (const char *name = FindSymbolForAddress(MakeDataAddr24(value)))
        return {name, false, uint8_t(!farJump)};
    std::string segment = farJump ? fmt::format("{:02X}", code[op + 3]) : std::string();
    return {fmt::format("{}{:04X}", segment, value), false, uint8_t(!farJump)};
  }
  case kOpIndWord: return {fmt::format("({:04X})", code.Word(op + 1)), false, 0};
  case kOpSpecialReg: return {(opcode & 0x08) ? "iir" : "eir"};
  case kOpReg543: return reg(field543);
  case kOpReg210: return reg(field210);
  case kOpPairSS: return {kPairs[prefix][field54], plain};
  case kOpPairQQ: return {field54 == 2 ? IndexRegisterName(prefix) : kPushPairs[field54], plain, 0};
  case kOpIndPairSS:
    if (operandCode & kOpIndexable && !plain)
      return {Indexed(prefix), false, 0};
    return {fmt::format("({})", kPairs[prefix][field54]), false, 0};
  case kOpRestart: return {kRestarts[field543]};
  case kOpCond: return {(IsCorvid() ? kCorvidConditions : kZ180Conditions)[field543]};
  case kOpCondJr: return {kZ180Conditions[field543 & 3]};
  case kOpBitNumber: return {std::string(1, char('0' + field543))};
  case kOpIntMode: return {kInterruptModes[field543 & 3]};
  case kOpSegAddr: return {fmt::format("{:02X}:{:04X}", code[op + 1], code.Word(op + 2))};
  case kOpSP: return {"sp"};
  case kOpDEAltOrSP: return plain ? Operand{"de'"} : Operand{"(sp)", false, 0};
  case kOpIntPriority:
    switch (opcode) {
    case 0x46: return {"0"};
    case 0x56: return {"1"};
    case 0x4E: return {"2"};
    case 0x5E: return {"3"};
    default: return {"?"};
    }
  case kOpIP: return {"ip"};
  case kOpXPC: return {"xpc"};
  case kOpIndexed: return {Indexed(prefix), false, 0};
  case kOpSPOffset: return {fmt::format("(sp{:+d})", gState.displacement), false, 0};
  case kOpHL: return {"hl", true, 0};
  case kOpIndIndexReg: return {fmt::format("({})", IndexRegisterName(prefix)), false, 0};
  case kOpPairSSAlt: return {std::string(kPairs[prefix][field54]) + "'", plain};
  case kOpBC: return {"bc", true};
  case kOpSwappedIndexed: {
    // ld hl,(ix+d) has no prefix, ld hl,(hl+d) has 0xDD, and 0xFD stays iy.
    uint8_t swapped = prefix == kNoPrefix ? uint8_t(kIxPrefix) : prefix == kIxPrefix ? uint8_t(kNoPrefix) : prefix;
    return {Indexed(swapped), false, 0};
  }
  default: return {"?", false, 0};
  }
}

// Appends one operand; gives its part of the simple-instruction flag.
uint8_t AppendOperand(uint16_t operandCode, bool firstOfTwo, uint16_t address, const Bytes &code, size_t op,
                      std::string &text) {
  Operand operand = Format(operandCode, address, code, op);
  text += operand.text;
  uint16_t noMark = firstOfTwo ? kOpNoMarkIfFirst : kOpNoMarkIfLast;
  if (operand.canMark && gState.pendingAlternate && !(operandCode & noMark)) {
    text += '\'';
    gState.pendingAlternate = false;
  }
  return operand.simple;
}

std::string PaddedMnemonic(uint8_t index) {
  std::string name = gState.tables->mnemonics[std::min<int>(index, kMnUndefined)];
  name.resize(kMnemonicWidth, ' ');
  return name;
}

bool IsCorvidPrefix(uint8_t b) { return b == kCorvidAltd || b == kCorvidIoi || b == kCorvidIoe; }

uint8_t Decode(ADDR24 address, const uint8_t *bytes, size_t available, int depth, uint16_t *length, std::string *text);

uint8_t DecodeOne(ADDR24 address, const uint8_t *bytes, size_t available, int depth, uint16_t *length,
                  std::string *text) {
  Bytes code(bytes, available);
  const OpcodeTables &tables = *gState.tables;
  *length = InstructionLength(bytes, available, false);
  uint8_t simple = 1;
  gState.prefix = kNoPrefix;
  gState.displacement = 0;

  const uint8_t first = code[0];
  size_t at = 0;
  if (first == kPrefixIx || first == kPrefixIy) {
    gState.prefix = first == kPrefixIx ? kIxPrefix : kIyPrefix;
    at = 1;
    gState.displacement = int8_t(code[2]);
  } else if (first == 0xE4 || first == 0xF4) {
    simple = 0;
    if (IsCorvid())
      gState.displacement = int8_t(code[1]);
  } else if (first == 0xC4 || first == 0xD4) {
    if (first == 0xD4)
      simple = 0;
    if (IsCorvid())
      gState.displacement = code[1];
  }

  const uint8_t c = code[at];
  size_t op = at;
  InstructionTableEntry entry;
  if (c == kPrefixCb) {
    op = gState.prefix == kNoPrefix ? at + 1 : at + 2; // past the displacement
    entry = tables.cb[code[op]];
  } else if (gState.prefix == kNoPrefix && c == kPrefixEd) {
    op = at + 1;
    entry = tables.ed[code[op]];
  } else if (gState.prefix != kNoPrefix) {
    entry = tables.index[c];
    if (entry.mnemonic == kMnNotIndexed)
      entry = tables.main[c];
  } else {
    entry = tables.main[c];
  }

  *text = PaddedMnemonic(entry.mnemonic);
  if (IsCorvid() && gState.pendingAlternate && entry.mnemonic != kMnEx && entry.mnemonic != kMnLd) {
    (*text)[text->find(' ')] = '`';
    gState.pendingAlternate = false;
  }

  const uint16_t logical = Addr24Logical(address);
  if (entry.first) {
    simple &= AppendOperand(entry.first, entry.second != 0, logical, code, op, *text);
    if (entry.second) {
      *text += ',';
      uint8_t second = AppendOperand(entry.second, false, logical, code, op, *text);
      if (entry.mnemonic == kMnEx || entry.mnemonic == kMnRes || entry.mnemonic == kMnSet)
        simple &= second;
    } else if (entry.mnemonic == kMnAnd || entry.mnemonic == kMnCp || entry.mnemonic == kMnOr ||
               entry.mnemonic == kMnXor) {
      simple = 1;
    }
  }
  if (std::find(std::begin(kNeverSimple), std::end(kNeverSimple), entry.mnemonic) != std::end(kNeverSimple))
    simple = 0;

  if (IsCorvid() && *length == 1 && IsCorvidPrefix(first)) {
    if (depth >= kMaxPrefixDepth || available < 2) {
      *text = PaddedMnemonic(kMnUndefined);
      *length = 1;
      return 0;
    }
    uint16_t followingLength = 0;
    std::string following;
    if (first == kCorvidAltd) {
      gState.pendingAlternate = true;
      simple = Decode(Addr24Add(address, 1), bytes + 1, available - 1, depth + 1, &followingLength, &following);
      *text = gState.pendingAlternate ? PaddedMnemonic(entry.mnemonic) + following : following;
      gState.pendingAlternate = false;
    } else {
      simple = Decode(address, bytes + 1, available - 1, depth + 1, &followingLength, &following);
      *text = text->substr(0, text->find(' ') + 1) + following;
    }
    *length = uint16_t(1 + followingLength);
  }
  return simple;
}

uint8_t Decode(ADDR24 address, const uint8_t *bytes, size_t available, int depth, uint16_t *length, std::string *text) {
  uint8_t simple = DecodeOne(address, bytes, available, depth, length, text);
  if (*length > available) {
    *text = PaddedMnemonic(kMnUndefined);
    *length = 1;
    return 0;
  }
  return simple;
}

} // namespace

void SelectDisassemblerTables() {
  TargetCpu cpu = InsnEnv().Cpu();
  if (cpu != TargetCpu::Z180 && cpu != TargetCpu::Corvid)
    return;
  gState.cpu = cpu;
  gState.tables = &OpcodeTablesFor(cpu);
}

uint8_t DisassembleOne(ADDR24 address, const uint8_t *code, size_t available, uint16_t *length, std::string *text) {
  gState.pendingAlternate = false;
  try {
    uint8_t simple = Decode(address, code, available, 0, length, text);
    gState.pendingAlternate = false;
    return simple;
  } catch (...) {
    gState.pendingAlternate = false;
    throw;
  }
}

DecodedInstruction DecodeEmittedInstruction(ADDR24 address, const uint8_t *code, size_t available) {
  uint16_t length = 0;
  std::string text;
  const bool keeps = DisassembleOne(address, code, available, &length, &text) != 0;
  return {length, keeps, InsnEnv().Cpu()};
}

const char *FindSymbolForAddress(ADDR24 address) {
  InsnEnvironment &env = InsnEnv();
  if (const char *name = env.FindBiosSymbolByValue(address))
    return name;
  if (Addr24InWindow(address))
    address = env.LookupXmem(address);
  const char *found = nullptr;
  uint16_t logical = Addr24Logical(address);
  env.ForEachSymbol([&](const SymbolView &symbol) {
    if (symbol.value == 0 && Addr24Logical(symbol.address) == 0 && symbol.kind != kSymbolKindLabel)
      return false;
    bool byValue = symbol.kind == kSymbolKindLabel ||
                   (symbol.kind == kSymbolKindFunction && symbol.typeCode != kTypeCodeXmemFunction);
    if (byValue ? symbol.value == logical : Addr24Equal(symbol.address, address)) {
      found = symbol.name;
      return true;
    }
    return false;
  });
  return found;
}

void ResetDisassemblerModule() { gState = DecoderState{}; }

} // namespace tsw
