#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/program_compile_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsw::testing {
namespace {

using ByteList = std::vector<uint8_t>;

constexpr const char *kCorvidRoot =
    "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rconorg rk 0 0x3000 0x1000 apply\n";

// Initialized objects compiled through CompileFile by the compiler the
// product assembles; their bytes are read back where the symbol says they
// lie.
class Initializers : public ProgramCompileTest {
protected:
  // The message numbers the compile recorded, in order.
  std::vector<unsigned> Messages() {
    std::vector<unsigned> numbers;
    for (const std::string &r : Records()) {
      const size_t open = r.rfind('[');
      if (open != std::string::npos)
        numbers.push_back(unsigned(std::stoul(r.substr(open + 1))));
    }
    return numbers;
  }
  void CompileCorvid(const std::string &declarations) { Compile(std::string(kCorvidRoot) + declarations); }
  static const SymbolRecord *Global(const char *name) { return LookupSymbol(name, false, SymbolTableId::kGlobal); }
  // The `count` data bytes of the global `name`.
  std::vector<uint8_t> DataOf(const char *name, uint32_t count) {
    const SymbolRecord *symbol = Global(name);
    if (!symbol) {
      ADD_FAILURE() << name << " not declared";
      return {};
    }
    std::vector<uint8_t> bytes(count);
    EXPECT_TRUE(ReadEmittedBytes(Addr24FromLong(symbol->address), count, bytes.data())) << name;
    return bytes;
  }
};

TEST_F(Initializers, ScalarsAndArraysBecomeTheirDataBytes) {
  CompileCorvid("const int g = 5;\nconst int a[3] = {1, 2, 0x1234};\n");
  EXPECT_EQ(Messages(), std::vector<unsigned>{}) << ::testing::PrintToString(Records());
  // Objects follow each other in the constant segment.
  EXPECT_EQ(Global("g")->address, 0x3000u);
  EXPECT_EQ(Global("a")->address, 0x3002u);
  EXPECT_EQ(DataOf("g", 2), (ByteList{5, 0}));
  EXPECT_EQ(DataOf("a", 6), (ByteList{1, 0, 2, 0, 0x34, 0x12}));
}

} // namespace
} // namespace tsw::testing
