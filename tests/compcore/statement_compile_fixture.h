#pragma once

#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

// Functions compiled by the product to its image file on the Corvid, root
// code from 1000, so that what their statements became can be decoded.
namespace tsw::testing {

inline constexpr const char *kCorvidRootProgram =
    "#pragma Corvid\n#rcodorg rc 0 0x1000 0x1000 apply\n#rvarorg rv 0 0x3fff 0x1000 apply\n#memmap root\n";

class StatementCompileTest : public ProgramCompileTest {
protected:
  // Each program with a compiler of its own: the origin a program defines
  // stays defined for the next compile of the session.
  uint16_t CompileAlone(const std::string &program) {
    TearDown();
    SetUp();
    return Compile(std::string(kCorvidRootProgram) + program + "\n");
  }
  std::vector<uint8_t> Image() {
    const std::string image = dir.Read("PROG.bin");
    return std::vector<uint8_t>(image.begin(), image.end());
  }
  // The numbers of the messages the compile recorded, in order.
  std::vector<std::string> MessageNumbers() {
    std::vector<std::string> numbers;
    for (const std::string &record : Records()) {
      const size_t open = record.find('['), close = record.find(']', open);
      if (open != std::string::npos && close != std::string::npos)
        numbers.push_back(record.substr(open + 1, close - open - 1));
    }
    return numbers;
  }
  // The call of a run-time routine the last compile linked from the
  // fixture's library (behind the program's code), as the decoder shows it.
  static std::string CallOf(const char *routine) { return fmt::format("call  {:04X}", LabelAddress(routine)); }
  size_t Reported(const std::string &number) {
    const std::vector<std::string> numbers = MessageNumbers();
    return size_t(std::count(numbers.begin(), numbers.end(), number));
  }
};

} // namespace tsw::testing
