#pragma once
// Runs the system's reg.exe, so that what our code wrote is judged by a tool
// we did not write.
#include <optional>
#include <string>

namespace vistrel::test {

struct RegToolValue {
  std::string type;  // "REG_SZ", "REG_DWORD", ...
  std::string data;  // as reg.exe prints it
};

// Runs "reg <arguments>" and returns its exit code; `output` gets what it printed.
int RunReg(const std::string& arguments, std::string* output = nullptr);

// `reg query "<key>" /v "<name>"`: the value, or nothing when reg finds none.
std::optional<RegToolValue> RegQuery(const std::string& key, const std::string& name);

// Whether `reg query "<key>"` finds the key.
bool RegKeyExists(const std::string& key);

}  // namespace vistrel::test
