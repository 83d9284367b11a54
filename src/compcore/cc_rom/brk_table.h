#pragma once

#include "foundation/addr24.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Source positions to code addresses and back: each statement covers a
// range of source text and carries the address where its code starts. The
// table is written as the ".brk" file at the end of each compile.
namespace tsw {

void ResetBrkptTable();
void StartStatementPositions(const std::string &file, uint16_t line, uint16_t column, ADDR24 address);
void RecordStatementPosition(const std::string &file, uint16_t line, uint16_t column, ADDR24 address);
void FlushStatementPosition(uint16_t line, uint16_t column, ADDR24 address);
void CommitStatementPositions();
void DiscardStatementPositions();

bool FindSourceForAddress(ADDR24 address, uint16_t &line, uint8_t &column, std::string &file);
// The null address when no statement covers the position.
ADDR24 FindAddressForSource(const std::string &file, uint16_t line, uint16_t column);
uint32_t BrkptCount();
void WriteBrkFile(std::FILE *file);

// Takes part in the statement snapshot; called once with every reset of
// the compiler.
void RegisterBrkptCodeState();

} // namespace tsw
