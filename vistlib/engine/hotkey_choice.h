#pragma once
// The key that makes a capture: Print Screen (the default), Print Screen with
// one modifier, or a letter with Ctrl and Shift (a letter with Shift alone
// would only type a capital). Stored as the text Setup lists.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistlib {

// The system's modifier bits and virtual-key codes.
inline constexpr unsigned kModAlt = 0x1, kModControl = 0x2, kModShift = 0x4;
inline constexpr unsigned kKeyPrintScreen = 0x2C;

inline constexpr char kDefaultHotkeyText[] = "Print Screen";

struct Hotkey {
  unsigned modifiers = 0;
  unsigned key = kKeyPrintScreen;
  bool operator==(const Hotkey&) const = default;
};

// Every choice, in the order Setup lists them, the default first.
std::vector<std::string> HotkeyChoices();

// The key a text names; nothing for a text that is not one of the choices.
std::optional<Hotkey> ParseHotkey(std::string_view text);

// The plain Print Screen key, the one the system's snipping tool may take.
inline bool IsPlainPrintScreen(const Hotkey& k) { return k == Hotkey{}; }

}  // namespace vistlib
