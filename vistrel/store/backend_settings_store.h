#pragma once
// The settings store over a registry-shaped backend: each setting is a REG_SZ
// value named after its key, in
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.
#include <functional>
#include <map>
#include <string>

#include "name_compare.h"
#include "registry_backend.h"
#include "settings_store.h"

namespace vistrel {

// The application name every setting of the program is filed under.
inline constexpr char kSettingsApplication[] = "Tarnwick Vistrel";
inline constexpr char kSettingsRoot[] = "Software\\VB and VBA Program Settings";

class BackendSettingsStore : public SettingsStore {
 public:
  // The backend must outlive the store.
  BackendSettingsStore(RegistryBackend& registry, std::string application = kSettingsApplication);

  std::string GetSetting(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const override;
  void SaveSetting(std::string_view section, std::string_view key, std::string_view value) override;

  // Whether the last SaveSetting reached the store (false when the key could
  // not be created or written).
  bool LastSaveSucceeded() const { return lastSaveSucceeded_; }

  // Called at the first write the registry refuses, once for the store's life:
  // one refusal says all, and a message per value would bury the user. The
  // refused values are kept in memory and read back from there, so the session
  // goes on with the user's choices; they are lost when the program ends.
  struct Refusal {
    std::string keyPath;  // below HKEY_CURRENT_USER
    long status = 0;      // the registry's status
  };
  void OnFirstRefusal(std::function<void(const Refusal&)> report) { report_ = std::move(report); }

  // The key path of a section, below HKEY_CURRENT_USER.
  std::string SectionPath(std::string_view section) const;

 private:
  RegistryBackend& registry_;
  std::string application_;
  bool lastSaveSucceeded_ = true;
  // The text values this store last read from the registry or wrote to it, by
  // "section\key". Writing one of them again would change nothing, so the
  // write is left out: the wizard saves all its settings at every page move,
  // and each write is a round trip to the system.
  mutable std::map<std::string, std::string, NameLess> known_;
  // Values the registry refused, by "section\key": this session's, not stored.
  std::map<std::string, std::string, NameLess> unsaved_;
  std::function<void(const Refusal&)> report_;
  bool refusalReported_ = false;
};

}  // namespace vistrel
