#include "compcore/cc_gen/asm/asm_tables.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace tsw::assembler {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

TEST(AsmTables, EveryMnemonicIsFoundInAnyCaseAsItsOwnEntry) {
  for (AsmCpu cpu : {AsmCpu::kZ180, AsmCpu::kCorvid}) {
    for (const MnemonicEntry &entry : MnemonicTable(cpu)) {
      EXPECT_EQ(FindMnemonic(cpu, entry.text), &entry) << entry.text;
      EXPECT_EQ(FindMnemonic(cpu, Upper(entry.text)), &entry) << entry.text;
      EXPECT_GE(entry.mnemonicClass, 0xC0) << entry.text;
    }
  }
}

TEST(AsmTables, EachProcessorKnowsOnlyItsOwnInstructions) {
  struct Case {
    const char *mnemonic;
    bool z180;
    bool corvid;
  };
  const Case cases[] = {
      {"ld", true, true},      {"mlt", true, false},   {"tst", true, false},  {"slp", true, false},
      {"in0", true, false},    {"retn", true, false},  {"ldp", false, true},  {"lcall", false, true},
      {"ljp", false, true},    {"altd", false, true},  {"ioi", false, true},  {"bool", false, true},
      {"mul", false, true},    {"ipset", false, true}, {"lret", false, true}, {"ldi", true, true},
      {"xyzzy", false, false}, {"", false, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(FindMnemonic(AsmCpu::kZ180, c.mnemonic) != nullptr, c.z180) << c.mnemonic;
    EXPECT_EQ(FindMnemonic(AsmCpu::kCorvid, c.mnemonic) != nullptr, c.corvid) << c.mnemonic;
  }
}

TEST(AsmTables, RegistersAreAllLowerOrAllUpperCase) {
  struct Case {
    const char *text;
    AsmReg reg;
  };
  const Case cases[] = {
      {"a", AsmReg::kA},     {"A", AsmReg::kA},     {"hl", AsmReg::kHL},   {"HL", AsmReg::kHL},
      {"Hl", AsmReg::kNone}, {"hL", AsmReg::kNone}, {"iir", AsmReg::kI},   {"EIR", AsmReg::kR},
      {"xpc", AsmReg::kXPC}, {"ix", AsmReg::kIX},   {"ip", AsmReg::kNone}, {"af'", AsmReg::kNone},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FindRegister(c.text), c.reg) << c.text;
}

TEST(AsmTables, ConditionCodesFollowTheirPositionAndTheCorvidOverflowNames) {
  struct Case {
    AsmCpu cpu;
    const char *text;
    int code;
  };
  const Case cases[] = {
      {AsmCpu::kZ180, "nz", 0},   {AsmCpu::kZ180, "Z", 1},    {AsmCpu::kZ180, "nc", 2},    {AsmCpu::kZ180, "c", 3},
      {AsmCpu::kZ180, "PO", 4},   {AsmCpu::kZ180, "pe", 5},   {AsmCpu::kZ180, "p", 6},     {AsmCpu::kZ180, "M", 7},
      {AsmCpu::kZ180, "lz", -1},  {AsmCpu::kZ180, "nv", -1},  {AsmCpu::kCorvid, "lz", 4},  {AsmCpu::kCorvid, "LO", 5},
      {AsmCpu::kCorvid, "nv", 4}, {AsmCpu::kCorvid, "v", 5},  {AsmCpu::kCorvid, "po", -1}, {AsmCpu::kZ180, "Nz", -1},
      {AsmCpu::kZ180, "", -1},    {AsmCpu::kZ180, "nzz", -1}, {AsmCpu::kZ180, "*", -1},    {AsmCpu::kZ180, "|", -1},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FindCondition(c.cpu, c.text), c.code) << c.text;
}

TEST(AsmTables, PairFieldsAndIndexedFormTexts) {
  EXPECT_EQ(PairField(AsmReg::kBC), 0);
  EXPECT_EQ(PairField(AsmReg::kDE), 1);
  EXPECT_EQ(PairField(AsmReg::kHL), 2);
  EXPECT_EQ(PairField(AsmReg::kIX), 0);
  EXPECT_EQ(IndexedFormText(0, false), "bit b, (ix+d)");
  EXPECT_EQ(IndexedFormText(2, true), "set b, (iy+d)");
  EXPECT_EQ(IndexedFormText(9, true), "srl (iy+d)");
}

} // namespace
} // namespace tsw::assembler
