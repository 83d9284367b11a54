#include "compcore/asm_fixture.h"

#include <sstream>

// Each row is assembled on the product's byte road, compared with the bytes
// it must give, and decoded again by the debugger's decoder, so a wrong
// encoding shows up either as other bytes or as another instruction.
namespace tsw::testing {
namespace {

using assembler::AsmCpu;

struct RoundTrip {
  const char *line;
  const char *bytes;   // hex, blank-separated
  const char *decoded; // the decoder's text, one instruction
};

std::vector<uint8_t> ParseHex(const std::string &text) {
  std::vector<uint8_t> out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte)
    out.push_back(uint8_t(std::stoul(byte, nullptr, 16)));
  return out;
}

class AsmRoundTripTest : public AsmCodeTest {
protected:
  void Check(AsmCpu cpu, const std::vector<RoundTrip> &rows) {
    UseCpu(cpu);
    for (const RoundTrip &row : rows) {
      NextCase();
      const uint16_t at = Here().logical;
      std::vector<uint8_t> bytes;
      try {
        bytes = Assemble(row.line);
      } catch (const xCCErrOvflo &) {
        ADD_FAILURE() << row.line << ": message " << (diagnostics.records.empty() ? 0 : diagnostics.records[0].message);
        continue;
      }
      EXPECT_EQ(HexBytes(bytes), HexBytes(ParseHex(row.bytes))) << row.line;
      for (const Diagnostic &d : diagnostics.records)
        EXPECT_NE(d.kind, 2) << row.line << ": message " << d.message;
      // "{0:04X}" in the text stands for the row's own address, "{1:04X}" for
      // the address right after a two-byte instruction.
      const std::string decoded = fmt::format(fmt::runtime(row.decoded), at, uint16_t(at + 2));
      EXPECT_TRUE(DecodesAs(DecoderCpu(cpu), bytes, {decoded}, {}, at)) << row.line;
    }
  }
};

TEST_F(AsmRoundTripTest, EveryZ180MnemonicAndOperandForm) {
  Check(AsmCpu::kZ180, {
                           {"nop", "00", "nop"},
                           {"rlca", "07", "rlca"},
                           {"rrca", "0F", "rrca"},
                           {"rla", "17", "rla"},
                           {"rra", "1F", "rra"},
                           {"daa", "27", "daa"},
                           {"cpl", "2F", "cpl"},
                           {"scf", "37", "scf"},
                           {"ccf", "3F", "ccf"},
                           {"halt", "76", "halt"},
                           {"exx", "D9", "exx"},
                           {"di", "F3", "di"},
                           {"ei", "FB", "ei"},
                           {"reti", "ED 4D", "reti"},
                           {"retn", "ED 45", "retn"},
                           {"cpd", "ED A9", "cpd"},
                           {"cpdr", "ED B9", "cpdr"},
                           {"cpi", "ED A1", "cpi"},
                           {"cpir", "ED B1", "cpir"},
                           {"ind", "ED AA", "ind"},
                           {"indr", "ED BA", "indr"},
                           {"ini", "ED A2", "ini"},
                           {"inir", "ED B2", "inir"},
                           {"otdr", "ED BB", "otdr"},
                           {"otdm", "ED 8B", "otdm"},
                           {"otdmr", "ED 9B", "otdmr"},
                           {"otir", "ED B3", "otir"},
                           {"otim", "ED 83", "otim"},
                           {"otimr", "ED 93", "otimr"},
                           {"outd", "ED AB", "outd"},
                           {"outi", "ED A3", "outi"},
                           {"rld", "ED 6F", "rld"},
                           {"rrd", "ED 67", "rrd"},
                           {"slp", "ED 76", "slp"},
                           {"neg", "ED 44", "neg"},
                           {"ldd", "ED A8", "ldd"},
                           {"lddr", "ED B8", "lddr"},
                           {"ldi", "ED A0", "ldi"},
                           {"ldir", "ED B0", "ldir"},
                           {"ret", "C9", "ret"},
                           {"ret nz", "C0", "ret   nz"},
                           {"ret pe", "E8", "ret   pe"},
                           {"RET M", "F8", "ret   m"},
                           {"cp b", "B8", "cp    b"},
                           {"cp a,(hl)", "BE", "cp    (hl)"},
                           {"cp (ix+3)", "DD BE 03", "cp    (ix+3)"},
                           {"cp 5", "FE 05", "cp    05"},
                           {"or c", "B1", "or    c"},
                           {"sub d", "92", "sub   d"},
                           {"xor (iy-1)", "FD AE FF", "xor   (iy-1)"},
                           {"and 0FFh", "E6 FF", "and   FF"},
                           {"im 0", "ED 46", "im    0"},
                           {"im 1", "ED 56", "im    1"},
                           {"im 2", "ED 5E", "im    2"},
                           {"in a,(10h)", "DB 10", "in    a,(10)"},
                           {"in b,(c)", "ED 40", "in    b,(c)"},
                           {"in0 e,(20h)", "ED 18 20", "in0   e,(20)"},
                           {"out (10h),a", "D3 10", "out   (10),a"},
                           {"out (c),h", "ED 61", "out   (c),h"},
                           {"out0 (20h),l", "ED 29 20", "out0  (20),l"},
                           {"inc b", "04", "inc   b"},
                           {"inc a", "3C", "inc   a"},
                           {"dec c", "0D", "dec   c"},
                           {"inc bc", "03", "inc   bc"},
                           {"dec sp", "3B", "dec   sp"},
                           {"inc ix", "DD 23", "inc   ix"},
                           {"dec iy", "FD 2B", "dec   iy"},
                           {"inc (hl)", "34", "inc   (hl)"},
                           {"dec (ix+2)", "DD 35 02", "dec   (ix+2)"},
                           {"jp 1234h", "C3 34 12", "jp    1234"},
                           {"jp nz,1234h", "C2 34 12", "jp    nz,1234"},
                           {"jp (hl)", "E9", "jp    (hl)"},
                           {"jp (ix)", "DD E9", "jp    (ix)"},
                           {"jp (iy)", "FD E9", "jp    (iy)"},
                           {"jr0: jr jr0", "18 FE", "jr    {0:04X}"},
                           {"jr1: jr nz,jr1", "20 FE", "jr    nz,{0:04X}"},
                           {"jr2: jr c,jr2", "38 FE", "jr    c,{0:04X}"},
                           {"dj: djnz dj", "10 FE", "djnz  {0:04X}"},
                           {"call 1234h", "CD 34 12", "call  1234"},
                           {"call z,1234h", "CC 34 12", "call  z,1234"},
                           {"ex de,hl", "EB", "ex    de,hl"},
                           {"ex af,af'", "08", "ex    af,af'"},
                           {"ex (sp),hl", "E3", "ex    (sp),hl"},
                           {"ex (sp),ix", "DD E3", "ex    (sp),ix"},
                           {"mlt bc", "ED 4C", "mlt   bc"},
                           {"mlt sp", "ED 7C", "mlt   sp"},
                           {"push bc", "C5", "push  bc"},
                           {"push af", "F5", "push  af"},
                           {"push ix", "DD E5", "push  ix"},
                           {"pop de", "D1", "pop   de"},
                           {"pop iy", "FD E1", "pop   iy"},
                           {"rlc b", "CB 00", "rlc   b"},
                           {"rl (hl)", "CB 16", "rl    (hl)"},
                           {"rr a", "CB 1F", "rr    a"},
                           {"rrc c", "CB 09", "rrc   c"},
                           {"sla d", "CB 22", "sla   d"},
                           {"sra (ix+1)", "DD CB 01 2E", "sra   (ix+1)"},
                           {"srl e", "CB 3B", "srl   e"},
                           {"rst 38h", "FF", "rst   38h"},
                           {"rst 0", "C7", "rst   00h"},
                           {"rst 8", "CF", "rst   08h"},
                           {"bit 3,a", "CB 5F", "bit   3,a"},
                           {"set 7,(hl)", "CB FE", "set   7,(hl)"},
                           {"res 0,(iy+4)", "FD CB 04 86", "res   0,(iy+4)"},
                           {"add a,b", "80", "add   a,b"},
                           {"adc a,(hl)", "8E", "adc   a,(hl)"},
                           {"sbc a,5", "DE 05", "sbc   a,05"},
                           {"add hl,bc", "09", "add   hl,bc"},
                           {"add hl,hl", "29", "add   hl,hl"},
                           {"add ix,de", "DD 19", "add   ix,de"},
                           {"add ix,ix", "DD 29", "add   ix,ix"},
                           {"adc hl,sp", "ED 7A", "adc   hl,sp"},
                           {"sbc hl,de", "ED 52", "sbc   hl,de"},
                           {"tst b", "ED 04", "tst   b"},
                           {"tst (hl)", "ED 34", "tst   (hl)"},
                           {"tst 5", "ED 64 05", "tst   05"},
                           {"tstio 7", "ED 74 07", "tstio 07"},
                           {"ld b,c", "41", "ld    b,c"},
                           {"ld a,a", "7F", "ld    a,a"},
                           {"ld e,7", "1E 07", "ld    e,07"},
                           {"ld a,300", "3E 2C", "ld    a,2C"},
                           {"ld h,(hl)", "66", "ld    h,(hl)"},
                           {"ld l,(ix+5)", "DD 6E 05", "ld    l,(ix+5)"},
                           {"ld a,(iy-2)", "FD 7E FE", "ld    a,(iy-2)"},
                           {"ld a,(ix)", "DD 7E 00", "ld    a,(ix+0)"},
                           {"ld a,(bc)", "0A", "ld    a,(bc)"},
                           {"ld a,(de)", "1A", "ld    a,(de)"},
                           {"ld a,(1234h)", "3A 34 12", "ld    a,(1234)"},
                           {"ld (hl),b", "70", "ld    (hl),b"},
                           {"ld (ix+1),a", "DD 77 01", "ld    (ix+1),a"},
                           {"ld (bc),a", "02", "ld    (bc),a"},
                           {"ld (de),a", "12", "ld    (de),a"},
                           {"ld (hl),5", "36 05", "ld    (hl),05"},
                           {"ld (ix+5),7", "DD 36 05 07", "ld    (ix+5),07"},
                           {"ld (ix+5),-127", "DD 36 05 81", "ld    (ix+5),81"},
                           {"ld (hl),-127", "36 81", "ld    (hl),81"},
                           {"ld (iy+127),255", "FD 36 7F FF", "ld    (iy+127),FF"},
                           {"ld (ix-128),0", "DD 36 80 00", "ld    (ix-128),00"},
                           {"nx: jr nx+2", "18 00", "jr    {1:04X}"},
                           {"ld (1234h),a", "32 34 12", "ld    (1234),a"},
                           {"ld bc,1234h", "01 34 12", "ld    bc,1234"},
                           {"ld de,1234h", "11 34 12", "ld    de,1234"},
                           {"ld hl,1234h", "21 34 12", "ld    hl,1234"},
                           {"ld sp,1234h", "31 34 12", "ld    sp,1234"},
                           {"ld ix,1234h", "DD 21 34 12", "ld    ix,1234"},
                           {"ld iy,1234h", "FD 21 34 12", "ld    iy,1234"},
                           {"ld hl,(1234h)", "2A 34 12", "ld    hl,(1234)"},
                           {"ld ix,(1234h)", "DD 2A 34 12", "ld    ix,(1234)"},
                           {"ld bc,(1234h)", "ED 4B 34 12", "ld    bc,(1234)"},
                           {"ld de,(1234h)", "ED 5B 34 12", "ld    de,(1234)"},
                           {"ld sp,(1234h)", "ED 7B 34 12", "ld    sp,(1234)"},
                           {"ld (1234h),hl", "22 34 12", "ld    (1234),hl"},
                           {"ld (1234h),iy", "FD 22 34 12", "ld    (1234),iy"},
                           {"ld (1234h),bc", "ED 43 34 12", "ld    (1234),bc"},
                           {"ld (1234h),de", "ED 53 34 12", "ld    (1234),de"},
                           {"ld (1234h),sp", "ED 73 34 12", "ld    (1234),sp"},
                           {"ld sp,hl", "F9", "ld    sp,hl"},
                           {"ld sp,ix", "DD F9", "ld    sp,ix"},
                           {"ld i,a", "ED 47", "ld    eir,a"},
                           {"ld r,a", "ED 4F", "ld    iir,a"},
                           {"ld a,i", "ED 57", "ld    a,eir"},
                           {"ld a,r", "ED 5F", "ld    a,iir"},
                           // The decoder's names for them read back as what it read.
                           {"ld eir,a", "ED 47", "ld    eir,a"},
                           {"ld iir,a", "ED 4F", "ld    iir,a"},
                           {"ld a,eir", "ED 57", "ld    a,eir"},
                           {"ld A,IIR", "ED 5F", "ld    a,iir"},
                           {"v1: equ 3 $ ld a,v1", "3E 03", "ld    a,03"},
                           {"v2:: equ 1234h $ ld sp,v2", "31 34 12", "ld    sp,1234"},
                       });
}

TEST_F(AsmRoundTripTest, EveryCorvidOnlyForm) {
  Check(AsmCpu::kCorvid, {
                             {"bool hl", "CC", "bool  hl"},
                             {"bool ix", "DD CC", "bool  ix"},
                             {"bool iy", "FD CC", "bool  iy"},
                             {"mul", "F7", "mul"},
                             {"rr hl", "FC", "rr    hl"},
                             {"rr ix", "DD FC", "rr    ix"},
                             {"rr iy", "FD FC", "rr    iy"},
                             {"rr de", "FB", "rr    de"},
                             {"rl de", "F3", "rl    de"},
                             {"rr b", "CB 18", "rr    b"},
                             {"and hl,de", "DC", "and   hl,de"},
                             {"or hl,de", "EC", "or    hl,de"},
                             {"and 0Fh", "E6 0F", "and   0F"},
                             {"or (hl)", "B6", "or    (hl)"},
                             {"and a,c", "A1", "and   c"},
                             {"add sp,5", "27 05", "add   sp,05"},
                             {"add sp,-2", "27 FE", "add   sp,FE"},
                             {"ld hl,(sp+2)", "C4 02", "ld    hl,(sp+2)"},
                             {"ld ix,(sp+3)", "DD C4 03", "ld    ix,(sp+3)"},
                             {"ld iy,(sp+3)", "FD C4 03", "ld    iy,(sp+3)"},
                             {"ld (sp+2),hl", "D4 02", "ld    (sp+2),hl"},
                             {"ld (sp+4),iy", "FD D4 04", "ld    (sp+4),iy"},
                             {"ld (sp),ix", "DD D4 00", "ld    (sp+0),ix"},
                             {"ld hl,(ix+4)", "E4 04", "ld    hl,(ix+4)"},
                             {"ld hl,(iy+4)", "FD E4 04", "ld    hl,(iy+4)"},
                             {"ld hl,(hl+4)", "DD E4 04", "ld    hl,(hl+4)"},
                             {"ld hl,(hl)", "DD E4 00", "ld    hl,(hl+0)"},
                             {"ld hl,(ix-1)", "E4 FF", "ld    hl,(ix-1)"},
                             {"ld (ix+4),hl", "F4 04", "ld    (ix+4),hl"},
                             {"ld (iy+4),hl", "FD F4 04", "ld    (iy+4),hl"},
                             {"ld (hl+4),hl", "DD F4 04", "ld    (hl+4),hl"},
                             {"ld (hl),hl", "DD F4 00", "ld    (hl+0),hl"},
                             {"ld hl,ix", "DD 7C", "ld    hl,ix"},
                             {"ld hl,iy", "FD 7C", "ld    hl,iy"},
                             {"ld ix,hl", "DD 7D", "ld    ix,hl"},
                             {"ld iy,hl", "FD 7D", "ld    iy,hl"},
                             {"ld xpc,a", "ED 67", "ld    xpc,a"},
                             {"ld a,xpc", "ED 77", "ld    a,xpc"},
                             {"ld bc',bc", "ED 49", "ld    bc',bc"},
                             {"ld de',bc", "ED 59", "ld    de',bc"},
                             {"ld hl',bc", "ED 69", "ld    hl',bc"},
                             {"ld bc',de", "ED 41", "ld    bc',de"},
                             {"ld de',de", "ED 51", "ld    de',de"},
                             {"ld hl',de", "ED 61", "ld    hl',de"},
                             {"altd ld bc,de", "ED 41", "ld    bc',de"},
                             {"altd ld hl,bc", "ED 69", "ld    hl',bc"},
                             {"ld a,iir", "ED 5F", "ld    a,iir"},
                             {"ld a,i", "ED 5F", "ld    a,iir"},
                             {"ld eir,a", "ED 47", "ld    eir,a"},
                             {"ld iir,a", "ED 4F", "ld    iir,a"},
                             {"ld a,eir", "ED 57", "ld    a,eir"},
                             {"ldp (hl),hl", "ED 64", "ldp   (hl),hl"},
                             {"ldp (ix),hl", "DD 64", "ldp   (ix),hl"},
                             {"ldp (iy),hl", "FD 64", "ldp   (iy),hl"},
                             {"buf1: equ 1234h $ ldp (buf1),hl", "ED 65 34 12", "ldp   (1234),hl"},
                             {"buf2: equ 1234h $ ldp (buf2),ix", "DD 65 34 12", "ldp   (1234),ix"},
                             {"buf3: equ 1234h $ ldp (buf3),iy", "FD 65 34 12", "ldp   (1234),iy"},
                             {"ldp hl,(hl)", "ED 6C", "ldp   hl,(hl)"},
                             {"ldp hl,(ix)", "DD 6C", "ldp   hl,(ix)"},
                             {"ldp hl,(iy)", "FD 6C", "ldp   hl,(iy)"},
                             {"buf4: equ 1234h $ ldp hl,(buf4)", "ED 6D 34 12", "ldp   hl,(1234)"},
                             {"buf5: equ 1234h $ ldp ix,(buf5)", "DD 6D 34 12", "ldp   ix,(1234)"},
                             {"buf6: equ 1234h $ ldp iy,(buf6)", "FD 6D 34 12", "ldp   iy,(1234)"},
                             {"ljp 1234h", "C7 34 12 00", "ljp   001234"},
                             {"lcall 1234h", "CF 34 12 00", "lcall 001234"},
                             {"lcall 0Eh,0E000h", "CF 00 E0 0E", "lcall 0EE000"},
                             {"ljp 0Fh,0E010h", "C7 10 E0 0F", "ljp   0FE010"},
                             {"lret", "ED 45", "lret"},
                             {"reti", "ED 4D", "reti"},
                             {"ipset 0", "ED 46", "ipset 0"},
                             {"ipset 1", "ED 56", "ipset 1"},
                             {"ipset 2", "ED 4E", "ipset 2"},
                             {"ipset 3", "ED 5E", "ipset 3"},
                             {"ipres", "ED 5D", "ipres"},
                             {"push ip", "ED 76", "push  ip"},
                             {"pop ip", "ED 7E", "pop   ip"},
                             {"ex (sp),hl", "ED 54", "ex    (sp),hl"},
                             {"ex de',hl", "E3", "ex    de',hl"},
                             {"ex de,hl", "EB", "ex    de,hl"},
                             {"ex af,af'", "08", "ex    af,af'"},
                             {"ex (sp),iy", "FD E3", "ex    (sp),iy"},
                             {"altd ld a,b", "76 78", "ld    a',b"},
                             {"`ld a,b", "76 78", "ld    a',b"},
                             {"ld a',b", "76 78", "ld    a',b"},
                             {"altd add a,b", "76 80", "add`  a,b"},
                             {"pop hl'", "76 E1", "pop`  hl"},
                             {"inc hl'", "76 23", "inc`  hl"},
                             {"ld (hl+0),5", "36 05", "ld    (hl),05"},
                             {"ld (hl),5", "36 05", "ld    (hl),05"},
                             {"ld hl',(sp+2)", "76 C4 02", "ld    hl',(sp+2)"},
                             {"add a',c", "76 81", "add`  a,c"},
                             {"ioi ld a,(hl)", "D3 7E", "ioi ld    a,(hl)"},
                             {"ioe ld (ix+2),a", "DB DD 77 02", "ioe ld    (ix+2),a"},
                             {"ioi ld (1234h),a", "D3 32 34 12", "ioi ld    (1234),a"},
                             {"rst 10h", "D7", "rst   10h"},
                             {"rst 38h", "FF", "rst   38h"},
                             {"ret lz", "E0", "ret   lz"},
                             {"ret nv", "E0", "ret   lz"},
                             {"ret v", "E8", "ret   lo"},
                             {"jp lo,1234h", "EA 34 12", "jp    lo,1234"},
                             {"ldir", "ED B0", "ldir"},
                             {"lddr", "ED B8", "lddr"},
                             {"ldi", "ED A0", "ldi"},
                             {"ldd", "ED A8", "ldd"},
                             // The instructions both processors share, as the Corvid decodes them.
                             {"cp b", "B8", "cp    b"},
                             {"cpl", "2F", "cpl"},
                             {"dec a", "3D", "dec   a"},
                             {"cj: jr nz,cj", "20 FE", "jr    nz,{0:04X}"},
                             {"exx", "D9", "exx"},
                             {"nop", "00", "nop"},
                             {"rla", "17", "rla"},
                             {"rlc b", "CB 00", "rlc   b"},
                             {"rlca", "07", "rlca"},
                             {"rra", "1F", "rra"},
                             {"rrc c", "CB 09", "rrc   c"},
                             {"rrca", "0F", "rrca"},
                             {"sbc a,b", "98", "sbc   a,b"},
                             {"sbc hl,de", "ED 52", "sbc   hl,de"},
                             {"scf", "37", "scf"},
                             {"set 1,a", "CB CF", "set   1,a"},
                             {"sla b", "CB 20", "sla   b"},
                             {"call 1234h", "CD 34 12", "call  1234"},
                             {"ccf", "3F", "ccf"},
                             {"sra c", "CB 29", "sra   c"},
                             {"srl d", "CB 3A", "srl   d"},
                             {"sub e", "93", "sub   e"},
                             {"xor h", "AC", "xor   h"},
                             {"adc a,l", "8D", "adc   a,l"},
                             {"adc hl,bc", "ED 4A", "adc   hl,bc"},
                             {"bit 2,(hl)", "CB 56", "bit   2,(hl)"},
                             {"cd: djnz cd", "10 FE", "djnz  {0:04X}"},
                             {"neg", "ED 44", "neg"},
                             {"res 3,(ix+1)", "DD CB 01 9E", "res   3,(ix+1)"},
                             {"jp (hl)", "E9", "jp    (hl)"},
                             {"jp z,1234h", "CA 34 12", "jp    z,1234"},
                             {"push af", "F5", "push  af"},
                             {"pop ix", "DD E1", "pop   ix"},
                             {"inc (ix+1)", "DD 34 01", "inc   (ix+1)"},
                             {"ld a,(1234h)", "3A 34 12", "ld    a,(1234)"},
                             {"ld (ix+1),7", "DD 36 01 07", "ld    (ix+1),07"},
                             {"ld sp,hl", "F9", "ld    sp,hl"},
                             {"ld bc,(1234h)", "ED 4B 34 12", "ld    bc,(1234)"},
                         });
}

TEST_F(AsmRoundTripTest, DataLinesGiveTheirBytesAsWritten) {
  struct Case {
    AsmCpu cpu;
    const char *line;
    const char *bytes;
  };
  const Case cases[] = {
      {AsmCpu::kZ180, "db 1,-1,\"ab\",255", "01 FF 61 62 FF"},
      {AsmCpu::kZ180, "db \"\\\"\\t\"", "22 09"},
      {AsmCpu::kZ180, "dw 1234h,-2,0", "34 12 FE FF 00 00"},
      {AsmCpu::kCorvid, "db 10b,017,0Ah $ dw 0x10", "02 0F 0A 10 00"},
  };
  for (const Case &c : cases) {
    NextCase();
    UseCpu(c.cpu);
    EXPECT_EQ(HexBytes(Assemble(c.line)), c.bytes) << c.line;
    EXPECT_TRUE(diagnostics.records.empty()) << c.line;
  }
}

// The restart to 30h is the Z180 kernel's far call: the decoder reads the
// segment and address that follow it as part of the instruction, and the
// assembler leaves them to the lines after it.
TEST_F(AsmRoundTripTest, Z180FarRestartTakesItsTargetFromTheFollowingData) {
  UseCpu(AsmCpu::kZ180);
  const uint16_t at = Here().logical;
  const std::vector<uint8_t> bytes = Assemble("rst 30h $ db 0Eh $ dw 0E000h");
  EXPECT_EQ(HexBytes(bytes), "F7 0E 00 E0");
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, bytes, {"rst   30h,0E:E000"}, {}, at));
}

} // namespace
} // namespace tsw::testing
