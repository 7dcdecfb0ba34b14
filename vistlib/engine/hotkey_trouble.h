#pragma once
// What the user is told when Print Screen may not reach the program: the
// system's own snipping tool may have the key (a per-user setting), or
// another program holds it. The system never says which program that is.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vistlib {

// HKEY_CURRENT_USER\Control Panel\Keyboard, PrintScreenKeyForSnippingEnabled:
// 1 gives Print Screen to the system's snipping tool.
inline constexpr char kSnippingKeyPath[] = "Control Panel\\Keyboard";
inline constexpr char kSnippingValueName[] = "PrintScreenKeyForSnippingEnabled";

struct HotkeyReport {
  std::string text;  // empty: nothing to say
  // The text is a question: may the snipping setting be turned off?
  bool askToTurnOffSnipping = false;
};

// `registered`: the hot key was registered. `snippingValue`: the setting's
// value, nothing when it is not there (or not a number); it matters only for
// the plain Print Screen key. `keyText`: the chosen key as Setup names it.
HotkeyReport ReportHotkey(bool registered, std::optional<uint32_t> snippingValue,
                          std::string_view keyText = "Print Screen");

// Said when turning the setting off failed; `reason` is the system's text.
std::string SnippingNotChangedText(const std::string& reason);

}  // namespace vistlib
