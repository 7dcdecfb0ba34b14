#include "shell_state.h"

#include <cstdio>

namespace vistrel {

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace vistrel
