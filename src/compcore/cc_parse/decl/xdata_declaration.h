#pragma once

// "xstring name { "...", ... };" and "xdata name { constant, ... };" at the
// top level: the strings or the constants' bytes go into extended-memory
// code at its current address, and the name becomes an unsigned long in
// root code holding their physical address (for an xstring, that of the
// table of the strings' addresses).
namespace tsw {

// True when the declaration at the cursor was one of the two and has been
// compiled; false leaves the input as it was.
bool XdataDeclaration();

} // namespace tsw
