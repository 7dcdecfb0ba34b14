#include "hotkey_trouble.h"

#include "engine_texts.h"
#include "hotkey_choice.h"

namespace vistlib {

namespace {

std::string SnippingCause() {
  return std::string(
             "Windows gives the Print Screen key to its own snipping tool: the setting \"") +
         kSnippingValueName + "\" under HKEY_CURRENT_USER\\" + kSnippingKeyPath +
         " is 1, so pressing Print Screen may not make a Vistrel.";
}

}  // namespace

HotkeyReport ReportHotkey(bool registered, std::optional<uint32_t> snippingValue,
                          std::string_view keyText) {
  HotkeyReport report;
  if (keyText != kDefaultHotkeyText) {
    // Another key than Print Screen: the snipping tool does not take it.
    if (!registered)
      report.text = "Unable to assign " + std::string(keyText) +
                    " as hotkey: another program holds that key (Windows does not say which). "
                    "Choose another key in Setup.";
    return report;
  }
  const std::string unregistered = std::string(kHotkeyErrorText) + "\n\n";
  if (snippingValue == 1u) {
    report.text = (registered ? std::string() : unregistered) + SnippingCause() +
                  "\n\nTurn this setting off for your user account? Only this one value is "
                  "changed; Print Screen then comes to Vistrel.";
    report.askToTurnOffSnipping = true;
  } else if (!registered) {
    report.text = unregistered +
                  "Another program holds the Print Screen key (Windows does not say which). "
                  "Close that program, or choose another key in Setup.";
  }
  return report;
}

std::string SnippingNotChangedText(const std::string& reason) {
  return std::string("The setting \"") + kSnippingValueName +
         "\" could not be turned off: " + reason;
}

}  // namespace vistlib
