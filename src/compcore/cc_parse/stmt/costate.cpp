#include "compcore/cc_parse/stmt/costate.h"

#include "compcore/cc_gen/segchain.h"

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/far_jumps.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_gen/routine_calls.h"
#include "compcore/cc_gen/value_conversions.h"
#include "compcore/cc_gen/value_queries.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/cofunction_calls.h"
#include "compcore/cc_parse/expr/expr_assign.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/stmt/control_flow.h"
#include "compcore/cc_parse/stmt/costate_state.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "compcore/cc_parse/stmt/stmt_input.h"
#include "compcore/cc_parse/stmt/stmt_marks.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_storage.h"

#include <fmt/format.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tsw {
namespace {

constexpr const char *kBufferTypeName = "FuncBlk";
constexpr const char *kLostRecordName = "PostStatement(internal)";

// The state words after a costate's name.
constexpr const char *kAlwaysOnWord = "always_on";
constexpr const char *kInitOnWord = "init_on";

// What "funcblk_exit" is told in B, and what "funcblk_init" starts a
// buffer with: an always-on task runs again from the top.
constexpr uint8_t kRunAgain = 2;
constexpr uint8_t kStayOff = 3;

// A's value at a cofunction's end: why the body left.
constexpr uint8_t kCofunctionAborted = 0x10;

// Instruction bytes the statements emit as they stand.
constexpr uint8_t kOpLdHlImmediate = 0x21;
constexpr uint8_t kOpStoreHlDirect = 0x22;
constexpr uint8_t kOpLdAImmediate = 0x3E;
constexpr uint8_t kOpStoreADirect = 0x32;
constexpr uint8_t kOpStoreThroughHl = 0x36;
constexpr uint8_t kOpIncHl = 0x23;
constexpr uint8_t kOpLdBImmediate = 0x06;
constexpr uint8_t kOpXorA = 0xAF;
constexpr uint8_t kOpPushBc = 0xC5;
constexpr uint8_t kOpPopBc = 0xC1;
constexpr uint8_t kOpPopHl = 0xE1;
constexpr uint8_t kOpLdBcImmediate = 0x01;
constexpr uint8_t kOpAddHlBc = 0x09;
constexpr uint8_t kPrefixIx = 0xDD;
constexpr uint8_t kOpPushIxSecond = 0xE5;
constexpr int32_t kOperandOffset = 1;
constexpr uint16_t kWordBytes = 2;
// A running cofunction's buffer lies this far above its parameters in its
// frame.
constexpr uint16_t kFrameBufferOffset = 6;

constexpr uint8_t JumpOn(Condition condition) { return uint8_t(kOpJumpIf | uint8_t(condition) << 3); }

ADDR24 Here() { return CurrentCodeAddress(); }

uint16_t CofunctionInstances() {
  return uint16_t((Attributes().current & kAttrCofuncMask) >> kAttrCofuncShift);
}
bool InMultiInstanceCofunction() { return CofunctionInstances() >= 2; }

std::string CostateLabel(const char *prefix, uint32_t number) { return fmt::format("{}{:04x}", prefix, number); }
std::string ExitLabel(uint32_t number) { return CostateLabel("$fba", number); }
std::string EndLabel(uint32_t number) { return CostateLabel("$fbb", number); }
std::string CofunctionEndLabel() { return CostateLabel("$cofr", CostateState().cofunctionCounter); }

void JumpToLabel(const std::string &name) {
  const uint32_t operand = Addr24ToLong(Addr24Add(Here(), kOperandOffset));
  EmitJumpToAddr24(Addr24FromLong(ReferenceLabel(name, operand, kFixLocal)), kOpJump);
}

void DefineLabelAtHere(const std::string &name) { DefineLabel(name, Addr24ToLong(Here()), kFixLocal); }

bool SymbolHasFixedAddress(const SymbolRecord &symbol) { return symbol.kind != kClassAutoLocal; }

// The buffer's address plus `offset` into HL. The offset is folded into
// the address where it is formed, so the indirect stores need no addition.
void LoadBufferAddressPlus(uint16_t offset) {
  FlushPrimaryRegister();
  if (InMultiInstanceCofunction()) {
    const uint16_t distance = uint16_t(StatementState().parametersSize + kFrameBufferOffset + offset);
    for (uint8_t byte : {kOpPushBc, kPrefixIx, kOpPushIxSecond, kOpPopHl, kOpLdBcImmediate})
      EmitCodeByte(byte);
    EmitWord(distance);
    EmitCodeByte(kOpAddHlBc);
    EmitCodeByte(kOpPopBc);
    return;
  }
  const CostateRecord *record = CurrentCostateRecord();
  if (!record) {
    CompileError<kMsgNoCostateBuffer>();
    return;
  }
  if (!record->symbol) {
    ValueRecord address = MakeVoidPointerConstant(uint16_t(record->buffer.logical + offset));
    LoadOperandToValueRegister(address);
    return;
  }
  ValueRecord buffer = MakeValueFromSymbol(*record->symbol);
  buffer.value += offset;
  LoadOperandAddressIntoHL(buffer);
}

// Where a direct store of the buffer's bytes goes: a fixed address, or a
// name still to be resolved with the byte's offset.
struct DirectTarget {
  ADDR24 address{};
  const SymbolRecord *unresolved = nullptr;
};

std::optional<DirectTarget> DirectStoreTarget(const CostateRecord &record) {
  if (InMultiInstanceCofunction())
    return std::nullopt;
  if (!record.symbol)
    return DirectTarget{record.buffer, nullptr};
  if (!SymbolHasFixedAddress(*record.symbol))
    return std::nullopt;
  if (record.symbol->kind == kClassExtern)
    return DirectTarget{{}, record.symbol};
  return DirectTarget{Addr24FromLong(record.symbol->address), nullptr};
}

// The operand word of a direct store at `offset` into the buffer.
void EmitBufferOperand(const DirectTarget &target, uint16_t offset) {
  if (!target.unresolved) {
    EmitWord(uint16_t(target.address.logical + offset));
    return;
  }
  const SymbolRecord &symbol = *target.unresolved;
  const bool local = LookupSymbol(symbol.name, false, SymbolTableId::kLocal) == &symbol;
  const uint32_t value =
      ReferenceLabel(symbol.name, Addr24ToLong(Here()), local ? kFixLocal : kFixGlobal, offset);
  EmitWord(uint16_t(Addr24FromLong(value).logical + (value ? offset : 0)));
}

// The buffer entry of a costate or slice.
struct OpenConstruct {
  CostateInitEntry *entry = nullptr;
  bool slice = false;
  bool savedSlice = false;
  bool savedInsideCostate = false;
  CostateStart state = CostateStart::kAlwaysOn;
};

void EnterConstruct(OpenConstruct &open, bool slice) {
  CostateModuleState &s = CostateState();
  if (InMultiInstanceCofunction())
    CompileError<kMsgCostateInMultiInstance>();
  else if (CostateTableAtScratch())
    RestoreCostateTablePosition();
  open.slice = slice;
  open.savedSlice = s.inSlice;
  s.inSlice = slice;
  ++s.nesting;
  open.entry = TakeCostateEntry();
  if (!open.entry)
    CompileError<kMsgCostateTableFull>(int(kCostateTableEntries));
  PushCostateRecord({s.costateCounter++, {}, nullptr});
}

void LeaveConstruct(const OpenConstruct &open) {
  CostateModuleState &s = CostateState();
  --s.nesting;
  if (s.nesting == 0 && CofunctionInstances() != 0)
    RedirectCostateTableToScratch();
  s.inSlice = open.savedSlice;
  PopCostateRecord();
}

void SetEntry(OpenConstruct &open, ADDR24 address) {
  if (open.entry)
    open.entry->address = address;
}

// The FuncBlk type: null after 480.
const TypeRecord *BufferType(int16_t &typeId) {
  const TypeRecord *record = nullptr;
  if (const SymbolRecord *type = TaskBufferTypedef()) {
    typeId = type->type;
    record = TypeRecordAt(typeId);
  }
  if (!record)
    CompileError<kMsgFuncBlkMissing>();
  return record;
}

uint8_t MemoryClassOf(SymbolRecord &symbol) { return MakeValueFromSymbol(symbol).MemoryClass(); }

SymbolRecord *FindBufferSymbol(const std::string &name, bool &local) {
  SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kLocal);
  local = symbol != nullptr;
  if (!symbol)
    symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
  return symbol;
}

// The buffer of a costate with its name, when one is given, or a slice's.
// False when the construct must end before its body.
bool PlaceBuffer(OpenConstruct &open, ADDR24 sliceBuffer, const TypeRecord &type, int16_t typeId,
                 bool &named) {
  CostateRecord &record = *CurrentCostateRecord();
  named = false;
  // A slice's buffer is its first argument: a word after it begins the
  // body.
  if (open.slice) {
    record.buffer = sliceBuffer;
    SetEntry(open, sliceBuffer);
    return true;
  }
  SkipBlanksAcrossLines();
  std::string name;
  if (IsIdentStart(*InputCursor))
    ReadIdentifier(name);
  SymbolRecord *symbol = nullptr;
  if (name == kAlwaysOnWord || name == kInitOnWord) {
    // Compiled as an unnamed costate, so that its code still has a buffer.
    CompileError<kMsgCostateNameFirst>();
  } else if (!name.empty()) {
    named = true;
    bool local = false;
    symbol = FindBufferSymbol(name, local);
    if (symbol) {
      const uint8_t memoryClass = MemoryClassOf(*symbol);
      if (local && symbol->kind != kClassStaticLocal && memoryClass == 0)
        CompileWarningSerious<kMsgCostateBufferOnStack>(kBufferTypeName, name);
      if (symbol->type != typeId || symbol->declarator != kLevelNone) {
        CompileError<kMsgCostateBufferType>(name, kBufferTypeName);
        return false;
      }
      constexpr uint8_t kProtected = 2;
      if (memoryClass != 0 && memoryClass != kProtected) {
        CompileError<kMsgCostateBufferClass>(name, kBufferTypeName);
        return false;
      }
      record.symbol = symbol;
      if (symbol->kind != kClassExtern) {
        // A stack buffer has no address the start-up table could reach.
        if (memoryClass == 0 && SymbolHasFixedAddress(*symbol))
          SetEntry(open, Addr24FromLong(symbol->address));
        record.buffer = Addr24FromLong(symbol->address);
        return true;
      }
    }
  }
  if (!symbol || MemoryClassOf(*symbol) == 0) {
    record.buffer = ReserveRootVariableBytes(type.size);
    SetEntry(open, record.buffer);
    if (named) {
      SymbolRecord *defined = AddSymbol(name, kLevelNone, typeId, 0, kClassGlobal);
      defined->kind = kClassGlobal;
      defined->address = defined->addressCopy = Addr24ToLong(record.buffer);
      DefineLabel(name, Addr24ToLong(record.buffer), kFixGlobal);
      record.symbol = defined;
    }
  }
  return true;
}

void ReadStateWord(OpenConstruct &open, bool named) {
  // Slices always run.
  if (open.slice)
    return;
  SkipBlanksAcrossLines();
  std::string word;
  if (IsIdentStart(*InputCursor))
    ReadIdentifier(word);
  if (word == kAlwaysOnWord)
    open.state = CostateStart::kAlwaysOn;
  else if (word == kInitOnWord)
    open.state = CostateStart::kInitOn;
  else if (!word.empty())
    CompileError<kMsgCostateStateWord>(word, word);
  else
    open.state = named ? CostateStart::kOff : CostateStart::kAlwaysOn;
  if (open.entry)
    open.entry->state = open.state;
}

// costate-statement = ( "costate" | "funcblk" ) [ name ] [ "always_on" | "init_on" ] statement
// The slice's block takes the same road with its buffer given.
uint16_t CompileCostate(bool slice, ADDR24 sliceBuffer) {
  OpenConstruct open;
  EnterConstruct(open, slice);
  struct Leave {
    const OpenConstruct &open;
    ~Leave() { LeaveConstruct(open); }
  } leave{open};
  int16_t typeId = 0;
  const TypeRecord *type = BufferType(typeId);
  bool named = false;
  if (!type || !PlaceBuffer(open, sliceBuffer, *type, typeId, named))
    return kStatementPlain;
  ReadStateWord(open, named);

  JumpRecord skipBody;
  if (slice) {
    EmitCallNamedRoutine("__slice_entry");
    skipBody = EmitJumpToAddr24(ADDR24{}, kOpJump);
  } else {
    LoadCostateBufferAddress();
    EmitCallNamedRoutine("funcblk_entry");
    skipBody = EmitJumpToAddr24(ADDR24{}, JumpOn(Condition::kZ));
  }
  {
    // Also when the body is taken back and compiled again elsewhere.
    struct InsideScope {
      bool &inside = UnarySwitches().insideCostate;
      const bool saved = inside;
      ~InsideScope() { inside = saved; }
    } scope;
    scope.inside = true;
    CompileStatement();
  }
  const CostateRecord *record = CurrentCostateRecord();
  if (!record) {
    CompileError<kMsgFirstTimeOutsideCostate>(std::string(kLostRecordName));
    return kStatementPlain;
  }
  const uint32_t number = record->number;
  DefineLabelAtHere(ExitLabel(number));
  LoadCostateBufferAddress();
  EmitCodeByte(kOpLdBImmediate);
  EmitCodeByte(open.state == CostateStart::kAlwaysOn ? kRunAgain : kStayOff);
  EmitCallNamedRoutine(slice ? "__slice_exit" : "funcblk_exit");
  EmitFarJumpFixup(skipBody, Here());
  DefineLabelAtHere(EndLabel(number));
  return kStatementPlain;
}

// The checks every statement that acts on the innermost task makes.
bool TaskStatementAllowed(const char *construct) {
  if (InEverytimeBlock())
    CompileError<kMsgInEverytimeBlock>();
  if (CurrentCostateRecord())
    return true;
  CompileError<kMsgFirstTimeOutsideCostate>(std::string(construct));
  return false;
}

void EmitResumeStore(ADDR24 resume, bool withWaitFlag) {
  const uint8_t low = uint8_t(resume.logical), high = uint8_t(resume.logical >> 8), page = resume.segment;
  std::vector<uint8_t> bytes{low, high, page, uint8_t(low ^ high ^ page)};
  if (withWaitFlag)
    bytes.push_back(1);
  StoreCoBufferBytes(kCoBufferResume, bytes);
}

void EmitSliceCall(const char *routine) {
  LoadCostateBufferAddress();
  EmitCallNamedRoutine(routine);
}

} // namespace

bool InSliceBody() { return CostateState().inSlice; }

const SymbolRecord *TaskBufferTypedef() {
  const SymbolRecord *type = LookupSymbol(kBufferTypeName, false, SymbolTableId::kGlobal);
  return type && (type->kind == kClassTypedefLocal || type->kind == kClassTypedefTop) ? type : nullptr;
}
bool InCofunctionBody() { return CostateTableAtScratch(); }

void LoadCostateBufferAddress() { LoadBufferAddressPlus(0); }

void StoreCoBufferBytes(uint16_t offset, std::span<const uint8_t> bytes) {
  const CostateRecord *record = CurrentCostateRecord();
  if (!record) {
    CompileError<kMsgNoCostateBuffer>();
    return;
  }
  if (const std::optional<DirectTarget> target = DirectStoreTarget(*record)) {
    FlushPrimaryRegister();
    size_t at = 0;
    for (; at + 2 <= bytes.size(); at += 2) {
      EmitCodeByte(kOpLdHlImmediate);
      EmitWord(uint16_t(bytes[at] | bytes[at + 1] << 8));
      EmitCodeByte(kOpStoreHlDirect);
      EmitBufferOperand(*target, uint16_t(offset + at));
    }
    if (at < bytes.size()) {
      EmitCodeByte(kOpLdAImmediate);
      EmitCodeByte(bytes[at]);
      EmitCodeByte(kOpStoreADirect);
      EmitBufferOperand(*target, uint16_t(offset + at));
    }
    return;
  }
  LoadBufferAddressPlus(offset);
  for (size_t at = 0; at < bytes.size(); ++at) {
    if (at != 0)
      EmitCodeByte(kOpIncHl);
    EmitCodeByte(kOpStoreThroughHl);
    EmitCodeByte(bytes[at]);
  }
}

bool EmitResumePoint(const char *construct, bool withWaitFlag, const std::function<void()> &leave) {
  if (!CurrentCostateRecord()) {
    CompileError<kMsgFirstTimeOutsideCostate>(std::string(construct));
    return false;
  }
  // The store needs HL and A: a value held there is pushed once, ahead of
  // both passes. Pushed inside the first, it would change the record the
  // cache holds, and the second would start from another state.
  FlushPrimaryRegister();
  const ADDR24 start = Here();
  const uint32_t point = PushCodeSavePoint();
  EmitResumeStore(start, withWaitFlag);
  const uint32_t firstStoreLength = Addr24Difference(Here(), start);
  leave();
  const ADDR24 resume = Here();
  RestoreCodeSavePoint(point);
  DropCodeSavePoint(point);
  EmitResumeStore(resume, withWaitFlag);
  // A store of another length would send the task to the wrong place.
  if (Addr24Difference(Here(), start) != firstStoreLength)
    CompileError<kMsgResumeCodeDiffers>();
  leave();
  return true;
}

void EmitLeaveTask() {
  if (InCofunctionBody()) {
    EmitCodeByte(kOpXorA);
    JumpToLabel(CofunctionEndLabel());
    return;
  }
  if (const CostateRecord *record = CurrentCostateRecord())
    JumpToLabel(EndLabel(record->number));
}

uint16_t CompileCostateStatement() { return CompileCostate(false, ADDR24{}); }

// waitfor-statement = "waitfor" "(" expression ")" ";"
uint16_t CompileWaitfor() {
  if (!TaskStatementAllowed("waitfor"))
    return kStatementPlain;
  // The task resumes at the test, so a suspended waitfor tests again.
  EmitResumePoint("waitfor", true, [] {});
  if (!ExpectStatementChar('('))
    return kStatementPlain;
  MarkStatementAtInput(0);
  const JumpRecord whenTrue = CompileConditionJump(ADDR24{}, true, ")");
  if (InSliceBody()) {
    EmitSliceCall("__slice_waitfor");
  } else if (InCofunctionBody()) {
    EmitCodeByte(kOpXorA);
    JumpToLabel(CofunctionEndLabel());
  } else {
    EmitCodeByte(kOpXorA);
    JumpToLabel(EndLabel(CurrentCostateRecord()->number));
  }
  EmitFarJumpFixup(whenTrue, Here());
  ExpectStatementSemicolon();
  return kStatementPlain;
}

// yield-statement = "yield" ";"
uint16_t CompileYield() {
  if (!TaskStatementAllowed("yield"))
    return kStatementPlain;
  // The slice routine keeps the resume point itself; the ";" that follows
  // is a statement of its own.
  if (InSliceBody()) {
    EmitSliceCall("__slice_yield");
    return kStatementPlain;
  }
  EmitResumePoint("yield", false, EmitLeaveTask);
  ExpectStatementSemicolon();
  return kStatementPlain;
}

// abort-statement = "abort" ";"
uint16_t CompileAbort() {
  if (!TaskStatementAllowed("abort"))
    return kStatementPlain;
  if (InSliceBody()) {
    EmitSliceCall("__slice_abort");
    return kStatementPlain;
  }
  if (InCofunctionBody()) {
    EmitCodeByte(kOpLdAImmediate);
    EmitCodeByte(kCofunctionAborted);
    JumpToLabel(CofunctionEndLabel());
  } else {
    JumpToLabel(ExitLabel(CurrentCostateRecord()->number));
  }
  ExpectStatementSemicolon();
  return kStatementJumps;
}

// slice-statement = "slice" "(" ( size | buffer "," size ) "," time ")" statement
uint16_t CompileSliceStatement() {
  if (!SkipBlanksAndMatchChar('(')) {
    CompileError<kMsgSliceParenExpected>();
    return kStatementPlain;
  }
  // What the slice pushes for its routines stays on the stack.
  auto pushed = [] { StatementState().sliceStackBytes = uint16_t(StatementState().sliceStackBytes + kWordBytes); };
  ValueRecord first;
  CompileAssignmentExpression(first, true);
  ADDR24 buffer{};
  int16_t size = 0;
  auto intConstant = [](const ValueRecord &value) {
    return value.storage == kStorageConstant && value.type == kTypeInt && !value.HasLevel();
  };
  if (first.storage == kStorageConstant) {
    if (!intConstant(first))
      CompileError<kMsgSliceSizeNotInt>();
    size = int16_t(first.value);
    buffer = ReserveRootVariableBytes(uint16_t(size));
    ValueRecord address = MakeVoidPointerConstant(buffer.logical);
    LoadOperandToValueRegister(address);
    PushOperand(address);
    pushed();
  } else {
    if (!HasFixedAddress(first, first.storage))
      CompileError<kMsgSliceBufferNotFixed>();
    buffer = VariableAddress(first, 0, kFixLookupOnly);
    ValueRecord address = first;
    address.declarator = AddLevel(first.declarator, kLevelPointer);
    address.SetLvalue(false);
    LoadOperandAddressIntoHL(address);
    PushOperand(address);
    pushed();
    if (!SkipBlanksAndMatchChar(',')) {
      CompileError<kMsgSliceCommaExpected>();
      return kStatementPlain;
    }
    ValueRecord sizeValue;
    CompileAssignmentExpression(sizeValue, true);
    if (!intConstant(sizeValue))
      CompileError<kMsgSliceSizeNotInt>();
    size = int16_t(sizeValue.value);
  }
  PushIntConstant(size);
  pushed();
  if (!SkipBlanksAndMatchChar(',')) {
    CompileError<kMsgSliceCommaExpected>();
    return kStatementPlain;
  }
  ValueRecord time;
  CompileAssignmentExpression(time, true);
  ConvertOperandTo(time, kTypeInt, false, 0);
  if (time.storage != kStoragePrimary)
    LoadOperandToValueRegister(time);
  PushOperand(time);
  pushed();
  if (!SkipBlanksAndMatchChar(')')) {
    CompileError<kMsgParenExpected>();
    return kStatementPlain;
  }
  const uint16_t result = CompileCostate(true, Addr24Add(buffer, kSliceOwnBytes));
  // Past the slice and out of its end alike, its three words stand on the
  // stack here: left there, a loop would grow the stack and the function
  // return through them.
  constexpr uint16_t kSliceArgumentBytes = 3 * kWordBytes;
  EmitStackAdjustAndTrack(int16_t(kSliceArgumentBytes));
  StatementState().sliceStackBytes = uint16_t(StatementState().sliceStackBytes - kSliceArgumentBytes);
  return result;
}

void EmitCostateInitTable() {
  const std::vector<CostateInitEntry> entries = CostateTableEntries();
  if (entries.empty())
    return;
  EmitCallNamedRoutine("funcblk_init");
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->address.logical == 0)
      continue;
    EmitWord(it->address.logical);
    EmitCodeByte(it->state == CostateStart::kOff ? kStayOff : kRunAgain);
  }
  EmitWord(0);
  EmitCodeByte(0);
}

void InstallCostateStatements() {
  SetCoBufferLoader(LoadCostateBufferAddress);
  // _GLOBAL_INIT starts the program's tasks from the table of costates.
  SetGlobalInitTableEmitter(EmitCostateInitTable);
}

} // namespace tsw
