#include "mail_settings_finder.h"

namespace vistrel {

namespace {

constexpr char kAccountsKey[] = "Software\\Microsoft\\Internet Account Manager\\Accounts\\";
constexpr char kMailAndNewsKey[] = "Software\\Microsoft\\Internet Mail and News\\Mail\\";
constexpr char kNavigatorServicesKey[] = "Software\\Netscape\\netscape Navigator\\Services";
constexpr char kNavigatorUsersKey[] = "SOFTWARE\\Netscape\\Netscape Navigator\\Users\\";
constexpr char kNicheWareKey[] = "Software\\VB and VBA Program Settings\\NicheWare\\User";
constexpr char kGroupMailKey[] = "Software\\VB and VBA Program Settings\\Group Mail\\Setup";

// The value's text without its terminating zero. A missing key or value, or a
// value that is not text (a number, binary data), reads as empty.
std::string ReadText(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                     std::string_view valueName) {
  const auto key = registry.Open(hive, keyPath, RegistryAccess::Read);
  if (!key) return {};
  RegistryValue value;
  if (key->Query(valueName, value) != kStatusSuccess) return {};
  if (value.type != kRegSz && value.type != kRegExpandSz) return {};
  const std::string text(value.data.begin(), value.data.end());
  return text.substr(0, text.find('\0'));
}

// One account pass: account keys from `first` on, each made by `name`, until
// the first account without a name.
template <typename NameOf>
void AccountPass(RegistryBackend& registry, long first, long last, NameOf name,
                 std::vector<FoundMailSettings>& found) {
  for (long k = first; k <= last; ++k) {
    std::string number = name(k);
    if (number.size() < 8) number.insert(0, 8 - number.size(), '0');
    const std::string key = kAccountsKey + number;
    const std::string account = ReadText(registry, Hive::CurrentUser, key, "Account Name");
    if (account.empty()) return;
    std::string address = ReadText(registry, Hive::CurrentUser, key, "SMTP Email Address");
    if (address.empty()) continue;
    found.push_back({"Microsoft Outlook Account (" + account + ")",
                     ReadText(registry, Hive::CurrentUser, key, "SMTP Server"),
                     std::move(address)});
  }
}

// A source of program settings: a line when its server is there, the address
// when there is one.
void ProgramSettingsSource(RegistryBackend& registry, const char* keyPath, const char* line,
                           const char* serverName, const char* addressName,
                           std::vector<FoundMailSettings>& found) {
  std::string server = ReadText(registry, Hive::CurrentUser, keyPath, serverName);
  if (server.empty()) return;
  found.push_back(
      {line, std::move(server), ReadText(registry, Hive::CurrentUser, keyPath, addressName)});
}

}  // namespace

MailSettingsSearch FindMailSettings(RegistryBackend& registry) {
  MailSettingsSearch search;
  auto& found = search.found;
  // Account numbers are eight characters: decimal 00000001 and up, then
  // single characters from 0000000a on (up to the last one-byte code).
  AccountPass(registry, 1, 99999999, [](long k) { return std::to_string(k); }, found);
  AccountPass(registry, 'a', 255,
              [](long k) { return std::string(1, static_cast<char>(k)); }, found);

  const std::string mailServer =
      ReadText(registry, Hive::CurrentUser, kMailAndNewsKey, "Default SMTP Server");
  if (!mailServer.empty()) {
    found.push_back({"Microsoft Mail & News (Default SMTP Server)", mailServer,
                     ReadText(registry, Hive::CurrentUser, kMailAndNewsKey, "Sender EMail")});
  }

  const std::string navigatorServer =
      ReadText(registry, Hive::CurrentUser, kNavigatorServicesKey, "SMTP_Server");
  if (!navigatorServer.empty()) {
    const std::string user =
        ReadText(registry, Hive::LocalMachine, kNavigatorUsersKey, "CurrentUser");
    std::string address = ReadText(registry, Hive::LocalMachine,
                                   std::string(kNavigatorUsersKey) + user, "EmailAddr");
    if (!address.empty()) {
      found.push_back({"Netscape Navigator (User: " + user + ")", navigatorServer,
                       std::move(address)});
    }
  }

  if (!found.empty()) search.selected = 0;

  ProgramSettingsSource(registry, kNicheWareKey, "Niche Ware", "SMTP", "E-Mail", found);
  ProgramSettingsSource(registry, kGroupMailKey, "Firebird Group Mail", "SMTP Server",
                        "Email Address", found);
  return search;
}

std::string MailSettingsInfo(const FoundMailSettings& entry) {
  return "Your SMTP-Server: " + entry.server + "\r Your mail address: " + entry.address;
}

bool UseMailSettings(SettingsStore& store, const FoundMailSettings& entry) {
  if (entry.server.empty() || entry.address.empty()) return false;
  store.SaveSetting("Mail", "SMTP_Server", entry.server);
  store.SaveSetting("Mail", "Reply_Address", entry.address);
  return true;
}

}  // namespace vistrel
