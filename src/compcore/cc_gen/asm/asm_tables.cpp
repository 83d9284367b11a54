#include "compcore/cc_gen/asm/asm_tables.h"

#include <array>
#include <cctype>
#include <string>

namespace tsw::assembler {
namespace {

using G = HandlerGroup;

constexpr MnemonicEntry kZ180Table[] = {
    {"ret", 0xDF, 0x00, 0x00, G::kRet, 0},     {"reti", 0xC1, 0xED, 0x4D, G::kPlain, 0},
    {"retn", 0xC1, 0xED, 0x45, G::kPlain, 0},  {"cp", 0xCD, 0x38, 0x00, G::kAlu8, 0},
    {"cpd", 0xC1, 0xED, 0xA9, G::kPlain, 0},   {"cpdr", 0xC1, 0xED, 0xB9, G::kPlain, 0},
    {"cpi", 0xC1, 0xED, 0xA1, G::kPlain, 0},   {"cpir", 0xC1, 0xED, 0xB1, G::kPlain, 0},
    {"cpl", 0xC0, 0x2F, 0x00, G::kPlain, 0},   {"equ", 0xF0, 0x00, 0x00, G::kLabelLine, 0},
    {"im", 0xD3, 0x46, 0x00, G::kIm, 0},       {"in", 0xE1, 0x00, 0x00, G::kIn, 0},
    {"in0", 0xE3, 0x00, 0x00, G::kIn, 0},      {"inc", 0xD1, 0x03, 0x04, G::kIncDec, 0},
    {"ind", 0xC1, 0xED, 0xAA, G::kPlain, 0},   {"indr", 0xC1, 0xED, 0xBA, G::kPlain, 0},
    {"ini", 0xC1, 0xED, 0xA2, G::kPlain, 0},   {"inir", 0xC1, 0xED, 0xB2, G::kPlain, 0},
    {"dw", 0xF2, 0x00, 0x00, G::kDw, 0},       {"jp", 0xDB, 0x00, 0x00, G::kJp, 0},
    {"jr", 0xDC, 0x18, 0x00, G::kJr, 0},       {"ex", 0xC8, 0x00, 0x00, G::kEx, 0},
    {"exx", 0xC0, 0xD9, 0x00, G::kPlain, 0},   {"mlt", 0xE5, 0x00, 0x00, G::kMlt, 0},
    {"nop", 0xC0, 0x00, 0x00, G::kPlain, 0},   {"or", 0xCB, 0x30, 0x00, G::kAlu8, 0},
    {"otdr", 0xC1, 0xED, 0xBB, G::kPlain, 0},  {"otdm", 0xC1, 0xED, 0x8B, G::kPlain, 0},
    {"otdmr", 0xC1, 0xED, 0x9B, G::kPlain, 0}, {"otir", 0xC1, 0xED, 0xB3, G::kPlain, 0},
    {"otim", 0xC1, 0xED, 0x83, G::kPlain, 0},  {"otimr", 0xC1, 0xED, 0x93, G::kPlain, 0},
    {"out", 0xE2, 0x00, 0x00, G::kOut, 0},     {"out0", 0xE4, 0x00, 0x00, G::kOut, 0},
    {"outd", 0xC1, 0xED, 0xAB, G::kPlain, 0},  {"outi", 0xC1, 0xED, 0xA3, G::kPlain, 0},
    {"pop", 0xC7, 0x00, 0x00, G::kPushPop, 0}, {"push", 0xC6, 0x00, 0x00, G::kPushPop, 0},
    {"rl", 0xD5, 0x10, 0x00, G::kRotate, 0},   {"rla", 0xC0, 0x17, 0x00, G::kPlain, 0},
    {"rlc", 0xD4, 0x00, 0x00, G::kRotate, 0},  {"rlca", 0xC0, 0x07, 0x00, G::kPlain, 0},
    {"rld", 0xC1, 0xED, 0x6F, G::kPlain, 0},   {"rr", 0xD7, 0x18, 0x00, G::kRotate, 0},
    {"rra", 0xC0, 0x1F, 0x00, G::kPlain, 0},   {"rrc", 0xD6, 0x08, 0x00, G::kRotate, 0},
    {"rrca", 0xC0, 0x0F, 0x00, G::kPlain, 0},  {"rrd", 0xC1, 0xED, 0x67, G::kPlain, 0},
    {"rst", 0xE0, 0x00, 0x00, G::kRst, 0},     {"sbc", 0xD0, 0x42, 0x18, G::kArith, 0},
    {"scf", 0xC0, 0x37, 0x00, G::kPlain, 0},   {"set", 0xC3, 0xC0, 0x00, G::kBit, 0},
    {"sla", 0xD8, 0x20, 0x00, G::kRotate, 0},  {"call", 0xDE, 0x00, 0x00, G::kCall, 0},
    {"daa", 0xC0, 0x27, 0x00, G::kPlain, 0},   {"slp", 0xC1, 0xED, 0x76, G::kPlain, 0},
    {"db", 0xF1, 0x00, 0x00, G::kDb, 0},       {"add", 0xCE, 0x09, 0x00, G::kArith, 0},
    {"ccf", 0xC0, 0x3F, 0x00, G::kPlain, 0},   {"halt", 0xC0, 0x76, 0x00, G::kPlain, 0},
    {"sra", 0xD9, 0x28, 0x00, G::kRotate, 0},  {"srl", 0xDA, 0x38, 0x00, G::kRotate, 0},
    {"dec", 0xD2, 0x0B, 0x05, G::kIncDec, 0},  {"sub", 0xC9, 0x10, 0x00, G::kAlu8, 0},
    {"tst", 0xE6, 0x00, 0x00, G::kTst, 0},     {"tstio", 0xE7, 0x00, 0x00, G::kTstio, 0},
    {"xor", 0xCC, 0x28, 0x00, G::kAlu8, 0},    {"adc", 0xCF, 0x4A, 0x08, G::kArith, 0},
    {"bit", 0xC2, 0x40, 0x00, G::kBit, 0},     {"ld", 0xC5, 0x00, 0x00, G::kLd, 0},
    {"di", 0xC0, 0xF3, 0x00, G::kPlain, 0},    {"ei", 0xC0, 0xFB, 0x00, G::kPlain, 0},
    {"djnz", 0xDD, 0x10, 0x00, G::kJr, 0},     {"ldd", 0xC2, 0xED, 0xA8, G::kPlain, 0},
    {"lddr", 0xC2, 0xED, 0xB8, G::kPlain, 0},  {"ldi", 0xC2, 0xED, 0xA0, G::kPlain, 0},
    {"ldir", 0xC2, 0xED, 0xB0, G::kPlain, 0},  {"and", 0xCA, 0x20, 0x00, G::kAlu8, 0},
    {"neg", 0xC1, 0xED, 0x44, G::kPlain, 0},   {"res", 0xC4, 0x80, 0x00, G::kBit, 0},
};
static_assert(std::size(kZ180Table) == 80);

constexpr MnemonicEntry kCorvidTable[] = {
    {"ret", 0xDF, 0x00, 0x00, G::kRet, 0},       {"reti", 0xC1, 0xED, 0x4D, G::kPlain, 0},
    {"cp", 0xCD, 0x38, 0x00, G::kAlu8, 3},       {"cpl", 0xC0, 0x2F, 0x00, G::kPlain, 3},
    {"equ", 0xF0, 0x00, 0x00, G::kLabelLine, 3}, {"inc", 0xD1, 0x03, 0x04, G::kIncDec, 3},
    {"dec", 0xD2, 0x0B, 0x05, G::kIncDec, 3},    {"jp", 0xDB, 0x00, 0x00, G::kJp, 0},
    {"jr", 0xDC, 0x18, 0x00, G::kJr, 0},         {"ex", 0xC8, 0x00, 0x00, G::kEx, 3},
    {"exx", 0xC0, 0xD9, 0x00, G::kPlain, 0},     {"mul", 0xC0, 0xF7, 0x00, G::kPlain, 0},
    {"nop", 0xC0, 0x00, 0x00, G::kPlain, 0},     {"or", 0xCB, 0x30, 0x00, G::kArith, 3},
    {"pop", 0xC7, 0x00, 0x00, G::kPushPop, 3},   {"push", 0xC6, 0x00, 0x00, G::kPushPop, 0},
    {"rl", 0xD5, 0x10, 0x00, G::kRotate, 3},     {"rla", 0xC0, 0x17, 0x00, G::kPlain, 3},
    {"rlc", 0xD4, 0x00, 0x00, G::kRotate, 3},    {"rlca", 0xC0, 0x07, 0x00, G::kPlain, 3},
    {"rr", 0xD7, 0x18, 0x00, G::kRotate, 3},     {"rra", 0xC0, 0x1F, 0x00, G::kPlain, 3},
    {"rrc", 0xD6, 0x08, 0x00, G::kRotate, 3},    {"rrca", 0xC0, 0x0F, 0x00, G::kPlain, 3},
    {"rst", 0xE0, 0x00, 0x00, G::kRst, 0},       {"sbc", 0xD0, 0x42, 0x18, G::kArith, 3},
    {"scf", 0xC0, 0x37, 0x00, G::kPlain, 3},     {"set", 0xC3, 0xC0, 0x00, G::kBit, 0},
    {"sla", 0xD8, 0x20, 0x00, G::kRotate, 3},    {"call", 0xDE, 0x00, 0x00, G::kCall, 0},
    {"add", 0xCE, 0x09, 0x00, G::kArith, 3},     {"ccf", 0xC0, 0x3F, 0x00, G::kPlain, 3},
    {"sra", 0xD9, 0x28, 0x00, G::kRotate, 3},    {"srl", 0xDA, 0x38, 0x00, G::kRotate, 3},
    {"sub", 0xC9, 0x10, 0x00, G::kAlu8, 3},      {"xor", 0xCC, 0x28, 0x00, G::kAlu8, 3},
    {"adc", 0xCF, 0x4A, 0x08, G::kArith, 3},     {"bit", 0xC2, 0x40, 0x00, G::kBit, 3},
    {"ld", 0xC5, 0x00, 0x00, G::kLd, 1},         {"djnz", 0xDD, 0x10, 0x00, G::kJr, 3},
    {"ldd", 0xC2, 0xED, 0xA8, G::kBlockMove, 0}, {"lddr", 0xC2, 0xED, 0xB8, G::kBlockMove, 0},
    {"ldi", 0xC2, 0xED, 0xA0, G::kBlockMove, 0}, {"ldir", 0xC2, 0xED, 0xB0, G::kBlockMove, 0},
    {"and", 0xCA, 0x20, 0x00, G::kArith, 3},     {"neg", 0xC1, 0xED, 0x44, G::kPlain, 3},
    {"res", 0xC4, 0x80, 0x00, G::kBit, 3},       {"bool", 0xE8, 0x00, 0x00, G::kArith, 3},
    {"ipres", 0xC1, 0xED, 0x5D, G::kPlain, 0},   {"ipset", 0xE9, 0xED, 0x00, G::kIpset, 0},
    {"ioi", 0xC0, 0xD3, 0x00, G::kPrefix, 0},    {"ioe", 0xC0, 0xDB, 0x00, G::kPrefix, 0},
    {"altd", 0xC0, 0x76, 0x00, G::kPrefix, 0},   {"ldp", 0xF5, 0x00, 0x00, G::kLdp, 0},
    {"ljp", 0xF7, 0x00, 0x00, G::kJp, 0},        {"lcall", 0xF6, 0x00, 0x00, G::kCall, 0},
    {"lret", 0xC1, 0xED, 0x45, G::kPlain, 0},    {"dw", 0xF2, 0x00, 0x00, G::kDw, 0},
    {"db", 0xF1, 0x00, 0x00, G::kDb, 0},
};
static_assert(std::size(kCorvidTable) == 59);

struct RegisterName {
  std::string_view lower;
  std::string_view upper;
  AsmReg reg;
};

constexpr RegisterName kRegisters[] = {
    {"b", "B", AsmReg::kB},    {"c", "C", AsmReg::kC},     {"d", "D", AsmReg::kD},       {"e", "E", AsmReg::kE},
    {"h", "H", AsmReg::kH},    {"l", "L", AsmReg::kL},     {"a", "A", AsmReg::kA},       {"i", "I", AsmReg::kI},
    {"r", "R", AsmReg::kR},    {"iir", "IIR", AsmReg::kI}, {"eir", "EIR", AsmReg::kR},   {"bc", "BC", AsmReg::kBC},
    {"de", "DE", AsmReg::kDE}, {"hl", "HL", AsmReg::kHL},  {"sp", "SP", AsmReg::kSP},    {"ix", "IX", AsmReg::kIX},
    {"iy", "IY", AsmReg::kIY}, {"af", "AF", AsmReg::kAF},  {"xpc", "XPC", AsmReg::kXPC},
};

constexpr int8_t kPairFields[] = {0, 1, 2, 3, 0, 0, 0, 0};

constexpr std::string_view kZ180Conditions = "*nz|*NZ|*z| *Z| *nc|*NC|*c| *C| *po|*PO|*pe|*PE|*p| *P| *m| *M| ";
constexpr std::string_view kCorvidConditions = "*nz|*NZ|*z| *Z| *nc|*NC|*c| *C| *lz|*LZ|*lo|*LO|*p| *P| *m| *M| ";
// Each condition takes two entries (lower, upper) of four characters; a
// one-character name is padded so "*c|" still finds it.
constexpr size_t kConditionStride = 8;

constexpr std::array<std::string_view, 20> kIndexedForms = {
    "bit b, (ix+d)", "bit b, (iy+d)", "res b, (ix+d)", "res b, (iy+d)", "set b, (ix+d)", "set b, (iy+d)", "rl (ix+d)",
    "rl (iy+d)",     "rlc (ix+d)",    "rlc (iy+d)",    "rr (ix+d)",     "rr (iy+d)",     "rrc (ix+d)",    "rrc (iy+d)",
    "sla (ix+d)",    "sla (iy+d)",    "sra (ix+d)",    "sra (iy+d)",    "srl (ix+d)",    "srl (iy+d)",
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

} // namespace

std::span<const MnemonicEntry> MnemonicTable(AsmCpu cpu) {
  if (cpu == AsmCpu::kCorvid)
    return kCorvidTable;
  return kZ180Table;
}

const MnemonicEntry *FindMnemonic(AsmCpu cpu, std::string_view text) {
  for (const MnemonicEntry &entry : MnemonicTable(cpu))
    if (EqualsIgnoringCase(entry.text, text))
      return &entry;
  return nullptr;
}

AsmReg FindRegister(std::string_view text) {
  for (const RegisterName &name : kRegisters)
    if (text == name.lower || text == name.upper)
      return name.reg;
  return AsmReg::kNone;
}

int8_t PairField(AsmReg reg) { return IsPair(reg) ? kPairFields[Code(reg) - Code(AsmReg::kBC)] : 0; }

int FindCondition(AsmCpu cpu, std::string_view text) {
  if (text.empty() || text.size() > 2)
    return -1;
  std::string_view name = text;
  if (cpu == AsmCpu::kCorvid) {
    if (text == "nv" || text == "NV")
      name = text == "nv" ? "lz" : "LZ";
    else if (text == "v" || text == "V")
      name = text == "v" ? "lo" : "LO";
  }
  std::string pattern = "*";
  pattern += name;
  pattern += '|';
  std::string_view list = cpu == AsmCpu::kCorvid ? kCorvidConditions : kZ180Conditions;
  size_t at = list.find(pattern);
  if (at == std::string_view::npos)
    return -1;
  return static_cast<int>(at / kConditionStride);
}

std::string_view IndexedFormText(int form, bool viaIy) { return kIndexedForms[form * 2 + (viaIy ? 1 : 0)]; }

} // namespace tsw::assembler
