#pragma once
// A registry-shaped store of typed values: predefined hives, backslash-separated
// key paths, named values with a type and raw bytes. The program uses the
// Windows registry through it; native tests use the in-memory one. Key and
// value names match without regard to case.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vistrel {

enum class Hive { CurrentUser, LocalMachine };

// Value types, numbered as the registry numbers them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

// Statuses, numbered as the registry numbers them (0 = success).
inline constexpr long kStatusSuccess = 0;
inline constexpr long kStatusNotFound = 2;
inline constexpr long kStatusAccessDenied = 5;
inline constexpr long kStatusInvalidParameter = 87;
// The registry module's own status for a value of a type it does not read.
inline constexpr long kStatusUnreadableType = -1;

enum class RegistryAccess {
  Read,  // query values only
  All,   // query, set and delete values
};

struct RegistryValue {
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
};

// An open key. Closing is the destructor's work.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Fills `value` with the value's type and bytes; on failure leaves it alone.
  virtual long Query(std::string_view valueName, RegistryValue& value) const = 0;
  virtual long Set(std::string_view valueName, uint32_t type, const void* data, size_t size) = 0;
  virtual long Delete(std::string_view valueName) = 0;
};

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  // Opens an existing key; nullptr (with `status`, when given) when it is missing
  // or the access is refused.
  virtual std::unique_ptr<RegistryKey> Open(Hive hive, std::string_view keyPath,
                                            RegistryAccess access, long* status = nullptr) = 0;
  // Opens the key for all access, creating it and any missing keys above it.
  virtual std::unique_ptr<RegistryKey> Create(Hive hive, std::string_view keyPath,
                                              long* status = nullptr) = 0;
};

}  // namespace vistrel
