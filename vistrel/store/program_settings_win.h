#pragma once
// The program's settings, filed under its title in the registry.
#include "settings_store.h"

namespace vistrel {

SettingsStore& ProgramSettings();

}  // namespace vistrel
