#include "compcore/cc_gen/instructions.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/codegen_upcalls.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"

#include <algorithm>
#include <cstdlib>

namespace tsw {

namespace {

constexpr OperandKind kN = OperandKind::kByte;
constexpr OperandKind kNN = OperandKind::kWord;

// ---- fixed templates --------------------------------------------------------------

constexpr uint8_t kCallT[] = {TemplateHeader(1), 0xCD};
constexpr uint8_t kRetT[] = {TemplateHeader(1), 0xC9};
constexpr uint8_t kRetiT[] = {TemplateHeader(2), 0xED, 0x4D};
constexpr uint8_t kLretT[] = {TemplateHeader(2), 0xED, 0x45};
constexpr uint8_t kPushIxT[] = {TemplateHeader(2), 0xDD, 0xE5};
constexpr uint8_t kIxFromSpT[] = {TemplateHeader(6), 0xDD, 0x21, 0x00, 0x00, 0xDD, 0x39};
constexpr uint8_t kSpFromIxT[] = {TemplateHeader(2), 0xDD, 0xF9};
constexpr uint8_t kPopIxT[] = {TemplateHeader(2), 0xDD, 0xE1};
constexpr uint8_t kExxT[] = {TemplateHeader(1), 0xD9};
constexpr uint8_t kLdHlWordT[] = {TemplateHeader(1, kNN), 0x21};
constexpr uint8_t kAddHlSpT[] = {TemplateHeader(1), 0x39};
constexpr uint8_t kLdSpHlT[] = {TemplateHeader(1), 0xF9};
constexpr uint8_t kPushAfT[] = {TemplateHeader(1), 0xF5};
constexpr uint8_t kPopAfT[] = {TemplateHeader(1), 0xF1};
constexpr uint8_t kEiT[] = {TemplateHeader(1), 0xFB};
constexpr uint8_t kDiT[] = {TemplateHeader(1), 0xF3};
constexpr uint8_t kPushIpT[] = {TemplateHeader(2), 0xED, 0x76};
constexpr uint8_t kPopIpT[] = {TemplateHeader(2), 0xED, 0x7E};
constexpr uint8_t kLdAIT[] = {TemplateHeader(2), 0xED, 0x57};
constexpr uint8_t kLdiT[] = {TemplateHeader(2), 0xED, 0xA0};
constexpr uint8_t kLdirT[] = {TemplateHeader(2), 0xED, 0xB0};
constexpr uint8_t kExSpHlZ180T[] = {TemplateHeader(1), 0xE3};
constexpr uint8_t kExSpHlCorvidT[] = {TemplateHeader(2), 0xED, 0x54};
constexpr uint8_t kExDeHlT[] = {TemplateHeader(1), 0xEB};
constexpr uint8_t kLdLAT[] = {TemplateHeader(1), 0x6F};
constexpr uint8_t kLdALT[] = {TemplateHeader(1), 0x7D};
constexpr uint8_t kAddHlHlT[] = {TemplateHeader(1), 0x29};
constexpr uint8_t kAddHlDeT[] = {TemplateHeader(1), 0x19};
constexpr uint8_t kOrASbcHlDeT[] = {TemplateHeader(3), 0xB7, 0xED, 0x52};
constexpr uint8_t kIncHlT[] = {TemplateHeader(1), 0x23};
constexpr uint8_t kDecHlT[] = {TemplateHeader(1), 0x2B};
constexpr uint8_t kIncAT[] = {TemplateHeader(1), 0x3C};
constexpr uint8_t kDecAT[] = {TemplateHeader(1), 0x3D};
constexpr uint8_t kOrAT[] = {TemplateHeader(1), 0xB7};
constexpr uint8_t kRst28T[] = {TemplateHeader(1), 0xEF};
constexpr uint8_t kRes7BT[] = {TemplateHeader(2), 0xCB, 0xB8};
constexpr uint8_t kOrHlDeFromBcT[] = {TemplateHeader(3), 0x60, 0x69, 0xEC};
constexpr uint8_t kLdAHOrLT[] = {TemplateHeader(2), 0x7C, 0xB5};
constexpr uint8_t kBoolHlT[] = {TemplateHeader(1), 0xCC};
constexpr uint8_t kSpAddressT[] = {TemplateHeader(4), 0x21, 0x00, 0x00, 0x39};
constexpr uint8_t kShrLogicalCorvidT[] = {TemplateHeader(2), 0xB7, 0xFC};
constexpr uint8_t kShrLogicalZ180T[] = {TemplateHeader(4), 0xCB, 0x3C, 0xCB, 0x1D};
constexpr uint8_t kShrArithmeticZ180T[] = {TemplateHeader(4), 0xCB, 0x2C, 0xCB, 0x1D};

struct FixedForms {
  Template z180;
  Template corvid;
};
constexpr Template kNone = kEmptyTemplate;
// Indexed by Fixed.
constexpr FixedForms kFixedForms[] = {
    {kCallT, kCallT},
    {kRetT, kRetT},
    {kRetiT, kRetiT},
    {kNone, kLretT},
    {kPushIxT, kPushIxT},
    {kIxFromSpT, kIxFromSpT},
    {kSpFromIxT, kSpFromIxT},
    {kPopIxT, kPopIxT},
    {kExxT, kExxT},
    {kLdHlWordT, kLdHlWordT},
    {kAddHlSpT, kAddHlSpT},
    {kLdSpHlT, kLdSpHlT},
    {kPushAfT, kPushAfT},
    {kPopAfT, kPopAfT},
    {kEiT, kNone},
    {kDiT, kNone},
    {kNone, kPushIpT},
    {kNone, kPopIpT},
    {kLdAIT, kNone},
    {kLdiT, kLdiT},
    {kLdirT, kLdirT},
    {kExSpHlZ180T, kExSpHlCorvidT},
    {kExDeHlT, kExDeHlT},
    {kLdLAT, kLdLAT},
    {kLdALT, kLdALT},
    {kAddHlHlT, kAddHlHlT},
    {kAddHlDeT, kAddHlDeT},
    {kOrASbcHlDeT, kOrASbcHlDeT},
    {kIncHlT, kIncHlT},
    {kDecHlT, kDecHlT},
    {kIncAT, kIncAT},
    {kDecAT, kDecAT},
    {kOrAT, kOrAT},
    {kRst28T, kRst28T},
    {kRes7BT, kRes7BT},
    {kNone, kOrHlDeFromBcT},
    {kLdAHOrLT, kLdAHOrLT},
    {kNone, kBoolHlT},
    {kSpAddressT, kSpAddressT},
    {kShrLogicalZ180T, kShrLogicalCorvidT},
    // The Corvid's own form would shift in the carry of a compare with A,
    // not the sign: both take sra h; rr l.
    {kShrArithmeticZ180T, kShrArithmeticZ180T},
};
static_assert(std::size(kFixedForms) == size_t(Fixed::kShiftHlRightArithmetic) + 1);

// Templates with an operand or used only here.
constexpr uint8_t kLdHByteT[] = {TemplateHeader(1, kN), 0x26};
constexpr uint8_t kLdBcWordT[] = {TemplateHeader(1, kNN), 0x01};
constexpr uint8_t kLdDeWordT[] = {TemplateHeader(1, kNN), 0x11};
constexpr uint8_t kAddSpByteT[] = {TemplateHeader(1, kN), 0x27};
constexpr uint8_t kIpsetPrefixT[] = {TemplateHeader(1), 0xED};
constexpr uint8_t kIpresT[] = {TemplateHeader(2), 0xED, 0x5D};
constexpr uint8_t kJpPoWordT[] = {TemplateHeader(1, kNN), 0xE2};
constexpr uint8_t kJpPeWordT[] = {TemplateHeader(1, kNN), 0xEA};
constexpr uint8_t kJrZOverOneT[] = {TemplateHeader(2), 0x28, 0x01};
constexpr uint8_t kIoInternalT[] = {TemplateHeader(1), 0xD3};
constexpr uint8_t kIoExternalT[] = {TemplateHeader(1), 0xDB};
constexpr uint8_t kWidenAToBcT[] = {TemplateHeader(3), 0x4F, 0x06, 0x00};
constexpr uint8_t kWidenAToDeT[] = {TemplateHeader(3), 0x5F, 0x16, 0x00};
constexpr uint8_t kWidenAToHlT[] = {TemplateHeader(3), 0x6F, 0x26, 0x00};
constexpr uint8_t kHlToBcT[] = {TemplateHeader(2), 0x44, 0x4D};
constexpr uint8_t kPopIyT[] = {TemplateHeader(2), 0xFD, 0xE1};
constexpr uint8_t kStoreHlAtIyCorvidT[] = {TemplateHeader(3), 0xFD, 0xF4, 0x00};
// The Z180 has no 16-bit store through IY: two byte stores.
constexpr uint8_t kStoreHlAtIyZ180T[] = {TemplateHeader(6), 0xFD, 0x75, 0x00, 0xFD, 0x74, 0x01};
constexpr uint8_t kPushDeT[] = {TemplateHeader(1), 0xD5};
constexpr uint8_t kPopDeT[] = {TemplateHeader(1), 0xD1};
constexpr uint8_t kJpIyT[] = {TemplateHeader(2), 0xFD, 0xE9};
constexpr uint8_t kJpHlT[] = {TemplateHeader(1), 0xE9};
// A cofunction's frame base is kept at (ix+0), (ix+1).
constexpr uint8_t kAddCofunctionBaseT[] = {TemplateHeader(7), 0xDD, 0x5E, 0x00, 0xDD, 0x56, 0x01, 0x19};
constexpr uint8_t kCorvidNegateT[] = {TemplateHeader(5), 0xEB, 0xCC, 0x6C, 0xED, 0x52};
constexpr uint8_t kCorvidNotT[] = {TemplateHeader(3), 0xCC, 0x2B, 0xCC};
constexpr uint8_t kCorvidComplementT[] = {TemplateHeader(6), 0xEB, 0xCC, 0xFC, 0x37, 0xED, 0x52};
constexpr uint8_t kZ180ZeroPolarityT[] = {TemplateHeader(2), 0x2B, 0x23}; // dec hl; inc hl
constexpr uint8_t kIpsetBytes[] = {0x46, 0x56, 0x4E, 0x5E};             // "FVN^"
constexpr int kIpsetLevels = 4;

// ---- push and pop: BC, DE, HL, AF, IX, IY ------------------------------------------

constexpr uint8_t kPushBcT[] = {TemplateHeader(1), 0xC5};
constexpr uint8_t kPushHlT[] = {TemplateHeader(1), 0xE5};
constexpr uint8_t kPushIyT[] = {TemplateHeader(2), 0xFD, 0xE5};
constexpr uint8_t kPopBcT[] = {TemplateHeader(1), 0xC1};
constexpr uint8_t kPopHlT[] = {TemplateHeader(1), 0xE1};
constexpr Template kPushTable[] = {kPushBcT, kPushDeT, kPushHlT, kPushAfT, kPushIxT, kPushIyT};
constexpr Template kPopTable[] = {kPopBcT, kPopDeT, kPopHlT, kPopAfT, kPopIxT, kPopIyT};
constexpr unsigned kPushPopEntries = 6;
constexpr int16_t kWordBytes = 2;

// ---- load and store tables -----------------------------------------------------------

constexpr unsigned kRegisters = 10; // B .. HL
using Row4 = std::array<Template, 4>;
using Row5 = std::array<Template, 5>;
using Row3 = std::array<Template, 3>;

constexpr uint8_t kLdBN[] = {TemplateHeader(1, kN), 0x06}, kLdBHl[] = {TemplateHeader(1), 0x46},
                  kLdBIx[] = {TemplateHeader(2), 0xDD, 0x46};
constexpr uint8_t kLdCN[] = {TemplateHeader(1, kN), 0x0E}, kLdCHl[] = {TemplateHeader(1), 0x4E},
                  kLdCIx[] = {TemplateHeader(2), 0xDD, 0x4E};
constexpr uint8_t kLdDN[] = {TemplateHeader(1, kN), 0x16}, kLdDHl[] = {TemplateHeader(1), 0x56},
                  kLdDIx[] = {TemplateHeader(2), 0xDD, 0x56};
constexpr uint8_t kLdEN[] = {TemplateHeader(1, kN), 0x1E}, kLdEHl[] = {TemplateHeader(1), 0x5E},
                  kLdEIx[] = {TemplateHeader(2), 0xDD, 0x5E};
constexpr uint8_t kLdHHl[] = {TemplateHeader(1), 0x66}, kLdHIx[] = {TemplateHeader(2), 0xDD, 0x66};
constexpr uint8_t kLdLN[] = {TemplateHeader(1, kN), 0x2E}, kLdLHl[] = {TemplateHeader(1), 0x6E},
                  kLdLIx[] = {TemplateHeader(2), 0xDD, 0x6E};
constexpr uint8_t kLdAN[] = {TemplateHeader(1, kN), 0x3E}, kLdADirect[] = {TemplateHeader(1), 0x3A},
                  kLdAHl[] = {TemplateHeader(1), 0x7E}, kLdAIx[] = {TemplateHeader(2), 0xDD, 0x7E};
constexpr uint8_t kLdBcDirect[] = {TemplateHeader(2), 0xED, 0x4B};
constexpr uint8_t kLdDeDirect[] = {TemplateHeader(2), 0xED, 0x5B};
constexpr uint8_t kLdHlDirect[] = {TemplateHeader(1), 0x2A};

// Columns: immediate, direct, (hl), (ix+d).
constexpr Row4 kZ180Load[kRegisters] = {
    {kLdBN, kNone, kLdBHl, kLdBIx},       {kLdCN, kNone, kLdCHl, kLdCIx},
    {kLdDN, kNone, kLdDHl, kLdDIx},       {kLdEN, kNone, kLdEHl, kLdEIx},
    {kLdHByteT, kNone, kLdHHl, kLdHIx},   {kLdLN, kNone, kLdLHl, kLdLIx},
    {kLdAN, kLdADirect, kLdAHl, kLdAIx},  {kLdBcWordT, kLdBcDirect, kNone, kNone},
    {kLdDeWordT, kLdDeDirect, kNone, kNone}, {kLdHlWordT, kLdHlDirect, kNone, kNone},
};
constexpr int kZ180IndirectColumn = 2;

constexpr uint8_t kLdHlAtHl[] = {TemplateHeader(3), 0xDD, 0xE4, 0x00};
constexpr uint8_t kLdHlAtIx[] = {TemplateHeader(1), 0xE4};
constexpr uint8_t kLdHlAtSp[] = {TemplateHeader(1), 0xC4};
// Columns: immediate, direct, (hl), (ix+d), (sp+n). An empty cell falls
// back to the Z180 one.
constexpr Row5 kCorvidLoad[kRegisters] = {
    {}, {}, {}, {}, {}, {}, {},
    {kNone, kNone, kNone, kNone, kLdHlAtSp},
    {kNone, kNone, kNone, kNone, kLdHlAtSp},
    {kNone, kNone, kLdHlAtHl, kLdHlAtIx, kLdHlAtSp},
};
// The Corvid loads a stacked pair through HL.
constexpr Row5 kCorvidLoadFinish[kRegisters] = {
    {}, {}, {}, {}, {}, {}, {}, {kNone, kNone, kNone, kNone, kHlToBcT}, {kNone, kNone, kNone, kNone, kExDeHlT}, {},
};

constexpr uint8_t kStBDirect[] = {TemplateHeader(2), 0x78, 0x32}, kStBHl[] = {TemplateHeader(1), 0x70},
                  kStBIx[] = {TemplateHeader(2), 0xDD, 0x70};
constexpr uint8_t kStCDirect[] = {TemplateHeader(2), 0x79, 0x32}, kStCHl[] = {TemplateHeader(1), 0x71},
                  kStCIx[] = {TemplateHeader(2), 0xDD, 0x71};
constexpr uint8_t kStDDirect[] = {TemplateHeader(2), 0x7A, 0x32}, kStDHl[] = {TemplateHeader(1), 0x72},
                  kStDIx[] = {TemplateHeader(2), 0xDD, 0x72};
constexpr uint8_t kStEDirect[] = {TemplateHeader(2), 0x7B, 0x32}, kStEHl[] = {TemplateHeader(1), 0x73},
                  kStEIx[] = {TemplateHeader(2), 0xDD, 0x73};
constexpr uint8_t kStHDirect[] = {TemplateHeader(2), 0x7C, 0x32}, kStHHl[] = {TemplateHeader(1), 0x74},
                  kStHIx[] = {TemplateHeader(2), 0xDD, 0x74};
constexpr uint8_t kStLDirect[] = {TemplateHeader(2), 0x7D, 0x32}, kStLHl[] = {TemplateHeader(1), 0x75},
                  kStLIx[] = {TemplateHeader(2), 0xDD, 0x75};
constexpr uint8_t kStADirect[] = {TemplateHeader(1), 0x32}, kStAHl[] = {TemplateHeader(1), 0x77},
                  kStAIx[] = {TemplateHeader(2), 0xDD, 0x77};
constexpr uint8_t kStBcDirect[] = {TemplateHeader(2), 0xED, 0x43};
constexpr uint8_t kStDeDirect[] = {TemplateHeader(2), 0xED, 0x53};
constexpr uint8_t kStHlDirect[] = {TemplateHeader(1), 0x22};
// Columns: direct, (hl), (ix+d).
constexpr Row3 kZ180Store[kRegisters] = {
    {kStBDirect, kStBHl, kStBIx}, {kStCDirect, kStCHl, kStCIx}, {kStDDirect, kStDHl, kStDIx},
    {kStEDirect, kStEHl, kStEIx}, {kStHDirect, kStHHl, kStHIx}, {kStLDirect, kStLHl, kStLIx},
    {kStADirect, kStAHl, kStAIx}, {kStBcDirect, kNone, kNone},  {kStDeDirect, kNone, kNone},
    {kStHlDirect, kNone, kNone},
};
constexpr int kZ180StoreIndirectColumn = 1;
constexpr uint8_t kStHlAtIx[] = {TemplateHeader(1), 0xF4};
constexpr uint8_t kStHlAtSp[] = {TemplateHeader(1), 0xD4};
// Columns: direct, (hl), (ix+d), (sp+n).
constexpr Row4 kCorvidStore[kRegisters] = {
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {kNone, kNone, kStHlAtIx, kStHlAtSp},
};

constexpr uint8_t kStImmHl[] = {TemplateHeader(1, kN), 0x36};
constexpr uint8_t kStImmIx[] = {TemplateHeader(2, kN), 0xDD, 0x36};

constexpr uint8_t kAddN[] = {TemplateHeader(1, kN), 0xC6}, kAddL[] = {TemplateHeader(1), 0x85},
                  kAddHl[] = {TemplateHeader(1), 0x86}, kAddIx[] = {TemplateHeader(2), 0xDD, 0x86};
constexpr uint8_t kAdcN[] = {TemplateHeader(1, kN), 0xCE}, kAdcL[] = {TemplateHeader(1), 0x8D},
                  kAdcHl[] = {TemplateHeader(1), 0x8E}, kAdcIx[] = {TemplateHeader(2), 0xDD, 0x8E};
constexpr uint8_t kSubN[] = {TemplateHeader(1, kN), 0xD6}, kSubL[] = {TemplateHeader(1), 0x95},
                  kSubHl[] = {TemplateHeader(1), 0x96}, kSubIx[] = {TemplateHeader(2), 0xDD, 0x96};
constexpr uint8_t kSbcN[] = {TemplateHeader(1, kN), 0xDE}, kSbcL[] = {TemplateHeader(1), 0x9D},
                  kSbcHl[] = {TemplateHeader(1), 0x9E}, kSbcIx[] = {TemplateHeader(2), 0xDD, 0x9E};
constexpr uint8_t kOrN[] = {TemplateHeader(1, kN), 0xF6}, kOrL[] = {TemplateHeader(1), 0xB5},
                  kOrHl[] = {TemplateHeader(1), 0xB6}, kOrIx[] = {TemplateHeader(2), 0xDD, 0xB6};
constexpr uint8_t kXorN[] = {TemplateHeader(1, kN), 0xEE}, kXorL[] = {TemplateHeader(1), 0xAD},
                  kXorHl[] = {TemplateHeader(1), 0xAE}, kXorIx[] = {TemplateHeader(2), 0xDD, 0xAE};
constexpr uint8_t kAndN[] = {TemplateHeader(1, kN), 0xE6}, kAndL[] = {TemplateHeader(1), 0xA5},
                  kAndHl[] = {TemplateHeader(1), 0xA6}, kAndIx[] = {TemplateHeader(2), 0xDD, 0xA6};
constexpr uint8_t kSlaHl[] = {TemplateHeader(2), 0xCB, 0x26};
constexpr uint8_t kSraHl[] = {TemplateHeader(2), 0xCB, 0x2E};
constexpr uint8_t kSrlHl[] = {TemplateHeader(2), 0xCB, 0x3E};
// Columns: immediate, register (L), (hl), (ix+d).
constexpr Row4 kAccumulatorTable[] = {
    {kAddN, kAddL, kAddHl, kAddIx}, {kAdcN, kAdcL, kAdcHl, kAdcIx}, {kSubN, kSubL, kSubHl, kSubIx},
    {kSbcN, kSbcL, kSbcHl, kSbcIx}, {kOrN, kOrL, kOrHl, kOrIx},     {kXorN, kXorL, kXorHl, kXorIx},
    {kAndN, kAndL, kAndHl, kAndIx}, {kNone, kNone, kSlaHl, kNone},  {kNone, kNone, kSraHl, kNone},
    {kNone, kNone, kSrlHl, kNone},
};
static_assert(std::size(kAccumulatorTable) == size_t(AccumulatorOp::kSrl) + 1);

constexpr int kNoColumn = -1;
int Z180LoadColumn(AddressingKind k) { return unsigned(k) <= 3 ? int(k) : kNoColumn; }
int CorvidLoadColumn(AddressingKind k) {
  return k == AddressingKind::kStack ? 4 : Z180LoadColumn(k);
}
int Z180StoreColumn(AddressingKind k) {
  return k >= AddressingKind::kDirect && k <= AddressingKind::kFrame ? int(k) - 1 : kNoColumn;
}
int CorvidStoreColumn(AddressingKind k) { return k == AddressingKind::kStack ? 3 : Z180StoreColumn(k); }
int AccumulatorColumn(AddressingKind k) {
  switch (k) {
  case AddressingKind::kImmediate:
    return 0;
  case AddressingKind::kRegister:
    return 1;
  case AddressingKind::kIndirectHL:
    return 2;
  case AddressingKind::kFrame:
    return 3;
  default:
    return kNoColumn;
  }
}

// ---- state --------------------------------------------------------------------------

struct InstructionState {
  OperandKind pending = OperandKind::kNone;
  AddressingKind lastOperandKind = AddressingKind::kNotEncodable;
  Reg lastLoaded = Reg::None;
  Template step = kEmptyTemplate;
  Template finish = kEmptyTemplate;
};
InstructionState &S() {
  static InstructionState state;
  return state;
}

// A request that fails must not leave the templates of the one before it
// for the move engine to emit.
void ForgetOperandTemplates(InstructionState &s) {
  s.step = kEmptyTemplate;
  s.finish = kEmptyTemplate;
}

bool Corvid() { return CodeGenSetup().cpu == TargetCpu::Corvid; }
bool CompiledForSize() { return Attributes().current & kAttrSize; }
bool InCofunction() { return Attributes().current & kAttrCofuncMask; }
ADDR24 Here() { return Caches().currentCode->Current(); }

void EmitTracked(Template t, int16_t stackChange) {
  EmitCodeSequence(t);
  Emission().stackOffset = int16_t(Emission().stackOffset + stackChange);
}

// A 16-bit operand to patch once the address it names is known.
ADDR24 EmitWordPlaceholder() {
  const ADDR24 at = Here();
  EmitWord(0);
  return at;
}
void PatchToHere(ADDR24 placeholder) { PatchCodeWord(placeholder, Here().logical); }

} // namespace

uint8_t ValueMemoryClass(const ValueRecord &value) {
  if (value.MemoryClass() || !value.symbol)
    return value.MemoryClass();
  return uint8_t((value.symbol->flagsA & kValueMemoryClassMask) >> kValueMemoryClassShift);
}

namespace {

constexpr uint8_t kMemoryShared = 1;
constexpr uint8_t kMemoryProtected = 2;

bool InIoSpace(const ValueRecord &value) { return value.ioSpace != IoSpace::kMemory; }

// The prefix that makes the next memory instruction reach I/O space; the
// Z180 has none (D3 and DB are its out and in): 641.
bool EmitIoPrefix(const ValueRecord &value) {
  if (!InIoSpace(value))
    return true;
  if (!Corvid()) {
    CompileError<kMsgKindNotEncodable>();
    return false;
  }
  EmitCodeSequence(value.ioSpace == IoSpace::kInternal ? kIoInternalT : kIoExternalT);
  return true;
}

// What a test or an operator sees of a value: any address is type 12.
uint8_t OperandType(const ValueRecord &value) {
  if (value.HasLevel() || value.type >= kFirstStructType)
    return kTypeVoid;
  return value.type;
}
bool IsFourByteType(uint8_t type) { return type == kTypeLong || type == kTypeUnsignedLong || type == kTypeFloat; }

void BecomeIntInRegisters(ValueRecord &value) {
  value.type = kTypeInt;
  value.declarator = kLevelNone;
  value.storage = kStoragePrimary;
  value.SetLvalue(false);
  value.SetByteResult(false);
}

void CallRoutine(const char *name) { Upcalls().EmitCallNamedRoutine(name); }

} // namespace

// ---- templates -------------------------------------------------------------------

void EmitCodeSequence(Template t) {
  const unsigned count = t[0] & 0x0F;
  for (unsigned i = 1; i <= count; ++i)
    EmitCodeByte(t[i]);
  S().pending = OperandKind((t[0] >> 4) & 0x07);
}

OperandKind PendingOperandKind() { return S().pending; }

uint16_t RegisterByteSize(Reg r) {
  if (r <= Reg::A)
    return 1;
  return r <= Reg::HL ? 2 : 0;
}

// ---- registers ---------------------------------------------------------------------

void PrimaryRegister::Clear() {
  entries = {};
  count = current = position = 0;
  totalSize = 0;
}

void PrimaryRegister::Add(Reg code) {
  RegisterEntry entry{code, Reg::None, Reg::None, 0};
  switch (code) {
  case Reg::A:
    entry.size = 1;
    break;
  case Reg::BC:
    entry = {code, Reg::B, Reg::C, 2};
    break;
  case Reg::DE:
    entry = {code, Reg::D, Reg::E, 2};
    break;
  case Reg::HL:
    entry = {code, Reg::H, Reg::L, 2};
    break;
  default:
    break;
  }
  if (count >= int16_t(entries.size()))
    return;
  entries[size_t(count++)] = entry;
  totalSize = uint16_t(totalSize + entry.size);
}

void PrimaryRegister::SetForType(uint8_t type, Reg pointerPair) {
  if (fixed)
    return;
  Clear();
  switch (type) {
  case kTypeChar:
    Add(charInHl ? Reg::HL : Reg::A);
    return;
  case kTypeInt:
  case kTypeUnsigned:
    Add(Reg::HL);
    return;
  case kTypeLong:
  case kTypeUnsignedLong:
  case kTypeFloat:
    Add(Reg::DE);
    Add(Reg::BC);
    return;
  case kTypeVoid:
    Add(pointerPair);
    return;
  default:
    CompileError<kMsgNoRegisterForType>();
  }
}

bool PrimaryRegister::Holds(Reg pair) const {
  for (int16_t i = 0; i < count; ++i)
    if (entries[size_t(i)].pair == pair)
      return true;
  return false;
}

// ---- fixed instructions -------------------------------------------------------------

void EmitFixed(Fixed instruction) {
  const FixedForms &forms = kFixedForms[size_t(instruction)];
  const Template t = Corvid() ? forms.corvid : forms.z180;
  if (IsEmptyTemplate(t)) {
    CompileError<kMsgKindNotEncodable>();
    return;
  }
  EmitCodeSequence(t);
}

// ---- stack ---------------------------------------------------------------------------

namespace {
int PairIndex(Reg pair) {
  switch (pair) {
  case Reg::BC:
    return 0;
  case Reg::DE:
    return 1;
  case Reg::HL:
    return 2;
  default:
    return -1;
  }
}
} // namespace

void EmitPushPair(Reg pair) {
  const int index = PairIndex(pair);
  if (index < 0) {
    CompileError<kMsgBadPushPair>();
    return;
  }
  EmitPushByIndex(unsigned(index));
}

void EmitPopPair(Reg pair) {
  const int index = PairIndex(pair);
  if (index < 0) {
    CompileError<kMsgBadPopPair>();
    return;
  }
  EmitPopByIndex(unsigned(index));
}

void EmitPushByIndex(unsigned index) {
  if (index >= kPushPopEntries) {
    CompileError<kMsgBadPushPair>();
    return;
  }
  EmitTracked(kPushTable[index], -kWordBytes);
}

void EmitPopByIndex(unsigned index) {
  if (index >= kPushPopEntries) {
    CompileError<kMsgBadPopPair>();
    return;
  }
  EmitTracked(kPopTable[index], kWordBytes);
}

namespace {
// Push and pop pairs against ld hl,delta; add hl,sp; ld sp,hl: bytes when
// compiled for size, weighted cycles when for speed.
constexpr int kSizeLimit = 5, kSizeLimitKeepingHl = 7;
constexpr int kSpeedWeight = 10, kSpeedLimit = 20, kSpeedLimitKeepingHl = 26;
// The Corvid's add sp,d covers small deltas in steps of a signed byte.
constexpr int kCorvidAddSpReach = 381;
constexpr int kByteLow = -128, kByteHigh = 127;
} // namespace

void EmitAdjustStackPointer(int16_t delta16, bool preserveHl) {
  int delta = delta16;
  if (delta == 0)
    return;
  EmissionState &e = Emission();
  // Every form changes the flags, and pop af the accumulator too.
  e.valueIsCondition = false;
  e.flagsValid = false;
  if (!Corvid() && delta % 2 == 0) {
    const int pairs = std::abs(delta) / 2;
    const bool size = CompiledForSize();
    const int cost = size ? pairs : pairs * kSpeedWeight;
    const int limit = size ? (preserveHl ? kSizeLimitKeepingHl : kSizeLimit)
                           : (preserveHl ? kSpeedLimitKeepingHl : kSpeedLimit);
    if (cost <= limit) {
      for (; delta < 0; delta += 2)
        EmitCodeSequence(kPushAfT);
      for (; delta > 0; delta -= 2)
        EmitCodeSequence(kPopAfT);
      return;
    }
  }
  if (Corvid()) {
    while (std::abs(delta) <= kCorvidAddSpReach && delta != 0) {
      const int step = std::clamp(delta, kByteLow, kByteHigh);
      EmitCodeSequence(kAddSpByteT);
      EmitCodeByte(uint8_t(int8_t(step)));
      delta -= step;
    }
  }
  if (delta == 0)
    return;
  if (preserveHl)
    EmitCodeSequence(kExxT);
  EmitCodeSequence(kLdHlWordT);
  EmitWord(uint16_t(delta));
  EmitCodeSequence(kAddHlSpT);
  EmitCodeSequence(kLdSpHlT);
  if (preserveHl)
    EmitCodeSequence(kExxT);
}

void EmitStackAdjustAndTrack(int16_t delta) {
  EmitAdjustStackPointer(delta, true);
  Emission().stackOffset = int16_t(Emission().stackOffset + delta);
}

void EmitFramePointerSetup(uint16_t localsSize) {
  EmitCodeSequence(kPushIxT);
  EmitCodeSequence(kIxFromSpT);
  EmitAdjustStackPointer(int16_t(-int(localsSize)), true);
}

void EmitFramePointerRelease() {
  EmitCodeSequence(kSpFromIxT);
  EmitCodeSequence(kPopIxT);
}

void EmitReturn(bool interrupt) {
  if (interrupt)
    EmitCodeSequence(kRetiT);
  else if (Corvid() && Here().logical >= ExtWindowStart)
    EmitCodeSequence(kLretT);
  else
    EmitCodeSequence(kRetT);
}

// ---- interrupts ------------------------------------------------------------------------

void EmitEnableInterrupts() { EmitCodeSequence(Corvid() ? kIpresT : kEiT); }

void EmitDisableInterrupts(int level) {
  if (Corvid())
    EmitIpset(level);
  else
    EmitCodeSequence(kDiT);
}

void EmitIpset(int level) {
  if (!Corvid()) {
    CompileError<kMsgKindNotEncodable>();
    return;
  }
  if (level < 0 || level >= kIpsetLevels) {
    CompileError<kMsgConstantOutOfRange>();
    return;
  }
  EmitCodeSequence(kIpsetPrefixT);
  EmitCodeByte(kIpsetBytes[level]);
}

void EmitIpres() {
  if (!Corvid()) {
    CompileError<kMsgKindNotEncodable>();
    return;
  }
  EmitCodeSequence(kIpresT);
}

namespace {
constexpr int kCorvidIpBytes = 1;
constexpr int kZ180IpBytes = 2;
} // namespace

int EmitPushInterruptState(int level) {
  int bytes = kZ180IpBytes;
  if (Corvid()) {
    EmitCodeSequence(kPushIpT);
    EmitIpset(level);
    bytes = kCorvidIpBytes;
  } else {
    // ld a,i copies the interrupt enable into the parity flag.
    EmitCodeSequence(kLdAIT);
    EmitCodeSequence(kPushAfT);
    EmitCodeSequence(kDiT);
  }
  Emission().ipStackOffset = int16_t(Emission().ipStackOffset - bytes);
  return bytes;
}

int EmitPopInterruptState() {
  int bytes = kZ180IpBytes;
  if (Corvid()) {
    EmitCodeSequence(kPopIpT);
    bytes = kCorvidIpBytes;
  } else {
    // Interrupts come back on only when they were on before.
    EmitCodeSequence(kPopAfT);
    EmitCodeSequence(kJpPoWordT);
    const ADDR24 skip = EmitWordPlaceholder();
    EmitCodeSequence(kEiT);
    PatchToHere(skip);
  }
  Emission().ipStackOffset = int16_t(Emission().ipStackOffset + bytes);
  return bytes;
}

// ---- loads and stores ------------------------------------------------------------------

void EmitLoadRegister(Reg reg, AddressingKind kind) {
  InstructionState &s = S();
  s.lastOperandKind = kind;
  ForgetOperandTemplates(s);
  if (reg > Reg::HL) {
    CompileError<kMsgNoLoadForm>();
    return;
  }
  const unsigned r = RegIndex(reg);
  Template cell = kNone, step = kNone, finish = kNone;
  if (Corvid()) {
    const int column = CorvidLoadColumn(kind);
    if (column == kNoColumn) {
      CompileError<kMsgKindNotEncodable>();
      return;
    }
    // The Corvid loads a stacked word through HL.
    if (kind == AddressingKind::kStack && reg != Reg::HL)
      Upcalls().FlushPrimaryRegisterHolding(Reg::HL);
    if (const Template c = kCorvidLoad[r][size_t(column)]; c)
      cell = c;
    if (const Template f = kCorvidLoadFinish[r][size_t(column)]; f)
      finish = f;
  }
  if (IsEmptyTemplate(cell)) {
    const int column = Z180LoadColumn(kind);
    if (column == kNoColumn) {
      CompileError<kMsgKindNotEncodable>();
      return;
    }
    cell = kZ180Load[r][size_t(column)];
    if (column == kZ180IndirectColumn)
      step = kIncHlT;
  }
  if (!cell || IsEmptyTemplate(cell)) {
    CompileError<kMsgNoLoadForm>();
    return;
  }
  EmitCodeSequence(cell);
  s.step = step;
  s.finish = finish;
  s.lastLoaded = reg;
}

void EmitStoreRegister(Reg reg, AddressingKind kind) {
  InstructionState &s = S();
  s.lastOperandKind = kind;
  ForgetOperandTemplates(s);
  if (reg > Reg::HL) {
    CompileError<kMsgNoStoreForm>();
    return;
  }
  const unsigned r = RegIndex(reg);
  Template cell = kNone, step = kNone;
  if (Corvid()) {
    const int column = CorvidStoreColumn(kind);
    if (column == kNoColumn) {
      CompileError<kMsgKindNotEncodable>();
      return;
    }
    if (const Template c = kCorvidStore[r][size_t(column)]; c)
      cell = c;
  }
  if (IsEmptyTemplate(cell)) {
    const int column = Z180StoreColumn(kind);
    if (column == kNoColumn) {
      CompileError<kMsgKindNotEncodable>();
      return;
    }
    cell = kZ180Store[r][size_t(column)];
    if (column == kZ180StoreIndirectColumn)
      step = kIncHlT;
  }
  if (!cell || IsEmptyTemplate(cell)) {
    CompileError<kMsgNoStoreForm>();
    return;
  }
  EmitCodeSequence(cell);
  s.step = step;
  s.finish = kNone;
}

void EmitStoreImmediate(AddressingKind kind) {
  InstructionState &s = S();
  s.lastOperandKind = kind;
  ForgetOperandTemplates(s);
  if (kind == AddressingKind::kIndirectHL) {
    EmitCodeSequence(kStImmHl);
    s.step = kIncHlT;
  } else if (kind == AddressingKind::kFrame) {
    EmitCodeSequence(kStImmIx);
    s.step = kNone;
  } else {
    CompileError<kMsgNoStoreImmediate>();
    return;
  }
  s.lastLoaded = Reg::Value;
}

void EmitAccumulatorOp(AccumulatorOp op, AddressingKind kind) {
  S().lastOperandKind = kind;
  const int column = AccumulatorColumn(kind);
  if (column == kNoColumn) {
    CompileError<kMsgAccumulatorKind>();
    return;
  }
  const Template cell = kAccumulatorTable[size_t(op)][size_t(column)];
  if (!cell || IsEmptyTemplate(cell)) {
    CompileError<kMsgNoAccumulatorForm>();
    return;
  }
  EmitCodeSequence(cell);
}

Template StepTemplate() { return S().step ? S().step : kNone; }
Template FinishTemplate() { return S().finish ? S().finish : kNone; }
Reg LastLoadedRegister() { return S().lastLoaded; }
AddressingKind LastOperandKind() { return S().lastOperandKind; }

void WidenCharInA(ValueRecord &value) {
  EmitCodeSequence(kWidenAToHlT);
  value.SetByteResult(false);
  value.type = kTypeInt;
}

void NarrowHlToA(ValueRecord &value) {
  EmitCodeSequence(kLdALT);
  value.SetByteResult(true);
  value.type = kTypeChar;
}

// ---- value moves ---------------------------------------------------------------------

void MoveRegisterValueToPair(ValueRecord &value, Reg pair) {
  const uint8_t type = OperandType(value);
  if (type == kTypeChar && value.IsByteResult()) {
    switch (pair) {
    case Reg::BC:
      EmitCodeSequence(kWidenAToBcT);
      break;
    case Reg::DE:
      EmitCodeSequence(kWidenAToDeT);
      break;
    case Reg::HL:
      EmitCodeSequence(kWidenAToHlT);
      break;
    default:
      CompileError<kMsgCharPair>();
      return;
    }
    value.SetByteResult(false);
    value.type = kTypeInt;
    return;
  }
  if (type == kTypeChar || type == kTypeInt || type == kTypeUnsigned || type == kTypeVoid) {
    switch (pair) {
    case Reg::BC:
      EmitCodeSequence(kHlToBcT);
      return;
    case Reg::DE:
      EmitCodeSequence(kExDeHlT);
      return;
    case Reg::HL:
      return;
    default:
      CompileError<kMsgIntPair>();
      return;
    }
  }
  if (IsFourByteType(type))
    return; // always DE:BC
  CompileError<kMsgRegisterMoveType>();
}

void LoadStackOperand(ValueRecord &value, Reg pair) {
  Upcalls().FlushPrimaryRegisterHolding(Reg::HL);
  EmitCodeSequence(kLdHlWordT);
  EmitWord(uint16_t(LocalStackOffset(value)));
  if (InCofunction()) {
    EmitCodeSequence(kPushDeT);
    EmitCodeSequence(kAddCofunctionBaseT);
    EmitCodeSequence(kPopDeT);
  } else {
    EmitCodeSequence(kAddHlSpT);
  }
  value.storage = kStoragePrimary;
  value.SetLvalue(true);
  switch (pair) {
  case Reg::DE:
    EmitCodeSequence(kExDeHlT);
    return;
  case Reg::BC:
    EmitCodeSequence(kHlToBcT);
    return;
  case Reg::HL:
    return;
  default:
    CompileError<kMsgIntPair>();
  }
}

bool EmitLongLoadCall(ValueRecord &value) {
  if (!IsFourByteType(OperandType(value))) {
    CompileError<kMsgStoreTypeFinish>();
    return true;
  }
  const uint8_t memoryClass = ValueMemoryClass(value);
  const char *routine = nullptr;
  if (memoryClass == kMemoryShared)
    routine = "llong.s";
  else if (memoryClass == 0 && CompiledForSize() && !InIoSpace(value))
    routine = "llong.";
  if (!routine)
    return false;
  Upcalls().LoadOperandAddressIntoHL(value);
  CallRoutine(routine);
  value.storage = kStoragePrimary;
  value.SetLvalue(false);
  return true;
}

namespace {
struct LongStoreRoutines {
  const char *shared;
  const char *protectedData;
  const char *near;
};
constexpr LongStoreRoutines kPlainLongStore = {"slong.s", "slong.ss", "slong."};
constexpr LongStoreRoutines kCorvidAssignmentStore = {"slong_s", "slong_ss", "slong_"};
constexpr LongStoreRoutines kZ180AssignmentStore = {"st4.s", "st4.ss", "st4."};
} // namespace

bool EmitLongStoreCall(ValueRecord &target, LongStoreUse use) {
  if (!IsFourByteType(OperandType(target)) && !(target.HasLevel() && IsFourByteType(target.type))) {
    CompileError<kMsgStoreTypeValue>();
    return true;
  }
  const LongStoreRoutines &names = use == LongStoreUse::kPlain
                                       ? kPlainLongStore
                                       : (Corvid() ? kCorvidAssignmentStore : kZ180AssignmentStore);
  const uint8_t memoryClass = ValueMemoryClass(target);
  const char *routine = nullptr;
  if (memoryClass == kMemoryShared)
    routine = names.shared;
  else if (memoryClass == kMemoryProtected)
    routine = names.protectedData;
  else if (!InIoSpace(target) && (use == LongStoreUse::kPlain || CompiledForSize()))
    routine = names.near;
  if (!routine)
    return false;
  Upcalls().LoadOperandAddressIntoHL(target);
  CallRoutine(routine);
  return true;
}

void StoreHlThroughStackedAddress(const ValueRecord &target, const ValueRecord &source) {
  if (InIoSpace(target)) {
    CompileError<kMsgInvalidOperands>();
    return;
  }
  const uint8_t type = OperandType(source);
  if (type != kTypeInt && type != kTypeUnsigned && type != kTypeVoid) {
    CompileError<kMsgStoreTypeAddress>();
    return;
  }
  EmitTracked(kPopIyT, kWordBytes);
  EmitCodeSequence(Corvid() ? kStoreHlAtIyCorvidT : kStoreHlAtIyZ180T);
}

void EmitBlockCopy(const ValueRecord &operand, uint16_t count) {
  if (ValueMemoryClass(operand) == kMemoryShared) {
    CallRoutine("doldir.s");
    return;
  }
  if (!EmitIoPrefix(operand))
    return;
  if (DataWaitsUsed() && !InIoSpace(operand)) {
    constexpr uint16_t kUnrolledLimit = 26;
    if (count > 0 && count < kUnrolledLimit) {
      // The loop jumps back to its own ldi by the logical address, which
      // is where it runs in extended-memory code too.
      const uint16_t loop = Here().logical;
      EmitCodeSequence(kLdiT);
      EmitCodeSequence(kJpPeWordT);
      EmitWord(loop);
    } else {
      CallRoutine("ldir_func");
    }
    return;
  }
  EmitCodeSequence(kLdirT);
}

void EmitStructCopy(ValueRecord &destination, ValueRecord &source) {
  if (InIoSpace(destination) || InIoSpace(source)) {
    CompileError<kMsgStructCopyIo>();
    return;
  }
  // Source address to HL, destination to DE; a source already in HL moves
  // out of the way first.
  if (source.storage == kStoragePrimary) {
    EmitCodeSequence(kExDeHlT);
    Upcalls().LoadOperandAddressIntoHL(destination);
    EmitCodeSequence(kExDeHlT);
  } else {
    Upcalls().LoadOperandAddressIntoHL(destination);
    EmitCodeSequence(kExDeHlT);
    Upcalls().LoadOperandAddressIntoHL(source);
  }
  const uint16_t size = TypeCodeSize(destination.type);
  EmitCodeSequence(kLdBcWordT);
  EmitWord(size);
  EmitBlockCopy(ValueMemoryClass(source) == kMemoryShared ? source : destination, size);
}

void EmitSwapTop(uint8_t type) {
  const uint16_t size = type == kTypeVoid ? 2 : TypeCodeSize(type);
  if (size == 2)
    EmitCodeSequence(Corvid() ? kExSpHlCorvidT : kExSpHlZ180T);
  else if (size == 4)
    CallRoutine("swap4.");
  else
    CompileError<kMsgSwapSize>();
}

// ---- tests and operators -------------------------------------------------------------

void EmitZeroFlagToHl(int polarity) {
  if (Corvid()) {
    // bool hl reads HL itself.
    EmitCodeSequence(polarity ? kBoolHlT : kCorvidNotT);
    return;
  }
  EmitLoadRegister(Reg::HL, AddressingKind::kImmediate);
  EmitWord(0);
  EmitCodeSequence(kJrZOverOneT);
  EmitCodeSequence(polarity ? kIncHlT : kZ180ZeroPolarityT);
}

void EmitTestForZero(ValueRecord &value) {
  EmissionState &e = Emission();
  // What the flags say belongs to the value in the registers, not to one
  // still to be loaded.
  if (value.storage != kStoragePrimary) {
    e.flagsValid = false;
    e.valueIsCondition = false;
  }
  if (e.flagsValid)
    return;
  if (e.valueIsCondition) {
    if (value.IsByteResult())
      EmitCodeSequence(kOrAT);
    else if (Corvid())
      EmitCodeSequence(kBoolHlT);
    else
      // HL is already 0 or 1; the flags are not known to follow it.
      EmitCodeSequence(kLdAHOrLT);
    e.flagsValid = true;
    return;
  }
  if (value.storage != kStorageConstant)
    Upcalls().LoadOperandToValueRegister(value);
  const uint8_t type = OperandType(value);
  e.flagsValid = true;
  e.valueIsCondition = true;
  // A char is tested where it is held: in A, or widened in HL.
  if (type == kTypeChar && value.IsByteResult()) {
    EmitCodeSequence(kOrAT);
    return;
  }
  if (Corvid()) {
    if (type == kTypeFloat)
      EmitCodeSequence(kRes7BT); // -0.0 is zero
    if (IsFourByteType(type))
      EmitCodeSequence(kOrHlDeFromBcT);
    EmitCodeSequence(kBoolHlT);
  } else {
    if (type == kTypeLong || type == kTypeUnsignedLong)
      CallRoutine("long.0");
    else if (type == kTypeFloat)
      CallRoutine("flt.0");
    else
      EmitCodeSequence(kLdAHOrLT);
    EmitZeroFlagToHl(1);
  }
  BecomeIntInRegisters(value);
}

namespace {
struct UnaryRoutines {
  const char *intRoutine;
  const char *longRoutine;
  const char *floatRoutine;
};
// Indexed by UnaryOp.
constexpr UnaryRoutines kUnaryRoutines[] = {
    {"c.neg", "L.neg", "F.neg"},
    {"c.not", "L.not", "F.not"},
    {"c.com", "L.com", nullptr},
};
} // namespace

void EmitUnaryOperator(ValueRecord &value, UnaryOp op) {
  if (value.IsByteResult())
    WidenCharInA(value);
  const uint8_t type = OperandType(value);
  const UnaryRoutines &routines = kUnaryRoutines[size_t(op)];
  const char *routine = nullptr;
  Template inlineForm = nullptr;
  if (type == kTypeLong || type == kTypeUnsignedLong) {
    routine = routines.longRoutine;
  } else if (type == kTypeFloat) {
    routine = routines.floatRoutine;
  } else if (op == UnaryOp::kLogicalNot) {
    inlineForm = Corvid() ? kCorvidNotT : nullptr;
    routine = routines.intRoutine;
  } else {
    if (Corvid() && !CompiledForSize())
      inlineForm = op == UnaryOp::kNegate ? kCorvidNegateT : kCorvidComplementT;
    routine = routines.intRoutine;
  }
  if (inlineForm)
    EmitCodeSequence(inlineForm);
  else if (routine)
    CallRoutine(routine);
  else {
    CompileError<kMsgInvalidOperands>(); // a float has no complement
    return;
  }
  value.storage = kStoragePrimary;
  value.SetLvalue(false);
  // HL is 0 or 1 and the zero flag follows it after a !; after - or ~ the
  // flags tell nothing of the value, though its operand was a condition.
  const bool condition = op == UnaryOp::kLogicalNot;
  if (condition)
    BecomeIntInRegisters(value);
  Emission().flagsValid = condition;
  Emission().valueIsCondition = condition;
}

namespace {
// The dispatch routine reads its table behind its return address. It lies
// in root code, which a plain call reaches from any page, so nothing may
// come between the call and the table: not the page byte a call of a
// routine not yet placed keeps for a long call.
void CallTableRoutine(const char *name) {
  Upcalls().FlushPrimaryRegister();
  const ADDR24 address = Upcalls().LookupRoutineSymbol(name, kFixCaptureOpcode | kFixRootOnly, kOpCall);
  EmitCodeByte(kOpCall);
  EmitWord(address.logical);
}
} // namespace

void EmitSwitchDispatch(std::span<const SwitchCase> cases) {
  if (cases.empty())
    return;
  EmitCodeSequence(kLdBcWordT);
  EmitWord(uint16_t(cases.size()));
  CallTableRoutine("_switch");
  for (const SwitchCase &c : cases) {
    EmitWord(c.value);
    EmitWord(c.address);
    EmitCodeByte(c.segment);
  }
}

void EmitCofunctionIndirectCall(ValueRecord &operand) {
  if (operand.storage == kStorageStackStruct) {
    EmitTracked(kPopIyT, kWordBytes);
    Upcalls().PopOperandToValueRegister(operand);
    EmitCodeSequence(kLdDeWordT);
    const ADDR24 back = EmitWordPlaceholder();
    // The return address is the callee's to pop.
    EmitCodeSequence(kPushDeT);
    EmitCodeSequence(kJpIyT);
    PatchToHere(back);
    return;
  }
  EmitCodeSequence(kLdHlWordT);
  const ADDR24 back = EmitWordPlaceholder();
  // The pointer the caller pushed comes into HL; the return address takes
  // its place and the callee's return pops it.
  EmitSwapTop(kTypeVoid);
  EmitCodeSequence(kJpHlT);
  PatchToHere(back);
  Emission().stackOffset = int16_t(Emission().stackOffset + kWordBytes);
}

// ---- move hooks ----------------------------------------------------------------------

namespace {
constexpr int16_t kFrameIndexLow = -128;
constexpr int16_t kFrameIndexHigh = 125;
constexpr int16_t kStackReach = 255;
} // namespace

bool CanUseFrameIndex(const ValueRecord &value) {
  if (!(Attributes().current & kAttrUseIx))
    return false;
  if (OperandByteSize(value, OperandSizeMode::kPointer) > 2 &&
      !(value.type >= kFirstStructType && !value.HasLevel()))
    return false;
  const int16_t offset = int16_t(value.value);
  return offset >= kFrameIndexLow && offset <= kFrameIndexHigh && offset != 0;
}

void AdjustStackForValue(const PrimaryRegister &registers, int16_t delta) {
  EmitAdjustStackPointer(delta, registers.Holds(Reg::HL));
}

AddressingKind ChooseFrameAddressingKind(const ValueRecord &value) {
  if (CanUseFrameIndex(value))
    return AddressingKind::kFrame;
  if (Corvid() && OperandByteSize(value, OperandSizeMode::kPointer) == 2 && !InCofunction() &&
      LocalStackOffset(value) <= kStackReach)
    return AddressingKind::kStack;
  return AddressingKind::kIndirectHL;
}

uint16_t ChunkCapacity(MoveKind kind, AddressingKind addressing, Reg currentPair) {
  switch (addressing) {
  case AddressingKind::kImmediate:
    return kind == MoveKind::kLoad ? 2 : 0;
  case AddressingKind::kDirect:
  case AddressingKind::kStack:
    return 2;
  case AddressingKind::kIndirectHL:
  case AddressingKind::kFrame:
    return Corvid() && currentPair == Reg::HL ? 2 : 1;
  default:
    return 0;
  }
}

void MoveBeforeChunk(const ValueRecord &operand) {
  constexpr uint32_t kSecondLevelMask = 0x30;
  const bool object = OutermostLevel(operand.declarator) == kLevelNone;
  const bool addressInRegisters = operand.storage == kStoragePrimary && operand.IsLvalue() &&
                                  (operand.declarator & kSecondLevelMask) == 0;
  if (object || addressInRegisters)
    EmitIoPrefix(operand);
}

void MoveAfterChunk(bool bytesRemain) {
  if (bytesRemain)
    EmitCodeSequence(StepTemplate());
  else
    S().step = kNone;
}

void MoveEnd() {
  EmitCodeSequence(FinishTemplate());
  S().finish = kNone;
}

void MoveOtherKind() { CompileError<kMsgBadMoveKind>(); }

void ResetInstructionEmission() {
  S() = InstructionState{};
  ResetEmissionState();
}

} // namespace tsw
