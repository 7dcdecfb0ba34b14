#pragma once
// The mail settings finder window ("Mail Settings Finder").
#include <windows.h>

namespace vistrel {

// Shows the finder modally over `owner`. It stores a chosen server and
// address in the "Mail" settings before it closes. Returns whether it stored
// them ("&Use these settings" on a complete line), so that the caller reloads
// nothing after a cancel.
bool ShowMailSettingsFinder(HWND owner);

}  // namespace vistrel
