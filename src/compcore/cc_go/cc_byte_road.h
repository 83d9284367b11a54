#pragma once

#include <cstdint>
#include <string_view>

// Assembles the byte road of the compiler: the fixed emit caches, where
// their runs go, the label tables' services and every participant of the
// statement snapshot.
namespace tsw {

class CodeGenDirectives;
class StatementPositions;
class PendingLabelNames;

// Once at start-up.
void StartByteRoad();
// Before each compile: the label tables emptied, the directories and the
// shadow image as a BIOS compile starts them or as the BIOS left them.
void ResetByteRoadForCompile(bool biosCompile);
void StopByteRoad();

// The front end's seams the byte road serves; the compiler's assembly
// installs them.
CodeGenDirectives &ByteRoadDirectives();
StatementPositions &ByteRoadStatementPositions();
PendingLabelNames &ByteRoadPendingLabels();
// A declaration's code label (a packed ADDR24), in the global table.
void DefineDeclarationLabel(std::string_view name, uint32_t address);
// "#ximport": room for n bytes in extended-memory code, in the cache's
// origin or else its follower; 433 and false when neither has it.
bool ReserveXmemCode(uint32_t n);
uint32_t XmemCodePhysical();
void EmitXmemImportByte(uint8_t byte);

} // namespace tsw
