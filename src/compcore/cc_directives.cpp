#include "compcore/cc_directives.h"

#include "compcore/cc_attrs.h"
#include "compcore/cc_in.h"
#include "compcore/cc_lines.h"
#include "compcore/cc_macro.h"
#include "compcore/cc_memmap.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace tsw {

namespace {

constexpr unsigned kMsgNestingTooDeep = 430;
constexpr unsigned kMsgMissingName = 490;
constexpr unsigned kMsgIncludeRefused = 2128;
// Texts the compiler carries itself (no numbered message says them).
constexpr const char *kTextUnclosedConditional = "#if without #endif at the end of the file";
constexpr unsigned kMsgPragmaOption = 3008;
constexpr size_t kMaxDirectiveMessage = 80;
constexpr size_t kMaxPragmaEcho = 223;
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
  bool dataWaits = false;
  DirectiveServices services;
};

DirectiveState &D() {
  static DirectiveState s;
  return s;
}

bool Active() { return D().depth == 0 || D().states[size_t(D().depth)] == kCondActive; }

bool NameIsDefined(const std::string &name) {
  if (IsMacroDefined(name))
    return true;
  auto &bios = D().services.biosSymbol;
  if (!bios)
    return false;
  if (bios(name))
    return true;
  std::string prefixed = kBiosPrefix + name.substr(0, kPrefixedNameMax);
  return bios(prefixed) != 0;
}

// The constant after a directive, through the expression compiler when one
// is wired in; without it a plain integer constant is read.
int32_t ReadDirectiveConstant() {
  ExpandMacros();
  SingleLineMode = 1;
  int32_t value = 0;
  if (D().services.constantExpression) {
    value = D().services.constantExpression();
  } else {
    value = ReadConstantValue(ConstantSeverity::kError);
  }
  SingleLineMode = 0;
  return value;
}

bool EvaluateCondition() { return (ReadDirectiveConstant() & 0xFFFF) != 0; }

void PushConditionAt(uint8_t state, uint16_t line, uint16_t column) {
  DirectiveState &d = D();
  if (d.refused || d.depth + 1 > kMaxConditionDepth) {
    if (!d.refused)
      CompileError(kMsgNestingTooDeep);
    ++d.refused;
    return;
  }
  ++d.depth;
  bool outerActive = d.depth == 1 || d.states[size_t(d.depth - 1)] == kCondActive;
  d.states[size_t(d.depth)] = outerActive ? state : uint8_t(kCondDone);
  d.groups[size_t(d.depth)] = {line, column};
}

void SkipToLineEnd() { InputCursor += std::strlen(InputCursor); }

void ReportDirectiveMessage(int kind) {
  SkipSpaces();
  std::string text;
  if (*InputCursor == '"')
    ++InputCursor;
  while (*InputCursor && *InputCursor != '"' && text.size() < kMaxDirectiveMessage)
    text.push_back(*InputCursor++);
  SkipToLineEnd();
  switch (kind) {
  case 0:
    RaiseError(0, CurrentSourceLine(), CurrentSourceColumn(), text);
    break;
  case 1:
  case 2:
    RaiseWarning(0, kind == 1 ? 1 : 0, text);
    break;
  default:
    RaiseFatal(0, CurrentSourceLine(), CurrentSourceColumn(), text);
  }
}

void PragmaDirective() {
  ExpandMacros();
  for (;;) {
    SkipSpaces();
    if (!*InputCursor)
      return;
    if (MatchWordAtInput("Zilog180") || MatchWordAtInput("Corvid")) {
      bool z180 = InputCursor[-1] == '0';
      SetTargetCpuMacro(z180 ? TargetCpuName::kZ180 : TargetCpuName::kCRV);
      if (D().services.selectTargetCpu)
        D().services.selectTargetCpu(z180 ? "Zilog180" : "Corvid");
      continue;
    }
    if (MatchWordAtInput("DATAWAITSUSED")) {
      SkipSpaces();
      if (MatchWordAtInput("on"))
        D().dataWaits = true;
      else if (MatchWordAtInput("off"))
        D().dataWaits = false;
      else
        CompileWarningTrivial(kMsgPragmaOption);
      continue;
    }
    if (MatchWordAtInput("CompileBIOS") || MatchWordAtInput("CompileProgram")) {
      if (D().services.otherDirective)
        D().services.otherDirective(std::string("#pragma ") + (InputCursor[-1] == 'S' ? "CompileBIOS" : "CompileProgram"));
      continue;
    }
    std::string rest(InputCursor, std::min(std::strlen(InputCursor), kMaxPragmaEcho));
    RaiseWarning(0, 0, plat::FormatText("unrecognized token '%s' ignored", rest));
    SkipToLineEnd();
    return;
  }
}

void UseDirective() {
  ExpandMacros();
  SkipSpaces();
  if (*InputCursor == '"')
    ++InputCursor;
  std::string name;
  while (*InputCursor && *InputCursor != '"' && name.size() < 260)
    name.push_back(*InputCursor++);
  while (!name.empty() && IsBlankChar(name.back()))
    name.pop_back();
  SkipToLineEnd();
  PushLibraryHeaders(name);
}

int32_t DirectiveNumber() {
  int32_t value = ReadDirectiveConstant();
  SkipToLineEnd();
  return value;
}

void KillDirective() {
  for (;;) {
    SkipSpaces();
    std::string name;
    while (*InputCursor && *InputCursor != ',' && !IsBlankChar(*InputCursor))
      name.push_back(*InputCursor++);
    if (!name.empty() && name.size() < kMaxKillName && D().services.killBiosSymbol)
      D().services.killBiosSymbol(name);
    SkipSpaces();
    if (*InputCursor != ',')
      break;
    ++InputCursor;
  }
  SkipToLineEnd();
}

// Carries out the directive at the cursor; false when it is not one of ours.
bool DoDirective(bool &returnAfter) {
  returnAfter = false;
  uint32_t &defaults = Attributes().directiveDefaults;
  if (MatchWordAtInput("#undef")) {
    SkipSpaces();
    std::string name;
    if (!ReadIdentifier(name))
      CompileError(kMsgMissingName);
    else
      UndefineMacro(name);
    returnAfter = true;
    return true;
  }
  if (MatchWordAtInput("#pragma"))
    PragmaDirective();
  else if (MatchWordAtInput("#include"))
    CompileError(kMsgIncludeRefused);
  else if (MatchWordAtInput("#use"))
    UseDirective();
  else if (MatchWordAtInput("#define"))
    DefineDirective();
  else if (MatchWordAtInput("#error"))
    ReportDirectiveMessage(0);
  else if (MatchWordAtInput("#warns"))
    ReportDirectiveMessage(1);
  else if (MatchWordAtInput("#warnt"))
    ReportDirectiveMessage(2);
  else if (MatchWordAtInput("#fatal"))
    ReportDirectiveMessage(3);
  else if (MatchWordAtInput("#useix"))
    defaults |= kAttrUseIx;
  else if (MatchWordAtInput("#nouseix"))
    defaults &= ~kAttrUseIx;
  else if (MatchWordAtInput("#linenum"))
    SetLineNumberOfNextLine(uint16_t(DirectiveNumber()));
  else if (MatchWordAtInput("#functnum")) {
    int32_t value = DirectiveNumber();
    if (D().services.setFunctionCounter)
      D().services.setFunctionCounter(value - 1);
  } else if (MatchWordAtInput("#KILLALL")) {
    if (D().services.enableBiosSymbols)
      D().services.enableBiosSymbols(false);
  } else if (MatchWordAtInput("#NOKILLALL")) {
    if (D().services.enableBiosSymbols)
      D().services.enableBiosSymbols(true);
  } else if (MatchWordAtInput("#KILL"))
    KillDirective();
  else if (MatchWordAtInput("#debug"))
    SetDebugAttributes(defaults, true);
  else if (MatchWordAtInput("#nodebug"))
    SetDebugAttributes(defaults, false);
  else if (MatchWordAtInput("#step"))
    defaults |= kAttrStep;
  else if (MatchWordAtInput("#nostep"))
    defaults &= ~kAttrStep;
  else if (MatchWordAtInput("#memmap")) {
    ExpandMacros();
    MemmapDirective([] { return ReadConstantValue(ConstantSeverity::kError); });
  } else if (MatchWordAtInput("#class")) {
    ExpandMacros();
    ClassDirective();
  } else {
    const char *start = InputCursor;
    const char *end = start + 1;
    while (IsIdentChar(*end))
      ++end;
    std::string word(start, end);
    if (!D().services.otherDirective || word.size() < 2)
      return false;
    InputCursor = const_cast<char *>(end);
    if (!D().services.otherDirective(word)) {
      InputCursor = const_cast<char *>(start);
      return false;
    }
  }
  return true;
}

} // namespace

void SetDirectiveServices(DirectiveServices services) { D().services = std::move(services); }
int ConditionDepth() { return D().depth; }
bool DataWaitsUsed() { return D().dataWaits; }

void PushCondition(uint8_t state) { PushConditionAt(state, CurrentSourceLine(), CurrentSourceColumn()); }

void ProcessConditionalDirective() {
  DirectiveState &d = D();
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
    bool returnAfter = false;
    if (!DoDirective(returnAfter)) {
      InputCursor = LineBase;
      ExpandMacros();
      return;
    }
    if (returnAfter)
      return;
    ReadNextLineAndRewind();
    if (EndOfInput && !*LineBase)
      return;
  }
}

void InstallConditionalFileHooks() {
  SourceFileHooks hooks;
  hooks.onBegin = [](const std::string &) { D().fileStartDepths.push_back(D().depth); };
  hooks.onEnd = [](const std::string &) {
    DirectiveState &d = D();
    int start = 0;
    if (!d.fileStartDepths.empty()) {
      start = d.fileStartDepths.back();
      d.fileStartDepths.pop_back();
    }
    if (d.depth > start) {
      const OpenGroup &g = d.groups[size_t(start + 1)];
      RaiseError(0, g.line, g.column, kTextUnclosedConditional);
      d.depth = start;
    }
    d.refused = 0;
  };
  SetSourceFileHooks(std::move(hooks));
}

void ResetDirectivesModule() {
  DirectiveServices services = std::move(D().services);
  D() = DirectiveState();
  D().services = std::move(services);
}

} // namespace tsw
