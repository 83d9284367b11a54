#pragma once

#include <cstdint>

// Statement marks: where the debugger may stop. With debug code each
// statement starts with the statement hook (rst 28h) and its source
// position is recorded at the address behind it.
namespace tsw {

// Column 0 stands for the current source column. A second mark at the same
// line and column only moves the remembered address.
void MarkStatementPosition(uint16_t line, uint16_t column);
// Skips blanks across lines and marks the statement that starts there.
void MarkStatementAtInput(uint16_t column);
// While set, marks record nothing and emit nothing (code compiled a second
// time, sections outside the frame).
bool &StatementMarksSuppressed();

} // namespace tsw
