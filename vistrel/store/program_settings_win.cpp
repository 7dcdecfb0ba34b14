#include "program_settings_win.h"

#include "registry_settings_store_win.h"

namespace vistrel {

SettingsStore& ProgramSettings() {
  static RegistrySettingsStore store;
  return store;
}

}  // namespace vistrel
