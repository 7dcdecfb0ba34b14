#include "registry_settings_store_win.h"

#include "registry_backend_win.h"

namespace vistrel {

RegistrySettingsStore::RegistrySettingsStore(std::string application)
    : BackendSettingsStore(SystemRegistry(), std::move(application)) {}

}  // namespace vistrel
