// The Z180 library's instructions assembled twice: by the compiler's own
// inline assembler on its byte road, and by sdasz80 from the converted
// text the simulator tests run. Every instruction whose operands are
// numbers, registers, conditions and the library's equates must give the
// same bytes: otherwise the routines proven on the simulator are not the
// routines the compiler builds.
#include "compcore/asm_fixture.h"
#include "compcore/cc_reloc/fixups.h"
#include "runner/asm_convert.h"
#include "runner/process.h"
#include "support/tempdir.h"

#include <fmt/format.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace tsw {
namespace {

using assembler::AsmCpu;
using tsw::testing::TempDir;

struct Statement {
  std::string where;
  std::string dialect;
  std::string sdas;
};

// The identifiers of an operand text, quoted characters left out.
std::vector<std::string> Identifiers(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  char quote = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : ' ';
    if (quote) {
      quote = c == quote ? 0 : quote;
      continue;
    }
    if (c == '"') {
      quote = c;
      continue;
    }
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '\'') {
      word += c;
      continue;
    }
    if (!word.empty() && !std::isdigit(static_cast<unsigned char>(word[0])))
      words.push_back(word);
    word.clear();
  }
  return words;
}

// The instructions that need no label: their bytes do not depend on
// where they lie. Equates come first, as statements of their own.
void CollectStatements(const std::string &file, std::vector<Statement> &equates, std::vector<Statement> &code) {
  std::ifstream in(std::filesystem::path(TSW_Z180_LIBRARY) / file, std::ios::binary);
  target::ConvertedAsm converted = target::ConvertLibraryAsm(std::string(std::istreambuf_iterator<char>(in), {}));
  std::set<std::string> equateNames;
  for (const target::ConvertedStatement &s : converted.statements) {
    std::string where = file + ": " + s.dialect;
    if (s.sdas.find(" = ") != std::string::npos) {
      equateNames.insert(s.sdas.substr(0, s.sdas.find(' ')));
      equates.push_back({where, s.dialect, s.sdas});
      continue;
    }
    if (s.sdas.empty() || s.sdas[0] != '\t' || s.sdas[1] == '.')
      continue;
    std::istringstream words(s.dialect);
    std::string mnemonic, operands;
    words >> mnemonic;
    std::getline(words, operands);
    bool placeFree = true;
    for (const std::string &word : Identifiers(operands))
      placeFree = placeFree && (assembler::FindRegister(word) != assembler::AsmReg::kNone || word == "af'" ||
                                assembler::FindCondition(AsmCpu::kZ180, word) >= 0 || equateNames.contains(word));
    if (placeFree)
      code.push_back({where, s.dialect, s.sdas});
  }
}

// sdasz80's bytes of each statement, from its listing.
std::vector<std::vector<uint8_t>> SdasBytes(const std::vector<Statement> &equates, const std::vector<Statement> &code,
                                            const TempDir &dir) {
  std::string source = "\t.hd64\n\t.area _HEADER (ABS)\n\t.org 0x1000\n";
  for (const Statement &e : equates)
    source += e.sdas + "\n";
  size_t firstLine = size_t(std::count(source.begin(), source.end(), '\n')) + 1;
  for (const Statement &s : code)
    source += s.sdas + "\n";
  std::string path = dir.Write("lib.s", source);
  target::ProcessOutcome assembled =
      target::RunProcess({"sdasz80", "-l", "-o", dir / "lib.rel", path}, std::chrono::seconds(30));
  EXPECT_EQ(assembled.exitCode, 0) << assembled.output;
  std::map<size_t, std::vector<uint8_t>> byLine;
  std::ifstream listing(dir / "lib.lst");
  for (std::string line; std::getline(listing, line);) {
    // "      001000 DD 7E 02         [14]    4 \tld a,2(ix)"
    std::istringstream fields(line);
    std::string address;
    if (!(fields >> address) || address.size() != 6 || !std::isxdigit(static_cast<unsigned char>(address[0])))
      continue;
    std::vector<uint8_t> bytes;
    std::string field;
    size_t sourceLine = 0;
    while (fields >> field) {
      if (field.size() == 2 && std::isxdigit(static_cast<unsigned char>(field[0])) &&
          std::isxdigit(static_cast<unsigned char>(field[1]))) {
        bytes.push_back(uint8_t(std::stoul(field, nullptr, 16)));
      } else if (field.starts_with('[')) {
        if (field.size() == 1)
          fields >> field; // "[ 9]"
        fields >> sourceLine;
        break;
      } else {
        break;
      }
    }
    if (sourceLine >= firstLine)
      byLine[sourceLine - firstLine] = bytes;
  }
  std::vector<std::vector<uint8_t>> out;
  for (size_t i = 0; i < code.size(); ++i)
    out.push_back(byLine[i]);
  return out;
}

std::string Hex(const std::vector<uint8_t> &bytes) {
  std::string out;
  for (uint8_t b : bytes)
    out += fmt::format("{:02X} ", b);
  return out;
}

class LibraryAssemblyTest : public testing::AsmCodeTest {};

TEST_F(LibraryAssemblyTest, TheCompilersAssemblerAndSdasAgreeOnEveryInstruction) {
  UseCpu(AsmCpu::kZ180);
  TempDir dir;
  for (const char *file : {"INTMATH.LIB", "LONGMATH.LIB", "FLOAT.LIB", "RUNTIME.LIB", "SIMBIOS.C"}) {
    std::vector<Statement> equates, code;
    CollectStatements(file, equates, code);
    ASSERT_FALSE(code.empty()) << file;
    std::vector<std::vector<uint8_t>> expected = SdasBytes(equates, code, dir);
    NextCase();
    for (const Statement &e : equates)
      AssembleAll(e.dialect);
    Emitted();
    for (size_t i = 0; i < code.size(); ++i) {
      StartAt(0x1000);
      unsigned fatal = FatalOf(code[i].dialect);
      EXPECT_EQ(fatal, 0u) << code[i].where;
      std::vector<uint8_t> got = Emitted();
      EXPECT_FALSE(expected[i].empty()) << code[i].where << ": no bytes in sdas's listing";
      EXPECT_EQ(Hex(got), Hex(expected[i])) << code[i].where << "  (sdas: " << code[i].sdas << ")";
      if (fatal != 0)
        NextCase();
    }
  }
}

// The dialect lines of a whole file as the compiler reads them: its
// statements, with the label and ret of each C function whose body is
// assembly where the converter put them.
std::vector<std::string> DialectLines(const target::ConvertedAsm &converted) {
  std::vector<std::string> lines;
  size_t next = 0;
  std::istringstream text(converted.text);
  for (std::string line; std::getline(text, line);) {
    if (next < converted.statements.size() && converted.statements[next].sdas.starts_with(line)) {
      // A statement may have become more than one line.
      size_t extra = size_t(std::count(converted.statements[next].sdas.begin(), converted.statements[next].sdas.end(),
                                       '\n'));
      for (size_t i = 0; i < extra; ++i)
        std::getline(text, line);
      lines.push_back(converted.statements[next++].dialect);
    } else if (line == "\tret") {
      lines.push_back("ret");
    }
    // A C function's label is its name, which the compiler defines as the
    // function's: the assembler never reads it (BIT is a mnemonic).
  }
  return lines;
}

// Whole files, labels and forward references included: the compiler's
// bytes from 1000h on against sdasz80's listing of the same text (names
// outside the file are 0 in both). Each file in a fresh compiler, so that
// no other file's labels are known.
//
class WholeLibraryFileTest : public LibraryAssemblyTest {
protected:
  void CheckWholeFile(const char *file) {
    UseCpu(AsmCpu::kZ180);
    TempDir dir;
    std::ifstream in(std::filesystem::path(TSW_Z180_LIBRARY) / file, std::ios::binary);
    target::ConvertedAsm converted = target::ConvertLibraryAsm(std::string(std::istreambuf_iterator<char>(in), {}));
    std::string path = dir.Write("lib.s", "\t.hd64\n\t.area _HEADER (ABS)\n\t.org 0x1000\n" + converted.text);
    target::ProcessOutcome assembled =
        target::RunProcess({"sdasz80", "-g", "-l", "-o", dir / "lib.rel", path}, std::chrono::seconds(30));
    ASSERT_EQ(assembled.exitCode, 0) << file << ": " << assembled.output;
    std::map<uint32_t, uint8_t> expected;
    std::map<uint32_t, std::string> sourceAt;
    std::ifstream listing(dir / "lib.lst");
    auto isByte = [](const std::string &f) {
      return f.size() == 2 && std::isxdigit(static_cast<unsigned char>(f[0])) &&
             std::isxdigit(static_cast<unsigned char>(f[1]));
    };
    uint32_t next = 0; // where a continuation line's bytes go
    for (std::string line; std::getline(listing, line);) {
      std::istringstream fields(line);
      std::string address, field;
      if (!(fields >> address))
        continue;
      // Data of more than one line goes on under its first line, unaddressed.
      if (isByte(address) && next >= 0x1000) {
        expected[next++] = uint8_t(std::stoul(address, nullptr, 16));
        while (fields >> field && isByte(field))
          expected[next++] = uint8_t(std::stoul(field, nullptr, 16));
        continue;
      }
      if (address.size() != 6 || !std::isxdigit(static_cast<unsigned char>(address[0])))
        continue;
      uint32_t at = uint32_t(std::stoul(address, nullptr, 16));
      // The equates' values stand where addresses do: code starts at 1000h.
      if (at < 0x1000)
        continue;
      // An equate's line shows its value where an address stands and its
      // line number where the bytes do.
      if (line.find("==") != std::string::npos || line.find(" = ") != std::string::npos)
        continue;
      sourceAt[at] = line;
      while (fields >> field && isByte(field))
        expected[at++] = uint8_t(std::stoul(field, nullptr, 16));
      next = at;
    }
    NextCase();
    StartAt(0x1000);
    for (const std::string &line : DialectLines(converted))
      EXPECT_EQ(FatalOf(line), 0u) << file << ": " << line;
    // As at the end of an #asm block: references to names not yet known
    // there are taken to the global labels (the file's own are all
    // defined by now; names of other files stay unresolved, 0 as in sdas).
    try {
      ResetFixupTables(kResetLocal);
    } catch (const xErr &) {
    }
    std::vector<uint8_t> got = Emitted();
    EXPECT_EQ(got.size(), expected.size()) << file;
    for (size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
      uint32_t at = 0x1000 + uint32_t(i);
      if (got[i] != expected[at]) {
        auto source = std::prev(sourceAt.upper_bound(at));
        ADD_FAILURE() << file << fmt::format(" at {:04X}: {:02X}, sdas {:02X}: ", at, got[i], expected[at])
                      << source->second;
        break;
      }
    }
  }
};

TEST_F(WholeLibraryFileTest, IntMath) { CheckWholeFile("INTMATH.LIB"); }
TEST_F(WholeLibraryFileTest, LongMath) { CheckWholeFile("LONGMATH.LIB"); }
TEST_F(WholeLibraryFileTest, Float) { CheckWholeFile("FLOAT.LIB"); }
TEST_F(WholeLibraryFileTest, Runtime) { CheckWholeFile("RUNTIME.LIB"); }
TEST_F(WholeLibraryFileTest, Kernel) { CheckWholeFile("SIMBIOS.C"); }

} // namespace
} // namespace tsw
