#pragma once

#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/target_modes.h"
#include "debugger/disasm.h"
#include "debugger/insnenv.h"
#include "debugger/stepper.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Decodes what a code-generator test emitted with the debugger's own decoder,
// so that a byte the tables do not describe, an instruction cut short or the
// other processor's form shows up as a failure with the whole listing.
namespace tsw::testing {

// Bytes that are data, not instructions (a case table behind a call).
struct DataSpan {
  size_t offset = 0;
  size_t length = 0;
};

class DecodeEnvironment : public InsnEnvironment {
public:
  explicit DecodeEnvironment(TargetCpu cpu) : cpu_(cpu) {
    SetInsnEnvironment(this);
    SelectDisassemblerTables();
    // The decoder takes instruction lengths from the stepper's tables.
    SelectStepperTables();
  }
  ~DecodeEnvironment() override { SetInsnEnvironment(nullptr); }
  TargetCpu Cpu() override { return cpu_; }

private:
  TargetCpu cpu_;
};

// The debugger as the IDE installs it beside the compiler: its processor is
// the one being compiled for.
class CompiledProcessorEnvironment : public InsnEnvironment {
public:
  CompiledProcessorEnvironment() { SetInsnEnvironment(this); }
  ~CompiledProcessorEnvironment() override { SetInsnEnvironment(nullptr); }
  CompiledProcessorEnvironment(const CompiledProcessorEnvironment &) = delete;
  CompiledProcessorEnvironment &operator=(const CompiledProcessorEnvironment &) = delete;
  TargetCpu Cpu() override { return CurrentCpu(); }
};

// The debugger's answer for code the compiler has just emitted.
// One line per instruction ("ld    hl,1234"), "db XX" per data byte.
inline std::vector<std::string> DecodeAll(TargetCpu cpu, const std::vector<uint8_t> &bytes,
                                          uint16_t start = 0x1000,
                                          const std::vector<DataSpan> &data = {}) {
  DecodeEnvironment environment(cpu);
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    bool inData = false;
    for (const DataSpan &span : data)
      inData |= at >= span.offset && at < span.offset + span.length;
    if (inData) {
      lines.push_back(fmt::format("db {:02X}", bytes[at]));
      ++at;
      continue;
    }
    uint16_t length = 0;
    std::string text;
    DisassembleOne(MakeAddr24(0, uint16_t(start + at)), bytes.data() + at, bytes.size() - at, &length,
                   &text);
    while (!text.empty() && text.back() == ' ')
      text.pop_back();
    lines.push_back(text);
    at += length ? length : 1;
  }
  return lines;
}

inline std::string HexBytes(const std::vector<uint8_t> &bytes) {
  std::string s;
  for (uint8_t b : bytes)
    s += fmt::format("{:02X} ", b);
  if (!s.empty())
    s.pop_back();
  return s;
}

// Passes when every instruction decodes ("???" or a cut instruction fails)
// and the listing is exactly `expected`.
inline ::testing::AssertionResult DecodesAs(TargetCpu cpu, const std::vector<uint8_t> &bytes,
                                            const std::vector<std::string> &expected,
                                            const std::vector<DataSpan> &data = {},
                                            uint16_t start = 0x1000) {
  const std::vector<std::string> lines = DecodeAll(cpu, bytes, start, data);
  std::string listing;
  bool clean = true;
  for (const std::string &line : lines) {
    listing += "\n  " + line;
    clean &= line.rfind("???", 0) != 0;
  }
  if (clean && lines == expected)
    return ::testing::AssertionSuccess();
  std::string want;
  for (const std::string &line : expected)
    want += "\n  " + line;
  return ::testing::AssertionFailure() << "bytes " << HexBytes(bytes) << (clean ? "" : " hold an undecodable instruction")
                                       << "\ndecoded:" << listing << "\nexpected:" << want;
}

} // namespace tsw::testing
