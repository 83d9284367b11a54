#pragma once

#include "compcore/common/cc_editor_view.h"

// The open editors as the compiler asks about them.
namespace tsw {

EditorView &OpenEditorsForCompiler();

} // namespace tsw
