#pragma once
// The registry kept in memory, with the registry's addressing and its
// case-insensitive names, for tests and platforms without a registry.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "registry_backend.h"

namespace vistrel {

class MemoryRegistry : public RegistryBackend {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  std::unique_ptr<RegistryKey> Open(Hive hive, std::string_view keyPath, RegistryAccess access,
                                    long* status = nullptr) override;
  std::unique_ptr<RegistryKey> Create(Hive hive, std::string_view keyPath,
                                      long* status = nullptr) override;

  // Acts as a user who may read the hive but not write to it: opening for all
  // access and creating keys there are refused.
  void DenyWrites(Hive hive, bool deny = true);

  // Whether the key exists (for tests that check what was created).
  bool KeyExists(Hive hive, std::string_view keyPath) const;
  // How many values are stored in all hives.
  size_t ValueCount() const;

  struct Node;

 private:
  Node* Find(Hive hive, std::string_view keyPath) const;

  std::unique_ptr<Node> currentUser_;
  std::unique_ptr<Node> localMachine_;
  std::set<Hive> readOnly_;
};

}  // namespace vistrel
