#include "auto_file_name.h"

#include <cctype>

namespace vistrel {

std::string SaveBase(const SaveTarget& target) {
  // A drive root such as C:\ already ends in its backslash.
  if (target.folder.size() == 3) return target.folder + target.baseName;
  return target.folder + "\\" + target.baseName;
}

std::string AutoFileName(const SaveTarget& target, const FileExistsFn& fileExists) {
  std::string base = SaveBase(target);
  if (target.compressSave) return base + (target.compileZipSave ? ".exe" : ".zip");
  std::string extension = "." + FormatExtension(target.formatEntry);
  std::string candidate = base + extension;
  for (unsigned long number = 1; fileExists(candidate); ++number) {
    candidate = base + std::to_string(number) + extension;
  }
  return candidate;
}

bool IsArchivePath(std::string_view path) {
  if (path.size() < 3) return false;
  std::string tail;
  for (char c : path.substr(path.size() - 3)) {
    tail += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return tail == "zip" || tail == "exe";
}

}  // namespace vistrel
