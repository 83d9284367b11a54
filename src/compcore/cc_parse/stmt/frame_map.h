#pragma once

// The map file's rows of the function being compiled: its parameters and
// auto locals, each at the offset the code addresses it by.
namespace tsw {

// Once the frame is laid out: every parameter and auto local of the local
// table, in declaration order, reported under "function:name".
void ReportFrameSymbolsToMap();

} // namespace tsw
