#include "registry_backend_win.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vistrel {

namespace {

// The access the settings store and the registry module ask for when they
// write: query, set, create subkeys, enumerate, notify, create link.
constexpr REGSAM kAllAccess = 0x3F;

HKEY RootOf(Hive hive) {
  return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Owns an open key; closes it when it goes.
class WindowsKey : public RegistryKey {
 public:
  explicit WindowsKey(HKEY key) : key_(key) {}
  ~WindowsKey() override { RegCloseKey(key_); }
  WindowsKey(const WindowsKey&) = delete;
  WindowsKey& operator=(const WindowsKey&) = delete;

  long Query(std::string_view valueName, RegistryValue& value) const override {
    const std::string name(valueName);
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<uint8_t> data;
    // The value may grow between asking for its size and reading it.
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 8; ++attempt) {
      data.resize(size);
      DWORD got = size;
      status = RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                data.empty() ? nullptr : data.data(), &got);
      if (status == ERROR_MORE_DATA) {
        size = got > size ? got : size * 2 + 16;
        status = ERROR_SUCCESS;
        continue;
      }
      if (status == ERROR_SUCCESS) {
        data.resize(got);
        value.type = type;
        value.data = std::move(data);
        return ERROR_SUCCESS;
      }
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
  }

  long Set(std::string_view valueName, uint32_t type, const void* data, size_t size) override {
    if (size > 0xFFFFFFFFu) return ERROR_INVALID_PARAMETER;
    const std::string name(valueName);
    return RegSetValueExA(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size));
  }

  long Delete(std::string_view valueName) override {
    const std::string name(valueName);
    return RegDeleteValueA(key_, name.c_str());
  }

 private:
  HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> WindowsRegistry::Open(Hive hive, std::string_view keyPath,
                                                   RegistryAccess access, long* status) {
  const std::string path(keyPath);
  HKEY key = nullptr;
  const LONG result = RegOpenKeyExA(RootOf(hive), path.c_str(), 0,
                                    access == RegistryAccess::Read ? KEY_READ : kAllAccess, &key);
  if (status != nullptr) *status = result;
  if (result != ERROR_SUCCESS) return nullptr;
  return std::make_unique<WindowsKey>(key);
}

std::unique_ptr<RegistryKey> WindowsRegistry::Create(Hive hive, std::string_view keyPath,
                                                     long* status) {
  const std::string path(keyPath);
  HKEY key = nullptr;
  const LONG result = RegCreateKeyExA(RootOf(hive), path.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, kAllAccess, nullptr, &key, nullptr);
  if (status != nullptr) *status = result;
  if (result != ERROR_SUCCESS) return nullptr;
  return std::make_unique<WindowsKey>(key);
}

WindowsRegistry& SystemRegistry() {
  static WindowsRegistry registry;
  return registry;
}

}  // namespace vistrel
