#pragma once
// The Windows registry as a RegistryBackend (ANSI names, advapi32).
#include "registry_backend.h"

namespace vistrel {

class WindowsRegistry : public RegistryBackend {
 public:
  std::unique_ptr<RegistryKey> Open(Hive hive, std::string_view keyPath, RegistryAccess access,
                                    long* status = nullptr) override;
  std::unique_ptr<RegistryKey> Create(Hive hive, std::string_view keyPath,
                                      long* status = nullptr) override;
};

// The process's one registry backend.
WindowsRegistry& SystemRegistry();

}  // namespace vistrel
