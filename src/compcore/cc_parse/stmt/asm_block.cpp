#include "compcore/cc_parse/stmt/asm_block.h"

#include "compcore/cc_gen/asm/asm_block.h"
#include "compcore/cc_gen/asm/asm_statement.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/register_cache.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/stmt/statement.h"
#include "foundation/msgnumbers.h"
#include "foundation/xerr.h"

#include <deque>
#include <string>
#include <string_view>

namespace tsw {
namespace {

constexpr const char *kModule = "compcore\\cc_parse";

// The assembly may change any register and flag: nothing the expression
// compiler remembers of them holds across it.
void ForgetRegisterKnowledge() {
  FlushPrimaryRegister();
  Emission().flagsValid = false;
  Emission().valueIsCondition = false;
}

// The options on the line of "#asm" or "asm". The "asm" form takes the
// first other word as its first statement; "#asm" refuses it.
bool ReadAsmOptions(bool oneLine) {
  bool hooks = (Attributes().current & kAttrDebug) && !WatchFunctionFlag();
  for (;;) {
    const InputMark before = MarkInput();
    if (!SkipSpaces())
      break;
    if (MatchWordAtInput("nodebug")) {
      hooks = false;
      continue;
    }
    if (MatchWordAtInput("xmemok"))
      continue;
    if (oneLine) {
      ReturnToInputMark(before);
      break;
    }
    std::string word;
    if (!ReadIdentifier(word))
      word.assign(1, NextInputChar());
    CompileError<kMsgAsmWord>(word);
  }
  return hooks;
}

uint16_t CompileAssembly(bool oneLine) {
  if (!oneLine)
    CheckBracketNesting(kAsmOpen, CurrentSourceLine(), CurrentSourceColumn());
  const bool hooks = ReadAsmOptions(oneLine);
  ForgetRegisterKnowledge();
  assembler::CompileAsmBlock(hooks, oneLine);
  ForgetRegisterKnowledge();
  return kStatementPlain;
}

class CLineHost : public assembler::AsmHost {
public:
  assembler::AsmHost *next = nullptr;
  void CompileCStatement(std::string_view text) override;
  void EnterMapFunction(std::string_view name) override { next->EnterMapFunction(name); }
  void NoteMapCall(std::string_view callee) override { next->NoteMapCall(callee); }
};

CLineHost &CLines() {
  static CLineHost host;
  return host;
}

// `text` is the line's rest after its "c": the statement stays on the line,
// whose characters keep their source positions for the diagnostics and the
// statement marks.
void CLineHost::CompileCStatement(std::string_view text) {
  const std::string &line = CurrentLogicalLine().text;
  if (text.size() > line.size() || line.compare(line.size() - text.size(), text.size(), text) != 0)
    throw xInternal(kModule, __LINE__);
  size_t position = line.size() - text.size();
  // The "c" itself, just before its rest, becomes the opening brace.
  if (position > 0)
    --position;
  // Whatever the statement leaves open on its line closes with the line.
  std::deque<MatchBlockInfo> openBefore = CopyOpenBrackets();
  WrapLineAsCompoundStatement(position);
  struct OneLine {
    uint16_t outer = SingleLineMode;
    ~OneLine() { SingleLineMode = outer; }
  } oneLine;
  SingleLineMode = 1;
  ForgetRegisterKnowledge();
  NextInputChar();
  // Statements up to the brace the line gained; one that stops short
  // (its error reported) ends the line's compile rather than repeating.
  for (;;) {
    SkipSpaces();
    if (!*InputCursor || *InputCursor == '}')
      break;
    const char *before = InputCursor;
    CompileStatement();
    if (InputCursor == before)
      break;
  }
  if (*InputCursor == '}')
    NextInputChar();
  RestoreOpenBrackets(std::move(openBefore));
  ForgetRegisterKnowledge();
}

} // namespace

void WrapLineAsCompoundStatement(size_t position) {
  LogicalLineBuffer line = CurrentLogicalLine();
  if (line.text.size() + 1 >= kMaxLineBytes)
    CompileErrorHere<kMsgLineTooLong>();
  if (position >= line.text.size())
    position = line.text.empty() ? 0 : line.text.size() - 1;
  if (line.text.empty()) {
    line.text.push_back('{');
    line.lines.push_back(CurrentSourceLine());
    line.columns.push_back(CurrentSourceColumn());
  } else {
    line.text[position] = '{';
  }
  line.text.push_back('}');
  line.lines.push_back(line.lines.back());
  line.columns.push_back(line.columns.back());
  InstallLogicalLine(std::move(line), position);
}

void InstallAsmCLines() {
  CLineHost &host = CLines();
  if (&assembler::CurrentAsmHost() == &host)
    return;
  host.next = &assembler::CurrentAsmHost();
  assembler::SetAsmHost(&host);
}

uint16_t CompileAsmBlockStatement() { return CompileAssembly(false); }
uint16_t CompileAsmLineStatement() { return CompileAssembly(true); }

uint16_t CompileStrayEndasm() {
  CheckBracketNesting(kAsmClose, CurrentSourceLine(), CurrentSourceColumn());
  SkipToLineEnd();
  return kStatementPlain;
}

} // namespace tsw
