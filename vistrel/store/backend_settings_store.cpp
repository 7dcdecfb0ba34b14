#include "backend_settings_store.h"

#include <cstring>

#include "registry_module.h"

namespace vistrel {

namespace {

std::string KnownName(std::string_view section, std::string_view key) {
  std::string name(section);
  name += '\\';
  name += key;
  return name;
}

}  // namespace

BackendSettingsStore::BackendSettingsStore(RegistryBackend& registry, std::string application)
    : registry_(registry), application_(std::move(application)) {}

std::string BackendSettingsStore::SectionPath(std::string_view section) const {
  std::string path = kSettingsRoot;
  path += '\\';
  path += application_;
  path += '\\';
  path += section;
  return path;
}

std::string BackendSettingsStore::GetSetting(std::string_view section, std::string_view key,
                                             std::string_view defaultValue) const {
  // An empty section would address the application's key itself; an empty key
  // its unnamed value. Neither is a setting.
  if (section.empty() || key.empty()) return std::string(defaultValue);
  const std::string name = KnownName(section, key);
  if (const auto kept = unsaved_.find(name); kept != unsaved_.end()) return kept->second;
  // Whatever is found, the registry is the truth from here on.
  known_.erase(name);
  const auto sectionKey =
      registry_.Open(Hive::CurrentUser, SectionPath(section), RegistryAccess::Read);
  if (!sectionKey) return std::string(defaultValue);
  RegistryValue raw;
  if (sectionKey->Query(key, raw) != kStatusSuccess) return std::string(defaultValue);
  switch (raw.type) {
    case kRegSz:
    case kRegExpandSz: {
      // The text ends at its terminating zero (or at the data's end when a
      // foreign writer left the zero out).
      const char* chars = reinterpret_cast<const char*>(raw.data.data());
      const size_t length = raw.data.empty() ? 0 : strnlen(chars, raw.data.size());
      std::string text(chars, length);
      // Only a value exactly as SaveSetting would write it counts as known.
      if (raw.type == kRegSz && raw.data.size() == length + 1) known_[name] = text;
      return text;
    }
    case kRegDword: {
      RegistryData number;
      mdlRegistry::QueryValueEx(*sectionKey, key, number);
      if (const auto* value = std::get_if<int32_t>(&number)) return std::to_string(*value);
      return std::string(defaultValue);
    }
    default:
      return std::string(defaultValue);
  }
}

void BackendSettingsStore::SaveSetting(std::string_view section, std::string_view key,
                                       std::string_view value) {
  lastSaveSucceeded_ = false;
  if (section.empty() || key.empty()) return;
  const std::string name = KnownName(section, key);
  const auto known = known_.find(name);
  if (known != known_.end() && known->second == value) {
    lastSaveSucceeded_ = true;
    return;
  }
  known_.erase(name);
  const std::string path = SectionPath(section);
  const std::string text(value);
  long status = kStatusSuccess;
  if (const auto sectionKey = registry_.Create(Hive::CurrentUser, path, &status))
    status = sectionKey->Set(key, kRegSz, text.c_str(), text.size() + 1);
  else if (status == kStatusSuccess)
    status = kStatusAccessDenied;  // a backend that did not say why
  lastSaveSucceeded_ = status == kStatusSuccess;
  if (lastSaveSucceeded_) {
    known_[name] = text;
    unsaved_.erase(name);
    return;
  }
  unsaved_[name] = text;
  if (refusalReported_) return;
  refusalReported_ = true;
  if (report_) report_({path, status});
}

}  // namespace vistrel
