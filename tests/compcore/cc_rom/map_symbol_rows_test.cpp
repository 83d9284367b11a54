#include "compcore/cc_rom/map_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tsw {
namespace {

class MapSymbolRows : public ::testing::Test {
protected:
  void SetUp() override { ResetMapFileModule(); }
  void TearDown() override { ResetMapFileModule(); }

  // The data-symbol row the map shows for one global of the given name,
  // file and type.
  static std::string RowOf(const std::string &name, const std::string &file, const std::string &type) {
    ResetMapFileModule();
    MapFileAddSymbol({false, MakeAddr24(0, 0xb000), 0, false, 2, name, {file, 7}, type});
    std::ostringstream out;
    WriteMapText(out);
    const std::string text = out.str();
    const size_t at = text.find("\n    b000");
    return at == std::string::npos ? "<no row>" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
  }
};

struct RowCase {
  const char *what;
  std::string name, file, type;
  std::string row;
};

// Each text column is padded to its width by the characters shown, and text
// wider than its column pushes the rest of the row on rather than being cut.
TEST_F(MapSymbolRows, TextColumnsArePaddedByShownWidthAndNeverCut) {
  const std::string rest = " prog.c                              7  int             ";
  const RowCase cases[] = {
      {"short", "n", "prog.c", "int", "    b000        2   n                              " + rest},
      {"exactly the width", std::string(31, 'w'), "prog.c", "int", "    b000        2   " + std::string(31, 'w') + rest},
      {"wider than the column", std::string(40, 'x'), "prog.c", "int", "    b000        2   " + std::string(40, 'x') + rest},
      {"a two-byte character shows as one", "caf\xc3\xa9", "prog.c", "int",
       "    b000        2   caf\xc3\xa9" + std::string(27, ' ') + rest},
      {"a type wider than its column", "t", "prog.c", "unsigned long int[1000]",
       "    b000        2   t                               prog.c                              7  unsigned long int[1000]"},
  };
  for (const RowCase &c : cases)
    EXPECT_EQ(RowOf(c.name, c.file, c.type), c.row) << c.what;
}

} // namespace
} // namespace tsw
