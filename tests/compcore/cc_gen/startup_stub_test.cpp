#include "compcore/byte_road_fixture.h"
#include "compcore/decode_check.h"

#include "compcore/cc_gen/startup_stub.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_go/cc_memory_map_env.h"
#include "compcore/cc_rom/shadow_image.h"
#include "foundation/memorymap.h"

#include <ctime>
#include "compcore/cc_stab/cc_bios.h"
#include "compcore/cc_stab/cc_stab.h"

namespace tsw::testing {
namespace {

constexpr uint16_t kReserved = 0x100;
constexpr ADDR24 kStubAt = MakeAddr24(0, 0x0200);

class RecordingStartup : public StartupServices {
public:
  int64_t LocalTime() override { return now; }
  void WriteStartup(ADDR24 address, const std::vector<uint8_t> &bytes) override {
    writes.push_back({address, bytes});
  }
  void RecordStampAddress(ADDR24 address) override { stamps.push_back(address); }
  int64_t now = kStampEpochOffset;
  std::vector<tsw::testing::Run> writes;
  std::vector<ADDR24> stamps;
};

class StartupStubTest : public ByteRoadTest {
protected:
  void SetUp() override {
    ByteRoadTest::SetUp();
    SetStartupServices(&services);
    AllocateSymbolTables(200);
    Symbols();
    Main(MakeAddr24(0, 0x4000));
    layout.address = kStubAt;
    layout.vectorBase = 0x1200;
    layout.targetMode = 1;
    layout.mapWord = 0x5678;
    layout.segmentSpan = 0x44;
    layout.stackTop = 0xDFFF;
    layout.stackLimit = 0xD000;
    layout.auxStackTop = 0xCFFF;
    layout.auxStackLimit = 0xC000;
    layout.heapStart = 0xA000;
    layout.heapEnd = 0xBEFF;
    layout.heapSize = 0x1F00;
    layout.rst28Word = 0x0666;
    layout.rst28OffByte = 0x77;
    for (size_t i = 0; i < kBoardRecordSize; ++i)
      layout.boardRecord[i] = uint8_t(0xB0 + i);
  }
  void TearDown() override {
    SetStartupServices(nullptr);
    ByteRoadTest::TearDown();
  }
  // The BIOS and library symbols the stub reads, all present, with main in
  // root code; nothing written or reported yet.
  void Symbols(std::vector<std::string> missing = {}) {
    services.writes.clear();
    services.stamps.clear();
    sink.records.clear();
    ResetSymbolTablesForCompile(true);
    ClearBiosSymbols();
    const std::pair<const char *, uint16_t> bios[] = {
        {"exit", 0x0301},         {".exit2", 0x0302},      {"AUX_STACK_PTR", 0x0303}, {"AUX_STACK_LIMIT", 0x0304},
        {"STACK_LIMIT", 0x0305},  {"RST28SWT", 0x0306},    {"RST28SWT_OFF", 0x0307},  {".startup", 0x0308},
        {"alloc_h", 0x0309},      {"bfree", 0x030A},       {"_b_all", 0x030B},        {"vrst30", 0x030C},
        {"premain", 0x030D},
    };
    for (const auto &[name, address] : bios)
      if (std::find(missing.begin(), missing.end(), name) == missing.end())
        AddBiosSymbol(name, MakeAddr24(0, address));
  }
  static void Main(ADDR24 address, ADDR24 stub = {}) {
    SymbolRecord *main = AddSymbol("main", 0x3, 2, 1, kKindGlobal);
    main->address = Addr24ToLong(address);
    main->secondAddress = Addr24ToLong(stub);
  }
  // The code part of the one write, up to the call of exit.
  std::vector<uint8_t> StubCode() const {
    const std::vector<uint8_t> &all = services.writes.at(0).bytes;
    const std::vector<uint8_t> exitCall = {0xCD, 0x01, 0x03};
    auto end = std::search(all.begin(), all.end(), exitCall.begin(), exitCall.end());
    return std::vector<uint8_t>(all.begin(), end + 3);
  }

  RecordingStartup services;
  StartupLayout layout;
};

// The parts both processors share, after the bouncer vector.
const std::vector<std::string> kCommonTail = {
    "ld    hl,0000",  "ld    (0309),hl", "ld    hl,BEFF",   "push  hl",        "ld    hl,A000",
    "push  hl",       "call  030A",      "ld    hl,D000",   "ld    (0303),hl", "ld    hl,4000",
    "ld    (0304),hl", "ld    hl,3000",  "ld    (0305),hl", "ld    hl,0666",   "ld    (0306),hl",
    "ld    hl,0307",  "ld    (hl),77",   "ld    hl,0706",   "push  hl",        "call  4000",
    "ld    hl,0000",  "push  hl",        "call  0301"};

TEST_F(StartupStubTest, StubOnEachProcessor) {
  struct Case {
    const char *name;
    TargetCpu cpu;
    uint16_t bouncer;
    std::vector<std::string> head;
  };
  const Case cases[] = {
      {"Z180 with the bouncer vector", TargetCpu::Z180, 0x0123,
       {"ld    a,12", "ld    eir,a", "ld    hl,0001", "push  hl", "ex    de,hl", "ld    hl,5678", "push  hl",
        "ld    b,44", "ld    c,ED", "call  0308", "ld    sp,E000", "ei", "ld    hl,030C", "ld    (hl),C3",
        "inc   hl", "ld    (hl),0B", "inc   hl", "ld    (hl),03"}},
      {"Z180 with the default bouncer", TargetCpu::Z180, 0,
       {"ld    a,12", "ld    eir,a", "ld    hl,0001", "push  hl", "ex    de,hl", "ld    hl,5678", "push  hl",
        "ld    b,44", "ld    c,ED", "call  0308", "ld    sp,E000", "ei"}},
      // No vectors, no stack and no interrupts: it starts with the call.
      {"Corvid", TargetCpu::Corvid, 0x0123, {"call  0308"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SelectTargetCpu(c.cpu);
    CodeGenSetup().bouncerRoutine = c.bouncer;
    services.writes.clear();
    EXPECT_NE(WriteStartupStub(layout, kReserved), 0);
    ASSERT_EQ(services.writes.size(), 1u);
    EXPECT_EQ(Addr24ToLong(services.writes[0].address), Addr24ToLong(kStubAt));
    std::vector<std::string> text = c.head;
    text.insert(text.end(), kCommonTail.begin(), kCommonTail.end());
    EXPECT_TRUE(DecodesAs(c.cpu, StubCode(), text, {},
                          kStubAt.logical));
  }
  EXPECT_TRUE(sink.records.empty());
}

TEST_F(StartupStubTest, BoardRecordAndTimeStampCloseTheReservedBlock) {
  struct Case {
    const char *name;
    bool stamp;
    int64_t now;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"stamp off", false, 0x50000000, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"seconds since 1980", true, kStampEpochOffset + 0x01020304, {0x04, 0x03, 0x02, 0x01}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    layout.timeStamp = c.stamp;
    services.now = c.now;
    services.writes.clear();
    services.stamps.clear();
    EXPECT_EQ(WriteStartupStub(layout, kReserved), kReserved);
    const std::vector<uint8_t> &all = services.writes.at(0).bytes;
    ASSERT_EQ(all.size(), kReserved);
    EXPECT_EQ(std::vector<uint8_t>(all.end() - 4, all.end()), c.bytes);
    EXPECT_EQ(std::vector<uint8_t>(all.end() - 4 - long(kBoardRecordSize), all.end() - 4),
              std::vector<uint8_t>(layout.boardRecord.begin(), layout.boardRecord.end()));
    ASSERT_EQ(services.stamps.size(), 1u);
    EXPECT_EQ(Addr24ToLong(services.stamps[0]), Addr24ToLong(Addr24Add(kStubAt, kReserved - 4)));
  }
}

TEST_F(StartupStubTest, WrittenLengthIsTheMeasuredLength) {
  struct Case {
    const char *name;
    TargetCpu cpu;
    uint16_t bouncer;
    uint16_t heapSize;
    bool globalInit;
    bool allocator; // the library's allocator was linked in
  };
  const Case cases[] = {
      {"Z180 everything", TargetCpu::Z180, 0x0123, 0x1F00, false, true},
      {"Z180 no heap", TargetCpu::Z180, 0x0123, 0, false, true},
      {"Z180 default bouncer, global init", TargetCpu::Z180, 0, 0x1F00, true, true},
      // The measure counted the allocator's part; the stub is padded to it.
      {"Z180 without the allocator", TargetCpu::Z180, 0x0123, 0x1F00, false, false},
      {"Corvid everything", TargetCpu::Corvid, 0, 0x1F00, false, true},
      {"Corvid without the allocator", TargetCpu::Corvid, 0, 0x1F00, true, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SelectTargetCpu(c.cpu);
    layout.heapSize = c.heapSize;
    layout.globalInit = c.globalInit;
    // Measured at compile start, before the library's symbols exist and
    // before any function has placed a root bouncer.
    ClearBiosSymbols();
    CodeGenSetup().bouncerRoutine = 0;
    const uint16_t measured = MeasureStartupStub(layout);
    CodeGenSetup().bouncerRoutine = c.bouncer;
    if (c.allocator)
      Symbols();
    else
      Symbols({"alloc_h", "bfree"});
    Main(MakeAddr24(0, 0x4000));
    EXPECT_EQ(WriteStartupStub(layout, measured), measured);
    ASSERT_EQ(services.writes.size(), 1u);
    EXPECT_EQ(services.writes[0].bytes.size(), measured);
    EXPECT_TRUE(sink.records.empty());
  }
}

TEST_F(StartupStubTest, MissingPiecesWriteNothing) {
  struct Case {
    const char *name;
    std::vector<const char *> missingBios;
    bool mainMissing;
    ADDR24 mainAt;
    bool noBouncers;
    ADDR24 mainStub;
    std::vector<unsigned> messages;
  };
  const ADDR24 banked = MakeAddr24(0x12, 0xE400);
  const Case cases[] = {
      // Each missing symbol is reported.
      {"two start-up symbols", {"exit", "RST28SWT"}, false, {}, true, {}, {kMsgStartupSymbolMissing,
                                                                           kMsgStartupSymbolMissing}},
      {"no main", {}, true, {}, true, {}, {kMsgNoMain}},
      {"main in a bank, bouncers on", {}, false, banked, false, {}, {kMsgMainUnreachable}},
      {"main in a bank without its stub", {}, false, banked, true, {}, {kMsgMainUnreachable}},
      {"heap without bfree", {"bfree"}, false, {}, true, {}, {kMsgNoBfree}},
      {"no universal bouncer", {"_b_all"}, false, {}, true, {}, {kMsgNoUniversalBouncer}},
      {"no RST 30h vector", {"vrst30"}, false, {}, true, {}, {kMsgNoRst30Vector}},
      {"neither", {"_b_all", "vrst30"}, false, {}, true, {}, {kMsgNoUniversalBouncer, kMsgNoRst30Vector}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    SelectTargetCpu(TargetCpu::Z180);
    CodeGenSetup().bouncerRoutine = 0x0123;
    CodeGenSetup().noBouncers = c.noBouncers;
    Symbols(std::vector<std::string>(c.missingBios.begin(), c.missingBios.end()));
    if (!c.mainMissing)
      Main(c.mainAt.logical ? c.mainAt : MakeAddr24(0, 0x4000), c.mainStub);
    EXPECT_EQ(WriteStartupStub(layout, kReserved), 0);
    EXPECT_TRUE(services.writes.empty());
    EXPECT_EQ(sink.Messages(), c.messages);
  }
}

TEST_F(StartupStubTest, MainInABankIsCalledThroughItsRootStub) {
  SelectTargetCpu(TargetCpu::Corvid);
  Symbols();
  Main(MakeAddr24(0x12, 0xE400), MakeAddr24(0, 0x0480));
  EXPECT_NE(WriteStartupStub(layout, kReserved), 0);
  const std::vector<uint8_t> code = StubCode();
  EXPECT_TRUE(DecodesAs(TargetCpu::Corvid, std::vector<uint8_t>(code.end() - 10, code.end()),
                        {"call  0480", "ld    hl,0000", "push  hl", "call  0301"}, {}, 0));
}

TEST_F(StartupStubTest, StubLongerThanMeasuredIsAnErrorAndWritesNothing) {
  // Every part the measure counted is there to be written.
  CodeGenSetup().bouncerRoutine = 0x0030;
  const uint16_t measured = MeasureStartupStub(layout);
  EXPECT_EQ(WriteStartupStub(layout, uint16_t(measured - 1)), 0);
  EXPECT_TRUE(services.writes.empty());
  EXPECT_EQ(sink.Messages(), std::vector<unsigned>{kMsgEmitOutside});
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// The memory map keeps the measured room for the stub at the start of
// root code, by the processor and whether tsw.cfg gives a heap.
TEST(StartupStubRoom, MemoryMapReservesTheMeasuredLength) {
  struct Case {
    TargetCpu cpu;
    uint16_t heap;
  };
  const Case cases[] = {{TargetCpu::Z180, 0}, {TargetCpu::Z180, 0x800}, {TargetCpu::Corvid, 0x800}};
  for (const Case &c : cases) {
    ResetCompiler();
    CompilerMemoryMapEnvironment environment;
    SetMemoryMapEnvironment(&environment);
    SelectTargetCpu(c.cpu);
    environment.SetConfigValue("heap", c.heap);
    StartupLayout layout;
    layout.heapSize = c.heap;
    InitMemoryMapDefaults(0x100);
    EXPECT_EQ(MemoryMap().StartupCodeSize, MeasureStartupStub(layout));
    EXPECT_GT(MemoryMap().StartupCodeSize, kBoardRecordSize);
    SetMemoryMapEnvironment(nullptr);
  }
  ResetCompiler();
}

} // namespace
} // namespace tsw::testing

namespace tsw::testing {
namespace {

// In the assembled compiler the stub goes out with the compiled code and
// carries the local time.
TEST_F(ByteRoadTest, StartupStubGoesOutWithTheCode) {
  AllocateSymbolTables(200);
  ResetSymbolTablesForCompile(true);
  for (const char *name : {"exit", ".exit2", "AUX_STACK_PTR", "AUX_STACK_LIMIT", "STACK_LIMIT", "RST28SWT",
                           "RST28SWT_OFF", ".startup"})
    AddBiosSymbol(name, MakeAddr24(0, 0x0300));
  AddSymbol("main", 0x3, 2, 1, kKindGlobal)->address = Addr24ToLong(MakeAddr24(0, 0x4000));
  StartupLayout layout;
  layout.address = MakeAddr24(0, 0x0200);
  const uint16_t length = MeasureStartupStub(layout);
  const int64_t before = std::time(nullptr) - kStampEpochOffset - 86400;
  ASSERT_EQ(WriteStartupStub(layout, length), length);
  std::vector<uint8_t> bytes(length);
  ASSERT_TRUE(ReadEmittedBytes(layout.address, length, bytes.data()));
  EXPECT_TRUE(DecodesAs(TargetCpu::Z180, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), {"ld    a,00", "ld    eir,a"},
                        {}, 0x0200));
  uint32_t stamp = 0;
  for (int i = 3; i >= 0; --i)
    stamp = stamp << 8 | bytes[length - 4 + size_t(i)];
  // Local time lies within a day of UTC.
  EXPECT_GT(int64_t(stamp), before);
  EXPECT_LT(int64_t(stamp), before + 3 * 86400);
}

} // namespace
} // namespace tsw::testing
