#pragma once
// Control and menu identifiers of the shell's windows.

namespace vistrel::ids {

// Area selector (the main window)
inline constexpr int kAuswahl0 = 1001;  // ..1004
inline constexpr int kOk = 1010;
inline constexpr int kZoom = 1011;
inline constexpr int kZoomScroll = 1012;
inline constexpr int kProjektion = 1013;
inline constexpr int kHScroll = 1014;
inline constexpr int kVscroll = 1015;
inline constexpr int kTopFrame = 1016;
inline constexpr int kZoomFrame = 1017;
inline constexpr int kPichook = 1020;

// Tray menu
inline constexpr int kMenuVistrel = 1101;
inline constexpr int kMenuEdit = 1102;
inline constexpr int kMenuSetup = 1103;
inline constexpr int kMenuBeenden = 1104;
inline constexpr int kMenuDelay3 = 1105;
inline constexpr int kMenuDelay5 = 1106;
inline constexpr int kMenuDelay10 = 1107;
inline constexpr int kMenuRecentNone = 1110;
inline constexpr int kMenuRecentOpen0 = 1120;  // ..1129, newest first
inline constexpr int kMenuRecentShow0 = 1140;  // ..1149

// Start-up window
inline constexpr int kSplashAutostart = 1201;
inline constexpr int kSplashVersion = 1202;
inline constexpr int kSplashTimer = 1203;

// Posted to the main window after a refused zoom (WM_APP + 11).
inline constexpr unsigned kRestoreZoomMessage = 0x8000 + 11;
// Posted to the main window to run a command handed over from the command line.
inline constexpr unsigned kRunCommandMessage = 0x8000 + 12;

}  // namespace vistrel::ids
