#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What the open editors tell the rest of the program, without their
// classes: the caret of the active one and whether a file has unsaved
// edits.
namespace tsw {

// Line in the high 16 bits, byte column in the low; none without an
// active editor.
std::optional<uint32_t> ActiveEditorCaret();
// `path` names the file of an open document with unsaved edits.
bool FileOpenAndModified(std::string_view path);

} // namespace tsw
