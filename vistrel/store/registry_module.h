#pragma once
// mdlRegistry: direct access to any registry key, for the machine-wide
// autostart entry and the mail settings finder. Nothing here reports to the
// user: a key that cannot be opened makes the operation a no-op.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "registry_backend.h"

namespace vistrel {

// What a read gives: nothing, text (a REG_SZ value, its terminating zero
// included as the last character) or a 32-bit integer (a REG_DWORD value).
using RegistryData = std::variant<std::monostate, std::string, int32_t>;

inline bool IsEmpty(const RegistryData& data) {
  return std::holds_alternative<std::monostate>(data);
}

namespace mdlRegistry {

// Opens the key for reading, reads the value, closes the key. Empty when the
// key cannot be opened or the value cannot be read.
RegistryData QueryValue(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                        std::string_view valueName);

// Reads a value from an open key. REG_SZ gives the text with its terminating
// zero, REG_DWORD the integer; any other type gives kStatusUnreadableType. On
// any failure `value` is left untouched.
long QueryValueEx(const RegistryKey& key, std::string_view valueName, RegistryData& value);

// Opens the key for writing, writes the value with `type`, closes the key.
void StoreValue(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                std::string_view valueName, const RegistryData& value, uint32_t type);

// REG_SZ: the text and its terminating zero, the zero counted in the length.
// REG_DWORD: a 4-byte integer. Any other type writes nothing.
long SetValueEx(RegistryKey& key, std::string_view valueName, uint32_t type,
                const RegistryData& value);

// Opens the key for writing, deletes the value, closes the key.
void DeleteValue(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                 std::string_view valueName);

}  // namespace mdlRegistry

// A value read as text without its terminating zero: REG_SZ as stored,
// REG_DWORD in decimal; empty when the key or value is missing or of another type.
std::string QueryValueText(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                           std::string_view valueName);
}  // namespace vistrel
