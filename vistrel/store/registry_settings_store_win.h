#pragma once
// The settings store in the registry, at
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.
#include "backend_settings_store.h"

namespace vistrel {

class RegistrySettingsStore : public BackendSettingsStore {
 public:
  explicit RegistrySettingsStore(std::string application = kSettingsApplication);
};

}  // namespace vistrel
