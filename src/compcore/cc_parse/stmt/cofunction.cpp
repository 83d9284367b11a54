#include "compcore/cc_parse/stmt/cofunction.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/segchain.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/costate.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"
#include "foundation/msgnumbers.h"

#include <fmt/format.h>

#include <string>

namespace tsw {
namespace {

// The routines that step a cofunction.
constexpr const char *kPrologRoutine = "cofprolog_";
constexpr const char *kSingleUserPrologRoutine = "scofprolog_";
constexpr const char *kEpilogRoutine = "cofepilog_";
constexpr const char *kSingleUserEpilogRoutine = "scofepilog_";
// Gives up a single-user cofunction's caller when its loop starts over.
constexpr const char *kAbandonRoutine = "__scofabandon";
constexpr const char *kLoopHeadChain = "_loophead";
constexpr const char *kLoopInitChain = "_loopinit";
constexpr const char *kDescriptorSymbol = "__cofunc";

// Bytes of an instance block besides the locals and the parameters: the
// saved frame and the task buffer.
constexpr uint16_t kInstanceBlockExtra = 19;
// From the parameters' end to the task buffer.
constexpr uint16_t kBufferAfterParameters = 6;

// What the prolog reserves under the saved IX, and what the epilog takes
// back with it: the frame's words the routines keep.
constexpr int8_t kRootPrologReserve = -3;
constexpr int8_t kXmemPrologReserveNoBouncers = -2;
constexpr int8_t kRootEpilogRelease = 7;
constexpr int8_t kXmemEpilogReleaseNoBouncers = 6;
constexpr int8_t kXmemEpilogRelease = 4;
// The abandon call's four pushed words.
constexpr int8_t kAbandonRelease = 8;

// What the epilog hands the epilog routine in A: the body ran to its end.
constexpr uint8_t kBodyDone = 0x18;

namespace op {
constexpr uint8_t kExx = 0xD9;
constexpr uint8_t kLoadA = 0x3E;
constexpr uint8_t kLoadDe = 0x11;
constexpr uint8_t kPushDe = 0xD5;
constexpr uint8_t kPushHl = 0xE5;
constexpr uint8_t kPopHl = 0xE1;
constexpr uint8_t kLoadHl = 0x21;
constexpr uint8_t kDecHl = 0x2B;
constexpr uint8_t kStoreToHl = 0x36;
constexpr uint8_t kLockTaken = 0xFF;
constexpr uint8_t kIxPrefix = 0xDD;
constexpr uint8_t kBitPrefix = 0xCB;
constexpr uint8_t kSet0OfHl = 0xC6;
constexpr uint8_t kSet1OfHl = 0xCE;
constexpr uint8_t kAddSp = 0x27; // add sp,d (Corvid)
constexpr uint8_t kIncSp = 0x33;
constexpr uint8_t kDecSp = 0x3B;
constexpr uint8_t kReturn = 0xC9;
constexpr uint8_t kExtendedPrefix = 0xED;
constexpr uint8_t kLongReturnSecond = 0x45; // ED 45: lret
} // namespace op

// What a cofunction definition keeps from its sections to its closing
// brace.
struct CofunctionFrame {
  ADDR24 everytime{};
  ADDR24 abandon{};
  ADDR24 descriptor{};
  // The task buffer of a single-instance cofunction, and the instance
  // block the loop-head fragment gives up.
  ADDR24 buffer{};
  uint16_t instanceAddress = 0;
  // The prolog opened a record and turned the table to its scratch entry.
  bool tasksEntered = false;
};
CofunctionFrame &Frame() {
  static CofunctionFrame frame;
  return frame;
}

bool XmemCofunction() { return Attributes().current & kAttrXmem; }

void EmitIxPair(uint8_t opcode) {
  EmitCodeByte(op::kIxPrefix);
  EmitCodeByte(opcode);
}

void EmitLoadAndPush(uint8_t load, uint16_t word, uint8_t push) {
  EmitCodeByte(load);
  EmitWord(word);
  EmitCodeByte(push);
}

// SP moved by `delta` with registers and flags kept: the Corvid's add
// sp,d, one inc sp or dec sp per byte on the Z180.
void EmitStackMove(int8_t delta) {
  if (CurrentCpu() == TargetCpu::Corvid) {
    EmitCodeByte(op::kAddSp);
    EmitCodeByte(uint8_t(delta));
    return;
  }
  for (int i = 0; i < (delta < 0 ? -delta : delta); ++i)
    EmitCodeByte(delta < 0 ? op::kDecSp : op::kIncSp);
}

// A Corvid cofunction in extended memory is left by a long return.
void EmitCofunctionReturn() {
  if (XmemCofunction()) {
    EmitCodeByte(op::kExtendedPrefix);
    EmitCodeByte(op::kLongReturnSecond);
  } else {
    EmitCodeByte(op::kReturn);
  }
}

std::string ResumeLabel(uint32_t number) { return fmt::format("$cofr{:04x}", number); }

void EmitJumpToLocalLabel(const std::string &name) {
  const ADDR24 patch = Addr24Add(CurrentCodeAddress(), 1);
  const ADDR24 target =
      Addr24FromLong(ReferenceLabel(name, Addr24ToLong(patch), kFixCaptureOpcode | kFixLocal, 0, kOpJump));
  EmitJumpToAddr24(target, kOpJump);
}

// The loop's chains: at its head a single-user cofunction gives up the
// caller it served; at its start its lock byte, just below the buffer, is
// taken until the first caller claims it.
void EmitLoopFragments() {
  const CofunctionFrame &frame = Frame();
  AddSegChainFragment(kLoopHeadChain, CurrentCodeAddress());
  EmitLoadAndPush(op::kLoadHl, frame.instanceAddress, op::kPushHl);
  EmitLoadAndPush(op::kLoadHl, frame.abandon.logical, op::kPushHl);
  EmitLoadAndPush(op::kLoadHl, frame.abandon.segment, op::kPushHl);
  LoadCoBufferAddress();
  EmitCodeByte(op::kPushHl);
  EmitCallNamedRoutine(kAbandonRoutine);
  EmitStackMove(kAbandonRelease);
  EmitCofunctionReturn();

  AddSegChainFragment(kLoopInitChain, CurrentCodeAddress());
  LoadCoBufferAddress();
  EmitCodeByte(op::kDecHl);
  EmitCodeByte(op::kStoreToHl);
  EmitCodeByte(op::kLockTaken);
  EmitCofunctionReturn();
}

// everytime-section = "everytime" compound-statement
// abandon-section   = "abandon" compound-statement
// Each runs as a routine of its own, called by the stepping routines.
void CompileSectionBlock(ADDR24 &start, bool everytime) {
  SkipBlanksAcrossLines();
  if (!MatchKeyword("{")) {
    CompileError<kMsgOpenBraceExpected>();
    return;
  }
  const bool second = Addr24ToLong(start) != 0;
  if (second && everytime)
    CompileError<kMsgSecondEverytime>();
  else if (second)
    CompileError<kMsgSecondAbandon>();
  else
    start = CurrentCodeAddress();
  InEverytimeBlock() = everytime;
  CompileCompoundStatement();
  InEverytimeBlock() = false;
  EmitCodeByte(op::kReturn);
}

} // namespace

uint8_t CofunctionInstances() {
  return uint8_t((Attributes().current & kAttrCofuncMask) >> kAttrCofuncShift);
}

bool IsSingleUserCofunction() { return CofunctionInstances() != 0 && (Attributes().current & kAttrSingleUser); }

void RecordCofunctionKind(SymbolRecord &symbol) {
  // The symbol's attribute word: bit 6 single user, bits 7-12 the count.
  constexpr uint16_t kSingleUserBit = 1u << 6;
  constexpr unsigned kInstancesShift = 7;
  constexpr uint16_t kInstancesBits = 0x3Fu << kInstancesShift;
  uint16_t word = uint16_t(symbol.flagsA | symbol.flagsB << 8);
  word = uint16_t(word & ~(kSingleUserBit | kInstancesBits));
  const uint8_t instances = CofunctionInstances();
  word = uint16_t(word | (instances << kInstancesShift));
  if (IsSingleUserCofunction())
    word |= kSingleUserBit;
  symbol.flagsA = uint8_t(word);
  symbol.flagsB = uint8_t(word >> 8);
}

void BeginCofunctionDefinition() {
  Frame() = CofunctionFrame{};
  InEverytimeBlock() = false;
}

bool CompileCofunctionSection() {
  if (CofunctionInstances() == 0)
    return false;
  SkipBlanksAcrossLines();
  if (MatchKeyword("everytime"))
    CompileSectionBlock(Frame().everytime, true);
  else if (MatchKeyword("abandon"))
    CompileSectionBlock(Frame().abandon, false);
  else
    return false;
  return true;
}

// The descriptor the stepping routines read: the instance count, the
// frame's two sizes and the address of each instance block (its frame
// base, above the locals).
void EmitCofunctionDescriptor() {
  const FunctionStatementState &f = StatementState();
  CofunctionFrame &frame = Frame();
  const uint8_t instances = CofunctionInstances();
  const uint16_t blockSize = uint16_t(f.localsSize + f.parametersSize + kInstanceBlockExtra);
  const ADDR24 area = ReserveRootVariableBytes(uint16_t(instances * blockSize));

  frame.descriptor = CurrentCodeAddress();
  SymbolRecord *descriptor = AddSymbol(kDescriptorSymbol, 0, kTypeChar, 0, kClassStaticLocal);
  if (descriptor)
    descriptor->address = descriptor->addressCopy = Addr24ToLong(frame.descriptor);
  EmitCodeByte(instances);
  EmitWord(f.parametersSize);
  EmitWord(f.localsSize);
  for (uint8_t i = 0; i < instances; ++i) {
    frame.instanceAddress = uint16_t(area.logical + f.localsSize + i * blockSize);
    EmitWord(frame.instanceAddress);
  }
  frame.buffer = Addr24Add(area, int32_t(f.localsSize + f.parametersSize + kBufferAfterParameters));
}

void EmitCofunctionProlog() {
  CofunctionFrame &frame = Frame();
  CostateModuleState &costates = CostateState();
  const uint32_t number = ++costates.cofunctionCounter;
  if (!TaskBufferTypedef()) {
    CompileError<kMsgFuncBlkMissing>();
  } else {
    if (IsSingleUserCofunction()) {
      if (CostateInitEntry *entry = TakeCostateEntry())
        *entry = CostateInitEntry{frame.buffer, CostateStart::kAlwaysOn};
      else
        CompileError<kMsgCostateTableFull>(int(kCostateTableEntries));
    }
    RedirectCostateTableToScratch();
    PushCostateRecord(CostateRecord{number, frame.buffer, nullptr});
    frame.tasksEntered = true;
  }

  EmitIxPair(op::kPushHl);
  if (CurrentCpu() == TargetCpu::Z180 || !XmemCofunction())
    EmitStackMove(kRootPrologReserve);
  else if (CodeGenSetup().noBouncers)
    EmitStackMove(kXmemPrologReserveNoBouncers);
  EmitLoadAndPush(op::kLoadDe, frame.everytime.logical, op::kPushDe);
  EmitLoadAndPush(op::kLoadDe, frame.descriptor.logical, op::kPushDe);
  EmitCallNamedRoutine(IsSingleUserCofunction() ? kSingleUserPrologRoutine : kPrologRoutine);
  EmitJumpToLocalLabel(ResumeLabel(number));
}

void CompileCofunctionEpilog() {
  const bool singleUser = IsSingleUserCofunction();
  EmitCodeByte(op::kExx);
  EmitCodeByte(op::kLoadA);
  EmitCodeByte(kBodyDone);
  LoadCoBufferAddress();
  EmitCodeByte(op::kBitPrefix);
  EmitCodeByte(op::kSet0OfHl);
  EmitCodeByte(op::kBitPrefix);
  EmitCodeByte(op::kSet1OfHl);

  DefineLabelHere(ResumeLabel(CostateState().cofunctionCounter), kFixLocal);
  LoadCoBufferAddress();
  EmitCallNamedRoutine(singleUser ? kSingleUserEpilogRoutine : kEpilogRoutine);
  if (!XmemCofunction()) {
    EmitStackMove(kRootEpilogRelease);
    EmitIxPair(op::kPopHl);
    EmitCodeByte(op::kReturn);
  } else {
    EmitStackMove(CodeGenSetup().noBouncers ? kXmemEpilogReleaseNoBouncers : kXmemEpilogRelease);
    EmitIxPair(op::kPopHl);
    EmitCofunctionReturn();
  }
  if (singleUser)
    EmitLoopFragments();
}

void EndCofunctionDefinition() {
  CofunctionFrame &frame = Frame();
  if (frame.tasksEntered) {
    RestoreCostateTablePosition();
    PopCostateRecord();
  }
  frame = CofunctionFrame{};
}

} // namespace tsw
