#pragma once
// Finds the outgoing mail server and the user's address in the registry
// entries of other mail programs, and stores a found pair as the program's
// own mail settings.
#include <string>
#include <string_view>
#include <vector>

#include "registry_backend.h"
#include "settings_store.h"

namespace vistrel {

inline constexpr char kNoMailDataText[] = "No data found on this system";

struct FoundMailSettings {
  std::string line;  // ProgList's text
  std::string server;
  std::string address;
};

struct MailSettingsSearch {
  std::vector<FoundMailSettings> found;
  // The line selected when the window opens, or -1. Only the sources before
  // the last two select their first line.
  int selected = -1;
};

// Reads every source in order. Values of another type than text read as empty.
MailSettingsSearch FindMailSettings(RegistryBackend& registry);

// Info's text for a line.
std::string MailSettingsInfo(const FoundMailSettings& entry);

// UseIt: stores the server and address when both are there. Returns whether
// it stored them.
bool UseMailSettings(SettingsStore& store, const FoundMailSettings& entry);

}  // namespace vistrel
