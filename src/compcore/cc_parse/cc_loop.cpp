#include "compcore/cc_parse/cc_loop.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_stab/cc_stab.h"

#include "platform/paths.h"

#include <cstring>
#include <fstream>

namespace tsw {

namespace {

constexpr int kTopLevel = 1;
constexpr uint32_t kFreqDivisor = 614400;
constexpr int32_t kSizeUnitsPerCode = 32;
// An import's size word is 32 bits; its room is that and the size word.
constexpr uint64_t kMaxImportBytes = UINT32_MAX - 4;

struct LoopState {
  int32_t idBlockSize = 0;
  int32_t idBlockPtr = 0;
  bool interleave = true;
  bool flushPending = false; // a #flushlib waits for the end of macro text
  uint32_t savedDefaults = 0;
};

LoopState &State() {
  static LoopState s;
  return s;
}

struct FlashEntry {
  uint16_t ids[2];
  FlashGeometry geometry;
};

constexpr FlashEntry kFlashDevices[] = {
    {{0x1F25, 0x1F26}, {128, 16}},   {{0x1F35, 0x1FD5}, {128, 32}},  {{0x1FA4, 0x1FC4}, {256, 128}},
    {{0x1FBA, 0x1FDA}, {256, 64}},   {{0x4001, 0x40A1}, {512, 32}},  {{0x4002, 0x40A2}, {512, 64}},
    {{0x4003, 0x40A3}, {1024, 128}}, {{0x4060, 0x4060}, {256, 32}},  {{0x4063, 0x4073}, {512, 128}},
    {{0x4082, 0x4082}, {256, 64}},   {{0xBF07, 0xBF08}, {128, 32}},  {{0xBF10, 0xBF12}, {128, 64}},
    {{0xBF3D, 0xBF5D}, {128, 16}},   {{0xBFB5, 0xBFB5}, {4096, 32}}, {{0xBFB6, 0xBFB6}, {4096, 64}},
    {{0xBFB7, 0xBFB7}, {4096, 128}}, {{0xDA45, 0xDA45}, {128, 64}},  {{0xDA46, 0xDA46}, {256, 128}},
    {{0xDAC1, 0xDAC1}, {128, 32}},
};
constexpr FlashGeometry kUnknownFlash{128, 32};
constexpr uint16_t kSectorUnit = 128;
constexpr int kPagesPerSizeCode = 8;

template <class T> T ReadLe(const std::array<uint8_t, TargetLink::kIdBlockSize> &b, size_t offset) {
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i)
    value = T(value | T(T(b[offset + i]) << (8 * i)));
  return value;
}

void SkipBlanksIfAtEnd() {
  if (static_cast<unsigned char>(*InputCursor) <= ' ')
    SkipBlanksAcrossLines();
}

void SetStepDefault(bool on) {
  ProcessConditionalDirective();
  ProcessDirective(); // the next line is a line like any other
  if (on)
    Attributes().directiveDefaults |= kAttrStep;
  else
    Attributes().directiveDefaults &= ~kAttrStep;
}

int32_t ReadAnymemBytes() { return ReadConstantValue(ConstantSeverity::kError); }

void AsmBlock() {
  // The block's "#endasm" closes it; a block that never ends is reported.
  CheckBracketNesting(kAsmOpen, CurrentSourceLine(), CurrentSourceColumn());
  FunctionAttributes &attrs = Attributes();
  attrs.directiveDefaults |= kAttrCodeBlock;
  attrs.declaration = attrs.directiveDefaults;
  for (;;) {
    char c = SkipSpaces();
    if (!c)
      break;
    std::string word;
    if (MatchWordAtInput("nodebug"))
      SetDebugAttributes(attrs.declaration, false);
    else if (MatchWordAtInput("debug"))
      SetDebugAttributes(attrs.declaration, true);
    else if (ParseAsmMemoryKeyword(MatchWordAtInput, ReadAnymemBytes))
      continue;
    else if (ReadIdentifier(word))
      CompileError<kMsgAsmWord>(word);
    else
      CompileError<kMsgAsmWord>(std::string(1, NextInputChar()));
  }
  // A top-level block always goes to root code.
  CodeGen().SelectCodeCache(CodeGen().CacheAddress(OriginCache::kRootCode));
  attrs.declaration &= ~kAttrXmem;
  attrs.current = attrs.declaration;
  CodeGen().CompileAsmBlock((attrs.declaration & kAttrDebug) && !InInterleave());
  CodeGen().EmitPendingStubsAndStrings();
  // The block's local labels and symbols are its own.
  ResetFixupTables(kResetLocal);
  MoveLocalTableBoundary();
}

// The attributes every top-level item starts from.
void StartItemAttributes() {
  FunctionAttributes &attrs = Attributes();
  attrs.directiveDefaults &= ~kAttrPerItemBits;
  attrs.declaration = attrs.directiveDefaults;
  ChooseFunctionMemory(CurrentMemmapDefault());
  attrs.current = attrs.declaration;
  SetDebugAttributes(attrs.current, attrs.current & kAttrStep);
}

} // namespace

FlashGeometry LookupFlashDevice(uint16_t deviceId) {
  for (const FlashEntry &e : kFlashDevices)
    if (e.ids[0] == deviceId || e.ids[1] == deviceId)
      return e.geometry;
  return kUnknownFlash;
}

TargetMacroSettings TargetMacroSettingsOf(DirectiveShell &shell) {
  TargetMacroSettings s;
  s.projectMacros = shell.ProjectMacros();
  s.withoutBoard = shell.CompileWithoutBoard();
  const OfflineBoardDescription board = shell.OfflineBoard();
  s.boardType = board.boardType;
  s.crystalSpeed = board.crystalSpeed;
  s.ramSize = board.ramSize;
  s.flashSize = board.flashSize;
  s.memoryMode = shell.MemoryMode();
  s.restrictWatchCode = shell.RestrictWatchCode();
  return s;
}

void DefineUserMacros(const std::vector<std::string> &pairs) {
  for (size_t i = 0; i + 1 < pairs.size(); i += 2)
    if (!pairs[i].empty() && !pairs[i + 1].empty())
      DefineMacro(pairs[i], pairs[i + 1]);
}

void DefineBoardMacros(const TargetMacroSettings &s, TargetLink *link) {
  DefineUserMacros(s.projectMacros);
  int8_t ramCode = 0;
  int32_t flashPages = 0; // in 4096-byte pages
  uint16_t boardType = 0;
  if (s.withoutBoard || !link) {
    boardType = s.boardType;
    ramCode = int8_t(s.ramSize / kSizeUnitsPerCode);
    flashPages = int8_t(s.flashSize / kSizeUnitsPerCode) * kPagesPerSizeCode;
    SetPredefinedMacro("_CRYSTAL_SPEED_", std::to_string(s.crystalSpeed));
    SetPredefinedMacro("_FREQ_DIV_19200_", std::to_string(s.crystalSpeed / int32_t(kFreqDivisor)));
  } else {
    if (!s.biosFirst) {
      std::array<uint8_t, TargetLink::kIdBlockSize> block{};
      if (link->ReadIdBlock(block)) {
        State().idBlockSize = int32_t(ReadLe<int16_t>(block, 122)) + int32_t(ReadLe<uint32_t>(block, 116));
        State().idBlockPtr = int32_t(ReadLe<int16_t>(block, 19)) * 4096 - State().idBlockSize;
      } else {
        State().idBlockSize = State().idBlockPtr = 0;
      }
    }
    SetPredefinedMacro("_ID_BLOCK_SIZE_", plat::FormatText("%dL", State().idBlockSize));
    SetPredefinedMacro("_ID_BLOCK_PTR_", plat::FormatText("%dL", State().idBlockPtr));
    FlashGeometry flash = LookupFlashDevice(link->FlashDeviceId());
    SetPredefinedMacro("_SECTOR_SIZE_", std::to_string(flash.sectorBytes / kSectorUnit * kSectorUnit));
    // The device table already counts pages.
    flashPages = flash.flashPages;
    ramCode = link->RamSizeCode();
    boardType = link->BoardType();
  }
  SetPredefinedMacro("_USE115KBAUD_", link && !s.withoutBoard && link->BaudRate() == 115200 ? "1" : "0");
  static const char *const kModes[] = {"_FLASH_", "_RAM_", "_MIXED_"};
  if (s.memoryMode >= 0 && s.memoryMode <= 2)
    SetPredefinedMacro(kModes[s.memoryMode], "1");
  SetPredefinedMacro("_RAM_SIZE_", std::to_string(ramCode * kPagesPerSizeCode));
  SetPredefinedMacro("_FLASH_SIZE_", std::to_string(flashPages));
  SetPredefinedMacro("_BOARD_TYPE_", std::to_string(boardType));
}

uint16_t MatchKeywordAtCursor(const char *text) {
  char *start = InputCursor;
  if (!MatchWordAtInput(text))
    return 0;
  // Only a match hands its characters to the bracket checker, at the source
  // position of the word's first character; most tries fail, and cost no
  // position look-up.
  char *end = InputCursor;
  InputCursor = start;
  uint16_t line = CurrentSourceLine(), column = CurrentSourceColumn();
  InputCursor = end;
  for (const char *p = start; p < InputCursor; ++p)
    TrackBracketHook(*p, line, uint16_t(column + (p - start)));
  return 1;
}

void SkipToken() {
  const char *end = InputCursor;
  if (IsIdentChar(*end)) {
    while (IsIdentChar(*end))
      ++end;
  } else {
    while (*end && !IsIdentChar(*end) && !IsBlankChar(*end))
      ++end;
    if (IsBlankChar(*end) && end == LineBase)
      ++end;
  }
  SkipInputChars(size_t(end - InputCursor));
}

void ImportBinaryFile() {
  SkipSpaces();
  if (*InputCursor == '"')
    SkipInputChars(1);
  std::string name;
  const char *end = InputCursor;
  while (*end && *end != '"' && name.size() < kMaxImportName)
    name.push_back(*end++);
  SkipInputChars(size_t(end - InputCursor));
  if (*InputCursor != '"') {
    CompileError<kMsgImportName>();
    DiscardCurrentLine();
    return;
  }
  SkipInputChars(1);
  // The stream closes itself on every path out of here.
  std::ifstream file(name, std::ios::binary);
  if (!file)
    file.open(plat::ProgramDirectory() + "/" + name, std::ios::binary);
  SkipSpaces();
  std::string macro;
  ReadIdentifier(macro);
  if (!file) {
    CompileError<kMsgImportNotFound>();
    return;
  }
  if (macro.empty()) {
    CompileError<kMsgImportIdentifier>();
    return;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff measured = file.tellg();
  file.seekg(0, std::ios::beg);
  if (measured < 0 || uint64_t(measured) > kMaxImportBytes) {
    CompileError<kMsgImportSizeChanged>();
    return;
  }
  const uint32_t size = uint32_t(measured);
  if (!CodeGen().ReserveXmemCode(size + 4))
    return;
  DefineMacro(macro, plat::FormatText("0x%lxL", static_cast<unsigned long>(CodeGen().XmemCodePhysical())));
  const uint8_t sizeBytes[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
  for (uint8_t b : sizeBytes)
    CodeGen().EmitXmemImportByte(b);
  // Exactly the bytes reserved: a device or a file that grows meanwhile
  // would otherwise be copied without end.
  uint32_t copied = 0;
  for (int c; copied < size && (c = file.get()) != EOF; ++copied)
    CodeGen().EmitXmemImportByte(uint8_t(c));
  if (copied < size || file.peek() != EOF)
    CompileError<kMsgImportSizeChanged>();
}

void InterleaveLibraryModules(bool force) {
  if (SourceState() == 0 && !EndOfInput) {
    force = force || State().flushPending;
    if (!force && PendingLinkNames() <= kInterleaveThreshold)
      return;
    // Macro text cannot be read again from its position, which names the
    // macro and would bring its whole expansion back: the program is left
    // only once the cursor is past it.
    if (CursorInExpandedText()) {
      State().flushPending = force;
      return;
    }
    State().flushPending = false;
    // The program resumes at the line and column of the cursor.
    SourcePosition resume = PositionOfLine(CurrentSourceLine(), CurrentSourceColumn());
    State().savedDefaults = Attributes().directiveDefaults;
    ForgetPendingInput();
    if (BeginInterleave(resume)) {
      Attributes().directiveDefaults &= ~kAttrStep;
      DiscardCurrentLine();
      ReadNextLineAndRewind();
      if (!EndOfInput)
        ProcessDirective();
    }
  }
  if (InInterleave() && (EndOfInput || !LinkHasData())) {
    ForgetPendingInput();
    EndInterleaveIfDone();
    Attributes().directiveDefaults = State().savedDefaults;
    EndOfInput = 0;
    DiscardCurrentLine();
    ReadNextLineAndRewind();
    if (!EndOfInput)
      ProcessDirective();
  }
}

void CompileTopLevel(TopLevelCompiler &compiler, bool biosCodeMode, const TargetMacroSettings &settings,
                     TargetLink *link) {
  if (biosCodeMode)
    DefineBoardMacros(settings, link);
  SetPredefinedMacro("_RESTRICT_WATCHCODE_", settings.restrictWatchCode ? "1" : "0");
  SetDebugAttributes(Attributes().directiveDefaults, true);
  State().interleave = true;
  State().flushPending = false;
  while (!EndOfInput) {
    MoveLocalTableBoundary();
    // What a function's compile may take back is its own item's entries:
    // a file of declarations alone never fills the list.
    SnapshotSymbolInserts();
    SkipBlanksIfAtEnd();
    if (EndOfInput)
      break;
    // After the lines just read: a directive among them (#nodebug, #memmap)
    // holds for the item that follows it.
    StartItemAttributes();
    if (*InputCursor == '#') {
      if (MatchKeyword("#interleave")) {
        State().interleave = true;
      } else if (MatchKeyword("#nointerleave")) {
        State().interleave = false;
      } else if (MatchKeyword("#precompile")) {
        CodeGen().PrecompileDirective();
      } else if (MatchKeyword("#begincommon")) {
        CodeGen().BeginCommon();
      } else if (MatchKeyword("#endcommon")) {
        CodeGen().EndCommon();
      } else if (MatchKeyword("#flushlib")) {
        SkipBlanksIfAtEnd();
        CodeGen().EmitPendingStubsAndStrings();
        InterleaveLibraryModules(true);
        continue;
      } else if (MatchKeyword("#ximport")) {
        ImportBinaryFile();
        continue;
      } else if (MatchKeyword("#asm")) {
        AsmBlock();
      } else if (MatchKeyword("#rst") || MatchKeyword("#step")) {
        SetStepDefault(true);
      } else if (MatchKeyword("#norst") || MatchKeyword("#nostep")) {
        SetStepDefault(false);
      } else if (!compiler.ParseDeclaration(kTopLevel)) {
        CompileError<kMsgNothingCompiled>();
        SkipToken();
      }
    } else if (!compiler.ParseDeclaration(kTopLevel)) {
      CompileError<kMsgNothingCompiled>();
      SkipToken();
    }
    SkipBlanksIfAtEnd();
    CodeGen().EmitPendingStubsAndStrings();
    // The item's references to names defined later wait in the compile's
    // table from here on.
    ResetFixupTables(kResetLocal);
    if (State().interleave || EndOfInput || State().flushPending)
      InterleaveLibraryModules(false);
  }
  CodeGen().FinishTopLevel();
  PatchProgramStartJump();
}

void ResetCompileLoopModule() { State() = LoopState(); }

} // namespace tsw
