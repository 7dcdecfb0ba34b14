#include "folder_path.h"

namespace vistrel {

std::string DriveRoot(std::string_view folder) { return std::string(folder.substr(0, 3)); }

std::vector<std::string> FolderChain(std::string_view folder) {
  std::vector<std::string> chain;
  if (folder.size() < 3) return chain;
  chain.emplace_back(folder.substr(0, 3));
  size_t start = 3;
  while (start < folder.size()) {
    size_t end = folder.find('\\', start);
    if (end == std::string_view::npos) end = folder.size();
    if (end > start) chain.emplace_back(folder.substr(0, end));
    start = end + 1;
  }
  return chain;
}

std::string JoinFolder(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (joined.empty() || joined.back() != '\\') joined += '\\';
  joined += name;
  return joined;
}

std::string DriveNotAvailableText(std::string_view driveEntry) {
  return "Drive \"" + std::string(driveEntry.substr(0, 2)) + "\" not available. ";
}

}  // namespace vistrel
