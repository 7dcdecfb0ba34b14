#include "memory_registry.h"

#include <cstring>
#include <vector>

#include "name_compare.h"

namespace vistrel {

struct MemoryRegistry::Node {
  std::map<std::string, std::unique_ptr<Node>, NameLess> children;
  std::map<std::string, RegistryValue, NameLess> values;
};

namespace {

using Node = MemoryRegistry::Node;

// Splits "A\B\C" into its names. A single trailing backslash is tolerated, as
// the registry does; any other empty name makes the path invalid.
bool SplitPath(std::string_view path, std::vector<std::string_view>& names) {
  names.clear();
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return true;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    const std::string_view name =
        path.substr(start, end == std::string_view::npos ? path.npos : end - start);
    if (name.empty()) return false;
    names.push_back(name);
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

class MemoryKey : public RegistryKey {
 public:
  MemoryKey(Node& node, bool writable) : node_(node), writable_(writable) {}

  long Query(std::string_view valueName, RegistryValue& value) const override {
    const auto found = node_.values.find(valueName);
    if (found == node_.values.end()) return kStatusNotFound;
    value = found->second;
    return kStatusSuccess;
  }

  long Set(std::string_view valueName, uint32_t type, const void* data, size_t size) override {
    if (!writable_) return kStatusAccessDenied;
    if (size > 0 && data == nullptr) return kStatusInvalidParameter;
    RegistryValue value;
    value.type = type;
    value.data.resize(size);
    if (size > 0) std::memcpy(value.data.data(), data, size);
    const auto found = node_.values.find(valueName);
    if (found != node_.values.end()) {
      found->second = std::move(value);
    } else {
      node_.values.emplace(std::string(valueName), std::move(value));
    }
    return kStatusSuccess;
  }

  long Delete(std::string_view valueName) override {
    if (!writable_) return kStatusAccessDenied;
    const auto found = node_.values.find(valueName);
    if (found == node_.values.end()) return kStatusNotFound;
    node_.values.erase(found);
    return kStatusSuccess;
  }

 private:
  Node& node_;
  bool writable_;
};

size_t CountValues(const Node& node) {
  size_t count = node.values.size();
  for (const auto& [name, child] : node.children) count += CountValues(*child);
  return count;
}

}  // namespace

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Node>()), localMachine_(std::make_unique<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Node* MemoryRegistry::Find(Hive hive, std::string_view keyPath) const {
  std::vector<std::string_view> names;
  if (!SplitPath(keyPath, names)) return nullptr;
  Node* node = hive == Hive::CurrentUser ? currentUser_.get() : localMachine_.get();
  for (const std::string_view name : names) {
    const auto found = node->children.find(name);
    if (found == node->children.end()) return nullptr;
    node = found->second.get();
  }
  return node;
}

std::unique_ptr<RegistryKey> MemoryRegistry::Open(Hive hive, std::string_view keyPath,
                                                  RegistryAccess access, long* status) {
  long result = kStatusSuccess;
  std::unique_ptr<RegistryKey> key;
  Node* node = Find(hive, keyPath);
  if (node == nullptr) {
    result = kStatusNotFound;
  } else if (access == RegistryAccess::All && readOnly_.count(hive) != 0) {
    result = kStatusAccessDenied;
  } else {
    key = std::make_unique<MemoryKey>(*node, access == RegistryAccess::All);
  }
  if (status != nullptr) *status = result;
  return key;
}

std::unique_ptr<RegistryKey> MemoryRegistry::Create(Hive hive, std::string_view keyPath,
                                                    long* status) {
  std::vector<std::string_view> names;
  long result = kStatusSuccess;
  std::unique_ptr<RegistryKey> key;
  if (!SplitPath(keyPath, names)) {
    result = kStatusInvalidParameter;
  } else if (readOnly_.count(hive) != 0) {
    result = kStatusAccessDenied;
  } else {
    Node* node = hive == Hive::CurrentUser ? currentUser_.get() : localMachine_.get();
    for (const std::string_view name : names) {
      auto found = node->children.find(name);
      if (found == node->children.end()) {
        found = node->children.emplace(std::string(name), std::make_unique<Node>()).first;
      }
      node = found->second.get();
    }
    key = std::make_unique<MemoryKey>(*node, true);
  }
  if (status != nullptr) *status = result;
  return key;
}

void MemoryRegistry::DenyWrites(Hive hive, bool deny) {
  if (deny) {
    readOnly_.insert(hive);
  } else {
    readOnly_.erase(hive);
  }
}

bool MemoryRegistry::KeyExists(Hive hive, std::string_view keyPath) const {
  return Find(hive, keyPath) != nullptr;
}

size_t MemoryRegistry::ValueCount() const {
  return CountValues(*currentUser_) + CountValues(*localMachine_);
}

}  // namespace vistrel
