#include "setup_settings.h"

#include "autostart.h"
#include "hotkey_choice.h"
#include "mail_security.h"
#include "number_text.h"
#include "registry_module.h"
#include "smtp_client.h"

namespace vistrel {

namespace {

constexpr int kScaleSystemCount = 5;

int StoredInteger(const SettingsStore& store, std::string_view section, std::string_view key,
                  std::string_view defaultValue) {
  return RoundToInt32(Val(store.GetSetting(section, key, defaultValue))).value_or(0);
}

const char* Flag(bool on) { return on ? "1" : "0"; }

int DefaultReplyLimit() { return mail::SmtpTimeouts{}.replyMs / 1000; }

// The reply limit field's number as it is kept: an empty field or 0 means the
// usual limit, a larger number than allowed the longest one.
int ReplyLimitForField(std::string_view text) {
  if (const int seconds = ReplyLimitFromText(text)) return seconds;
  const bool tooLarge = !text.empty() && text.find_first_not_of("0123456789") == text.npos &&
                        text.find_first_not_of('0') != text.npos;
  return tooLarge ? kLongestReplyLimit : DefaultReplyLimit();
}

// An entry left under `valueName` (the current title or the previous
// edition's name) is replaced by the current entry under the lower-case title.
// A user who may not write the key keeps what is there.
void MoveAutostartEntry(RegistryBackend& registry, std::string_view valueName,
                        std::string_view data) {
  const RegistryData stored =
      mdlRegistry::QueryValue(registry, Hive::LocalMachine, kAutostartKey, valueName);
  const auto* text = std::get_if<std::string>(&stored);
  if (text == nullptr || text->empty() || text->front() == '\0') return;
  const auto key = registry.Open(Hive::LocalMachine, kAutostartKey, RegistryAccess::All);
  if (!key) return;
  key->Delete(valueName);
  mdlRegistry::SetValueEx(*key, "tarnwick vistrel", kRegSz, std::string(data));
}

}  // namespace

SetupValues LoadSetupSettings(SettingsStore& store, RegistryBackend& registry,
                              std::string_view autostartData,
                              const std::function<void()>& dialogOpened) {
  SetupValues values;
  values.scaleSystem = StoredInteger(store, "Divers", "ScaleSystem", "0");
  if (values.scaleSystem < 0 || values.scaleSystem >= kScaleSystemCount) values.scaleSystem = 0;
  if (dialogOpened) dialogOpened();
  ReloadMailFields(store, values);
  if (!autostartData.empty()) {
    MoveAutostartEntry(registry, kAutostartValueName, autostartData);
    MoveAutostartEntry(registry, kPreviousAutostartValueName, autostartData);
  }
  for (int page = 0; page < kSetupPageCount; ++page) {
    values.notShow[page] = StoredInteger(store, "Show", std::to_string(page), "0") != 0;
  }
  values.endAfterShot = StoredInteger(store, "Divers", "EndAfterShot", "0") != 0;
  values.includeMouseCursor = SettingIsTrue(store.GetSetting("Divers", "ShowCursor", "True"));
  values.autostart = !autostartData.empty() && AutostartEntryMatches(registry, autostartData);
  values.hotkey = StoredHotkey(store);
  return values;
}

std::string StoredHotkey(const SettingsStore& store) {
  const std::string stored = store.GetSetting("Divers", "HotKey", vistlib::kDefaultHotkeyText);
  return vistlib::ParseHotkey(stored) ? stored : vistlib::kDefaultHotkeyText;
}

std::string CaptureMenuText(const std::string& hotkeyText) {
  // The key's own short name when it is the plain key, as the menu always showed it.
  return "&Make Vistrel  " +
         (hotkeyText == vistlib::kDefaultHotkeyText ? std::string("Prtscr") : hotkeyText);
}

void ReloadMailFields(const SettingsStore& store, SetupValues& values) {
  values.smtpServer = store.GetSetting("Mail", "SMTP_Server", "");
  values.mailAddress = store.GetSetting("Mail", "Reply_Address", "");
  values.smtpPort = store.GetSetting("Mail", "SMTP_Port", "25");
  std::string host;
  uint16_t port = 25;
  bool named = false;
  // Only the port moves to its field; the server keeps the text as typed
  // (an address literal keeps its brackets).
  if (mail::SplitServer(values.smtpServer, host, port, &named) && named) {
    values.smtpServer.erase(values.smtpServer.rfind(':'));
    values.smtpPort = std::to_string(port);
  }
  values.smtpSecurity =
      static_cast<int>(mail::SecurityFromText(store.GetSetting("Mail", "SMTP_Security", "")));
  values.smtpUser = store.GetSetting("Mail", "SMTP_User", "");
  values.smtpPasswordStored = store.GetSetting("Mail", "SMTP_Password", "");
  const int replyLimit = ReplyLimitFromText(store.GetSetting("Mail", "SMTP_Timeout", ""));
  values.replyLimit = std::to_string(replyLimit ? replyLimit : DefaultReplyLimit());
}

void SaveSetupSettings(SettingsStore& store, const SetupValues& values, const SetupSaveHost& host) {
  store.SaveSetting("Divers", "ScaleSystem", std::to_string(values.scaleSystem));
  store.SaveSetting("Mail", "SMTP_Server", values.smtpServer);
  store.SaveSetting("Mail", "Reply_Address", values.mailAddress);
  store.SaveSetting("Mail", "SMTP_Port", values.smtpPort);
  store.SaveSetting("Mail", "SMTP_Security",
                    mail::SecurityName(static_cast<mail::Security>(values.smtpSecurity)));
  store.SaveSetting("Mail", "SMTP_User", values.smtpUser);
  store.SaveSetting("Mail", "SMTP_Password", values.smtpPasswordStored);
  store.SaveSetting("Mail", "SMTP_Timeout", std::to_string(ReplyLimitForField(values.replyLimit)));
  for (int page = 0; page < kSetupPageCount; ++page) {
    store.SaveSetting("Show", std::to_string(page), Flag(values.notShow[page]));
  }
  // Every capture reads this setting, so storing it is what switches the cursor.
  store.SaveSetting("Divers", "ShowCursor", values.includeMouseCursor ? "True" : "False");
  store.SaveSetting("Divers", "EndAfterShot", Flag(values.endAfterShot));
  store.SaveSetting("Divers", "HotKey", values.hotkey);
  if (host.copyNotShow) {
    for (int page = 0; page < kSetupPageCount; ++page) host.copyNotShow(page, values.notShow[page]);
  }
  if (host.applyAutostart) host.applyAutostart(values.autostart);
  // Reloads the unit from the stored "ScaleSystem" and shows the sizes in it.
  if (host.refreshSizes) host.refreshSizes();
}

AutostartOutcome ApplyAutostartBox(RegistryBackend& registry, bool wanted,
                                   std::string_view autostartData) {
  const long status = autostartData.empty() && wanted
                          ? kStatusNotFound
                          : SetAutostartEntry(registry, wanted, autostartData);
  AutostartOutcome outcome;
  outcome.isSet = !autostartData.empty() && AutostartEntryMatches(registry, autostartData);
  if (outcome.isSet == wanted) return outcome;
  std::string& text = outcome.failure;
  text = wanted ? "Tarnwick Vistrel could not be set to start with Windows."
                : "Tarnwick Vistrel could not be taken out of the programs that "
                  "start with Windows.";
  if (status == kStatusAccessDenied) {
    text +=
        " The list of programs that start with Windows belongs to every user of this computer, "
        "and only an administrator may change it. Start Tarnwick Vistrel as an administrator "
        "to change this setting.";
  } else {
    text += " The registry refused the change (error " + std::to_string(status) + ").";
  }
  return outcome;
}

}  // namespace vistrel
