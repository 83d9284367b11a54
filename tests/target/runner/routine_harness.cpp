#include "runner/routine_harness.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string_view>

#include "runner/process.h"
#include "runner/simulator.h"

namespace tsw::target {
namespace {

constexpr std::chrono::seconds kToolTimeLimit{30};
constexpr std::string_view kOutputName = "OUT";

uint16_t Word(const std::vector<uint8_t> &block, size_t at) { return uint16_t(block[at] | block[at + 1] << 8); }

// The layout of a call's output block.
enum : size_t {
  kHlAt = 0,
  kDeAt = 2,
  kBcAt = 4,
  kAfAt = 6,
  kIxAt = 8,
  kIyAt = 10,
  kSpAt = 12,
  kStackAt = 14,
};

} // namespace

std::string RoutineCallCase(const std::string &label, const RoutineCall &call) {
  std::string text = call.before;
  for (uint16_t word : call.stack)
    text += fmt::format("\tld hl,#{:#06x}\n\tpush hl\n", word);
  text += fmt::format("\tld hl,#{:#06x}\n\tpush hl\n\tpop af\n", call.in.af);
  text += fmt::format("\tld ix,#{:#06x}\n\tld iy,#{:#06x}\n", kIxAtCall, kIyAtCall);
  text += fmt::format("\tld bc,#{:#06x}\n\tld de,#{:#06x}\n\tld hl,#{:#06x}\n", call.in.bc, call.in.de, call.in.hl);
  text += fmt::format("\tcall {}\n", label);
  // Stores do not touch the flags; AF goes last, through the stack.
  text += fmt::format("\tld (OUT+{}),hl\n\tld (OUT+{}),de\n\tld (OUT+{}),bc\n", kHlAt, kDeAt, kBcAt);
  text += fmt::format("\tld (OUT+{}),ix\n\tld (OUT+{}),iy\n", kIxAt, kIyAt);
  text += fmt::format("\tld ix,#0\n\tadd ix,sp\n\tld (OUT+{}),ix\n", kSpAt);
  text += fmt::format("\tpush af\n\tpop hl\n\tld (OUT+{}),hl\n", kAfAt);
  for (size_t i = 0; i < kStackWordsRead; ++i)
    text += fmt::format("\tld l,{}(ix)\n\tld h,{}(ix)\n\tld (OUT+{}),hl\n", 2 * i, 2 * i + 1, kStackAt + 2 * i);
  return text + call.after;
}

AsmProgram AssembleProgram(const std::string &source, const std::string &workDir) {
  AsmProgram program;
  std::string base = workDir + "/routines";
  std::ofstream(base + ".s") << source;
  ProcessOutcome assembled = RunProcess({"sdasz80", "-g", "-l", "-o", base + ".rel", base + ".s"}, kToolTimeLimit);
  if (assembled.exitCode != 0) {
    program.log = "sdasz80: " + assembled.output;
    return program;
  }
  ProcessOutcome linked = RunProcess({"sdldz80", "-j", "-i", base + ".ihx", base + ".rel"}, kToolTimeLimit);
  if (linked.exitCode != 0) {
    program.log = "sdldz80: " + linked.output;
    return program;
  }
  std::ifstream symbols(base + ".noi");
  program.symbols = ReadSdccSymbols(std::string(std::istreambuf_iterator<char>(symbols), {}));
  program.hexImage = base + ".ihx";
  program.ok = true;
  return program;
}

AsmRun RunAsmCases(const std::string &libraryAsm, const std::vector<std::string> &cases, const std::string &workDir) {
  std::string source = "\t.hd64\n\t.area _HEADER (ABS)\n\t.org 0\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    source += fmt::format("\tld sp,#{:#06x}\n", kStackAtCase);
    // Each case names its block OUT; the name becomes the block's address.
    std::string text = cases[i];
    std::string address = fmt::format("{:#06x}", kOutputBase + kOutputBlockSize * i);
    for (size_t at = text.find(kOutputName); at != std::string::npos; at = text.find(kOutputName, at))
      text.replace(at, kOutputName.size(), address);
    source += text;
  }
  source += "\thalt\n" + libraryAsm;

  AsmRun run;
  AsmProgram program = AssembleProgram(source, workDir);
  if (!program.ok) {
    run.log = program.log;
    return run;
  }
  SimulatorRequest request;
  request.hexImage = program.hexImage;
  request.dumps.push_back({kOutputBase, uint32_t(kOutputBlockSize * cases.size())});
  SimulatorRun simulated = RunOnSimulator(request);
  if (simulated.stop != SimStop::Halted) {
    run.log = std::string(SimStopName(simulated.stop)) + "\n" + simulated.log;
    return run;
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    auto block = simulated.Read(kOutputBase + kOutputBlockSize * uint32_t(i), kOutputBlockSize);
    if (!block) {
      run.log = "output of case " + std::to_string(i) + " not dumped";
      return run;
    }
    run.blocks.push_back(*block);
  }
  run.ok = true;
  return run;
}

RoutineRun RunRoutineCalls(const std::string &libraryAsm, const std::string &label,
                           const std::vector<RoutineCall> &calls, const std::string &workDir) {
  std::vector<std::string> cases;
  for (const RoutineCall &call : calls)
    cases.push_back(RoutineCallCase(label, call));
  AsmRun asmRun = RunAsmCases(libraryAsm, cases, workDir);
  RoutineRun run;
  run.ok = asmRun.ok;
  run.log = asmRun.log;
  for (size_t i = 0; i < asmRun.blocks.size(); ++i) {
    const std::vector<uint8_t> &block = asmRun.blocks[i];
    RoutineOutcome outcome;
    outcome.out = {Word(block, kAfAt), Word(block, kBcAt), Word(block, kDeAt), Word(block, kHlAt)};
    outcome.ix = Word(block, kIxAt);
    outcome.iy = Word(block, kIyAt);
    // SP just before the call: the fresh stack less the pushed words.
    uint16_t spBefore = uint16_t(kStackAtCase - 2 * calls[i].stack.size());
    outcome.spChange = int16_t(uint16_t(Word(block, kSpAt) - spBefore));
    for (size_t w = 0; w < kStackWordsRead; ++w)
      outcome.stackTop[w] = Word(block, kStackAt + 2 * w);
    std::copy_n(block.begin() + kExtraAt, kExtraBytes, outcome.extra);
    run.outcomes.push_back(outcome);
  }
  return run;
}

} // namespace tsw::target
