#include "gui/compilercharrules.h"

#include <bitset>

#include <gtest/gtest.h>

#include "compcore/cc_in/cc_in.h"

namespace tsw {
namespace {

TEST(CompilerCharRules, WordsAndLeadBytesAreTheCompilers) {
  CompilerCharRules rules;
  struct Case {
    uint8_t byte;
    bool word;
  } cases[] = {{'a', true}, {'Z', true}, {'7', true}, {'_', true}, {' ', false}, {'.', false}, {'(', false}};
  for (const Case &c : cases)
    EXPECT_EQ(rules.IsWordChar(c.byte), c.word) << c.byte;
  EXPECT_FALSE(rules.IsLeadByte(0x81)) << "English has no lead bytes";
  std::bitset<256> lead;
  lead.set(0x81);
  SetLeadBytes(lead);
  EXPECT_TRUE(rules.IsLeadByte(0x81));
  SetLeadBytes({});
}

} // namespace
} // namespace tsw
