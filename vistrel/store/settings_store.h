#pragma once
// The per-user settings store: text values addressed by section and key under
// the program's title. The product keeps them in the registry; tests use the
// in-memory backend. Names match without regard to case.
#include <string>
#include <string_view>

namespace vistrel {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or `defaultValue` when the value (or a key above it) is missing.
  virtual std::string GetSetting(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const = 0;
  // Creates the keys when they are missing and writes the value.
  virtual void SaveSetting(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
};

// A stored Boolean: "True" (any case) and any non-zero number are true.
bool SettingIsTrue(std::string_view text);

}  // namespace vistrel
