#include "autostart.h"

#include "name_compare.h"
#include "registry_module.h"

namespace vistrel {

std::string AutostartData(std::string_view programDirectory, std::string_view exeName) {
  std::string data(programDirectory);
  // A drive's root already ends in a backslash ("C:\"); a second one would
  // make a path that never matches the running program.
  if (data.empty() || data.back() != '\\') data += '\\';
  data += exeName;
  data += ".exe";
  return data;
}

std::string ReadAutostartEntry(RegistryBackend& registry) {
  const RegistryData value =
      mdlRegistry::QueryValue(registry, Hive::LocalMachine, kAutostartKey, kAutostartValueName);
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) return {};
  std::string entry = *text;
  // The read keeps the stored terminating zero; drop it. A value written
  // without one keeps its last real character.
  if (!entry.empty() && entry.back() == '\0') entry.pop_back();
  return entry;
}

bool AutostartEntryMatches(RegistryBackend& registry, std::string_view expectedData) {
  const std::string entry = ReadAutostartEntry(registry);
  return !entry.empty() && NamesEqual(entry, expectedData);
}

void WriteAutostartEntry(RegistryBackend& registry, std::string_view data) {
  mdlRegistry::StoreValue(registry, Hive::LocalMachine, kAutostartKey, kAutostartValueName,
                          std::string(data), kRegSz);
}

void DeleteAutostartEntry(RegistryBackend& registry) {
  mdlRegistry::DeleteValue(registry, Hive::LocalMachine, kAutostartKey, kAutostartValueName);
}

long SetAutostartEntry(RegistryBackend& registry, bool enabled, std::string_view data) {
  long status = kStatusSuccess;
  const auto key =
      enabled ? registry.Create(Hive::LocalMachine, kAutostartKey, &status)
              : registry.Open(Hive::LocalMachine, kAutostartKey, RegistryAccess::All, &status);
  if (!key) return enabled || status != kStatusNotFound ? status : kStatusSuccess;
  if (enabled) {
    return mdlRegistry::SetValueEx(*key, kAutostartValueName, kRegSz, std::string(data));
  }
  const long deleted = key->Delete(kAutostartValueName);
  return deleted == kStatusNotFound ? kStatusSuccess : deleted;
}

}  // namespace vistrel
