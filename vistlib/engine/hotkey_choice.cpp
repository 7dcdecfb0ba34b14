#include "hotkey_choice.h"

namespace vistlib {

std::vector<std::string> HotkeyChoices() {
  std::vector<std::string> choices{kDefaultHotkeyText, "Ctrl+Print Screen", "Alt+Print Screen",
                                   "Shift+Print Screen"};
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    choices.push_back(std::string("Ctrl+Shift+") + letter);
  return choices;
}

std::optional<Hotkey> ParseHotkey(std::string_view text) {
  const std::vector<std::string> choices = HotkeyChoices();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i] != text) continue;
    switch (i) {
      case 0:
        return Hotkey{};
      case 1:
        return Hotkey{kModControl, kKeyPrintScreen};
      case 2:
        return Hotkey{kModAlt, kKeyPrintScreen};
      case 3:
        return Hotkey{kModShift, kKeyPrintScreen};
      default:
        return Hotkey{kModControl | kModShift, static_cast<unsigned>('A' + (i - 4))};
    }
  }
  return std::nullopt;
}

}  // namespace vistlib
