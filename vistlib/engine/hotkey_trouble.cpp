#include "hotkey_trouble.h"

#include "engine_texts.h"

namespace vistlib {

namespace {

std::string SnippingCause() {
  return std::string(
             "Windows gives the Print Screen key to its own snipping tool: the setting \"") +
         kSnippingValueName + "\" under HKEY_CURRENT_USER\\" + kSnippingKeyPath +
         " is 1, so pressing Print Screen may not make a Vistrel.";
}

}  // namespace

HotkeyReport ReportHotkey(bool registered, std::optional<uint32_t> snippingValue) {
  HotkeyReport report;
  const std::string unregistered = std::string(kHotkeyErrorText) + "\n\n";
  if (snippingValue == 1u) {
    report.text = (registered ? std::string() : unregistered) + SnippingCause() +
                  "\n\nTurn this setting off for your user account? Only this one value is "
                  "changed; Print Screen then comes to Vistrel.";
    report.askToTurnOffSnipping = true;
  } else if (!registered) {
    report.text = unregistered +
                  "Another program holds the Print Screen key (Windows does not say which). "
                  "Close that program and start Vistrel again to use the key.";
  }
  return report;
}

std::string SnippingNotChangedText(const std::string& reason) {
  return std::string("The setting \"") + kSnippingValueName +
         "\" could not be turned off: " + reason;
}

}  // namespace vistlib
