#include "compcore/cc_in/cc_directives.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_in/cc_placement.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/common/cc_session.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tsw {

namespace {

constexpr size_t kMaxDirectiveMessage = 80;
constexpr const char *kBiosPrefix = "IOP_";
constexpr size_t kPrefixedNameMax = 28;

struct OpenGroup {
  uint16_t line;
  uint16_t column;
};

struct DirectiveState {
  int depth = 0;
  int refused = 0; // #if levels beyond the limit, so their #endif close nothing
  std::vector<uint8_t> states = std::vector<uint8_t>(kMaxConditionDepth + 1, 0);
  std::vector<OpenGroup> groups = std::vector<OpenGroup>(kMaxConditionDepth + 1);
  std::vector<int> fileStartDepths;
  DirectiveServices services;
};

DirectiveState &State() {
  static DirectiveState s;
  return s;
}

bool Active() { return State().depth == 0 || State().states[size_t(State().depth)] == kCondActive; }

bool NameIsDefined(const std::string &name) {
  if (IsMacroDefined(name))
    return true;
  auto &bios = State().services.biosSymbol;
  if (!bios)
    return false;
  if (bios(name))
    return true;
  std::string prefixed = kBiosPrefix + name.substr(0, kPrefixedNameMax);
  return bios(prefixed) != 0;
}

int32_t ReadDirectiveConstant() {
  ExpandDirectiveOperand();
  return ReadDirectiveExpression();
}

bool EvaluateCondition() { return (ReadDirectiveConstant() & 0xFFFF) != 0; }

void PushConditionAt(uint8_t state, uint16_t line, uint16_t column) {
  DirectiveState &d = State();
  if (d.refused || d.depth + 1 > kMaxConditionDepth) {
    if (!d.refused)
      CompileError<kMsgNestingTooDeep>();
    ++d.refused;
    return;
  }
  ++d.depth;
  bool outerActive = d.depth == 1 || d.states[size_t(d.depth - 1)] == kCondActive;
  d.states[size_t(d.depth)] = outerActive ? state : uint8_t(kCondDone);
  d.groups[size_t(d.depth)] = {line, column};
}

void ReportDirectiveMessage(int kind) {
  ExpandDirectiveOperand();
  SkipSpaces();
  std::string text;
  if (*InputCursor == '"')
    ++InputCursor;
  while (*InputCursor && *InputCursor != '"' && text.size() < kMaxDirectiveMessage)
    text.push_back(*InputCursor++);
  SkipToLineEnd();
  switch (kind) {
  case 0: RaiseError(0, CurrentSourceLine(), CurrentSourceColumn(), text); break;
  case 1:
  case 2: RaiseWarning(0, kind == 1 ? 1 : 0, text); break;
  default: RaiseFatal(0, CurrentSourceLine(), CurrentSourceColumn(), text);
  }
}

void UseDirective() {
  ExpandDirectiveOperand();
  SkipSpaces();
  if (*InputCursor == '"')
    ++InputCursor;
  std::string name;
  while (*InputCursor && *InputCursor != '"' && name.size() < 260)
    name.push_back(*InputCursor++);
  while (!name.empty() && IsBlankChar(name.back()))
    name.pop_back();
  SkipToLineEnd();
  if (BiosCompileFlag()) {
    std::string upper = name;
    for (char &c : upper)
      c = char(std::toupper(static_cast<unsigned char>(c)));
    AddBiosLibrary(upper);
  }
  PushLibraryHeaders(name);
}

int32_t DirectiveNumber() {
  int32_t value = ReadDirectiveConstant();
  SkipToLineEnd();
  return value;
}

void KillDirective() {
  for (;;) {
    // A long list goes on on the next lines.
    SkipBlanksAcrossLines();
    std::string name;
    while (*InputCursor && *InputCursor != ',' && !IsBlankChar(*InputCursor))
      name.push_back(*InputCursor++);
    if (!name.empty() && name.size() < kMaxKillName && State().services.killBiosSymbol)
      State().services.killBiosSymbol(name);
    SkipSpaces();
    if (*InputCursor != ',')
      break;
    ++InputCursor;
  }
  SkipToLineEnd();
}

void UndefDirective() {
  SkipSpaces();
  std::string name;
  if (!ReadIdentifier(name))
    CompileError<kMsgIdentifierExpected>();
  else
    UndefineMacro(name);
}

void SetDefaultBits(uint32_t bits, bool on) {
  uint32_t &defaults = Attributes().directiveDefaults;
  defaults = on ? defaults | bits : defaults & ~bits;
}

void FunctnumDirective() {
  int32_t value = DirectiveNumber();
  if (State().services.setFunctionCounter)
    State().services.setFunctionCounter(value - 1);
}

enum DirectiveFlags : uint8_t {
  kReadsOn = 0,
  kReturnsAfter = 1, // the line after it is left for the caller to read
  kCorvidOnly = 2,   // on other targets the line passes on like any other
};

struct DirectiveEntry {
  const char *word;
  void (*run)();
  uint8_t flags;
};

// Tried in this order, each as a whole word.
const DirectiveEntry kDirectives[] = {
    {"#undef", UndefDirective, kReturnsAfter},
    {"#pragma", PragmaDirective, kReadsOn},
    {"#include", [] { CompileError<kMsgIncludeRefused>(); }, kReadsOn},
    {"#use", UseDirective, kReadsOn},
    {"#define", DefineDirective, kReadsOn},
    {"#error", [] { ReportDirectiveMessage(0); }, kReadsOn},
    {"#warns", [] { ReportDirectiveMessage(1); }, kReadsOn},
    {"#warnt", [] { ReportDirectiveMessage(2); }, kReadsOn},
    {"#fatal", [] { ReportDirectiveMessage(3); }, kReadsOn},
    {"#useix", [] { SetDefaultBits(kAttrUseIx, true); }, kReadsOn},
    {"#nouseix", [] { SetDefaultBits(kAttrUseIx, false); }, kReadsOn},
    {"#linenum", [] { SetLineNumberOfNextLine(uint16_t(DirectiveNumber())); }, kReadsOn},
    {"#functnum", FunctnumDirective, kReadsOn},
    {"#funcchain", FuncChainDirective, kReadsOn},
    {"#makechain", MakeChainDirective, kReadsOn},
    {"#KILL", KillDirective, kReadsOn},
    {"#debug", [] { SetDebugAttributes(Attributes().directiveDefaults, true); }, kReadsOn},
    {"#nodebug", [] { SetDebugAttributes(Attributes().directiveDefaults, false); }, kReadsOn},
    {"#step", [] { SetDefaultBits(kAttrStep, true); }, kReadsOn},
    {"#nostep", [] { SetDefaultBits(kAttrStep, false); }, kReadsOn},
    {"#memmap",
     [] {
       ExpandDirectiveOperand();
       MemmapDirective(ReadDirectiveExpression);
     },
     kReadsOn},
    {"#class",
     [] {
       ExpandDirectiveOperand();
       ClassDirective();
     },
     kReadsOn},
    {"#corg", CorgDirective, kReadsOn},
    {"#dorg", DorgDirective, kReadsOn},
    {"#rcodorg", [] { OriginDirective(OriginCache::kRootCode); }, kCorvidOnly},
    {"#xcodorg", [] { OriginDirective(OriginCache::kXmemCode); }, kCorvidOnly},
    {"#wcodorg", [] { OriginDirective(OriginCache::kWatchCode); }, kCorvidOnly},
    {"#rconorg", [] { OriginDirective(OriginCache::kRootConstant); }, kCorvidOnly},
    {"#rvarorg", [] { OriginDirective(OriginCache::kRootVariable); }, kCorvidOnly},
    {"#wvarorg", [] { OriginDirective(OriginCache::kWatchVariable); }, kCorvidOnly},
    {"#KILLALL", [] { EnableBiosSymbolTable(false); }, kReadsOn},
    {"#NOKILLALL", [] { EnableBiosSymbolTable(true); }, kReadsOn},
};

// Carries out the directive at the cursor; null when it is not one of ours.
const DirectiveEntry *DoDirective() {
  const bool corvid = CodeGen().TargetCpu() == tsw::TargetCpu::Corvid;
  for (const DirectiveEntry &entry : kDirectives) {
    if ((entry.flags & kCorvidOnly) && !corvid)
      continue;
    if (MatchWordAtInput(entry.word)) {
      entry.run();
      return &entry;
    }
  }
  return nullptr;
}

} // namespace

void SetDirectiveServices(DirectiveServices services) { State().services = std::move(services); }
int ConditionDepth() { return State().depth; }

// The constant after a directive, through the expression compiler when one
// is wired in; without it a plain integer constant is read.
int32_t ReadDirectiveExpression() {
  SingleLineMode = 1;
  int32_t value = 0;
  if (State().services.constantExpression)
    value = State().services.constantExpression();
  else
    value = ReadConstantValue(ConstantSeverity::kError);
  SingleLineMode = 0;
  return value;
}

void EnableBiosSymbolTable(bool enabled) {
  if (State().services.enableBiosSymbols)
    State().services.enableBiosSymbols(enabled);
}

void SkipToLineEnd() { InputCursor += std::strlen(InputCursor); }

void PushCondition(uint8_t state) { PushConditionAt(state, CurrentSourceLine(), CurrentSourceColumn()); }

void ProcessConditionalDirective() {
  DirectiveState &d = State();
  for (;;) {
    ReadLogicalLine();
    if (EndOfInput && !*LineBase)
      return;
    while (IsBlankChar(*InputCursor))
      ++InputCursor;
    if (*InputCursor != '#') {
      if (Active())
        return;
      continue;
    }
    uint16_t line = CurrentSourceLine(), column = CurrentSourceColumn();
    bool ifndef = MatchWordAtInput("#ifndef");
    if (ifndef || MatchWordAtInput("#ifdef")) {
      uint8_t kind = ifndef ? 1 : 2;
      SkipSpaces();
      std::string name;
      if (ReadIdentifier(name) && NameIsDefined(name))
        kind = kind == 1 ? 2 : 1;
      PushConditionAt(kind, line, column);
      continue;
    }
    if (MatchWordAtInput("#if")) {
      if (Active() && !d.refused)
        PushConditionAt(EvaluateCondition() ? kCondActive : kCondWaiting, line, column);
      else
        PushConditionAt(kCondDone, line, column);
      continue;
    }
    if (d.depth == 0 && !d.refused) {
      InputCursor = LineBase;
      return;
    }
    uint8_t &top = d.states[size_t(d.depth)];
    if (MatchWordAtInput("#else")) {
      if (!d.refused)
        top = top == kCondActive ? kCondDone : (top == kCondWaiting ? kCondActive : kCondDone);
      continue;
    }
    if (MatchWordAtInput("#elif")) {
      if (d.refused)
        continue;
      if (top == kCondActive)
        top = kCondDone;
      else if (top == kCondWaiting)
        top = EvaluateCondition() ? kCondActive : kCondWaiting;
      continue;
    }
    if (MatchWordAtInput("#endif")) {
      if (d.refused)
        --d.refused;
      else if (d.depth)
        --d.depth;
      continue;
    }
    if (Active()) {
      InputCursor = LineBase;
      return;
    }
  }
}

void ProcessDirective() {
  for (;;) {
    InputCursor = LineBase;
    while (IsBlankChar(*InputCursor))
      ++InputCursor;
    if (*InputCursor != '#') {
      ExpandMacros();
      return;
    }
    const DirectiveEntry *done = DoDirective();
    if (!done) {
      InputCursor = LineBase;
      ExpandMacros();
      return;
    }
    if (done->flags & kReturnsAfter)
      return;
    ReadNextLineAndRewind();
    if (EndOfInput && !*LineBase)
      return;
  }
}

void InstallConditionalFileHooks() {
  SourceFileHooks hooks;
  hooks.onBegin = [](const std::string &) { State().fileStartDepths.push_back(State().depth); };
  hooks.onEnd = [](const std::string &) {
    DirectiveState &d = State();
    int start = 0;
    if (!d.fileStartDepths.empty()) {
      start = d.fileStartDepths.back();
      d.fileStartDepths.pop_back();
    }
    if (d.depth > start) {
      const OpenGroup &g = d.groups[size_t(start + 1)];
      CompileErrorAtLine<kMsgUnclosedConditional>(g.line, g.column);
      d.depth = start;
    }
    d.refused = 0;
  };
  SetSourceFileHooks(std::move(hooks));
}

void ResetDirectivesModule() {
  DirectiveServices services = std::move(State().services);
  State() = DirectiveState();
  State().services = std::move(services);
}

} // namespace tsw
