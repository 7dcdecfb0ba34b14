#pragma once
#include <windows.h>

namespace vistlib {

// The editor's cursors by their ID_CURSOR... number, drawn once from the
// pictures in the source; the system's arrow for an unknown number.
HCURSOR EditorCursor(int id);

}  // namespace vistlib
