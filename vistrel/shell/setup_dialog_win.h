#pragma once
// The setup dialog: mail settings, cursor, autostart, quitting after each
// capture, the unit of measurement and the hidden wizard pages.
#include <windows.h>

namespace vistrel {

// Shows the dialog modally over `owner` (may be null). Captures are refused
// while it is open. When it is already open, it is brought to the front.
void ShowSetupDialog(HWND owner);

// Applies an autostart box's choice to the machine-wide entry. When it did not
// take effect (a user without administrator rights), tells the user why over
// `owner`. Returns whether the entry now names this program.
bool ApplyAutostartChoice(HWND owner, bool wanted);

}  // namespace vistrel
