#pragma once
// The settings store kept in memory: the same addressing, case-insensitive
// names and missing-value behaviour as the registry store, for native tests.
#include "backend_settings_store.h"
#include "memory_registry.h"

namespace vistrel {

class MemorySettingsStore : public BackendSettingsStore {
 public:
  explicit MemorySettingsStore(std::string application = kSettingsApplication)
      : BackendSettingsStore(registry_, std::move(application)) {}

  // The registry underneath, to look at raw values or plant odd ones.
  MemoryRegistry& Registry() { return registry_; }

 private:
  // Constructed before the base uses it: the base only keeps the reference.
  MemoryRegistry registry_;
};

}  // namespace vistrel
