#pragma once
// A settings store in memory that also records every write, in order.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings_store.h"

namespace vistrel {

class FakeStore : public SettingsStore {
 public:
  std::string GetSetting(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const override {
    auto found = values_.find({std::string(section), std::string(key)});
    return found == values_.end() ? std::string(defaultValue) : found->second;
  }
  void SaveSetting(std::string_view section, std::string_view key,
                   std::string_view value) override {
    values_[{std::string(section), std::string(key)}] = std::string(value);
    writes.push_back(std::string(key) + "=" + std::string(value));
  }
  std::vector<std::string> writes;

 private:
  std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace vistrel
