#pragma once
// What the setup dialog shows and stores, without the dialog: the order in
// which its values are read and written, their stored forms, and the
// machine-wide autostart entry it keeps up to date.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "registry_backend.h"
#include "settings_store.h"

namespace vistrel {

inline constexpr int kSetupPageCount = 7;

// The autostart value name the previous edition of the program registered
// itself under; opening the dialog moves such an entry to the current name.
inline constexpr char kPreviousAutostartValueName[] = "Vistrel 98";

// The dialog's controls, as values.
struct SetupValues {
  int scaleSystem = 0;  // ScaleSys's list index
  std::string smtpServer;
  std::string mailAddress;
  // The port field; a port written in the server text is shown here (it is the one used).
  std::string smtpPort;
  int smtpSecurity = 0;  // the encryption list's index: None, STARTTLS, TLS
  std::string smtpUser;
  std::string smtpPasswordStored;  // the password as stored (encrypted; the dialog shows it)
  std::string replyLimit = "120";  // seconds the mail waits for each reply of the server
  std::array<bool, kSetupPageCount> notShow{};
  bool endAfterShot = false;
  bool includeMouseCursor = true;
  bool autostart = false;
  std::string hotkey = "Print Screen";  // the capture key's name
};

// The stored capture key, or Print Screen when none (or no valid one) is stored.
std::string StoredHotkey(const SettingsStore& store);

// The tray menu's capture item, naming the capture key.
std::string CaptureMenuText(const std::string& hotkeyText);

// Reads every value in the dialog's load order. `dialogOpened` runs where the
// dialog marks itself open (after the unit, before the mail fields). Between
// the mail fields and the page boxes, an autostart entry under the program's
// title or the previous edition's name is rewritten to `autostartData` under
// the current name (nothing happens when the key may not be written).
SetupValues LoadSetupSettings(SettingsStore& store, RegistryBackend& registry,
                              std::string_view autostartData,
                              const std::function<void()>& dialogOpened);

// The mail fields, as the mail settings finder may have left them. A server
// text "host:port" shows as the host and, in the port field, its port.
void ReloadMailFields(const SettingsStore& store, SetupValues& values);

// What saving asks of the rest of the program, called in the save order.
struct SetupSaveHost {
  std::function<void(int page, bool on)> copyNotShow;  // the wizard's own page box
  // Writes (true) or deletes (false) the autostart entry.
  std::function<void(bool enabled)> applyAutostart;
  // Reloads the unit from the stored "ScaleSystem" and shows every size in it.
  std::function<void()> refreshSizes;
};

// Stores every value in the save order and calls the host's steps between.
void SaveSetupSettings(SettingsStore& store, const SetupValues& values,
                       const SetupSaveHost& host);

// The autostart box's choice applied: whether the entry now names the program,
// and, when that is not what the user asked for, the message saying why.
struct AutostartOutcome {
  bool isSet = false;
  std::string failure;
};
AutostartOutcome ApplyAutostartBox(RegistryBackend& registry, bool wanted,
                                   std::string_view autostartData);

}  // namespace vistrel
