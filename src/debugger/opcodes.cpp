#include "debugger/opcodes.h"

namespace tsw {
namespace {

// Mnemonic indices of the Z180 list; the Corvid list reuses the numbers.
enum : uint8_t {
  ADC,
  ADD,
  AND,
  BIT,
  CALL,
  CCF,
  CP,
  CPD,
  CPDR,
  CPI,
  CPIR,
  CPL,
  DAA,
  DEC,
  DI,
  DJNZ,
  EI,
  EX,
  EXX,
  HALT,
  IM,
  IN,
  IN0,
  INC,
  IND,
  INDR,
  INI,
  INIR,
  JP,
  JR,
  LD,
  LDD,
  LDDR,
  LDI,
  LDIR,
  MLT,
  NEG,
  NOP,
  OR,
  OTDR,
  OTDM,
  OTDMR,
  OTIR,
  OTIM,
  OTIMR,
  OUT,
  OUT0,
  OUTD,
  OUTI,
  POP,
  PUSH,
  RES,
  RET,
  RETI,
  RETN,
  RL,
  RLA,
  RLC,
  RLCA,
  RLD,
  RR,
  RRA,
  RRC,
  RRCA,
  RRD,
  RST,
  SBC,
  SCF,
  SET,
  SLA,
  SLP,
  SRA,
  SRL,
  SUB,
  TST,
  TSTIO,
  XOR,
  UNDEF,
  // Corvid names on Z180 numbers.
  BOOL = DAA,
  MUL = DI,
  IOI = EI,
  IOE = HALT,
  ALTD = IM,
  LDP = IN,
  IPSET = IND,
  IPRES = INDR,
  LRET = OTDM,
  LCALL = OTDMR,
  LJP = OTIR,
};

const char *const kZ180Mnemonics[kMnemonicCount] = {
    "adc",  "add",  "and",   "bit",  "call", "ccf",   "cp",   "cpd",  "cpdr", "cpi",  "cpir",  "cpl",  "daa",
    "dec",  "di",   "djnz",  "ei",   "ex",   "exx",   "halt", "im",   "in",   "in0",  "inc",   "ind",  "indr",
    "ini",  "inir", "jp",    "jr",   "ld",   "ldd",   "lddr", "ldi",  "ldir", "mlt",  "neg",   "nop",  "or",
    "otdr", "otdm", "otdmr", "otir", "otim", "otimr", "out",  "out0", "outd", "outi", "pop",   "push", "res",
    "ret",  "reti", "retn",  "rl",   "rla",  "rlc",   "rlca", "rld",  "rr",   "rra",  "rrc",   "rrca", "rrd",
    "rst",  "sbc",  "scf",   "set",  "sla",  "slp",   "sra",  "srl",  "sub",  "tst",  "tstio", "xor",  "???"};

const char *const kCorvidMnemonics[kMnemonicCount] = {
    "adc", "add",  "and",   "bit", "call", "ccf", "cp",   "---",  "---",  "---", "---", "cpl",   "bool",
    "dec", "mul",  "djnz",  "ioi", "ex",   "exx", "ioe",  "altd", "ldp",  "---", "inc", "ipset", "ipres",
    "---", "---",  "jp",    "jr",  "ld",   "ldd", "lddr", "ldi",  "ldir", "mlt", "neg", "nop",   "or",
    "---", "lret", "lcall", "ljp", "---",  "---", "---",  "---",  "---",  "---", "pop", "push",  "res",
    "ret", "reti", "---",   "rl",  "rla",  "rlc", "rlca", "rld",  "rr",   "rra", "rrc", "rrca",  "---",
    "rst", "sbc",  "scf",   "set", "sla",  "---", "sra",  "srl",  "sub",  "---", "---", "xor",   "???"};

constexpr uint16_t R543 = kOpReg543 | kOpIndexable;
constexpr uint16_t R210 = kOpReg210 | kOpIndexable;
constexpr uint16_t CODE = kOpWord | kOpCodeAddress;

struct Row {
  uint8_t opcode;
  uint8_t mnemonic;
  uint16_t first = 0, second = 0;
};

void Set(OpcodeTable &table, std::initializer_list<Row> rows) {
  for (const Row &r : rows)
    table[r.opcode] = {r.mnemonic, r.first, r.second};
}

// The same row at `base`, `base + step`, ... (`count` rows).
void Series(OpcodeTable &table, uint8_t base, int step, int count, uint8_t mnemonic, uint16_t first = 0,
            uint16_t second = 0) {
  for (int i = 0; i < count; ++i)
    table[uint8_t(base + i * step)] = {mnemonic, first, second};
}

OpcodeTable Undefined() {
  OpcodeTable table;
  table.fill({UNDEF, 0, 0});
  return table;
}

OpcodeTable Z180Main() {
  OpcodeTable t = Undefined();
  // 0x00-0x3F: the irregular quarter, by columns of the opcode map.
  Series(t, 0x01, 0x10, 4, LD, kOpPairSS, kOpWord);
  Series(t, 0x03, 0x10, 4, INC, kOpPairSS);
  Series(t, 0x04, 0x08, 8, INC, R543);
  Series(t, 0x05, 0x08, 8, DEC, R543);
  Series(t, 0x06, 0x08, 8, LD, R543, kOpByte);
  Series(t, 0x09, 0x10, 4, ADD, kOpIndexReg, kOpPairSS);
  Series(t, 0x0B, 0x10, 4, DEC, kOpPairSS);
  Series(t, 0x20, 0x08, 4, JR, kOpCondJr, kOpRelative);
  Set(t, {{0x00, NOP},
          {0x02, LD, kOpIndPairSS, kOpA},
          {0x07, RLCA},
          {0x08, EX, kOpAF, kOpAFAlt},
          {0x0A, LD, kOpA, kOpIndPairSS},
          {0x0F, RRCA},
          {0x10, DJNZ, kOpRelative},
          {0x12, LD, kOpIndPairSS, kOpA},
          {0x17, RLA},
          {0x18, JR, kOpRelative},
          {0x1A, LD, kOpA, kOpIndPairSS},
          {0x1F, RRA},
          // hl as the index register, so that ix and iy replace it and the
          // code generator learns that hl changed.
          {0x21, LD, kOpIndexReg, kOpWord},
          {0x22, LD, kOpIndWord, kOpIndexReg},
          {0x23, INC, kOpIndexReg},
          {0x27, DAA},
          {0x2A, LD, kOpIndexReg, kOpIndWord},
          {0x2B, DEC, kOpIndexReg},
          {0x2F, CPL},
          {0x32, LD, kOpIndWord, kOpA},
          {0x37, SCF},
          {0x3A, LD, kOpA, kOpIndWord},
          {0x3F, CCF}});
  // 0x40-0x7F: ld r,r'.
  Series(t, 0x40, 1, 64, LD, R543, R210);
  Set(t, {{0x76, HALT}});
  // 0x80-0xBF: the accumulator operations.
  Series(t, 0x80, 1, 8, ADD, kOpA, R210);
  Series(t, 0x88, 1, 8, ADC, kOpA, R210);
  Series(t, 0x90, 1, 8, SUB, R210);
  Series(t, 0x98, 1, 8, SBC, kOpA, R210);
  Series(t, 0xA0, 1, 8, AND, R210);
  Series(t, 0xA8, 1, 8, XOR, R210);
  Series(t, 0xB0, 1, 8, OR, R210);
  Series(t, 0xB8, 1, 8, CP, R210);
  // 0xC0-0xFF.
  Series(t, 0xC0, 0x08, 8, RET, kOpCond);
  Series(t, 0xC1, 0x10, 4, POP, kOpPairQQ);
  Series(t, 0xC2, 0x08, 8, JP, kOpCond, kOpWord);
  Series(t, 0xC4, 0x08, 8, CALL, kOpCond, CODE);
  Series(t, 0xC5, 0x10, 4, PUSH, kOpPairQQ);
  Series(t, 0xC7, 0x08, 8, RST, kOpRestart);
  Set(t, {{0xC3, JP, CODE},
          {0xC6, ADD, kOpA, kOpByte},
          {0xC9, RET},
          {0xCD, CALL, CODE},
          {0xCE, ADC, kOpA, kOpByte},
          {0xD3, OUT, kOpIndByte, kOpA},
          {0xD6, SUB, kOpByte},
          {0xD9, EXX},
          {0xDB, IN, kOpA, kOpIndByte},
          {0xDE, SBC, kOpA, kOpByte},
          {0xE3, EX, kOpIndSP, kOpIndexReg},
          {0xE6, AND, kOpByte},
          {0xE9, JP, kOpIndPairSS},
          {0xEB, EX, kOpDE, kOpIndexReg},
          {0xED, RET}, // reached only under an index prefix
          {0xEE, XOR, kOpByte},
          {0xF3, DI},
          {0xF6, OR, kOpByte},
          // rst 30h is followed by a segment and an address.
          {0xF7, RST, kOpRestart, kOpSegAddr},
          {0xF9, LD, kOpSP, kOpIndexReg},
          {0xFB, EI},
          {0xFE, CP, kOpByte}});
  return t;
}

OpcodeTable Z180Ed() {
  OpcodeTable t = Undefined();
  Series(t, 0x00, 0x08, 8, IN0, kOpReg543, kOpIndByte); // 0x30: in0 (hl),(n)
  Series(t, 0x01, 0x08, 8, OUT0, kOpIndByte, kOpReg543);
  Series(t, 0x04, 0x08, 8, TST, kOpReg543);
  Series(t, 0x40, 0x08, 8, IN, kOpReg543, kOpIndC);
  Series(t, 0x41, 0x08, 8, OUT, kOpIndC, kOpReg543);
  Series(t, 0x42, 0x10, 4, SBC, kOpIndexReg, kOpPairSS);
  Series(t, 0x43, 0x10, 4, LD, kOpIndWord, kOpPairSS);
  Series(t, 0x4A, 0x10, 4, ADC, kOpIndexReg, kOpPairSS);
  Series(t, 0x4B, 0x10, 4, LD, kOpPairSS, kOpIndWord);
  Series(t, 0x4C, 0x10, 4, MLT, kOpPairSS);
  Set(t, {{0x31, UNDEF},
          {0x70, UNDEF},
          {0x71, UNDEF},
          {0x44, NEG},
          {0x45, RETN},
          {0x46, IM, kOpIntMode},
          {0x47, LD, kOpSpecialReg, kOpA},
          {0x4D, RETI},
          {0x4F, LD, kOpSpecialReg, kOpA},
          {0x56, IM, kOpIntMode},
          {0x57, LD, kOpA, kOpSpecialReg},
          {0x5E, IM, kOpIntMode},
          {0x5F, LD, kOpA, kOpSpecialReg},
          {0x64, TST, kOpByte},
          {0x67, RRD},
          // ld hl,(nn) and mlt hl change hl: name it so.
          {0x6B, LD, kOpIndexReg, kOpIndWord},
          {0x6C, MLT, kOpIndexReg},
          {0x6F, RLD},
          {0x74, TSTIO, kOpByte},
          {0x76, SLP},
          {0x83, OTIM},
          {0x8B, OTDM},
          {0x93, OTIMR},
          {0x9B, OTDMR},
          {0xA0, LDI},
          {0xA1, CPI},
          {0xA2, INI},
          {0xA3, OUTI},
          {0xA8, LDD},
          {0xA9, CPD},
          {0xAA, IND},
          {0xAB, OUTD},
          {0xB0, LDIR},
          {0xB1, CPIR},
          {0xB2, INIR},
          {0xB3, OTIR},
          {0xB8, LDDR},
          {0xB9, CPDR},
          {0xBA, INDR},
          {0xBB, OTDR}});
  return t;
}

OpcodeTable Cb() {
  OpcodeTable t = Undefined();
  const uint8_t shifts[8] = {RLC, RRC, RL, RR, SLA, SRA, UNDEF, SRL};
  for (int op = 0; op < 8; ++op)
    Series(t, uint8_t(op * 8), 1, 8, shifts[op], shifts[op] == UNDEF ? 0 : R210);
  Series(t, 0x40, 1, 64, BIT, kOpBitNumber, R210);
  Series(t, 0x80, 1, 64, RES, kOpBitNumber, R210);
  Series(t, 0xC0, 1, 64, SET, kOpBitNumber, R210);
  return t;
}

OpcodeTable CorvidMain() {
  OpcodeTable t = Z180Main();
  // One-operand accumulator rows never mark their operand as alternate.
  for (int op = 0xA0; op <= 0xBF; ++op)
    t[op].first |= kOpNoMarkIfLast;
  Set(t, {{0x27, ADD, kOpSP, kOpByte},
          {0x76, ALTD},
          {0xC4, LD, kOpIndexReg, kOpSPOffset},
          {0xC7, LJP, CODE},
          {0xCC, BOOL, kOpIndexReg},
          {0xCF, LCALL, CODE},
          {0xD3, IOI},
          {0xD4, LD, kOpSPOffset, kOpIndexReg},
          {0xDB, IOE},
          {0xDC, AND, kOpIndexReg, kOpDE},
          {0xE3, EX, kOpDEAltOrSP | kOpNoMarkIfFirst, kOpIndexReg},
          {0xE4, LD, kOpHL, kOpSwappedIndexed},
          {0xEB, EX, kOpDE | kOpNoMarkIfFirst, kOpIndexReg},
          {0xEC, OR, kOpIndexReg, kOpDE},
          {0xED, UNDEF},
          {0xF3, RL, kOpDE},
          {0xF4, LD, kOpSwappedIndexed, kOpHL},
          {0xF7, MUL},
          {0xFB, RR, kOpDE},
          {0xFC, RR, kOpIndexReg}});
  return t;
}

OpcodeTable CorvidIndex() {
  OpcodeTable t;
  t.fill({kMnNotIndexed, 0, 0});
  Set(t, {{0x64, LDP, kOpIndIndexReg, kOpHL},
          {0x65, LDP, kOpIndWord, kOpIndexReg},
          {0x6C, LDP, kOpHL, kOpIndIndexReg},
          {0x6D, LDP, kOpIndexReg, kOpIndWord},
          {0x7C, LD, kOpHL, kOpIndexReg},
          {0x7D, LD, kOpIndexReg, kOpHL},
          {0xE4, LD, kOpHL, kOpSwappedIndexed},
          {0xF4, LD, kOpSwappedIndexed, kOpHL}});
  return t;
}

OpcodeTable CorvidEd() {
  const OpcodeTable z180 = Z180Ed();
  OpcodeTable t = Undefined();
  Series(t, 0x41, 0x10, 3, LD, kOpPairSSAlt, kOpDE);
  Series(t, 0x49, 0x10, 3, LD, kOpPairSSAlt, kOpBC);
  Series(t, 0x42, 0x10, 4, SBC, kOpIndexReg, kOpPairSS);
  Series(t, 0x4A, 0x10, 4, ADC, kOpIndexReg, kOpPairSS);
  Series(t, 0x43, 0x10, 4, LD, kOpIndWord, kOpPairSS);
  Series(t, 0x4B, 0x10, 4, LD, kOpPairSS, kOpIndWord);
  for (uint8_t op : {0x47, 0x4F, 0x57, 0x5F, 0x6B})
    t[op] = z180[op];
  Set(t, {{0x44, NEG},
          {0x45, LRET},
          {0x46, IPSET, kOpIntPriority},
          {0x4D, RETI},
          {0x4E, IPSET, kOpIntPriority},
          {0x54, EX, kOpIndSP, kOpIndexReg},
          {0x56, IPSET, kOpIntPriority},
          {0x5D, IPRES},
          {0x5E, IPSET, kOpIntPriority},
          {0x64, LDP, kOpIndIndexReg, kOpHL},
          {0x65, LDP, kOpIndWord, kOpIndexReg},
          {0x67, LD, kOpXPC, kOpA},
          {0x6C, LDP, kOpHL, kOpIndIndexReg},
          {0x6D, LDP, kOpIndexReg, kOpIndWord},
          {0x76, PUSH, kOpIP},
          {0x77, LD, kOpA, kOpXPC},
          {0x7E, POP, kOpIP},
          {0xA0, LDI},
          {0xA8, LDD},
          {0xB0, LDIR},
          {0xB8, LDDR}});
  return t;
}

} // namespace

const OpcodeTables &OpcodeTablesFor(TargetCpu cpu) {
  static const OpcodeTable z180Main = Z180Main(), z180Ed = Z180Ed(), cb = Cb();
  static const OpcodeTable corvidMain = CorvidMain(), corvidEd = CorvidEd(), corvidIndex = CorvidIndex();
  // On the Z180 an index prefix changes how the main rows read, not which.
  static const OpcodeTables z180{z180Main, z180Ed, cb, z180Main, kZ180Mnemonics};
  static const OpcodeTables corvid{corvidMain, corvidEd, cb, corvidIndex, kCorvidMnemonics};
  return cpu == TargetCpu::Corvid ? corvid : z180;
}

} // namespace tsw
