#pragma once

#include "compcore/cc_fioz8/cache_objects.h"
#include "compcore/cc_gen/addr_directory.h"
#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/code_state.h"
#include "compcore/cc_gen/codegen_hooks.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_gen/output_target.h"
#include "compcore/cc_go/cc_byte_road.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/brk_table.h"
#include "compcore/cc_rom/rom_listing.h"
#include "compcore/recording_sink.h"
#include "foundation/xerr.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace tsw::testing {

struct Run {
  ADDR24 address;
  std::vector<uint8_t> bytes;
};

// Catches every run the caches write out, and keeps the product's writer
// behind it so the shadow still fills.
class RecordingWriter : public RunWriter {
public:
  void WriteRun(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    runs.push_back({address, std::vector<uint8_t>(bytes, bytes + count)});
    WriteRomListingRecord(count, address, bytes);
  }
  bool ReadBack(ADDR24 address, uint16_t count, uint8_t *out) override { return ReadEmittedBytes(address, count, out); }
  std::vector<Run> runs;
};

// A board in memory that counts what is read from it.
class RecordingOutputTarget : public OutputTarget {
public:
  bool ReadTargetMemory(uint32_t count, ADDR24 address, uint8_t *buffer) override {
    ++reads;
    uint32_t at = Addr24ToPhysical(address);
    for (uint32_t i = 0; i < count; ++i)
      buffer[i] = memory[(at + i) & kPhysicalMask];
    readAddresses.push_back(at);
    return true;
  }
  void WriteTargetMemory(uint32_t count, ADDR24 address, const uint8_t *bytes) override {
    uint32_t at = Addr24ToPhysical(address);
    for (uint32_t i = 0; i < count; ++i)
      memory[(at + i) & kPhysicalMask] = bytes[i];
    writes.push_back({address, std::vector<uint8_t>(bytes, bytes + count)});
  }
  void WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *bytes) override {
    blocks.push_back({address, std::vector<uint8_t>(bytes, bytes + count)});
  }
  void WriteProgramBytesTcp(uint16_t count, ADDR24 address, const uint8_t *bytes) override {
    tcp.push_back({address, std::vector<uint8_t>(bytes, bytes + count)});
  }
  bool FullDuplex() override { return fullDuplex; }
  bool UseTcp() override { return useTcp; }
  void PulseKernelFlag(uint16_t which) override { pulses.push_back(which); }
  void SynchronizeDebugKernel() override { ++synchronized; }

  std::vector<uint8_t> memory = std::vector<uint8_t>(kPhysicalMask + 1, 0);
  std::vector<Run> writes, blocks, tcp;
  std::vector<uint32_t> readAddresses;
  std::vector<uint16_t> pulses;
  int reads = 0;
  int synchronized = 0;
  bool fullDuplex = true;
  bool useTcp = false;
};

class ByteRoadTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetCompiler();
    // Statements read from a table of lines can always be read again.
    BeginLineTableSource({"statement;", "statement;"});
    SetDiagnosticSink(&sink);
    ExtWindowStart = kDefaultExtWindowStart;
    SourceLanguageMode = kLangC;
    ResetByteRoadForCompile(true);
    SetRunWriter(&writer);
    dir = std::filesystem::temp_directory_path() / ("tsw_byte_road_" + std::to_string(::getpid()) + "_" +
                                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    ResetCompiler();
    ExtWindowStart = kDefaultExtWindowStart;
    SegmentBase = kDefaultSegmentBase;
    std::filesystem::remove_all(dir);
  }

  // A fatal report ends the compile: later ones are dropped until the next.
  void NextCompile() {
    ResetSourceInputModule();
    SourceLanguageMode = kLangC;
    sink.records.clear();
  }
  // Makes `text` the current directive line, cursor at its start.
  static void Line(const std::string &text) {
    InstallLogicalLine({text, std::vector<uint16_t>(text.size() + 1, 1), std::vector<uint16_t>(text.size() + 1, 1)}, 0);
  }
  // Defines an origin through the real parser.
  OriginDirective *Origin(const std::string &text, EmitCache *cache, int32_t kind = 1) {
    Line(text);
    ParseOriginDirective(kind, cache);
    int index = FindOrigin(text.substr(0, text.find(' ')));
    return index < 0 ? nullptr : OriginTable()[size_t(index)].get();
  }
  static void Emit(EmitCache &cache, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
      cache.EmitByte(b);
  }
  static void EmitCount(EmitCache &cache, int n, uint8_t value = 0) {
    for (int i = 0; i < n; ++i)
      cache.EmitByte(value);
  }
  static std::string ReadText(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Program() const { return (dir / "prog.c").string(); }

  RecordingSink sink;
  RecordingWriter writer;
  std::filesystem::path dir;
};

} // namespace tsw::testing
