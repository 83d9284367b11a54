#pragma once

#include <optional>

#include "gui/printlayout.h"

class QPrinter;
class QWidget;

// Printing, print set-up and print preview of a text pane through the
// program's one printer.
namespace tsw {

class CommandHandlers;
namespace gui {
class cTextWidget;
}

// Made on first use, with the margins a new printer starts with.
QPrinter &ProgramPrinter();

// The pane's pages on `printer`: the printer's page range, or the pages of
// `selectionOnly`'s lines; the number of pages printed.
int PrintPane(gui::cTextWidget &pane, QPrinter &printer, const std::optional<PrintRange> &selectionOnly);

// Print (24337), print set-up (24338) and print preview (24340) of the
// pane, enabled while the printer can print.
void AddPrintCommands(CommandHandlers &commands, gui::cTextWidget &pane);

} // namespace tsw
