#include "registry_module.h"

#include <cstring>

#include "number_text.h"

namespace vistrel::mdlRegistry {

RegistryData QueryValue(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                        std::string_view valueName) {
  RegistryData value;
  // Read access is enough to read: asking for more would make every read of
  // HKEY_LOCAL_MACHINE fail for a user who may not write there.
  const auto key = registry.Open(hive, keyPath, RegistryAccess::Read);
  if (key) QueryValueEx(*key, valueName, value);
  return value;
}

long QueryValueEx(const RegistryKey& key, std::string_view valueName, RegistryData& value) {
  RegistryValue raw;
  const long status = key.Query(valueName, raw);
  if (status != kStatusSuccess) return status;
  switch (raw.type) {
    case kRegSz:
      // Every stored character, the terminating zero included.
      value = std::string(raw.data.begin(), raw.data.end());
      return kStatusSuccess;
    case kRegDword: {
      // A short value reads as zero-extended; a long one by its first four bytes.
      uint8_t bytes[4] = {0, 0, 0, 0};
      std::memcpy(bytes, raw.data.data(), raw.data.size() < 4 ? raw.data.size() : 4);
      const uint32_t number =
          static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
          static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
      value = static_cast<int32_t>(number);
      return kStatusSuccess;
    }
    default:
      return kStatusUnreadableType;
  }
}

void StoreValue(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                std::string_view valueName, const RegistryData& value, uint32_t type) {
  const auto key = registry.Open(hive, keyPath, RegistryAccess::All);
  if (key) SetValueEx(*key, valueName, type, value);
}

namespace {

std::string AsText(const RegistryData& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
  return {};
}

}  // namespace

long SetValueEx(RegistryKey& key, std::string_view valueName, uint32_t type,
                const RegistryData& value) {
  switch (type) {
    case kRegSz: {
      const std::string text = AsText(value);
      // c_str() carries the terminating zero, which is counted in the length.
      return key.Set(valueName, kRegSz, text.c_str(), text.size() + 1);
    }
    case kRegDword: {
      int32_t number = 0;
      if (const auto* given = std::get_if<int32_t>(&value)) {
        number = *given;
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        const auto rounded = RoundToInt32(Val(*text));
        if (!rounded) return kStatusInvalidParameter;
        number = *rounded;
      }
      const uint32_t bits = static_cast<uint32_t>(number);
      const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                                static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
      return key.Set(valueName, kRegDword, bytes, sizeof bytes);
    }
    default:
      return kStatusUnreadableType;
  }
}

void DeleteValue(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                 std::string_view valueName) {
  const auto key = registry.Open(hive, keyPath, RegistryAccess::All);
  if (key) key->Delete(valueName);
}

}  // namespace vistrel::mdlRegistry

namespace vistrel {

std::string QueryValueText(RegistryBackend& registry, Hive hive, std::string_view keyPath,
                           std::string_view valueName) {
  const RegistryData value = mdlRegistry::QueryValue(registry, hive, keyPath, valueName);
  if (const auto* number = std::get_if<int32_t>(&value)) return std::to_string(*number);
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) return {};
  // The text ends at its first zero: the stored terminator, or an earlier one.
  return text->substr(0, text->find('\0'));
}

}  // namespace vistrel
