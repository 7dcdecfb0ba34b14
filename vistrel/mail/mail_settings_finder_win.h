#pragma once
// The mail settings finder window ("Mail Settings Finder").
#include <windows.h>

namespace vistrel {

// Shows the finder modally over `owner`. It stores a chosen server and
// address in the "Mail" settings before it closes.
void ShowMailSettingsFinder(HWND owner);

}  // namespace vistrel
