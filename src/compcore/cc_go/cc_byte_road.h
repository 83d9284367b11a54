#pragma once

// Assembles the byte road of the compiler: the fixed emit caches, where
// their runs go, the label tables' services and every participant of the
// statement snapshot.
namespace tsw {

// Once at start-up.
void StartByteRoad();
// Before each compile: the label tables emptied, the directories and the
// shadow image as a BIOS compile starts them or as the BIOS left them.
void ResetByteRoadForCompile(bool biosCompile);
void StopByteRoad();

} // namespace tsw
