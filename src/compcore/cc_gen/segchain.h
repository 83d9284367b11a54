#pragma once

#include "foundation/addr24.h"

#include <string>
#include <string_view>
#include <vector>

// Segment chains: a generated root function per chain name that calls, in
// the order they were given, the code fragments and the functions the
// program and its libraries contributed to the chain. "_GLOBAL_INIT" is
// one of them; it also runs the costate start-up table.
namespace tsw {

inline constexpr const char *kGlobalInitChain = "_GLOBAL_INIT";

void AddSegChainName(std::string_view chain);
// `fragment` ends in a return.
void AddSegChainFragment(std::string_view chain, ADDR24 fragment);
// The function is called by name, so it may be defined after the chain.
void AddSegChainFunction(std::string_view chain, std::string_view function);

// One function per chain name in byte order of the names, at the end of the
// compile loop; a chain of the same name that the BIOS compile generated
// goes on into the program's. The tables are empty afterwards.
void GenerateSegChainFunctions();
void ClearSegChainTables();

// What "_GLOBAL_INIT" emits of the costate start-up table; none until the
// costate statements install it.
void SetGlobalInitTableEmitter(void (*emitter)());

// The last generation made a "_GLOBAL_INIT": the program then starts in
// premain, which runs it before main.
bool GlobalInitGenerated();

// The names in the order their functions are generated, for tests.
std::vector<std::string> SegChainNames();

} // namespace tsw
