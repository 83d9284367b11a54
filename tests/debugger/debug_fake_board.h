#pragma once

#include "debugger/debugseams.h"
#include "debugger/registerframe.h"
#include "foundation/xerr.h"

#include <fmt/format.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

// A board with a debug kernel, at the engine's link interface: 1 MiB of
// memory, the kernel's variables, and a scripted CPU.
//
// Assumptions of the fake kernel:
// - when the host clears the done flag, the kernel resumes with the frame in
//   its save area; the script then says where the program stops next, or
//   that it keeps running;
// - a stop at X needs a trap (0xDF or 0xE7) at X, or, while the run request
//   is set, the statement hook 0xEF at X (the stop takes the request);
//   otherwise the program runs free;
// - a trap's saved PC is the trap's own address;
// - the "..bp_init" helper stops at once with the step flag's address in HL
//   and the step word's in DE;
// - a stop request stops a running program where it is; the kernel clears
//   the sync flag the host sets.
namespace tsw::testing {

class DebugFakeBoard : public DebugLink {
public:
  // Where the fake kernel keeps things (logical root addresses).
  static constexpr uint16_t kDirectory = 0x2000;
  static constexpr uint16_t kTable = 0x2100;
  static constexpr uint16_t kSaveArea = 0x2200;
  static constexpr uint16_t kStdioBuffer = 0x2300;
  static constexpr uint16_t kPatchAddress = 0x2400;
  static constexpr uint16_t kStepFlag = 0x2500;
  static constexpr uint16_t kStepWord = 0x2502;
  static constexpr uint16_t kBpInit = 0x3F00;
  // Traps are looked for above the kernel's variables.
  static constexpr uint32_t kTrapScanStart = 0x3000;
  static constexpr uint32_t kMemorySize = 1u << 20;

  struct Stop {
    uint16_t pc = 0;
    uint8_t xpc = 0;
    std::function<void(TargetRegisterFrame &)> registers; // optional changes
    std::string stdio;                                    // output waiting at the stop
  };
  // Gives the next stop for the frame resumed with, or nothing to keep running.
  using Script = std::function<std::optional<Stop>(const TargetRegisterFrame &resumed, DebugFakeBoard &board)>;

  // With `shared`, the kernel works on memory that another fake serves.
  explicit DebugFakeBoard(std::vector<uint8_t> *shared = nullptr) : shared_(shared), own_(shared ? 0 : kMemorySize, 0) {
    std::vector<uint8_t> &memory = Memory();
    const char signature[] = "TesselC";
    for (size_t i = 0; i < 7; ++i)
      memory[kDirectory + i] = uint8_t(signature[i]);
    PokeWord(kDirectory + 41, kTable);
    PokeWord(kTable + 0, kStdioBuffer);
    PokeWord(kTable + 2, kSaveArea);
    PokeWord(kTable + 9, 0x2345); // the watch value word
    PokeWord(kDirectory + 31, kPatchAddress);
    memory[kDirectory + 33] = 0x5A;
    memory[kDirectory + 34] = 0xC9;
    memory[DoneFlag()] = 1;
    PokeWord(kKernelDirectoryPointer, kDirectory);
  }

  static constexpr uint16_t Var(uint16_t offset) { return uint16_t(kTable + offset); }
  static constexpr uint16_t DoneFlag() { return Var(5); }
  static constexpr uint16_t StdioFlag() { return Var(4); }
  static constexpr uint16_t InputRequest() { return Var(13); }
  static constexpr uint16_t StdinByte() { return Var(14); }
  static constexpr uint16_t StopRequest() { return Var(15); }
  static constexpr uint16_t SyncFlag() { return Var(16); }
  static constexpr uint16_t PulseVariable() { return Var(17); }
  static constexpr uint16_t SavedFlags() { return uint16_t(kSaveArea + 26); }
  static constexpr uint16_t RunRequest() { return uint16_t(kSaveArea + 28); }

  // ---- the link ------------------------------------------------------------
  bool IsOffline() override { return offline; }
  bool UsesTcp() override { return tcp; }
  bool AssumeCorvid() override { return assumeCorvid; }

  void ReadTargetMemory(uint16_t count, ADDR24 address, uint8_t *out) override {
    std::vector<uint8_t> &memory = Memory();
    Transfer();
    ++reads;
    readLog.push_back({Addr24ToPhysical(address), count});
    for (uint16_t i = 0; i < count; ++i)
      out[i] = memory[Physical(address, i)];
  }
  void WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    std::vector<uint8_t> &memory = Memory();
    Transfer();
    uint32_t at = Addr24ToPhysical(address);
    writes.push_back({at, std::vector<uint8_t>(bytes, bytes + count)});
    for (uint16_t i = 0; i < count; ++i)
      memory[Physical(address, i)] = bytes[i];
    KernelSeesWrite(at, count);
  }
  bool IsSerialPortOpen() override { return portOpen; }
  void CloseSerialPort() override {
    log.push_back("close");
    portOpen = false;
  }
  void OpenSerialPort() override {
    log.push_back("open");
    portOpen = true;
  }
  uint8_t QueryTargetStatus(uint8_t mask) override {
    std::vector<uint8_t> &memory = Memory();
    Transfer();
    uint8_t status = 0;
    if (!statusQueue.empty()) {
      status = statusQueue.front();
      statusQueue.pop_front();
    } else {
      status = uint8_t((memory[StdioFlag()] ? 0x01 : 0) | (memory[DoneFlag()] ? 0x02 : 0) |
                       (memory[InputRequest()] ? 0x08 : 0));
    }
    return status & mask;
  }

  KernelVariables QueryKernelVariablesTcp() override {
    log.push_back("kernel variables");
    return tcpVariables;
  }
  RegisterFrame RunTargetTcp(uint8_t flag, uint16_t codeStart) override {
    log.push_back(fmt::format("run {} {:04x}", flag, codeStart));
    return tcpReplyFrame;
  }
  RegisterFrame StepInstructionTcp(uint8_t stepOver) override {
    log.push_back(fmt::format("instruction step {}", stepOver));
    return tcpReplyFrame;
  }
  void StepStatementTcp(uint8_t stepOver) override { log.push_back(fmt::format("statement step {}", stepOver)); }
  void StopTargetTcp() override { log.push_back("stop"); }
  uint8_t SetBreakpointTcp(ADDR24 address, uint8_t opcode) override {
    std::vector<uint8_t> &memory = Memory();
    Transfer();
    uint32_t at = Addr24ToLong(address);
    log.push_back(
        fmt::format("set {:02x} {:02x} {:02x} {:02x}", uint8_t(at >> 16), uint8_t(at), uint8_t(at >> 8), opcode));
    uint8_t replaced = memory[Addr24ToPhysical(address)];
    memory[Addr24ToPhysical(address)] = opcode;
    return replaced;
  }
  void ClearBreakpointTcp(ADDR24 address, uint8_t savedByte) override {
    std::vector<uint8_t> &memory = Memory();
    Transfer();
    log.push_back(fmt::format("clear {:02x}", savedByte));
    memory[Addr24ToPhysical(address)] = savedByte;
  }
  void SendKeyToTargetTcp(uint8_t key) override { log.push_back(fmt::format("key 26 {:02x}", key)); }
  uint8_t PollTargetTcp(uint8_t mask) override {
    ++tcpPolls;
    if (events.empty())
      return 0;
    lastEvent = events.front();
    events.pop_front();
    return lastEvent.flags & mask;
  }
  const TargetEvent &LastEvent() override { return lastEvent; }
  void ReadWatchValuesTcp() override { log.push_back("read watches"); }

  // ---- helpers for tests ---------------------------------------------------
  void Poke(uint32_t physical, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> &memory = Memory();
    for (uint8_t b : bytes)
      memory[physical++] = b;
  }
  void PokeWord(uint32_t physical, uint16_t value) { Poke(physical, {uint8_t(value), uint8_t(value >> 8)}); }
  uint16_t Word(uint32_t physical) const { return uint16_t(Memory()[physical] | Memory()[physical + 1] << 8); }
  TargetRegisterFrame SavedFrame() const { return DecodeRegisterFrame(&Memory()[kSaveArea]); }
  void SetSavedFrame(const TargetRegisterFrame &frame) { EncodeRegisterFrame(frame, &Memory()[kSaveArea]); }
  bool Running() const { return Memory()[DoneFlag()] == 0; }
  // The kernel's stdio block, waiting for the host.
  void QueueStdio(const std::string &text, uint16_t count) {
    std::vector<uint8_t> &memory = Memory();
    PokeWord(kStdioBuffer, count);
    for (size_t i = 0; i < text.size(); ++i)
      memory[kStdioBuffer + 4 + i] = uint8_t(text[i]);
    memory[StdioFlag()] = 1;
  }

  std::vector<uint8_t> &Memory() { return shared_ ? *shared_ : own_; }
  const std::vector<uint8_t> &Memory() const { return shared_ ? *shared_ : own_; }

  bool offline = false, tcp = false, assumeCorvid = false, portOpen = false;
  bool ignoresStop = false, ignoresSync = false;
  Script script;
  // The traps standing in the code at each resume (physical addresses).
  std::vector<std::set<uint32_t>> trapsAtResume;
  std::vector<TargetRegisterFrame> resumedFrames;
  struct Write {
    uint32_t physical;
    std::vector<uint8_t> bytes;
  };
  std::vector<Write> writes;
  struct Read {
    uint32_t physical;
    uint16_t count;
  };
  std::vector<Read> readLog;
  int reads = 0;
  // The transfer that fails with a line error, counted from 1; 0 for none.
  int failTransfer = 0;
  int transfers = 0;
  std::deque<uint8_t> statusQueue;
  std::vector<std::string> log;
  KernelVariables tcpVariables;
  RegisterFrame tcpReplyFrame;
  std::deque<TargetEvent> events;
  TargetEvent lastEvent;
  int tcpPolls = 0;

  // What the kernel does when the host has written to its memory.
  void KernelSeesWrite(uint32_t at, uint16_t count) {
    std::vector<uint8_t> &memory = Memory();
    auto touches = [&](uint16_t variable) { return at <= variable && variable < at + count; };
    if (touches(SyncFlag()) && memory[SyncFlag()] == 1 && !ignoresSync)
      memory[SyncFlag()] = 0;
    if (touches(StopRequest()) && memory[StopRequest()] == 1 && !ignoresStop) {
      memory[StopRequest()] = 0;
      memory[DoneFlag()] = 1;
    }
    if (touches(DoneFlag()) && memory[DoneFlag()] == 0)
      Resume();
  }

private:
  std::vector<uint8_t> *shared_;
  std::vector<uint8_t> own_;

  static uint32_t Physical(ADDR24 address, uint16_t i) { return Addr24ToPhysical(Addr24Add(address, i)); }

  void Transfer() {
    ++transfers;
    if (failTransfer && transfers == failTransfer)
      throw xTCComm(5072, "fake board", __LINE__);
  }

  static bool IsTrap(uint8_t b) { return b == 0xDF || b == 0xE7; }

  void Resume() {
    std::vector<uint8_t> &memory = Memory();
    TargetRegisterFrame frame = SavedFrame();
    resumedFrames.push_back(frame);
    std::set<uint32_t> traps;
    for (uint32_t a = kTrapScanStart; a < memory.size(); ++a)
      if (IsTrap(memory[a]))
        traps.insert(a);
    trapsAtResume.push_back(traps);
    if (frame.pc == kBpInit) {
      frame.hl = kStepFlag;
      frame.de = kStepWord;
      SetSavedFrame(frame);
      memory[DoneFlag()] = 1;
      return;
    }
    std::optional<Stop> stop = script ? script(frame, *this) : std::nullopt;
    if (!stop)
      return;
    uint32_t where = Addr24ToPhysical(MakeAddr24(stop->xpc, stop->pc));
    bool byHook = memory[RunRequest()] && memory[where] == 0xEF;
    if (!IsTrap(memory[where]) && !byHook)
      return; // no trap there: the program runs free
    if (byHook)
      memory[RunRequest()] = 0;
    frame.pc = stop->pc;
    frame.xpc = stop->xpc;
    if (stop->registers)
      stop->registers(frame);
    SetSavedFrame(frame);
    if (!stop->stdio.empty())
      QueueStdio(stop->stdio, uint16_t(stop->stdio.size()));
    memory[DoneFlag()] = 1;
  }
};

} // namespace tsw::testing
