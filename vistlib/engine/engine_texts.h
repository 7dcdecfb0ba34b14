#pragma once
// The texts the capture engine shows to the user, exactly as users know them.

namespace vistlib {

inline constexpr char kProgramTitle[] = "Tarnwick Vistrel";

inline constexpr char kAtomErrorText[] =
    "Atom error! Unable to assign PrintScreen as hotkey. You will not be able to use the "
    "PrintScreen-key during this session!";
inline constexpr char kHotkeyErrorText[] =
    "Unable to assign PrintScreen as hotkey. You will not be able to use the PrintScreen-key "
    "during this session!";
inline constexpr char kTooManyWindowsText[] =
    "There are too many windows and controls on your screen. Close some applications and "
    "retry.";
inline constexpr char kNoClipboardText[] = "Cannot open clipboard";
inline constexpr char kCaptureMemoryText[] = "Not enough memory to capture the screen.";

// The name of the global atom that identifies the Print Screen hot key.
inline constexpr char kHotkeyAtomName[] = "PrintScreen";

}  // namespace vistlib
