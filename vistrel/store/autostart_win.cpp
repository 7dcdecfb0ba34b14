#include "autostart_win.h"

#include <windows.h>

#include <vector>

#include "autostart.h"
#include "registry_backend_win.h"

namespace vistrel {

std::string ExpectedAutostartData() {
  // Long install paths exceed MAX_PATH; grow until the whole name fits.
  std::vector<char> buffer(MAX_PATH);
  while (true) {
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      const std::string path(buffer.data(), length);
      const size_t slash = path.find_last_of('\\');
      const std::string directory =
          slash == std::string::npos ? std::string() : path.substr(0, slash);
      std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
      const size_t dot = fileName.find_last_of('.');
      if (dot != std::string::npos) fileName.resize(dot);
      return AutostartData(directory, fileName);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool AutostartIsSet() {
  const std::string expected = ExpectedAutostartData();
  return !expected.empty() && AutostartEntryMatches(SystemRegistry(), expected);
}

long SetAutostart(bool enabled) {
  const std::string expected = ExpectedAutostartData();
  if (enabled && expected.empty()) return kStatusNotFound;
  return SetAutostartEntry(SystemRegistry(), enabled, expected);
}

}  // namespace vistrel
