#include "sfx_stub_search.h"

namespace vistlib::zip {
namespace {

constexpr const char* kStubName = "ZIPSFX.BIN";

// Position of the dot that starts the file name's extension, or npos.
std::size_t ExtensionDot(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  return dot;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '\\' || last == '/') return folder + name;
  return folder + "\\" + name;
}

std::string FindSfxStub(const SfxSearchPlaces& places,
                        const std::function<bool(const std::string&)>& exists) {
  if (!places.sfxPath.empty() && exists(places.sfxPath)) return places.sfxPath;
  for (const std::string* folder : {&places.currentDirectory, &places.hostProgramDirectory,
                                    &places.systemDirectory, &places.windowsDirectory}) {
    if (folder->empty()) continue;
    const std::string candidate = JoinPath(*folder, kStubName);
    if (exists(candidate)) return candidate;
  }
  if (!places.dllDirectory.empty()) {
    const std::string candidate = JoinPath(places.dllDirectory, kStubName);
    if (exists(candidate)) return candidate;
  }
  return "";
}

std::string ChangeExtension(const std::string& path, const std::string& extension) {
  const std::size_t dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

std::string ExtensionOf(const std::string& path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

}  // namespace vistlib::zip
