#pragma once
// The fixed texts of start-up and the tray, and the command-line words.
#include <array>
#include <string>
#include <string_view>

namespace vistrel {

// "Version: 99.0  revision 55"
std::string VersionLabel();
// Shown, with a blank caption, by a second instance before it ends.
std::string AlreadyRunningText(std::string_view title);
// The first-use tip, with its question at the end.
std::string NewbieTipText();
// Shown when a capture is asked for while one of the program's windows is open.
std::string CaptureRefusedText();

// The tray tip field: title, major version and the hint, a zero byte, then
// spaces up to 64 bytes. The last byte is always zero, so the tip stays a
// terminated string whatever the title's length.
using TrayTipField = std::array<char, 64>;
TrayTipField TrayTip(std::string_view title, int majorVersion);

// The command line as the program sees it: without the program's own name and
// the blanks around the rest.
std::string ArgumentsOf(std::string_view fullCommandLine);
bool IsSafeColor(std::string_view arguments);     // exact, case-sensitive
bool IsSetup(std::string_view arguments);         // any case
bool IsShootYourself(std::string_view arguments);  // any case

// Lower case in the ANSI code page's ASCII range.
std::string LowerAscii(std::string_view text);

}  // namespace vistrel
