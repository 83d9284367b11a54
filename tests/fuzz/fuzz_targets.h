#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// One entry per reader of outside input, each taking an input as the
// product takes that kind of file. None may crash, hang, or let through an
// exception other than the compiler's own reports. The fuzzers call them
// with generated inputs; the test suite with the seed corpus.
namespace tsw::fuzz {

// A program text compiled through the compiler's assembly.
int CompileProgramText(const uint8_t *data, size_t size);
// One expression list for the expression parser.
int ParseExpression(const uint8_t *data, size_t size);
// A library file, #used, then read again from the caches it left.
int ReadLibrary(const uint8_t *data, size_t size);
// The library caches (.MD1 and .HX1) of a fixed library.
int ReadLibraryCaches(const uint8_t *data, size_t size);
// The BIOS information file.
int ReadBiosInformation(const uint8_t *data, size_t size);
// The compiler configuration file tsw.cfg.
int ReadCompilerConfiguration(const uint8_t *data, size_t size);
// Code bytes for the disassembler of both processors.
int DecodeInstructions(const uint8_t *data, size_t size);

struct Target {
  std::string_view name; // also the corpus folder's
  int (*run)(const uint8_t *data, size_t size);
};
inline constexpr Target kTargets[] = {
    {"compile", CompileProgramText},      {"expression", ParseExpression},    {"library", ReadLibrary},
    {"library_cache", ReadLibraryCaches}, {"bios_info", ReadBiosInformation}, {"config", ReadCompilerConfiguration},
    {"decoder", DecodeInstructions},
};

} // namespace tsw::fuzz
