#pragma once

#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_directive_targets.h"
#include "compcore/cc_in/cc_directives.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_lines.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_in/cc_memmap.h"
#include "compcore/cc_in/cc_placement.h"
#include "compcore/cc_in/cc_pragma.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/product_shell.h"
#include "compcore/recording_sink.h"
#include "foundation/reset.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tsw::testing {

// A library index over files the test writes: each library is a list of
// header segments, and the bodies it links come from a queue.
class FakeIndex : public LibraryIndexLink {
public:
  bool UseLibrary(const std::string &name, std::string &path, std::vector<ModuleSegment> &headers,
                  bool &alreadyUsed) override {
    auto it = libraries.find(name);
    if (it == libraries.end())
      return false;
    path = it->second.empty() ? std::string() : it->second.front().libraryPath;
    headers = it->second;
    alreadyUsed = used[name];
    used[name] = true;
    return true;
  }
  bool NextModuleToLink(ModuleSegment &body) override {
    if (bodies.empty())
      return false;
    body = bodies.front();
    bodies.erase(bodies.begin());
    return true;
  }
  size_t PendingNameCount() const override { return bodies.size(); }
  void NewCompile() { used.clear(); }

  std::map<std::string, std::vector<ModuleSegment>> libraries;
  std::map<std::string, bool> used;
  std::vector<ModuleSegment> bodies;
};

inline std::string AddressText(ADDR24 a) { return plat::FormatText("%02x:%04x", a.segment, a.logical); }

inline const char *CacheName(OriginCache cache) {
  static const char *const kNames[] = {"rcod", "xcod", "wcod", "rcon", "rvar", "wvar"};
  return kNames[size_t(cache)];
}

// A code generator that logs what the directives ask of it. An origin
// directive's line is read as: name, segment, offset (the rest is ignored),
// and the origin takes its cache to that address.
class FakeCodeGen : public CodeGenerator {
public:
  explicit FakeCodeGen(std::vector<std::string> &log) : log_(log) {}
  void SelectTargetCpu(tsw::TargetCpu selected) override { cpu = selected; }
  tsw::TargetCpu TargetCpu() override { return cpu; }
  void AddSegChainName(const std::string &chain) override { log_.push_back("chain " + chain); }
  void AddSegChainFunction(const std::string &chain, const std::string &function) override {
    log_.push_back("chain " + chain + " " + function);
  }
  void ParseOriginDirective(int kind, OriginCache cache) override {
    ExpandMacros();
    SkipSpaces();
    std::string name;
    ReadIdentifier(name);
    ADDR24 start = ParseOriginAddress();
    SkipToLineEnd();
    log_.push_back("origin " + std::to_string(kind) + " " + name + " " + CacheName(cache));
    caches[size_t(cache)] = {true, start};
  }
  void FlushCache(OriginCache cache) override { log_.push_back(std::string("flush ") + CacheName(cache)); }
  ADDR24 CacheAddress(OriginCache cache) override { return caches[size_t(cache)].address; }
  bool CacheHasOrigin(OriginCache cache) override { return caches[size_t(cache)].hasOrigin; }
  void SetCacheEmitAddress(OriginCache cache, ADDR24 address) override {
    caches[size_t(cache)].address = address;
    log_.push_back(std::string("emit ") + CacheName(cache) + " " + AddressText(address));
  }
  void SelectCodeCache(ADDR24 address) override { log_.push_back("code " + AddressText(address)); }
  void SetDataEmitAddress(ADDR24 address) override { log_.push_back("data " + AddressText(address)); }
  void KeepCodeSegment(uint8_t segment) override { log_.push_back("segment " + std::to_string(segment)); }
  void SetLayoutWord(LayoutWord word, uint16_t value) override {
    log_.push_back(plat::FormatText("layout %d %04x", int(word), unsigned(value)));
  }
  uint8_t OutputMode() override { return outputMode; }
  bool IsBiosCode() override { return biosCode; }
  void EndProgramCode() override { log_.push_back("end program code"); }
  void BeginBiosCode() override {
    biosCode = true;
    log_.push_back("begin bios code");
  }
  void ClearNameToCacheTable() override { log_.push_back("clear cache names"); }
  ADDR24 EmitJumpToAddr24(ADDR24, uint8_t opcode) override {
    log_.push_back(plat::FormatText("jump %02x", unsigned(opcode)));
    return jumpAt;
  }
  void EmitJumpWithWindowCheck(ADDR24 jump) override { log_.push_back("patch " + AddressText(jump)); }
  void SetProgramCodeStart(ADDR24 address) override { log_.push_back("program start " + AddressText(address)); }
  void ClearScratchArea() override { log_.push_back("clear scratch"); }

  struct Cache {
    bool hasOrigin = false;
    ADDR24 address;
  };
  std::array<Cache, 6> caches{};
  tsw::TargetCpu cpu = tsw::TargetCpu::Z180;
  uint8_t outputMode = 0;
  bool biosCode = false;
  ADDR24 jumpAt = MakeAddr24(0, 0x1234);

private:
  std::vector<std::string> &log_;
};

// One delivered logical line with the source position of each character.
struct Delivered {
  std::string text;
  std::vector<uint16_t> lines;
  std::vector<uint16_t> columns;
  std::string file;
};

// A test that reads a program through the line sources, the directives
// and the macros, with a recording diagnostic sink and a fake library index.
class FrontEndFixture : public ::testing::Test {
protected:
  void SetUp() override {
    Restart();
    index.libraries["DEFAULT.H"] = {};
  }
  void TearDown() override { ResetCompiler(); }
  // A fresh compiler that reports to `sink` and reads libraries from `index`.
  void Restart() {
    ResetFoundation();
    ResetCompiler();
    SetDiagnosticSink(&sink);
    SetLibraryIndexLink(&index);
  }
  void Start(const std::string &program, bool bios = false) {
    index.NewCompile();
    ResetSourceInputModule();
    ResetDirectivesModule();
    SetProgramSource("PROG.C", std::make_unique<MemoryLineStream>(program));
    PrologueSettings settings;
    settings.biosCompile = bios;
    ResetLineSources(settings);
    BeginCompileMacros(bios);
  }

  RecordingSink sink;
  FakeIndex index;
};

// The next line the compile loop would see, or false at the end.
inline bool NextDelivered(Delivered &out) {
  ProcessConditionalDirective();
  if (EndOfInput && !*LineBase)
    return false;
  ProcessDirective();
  if (EndOfInput && !*LineBase)
    return false;
  const LogicalLineBuffer &line = CurrentLogicalLine();
  size_t from = CursorIndex();
  out.text = line.text.substr(from);
  out.lines.assign(line.lines.begin() + long(from), line.lines.end());
  out.columns.assign(line.columns.begin() + long(from), line.columns.end());
  out.file = CurrentSourceFileName();
  return true;
}

inline std::vector<Delivered> DeliverAll() {
  std::vector<Delivered> all;
  Delivered d;
  while (NextDelivered(d))
    all.push_back(d);
  return all;
}

// Delivered texts without the empty lines.
inline std::vector<std::string> Texts(const std::vector<Delivered> &all) {
  std::vector<std::string> out;
  for (const Delivered &d : all)
    if (!d.text.empty())
      out.push_back(d.text);
  return out;
}

} // namespace tsw::testing
