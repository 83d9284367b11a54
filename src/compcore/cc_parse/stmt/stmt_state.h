#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// What the statement compilers know of the function being compiled: one
// object, reset per function and part of the statement snapshot, so that a
// statement compiled again after a segment overflow starts from the state it
// first saw.
namespace tsw {

struct SymbolRecord;

struct FunctionStatementState {
  std::string name;
  // Where the function's name stands: the map's source reference, which the
  // body's "{" may be lines below.
  uint16_t headerLine = 0;
  SymbolRecord *symbol = nullptr;
  uint8_t returnType = 0;
  uint32_t returnDeclarator = 0;
  // Anything but void: the value stays in HL through the epilog.
  bool returnsValue = false;
  // The parameter list ends in "...".
  bool variableArguments = false;
  // The frame: the locals, the parameters and the bytes between the frame
  // base and the first parameter.
  uint16_t localsSize = 0;
  uint16_t parametersSize = 0;
  uint16_t frameOverhead = 0;
  bool ixFrame = false;
  // From the body's "{" to its end; the first return then carries the
  // epilog and later ones jump to it.
  bool inBody = false;
  bool hasEpilog = false;
  ADDR24 epilogAddress{};
  ADDR24 prologAddress{};
  uint16_t blockDepth = 0;
  // The last statement mark: where it stood in the source and the code
  // address behind it, and where its hook is.
  uint16_t markLine = 0;
  uint16_t markColumn = 0;
  ADDR24 addressAfterMark{};
  ADDR24 hookAddress{};
  bool hasMark = false;
  bool marksSuppressed = false;
  // The words slices pushed for their routines: they stay on the stack to
  // the function's end.
  uint16_t sliceStackBytes = 0;
  // The slice words on the stack where each placed label stands, and at
  // each goto that came before its label: a jump between two depths would
  // leave the words behind or pop words that were never pushed.
  std::map<std::string, uint16_t> labelSliceBytes;
  std::vector<std::pair<std::string, uint16_t>> forwardGotoSliceBytes;
};
FunctionStatementState &StatementState();

// The code address of the current code cache.
ADDR24 CurrentCodeAddress();

// Fresh state for a new function, keeping nothing of the last one.
void ResetStatementState();
// Makes the state a participant of the statement snapshot; once per reset
// of the code-state module.
void RegisterStatementState();

} // namespace tsw
