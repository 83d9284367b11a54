#include "compcore/cc_parse/stmt/asm_frame.h"

#include "compcore/cc_gen/asm/asm_eval.h"
#include "compcore/cc_gen/asm/asm_lexer.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/value_record.h"
#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_in/cc_brackets.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_parse/stmt/stmt_state.h"
#include "compcore/cc_stab/cc_stab.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace tsw {
namespace {

constexpr std::string_view kSizeofWord = "sizeof";

// Whether a C operand can start at `position`: a name or a parenthesis
// that holds something. The expression compiler is not asked about an
// empty one, which it would take as the end of the whole input.
bool OperandFollows(std::string_view line, size_t position) {
  auto skipBlanks = [&line](size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
      ++at;
    return at;
  };
  position = skipBlanks(position);
  if (position >= line.size())
    return false;
  if (line[position] != '(')
    return std::isalpha(static_cast<unsigned char>(line[position])) || line[position] == '_';
  position = skipBlanks(position + 1);
  return position < line.size() && line[position] != ')';
}

// Offsets from IX are the frame's own; from SP they start below the locals.
int32_t FrameBaseOffset() {
  const FunctionStatementState &f = StatementState();
  return f.ixFrame ? 0 : f.localsSize;
}

class FunctionFrameValues : public assembler::AsmFrameValues {
public:
  int32_t StackOffset() override {
    const FunctionStatementState &f = StatementState();
    if (!f.inBody)
      return 0;
    const EmissionState &e = Emission();
    const int32_t pushed = std::abs(int32_t(e.stackOffset)) + std::abs(int32_t(e.ipStackOffset));
    return (f.ixFrame ? f.localsSize : 0) + pushed;
  }
  int32_t ReturnValueOffset() override {
    const FunctionStatementState &f = StatementState();
    return f.inBody ? FrameBaseOffset() + f.frameOverhead + f.parametersSize : 0;
  }
  int32_t FrameLength() override {
    const FunctionStatementState &f = StatementState();
    return f.inBody ? f.localsSize : 0;
  }
  int32_t AutoOffset(const SymbolRecord &symbol) override {
    return int16_t(symbol.definition) + (StatementState().inBody ? FrameBaseOffset() : 0);
  }
};

// The operand is read by the expression compiler from the input line the
// assembler is reading, and the input put back where the block left it:
// the assembler goes on from the position past the operand. Its brackets
// are the assembly line's, which the bracket checker never sees. An error
// the expression compiler reports makes it bad input as well: the line is
// not assembled with a size nobody knows.
std::optional<int32_t> ReadSizeofOperand(std::string_view line, size_t &position) {
  const size_t lineStart = CursorIndex();
  if (position < lineStart + kSizeofWord.size() || CurrentLogicalLine().text != line ||
      !OperandFollows(line, position))
    return std::nullopt;
  struct Restore {
    InputMark mark = MarkInput();
    uint16_t singleLine = SingleLineMode;
    bool bracketsOff = BracketTrackingDisabled();
    ~Restore() {
      BracketTrackingDisabled() = bracketsOff;
      SingleLineMode = singleLine;
      ReturnToInputMark(mark);
    }
  } restore;
  // The operand ends with its line: the next one is assembly again.
  SingleLineMode = 1;
  BracketTrackingDisabled() = true;
  const uint32_t errorsBefore = CompileErrorCount();
  SkipInputChars(position - kSizeofWord.size() - lineStart);
  ValueRecord value;
  GenerateUnaryExpression(value);
  if (value.storage != kStorageConstant || CompileErrorCount() != errorsBefore)
    return std::nullopt;
  position = CursorIndex();
  return int32_t(value.value);
}

FunctionFrameValues &FunctionFrame() {
  static FunctionFrameValues values;
  return values;
}

} // namespace

void InstallAsmCompilerServices() {
  assembler::SetAsmFrameValues(&FunctionFrame());
  assembler::SetAsmSizeofReader(ReadSizeofOperand);
}

} // namespace tsw
