#include "partial_file_name.h"

#include <cctype>

namespace vistrel {

namespace {

constexpr char kMarker[] = ".vistrel-";
constexpr char kEnd[] = ".part";

}  // namespace

std::string PartialFileName(const std::string& path, unsigned long processId) {
  return path + kMarker + std::to_string(processId) + kEnd;
}

std::optional<unsigned long> PartialFileOwner(const std::string& fileName) {
  const std::string end = kEnd;
  if (fileName.size() <= end.size() ||
      fileName.compare(fileName.size() - end.size(), end.size(), end) != 0) {
    return std::nullopt;
  }
  const std::string stem = fileName.substr(0, fileName.size() - end.size());
  const size_t marker = stem.rfind(kMarker);
  // Something must stand before the marker: the final name.
  if (marker == std::string::npos || marker == 0) return std::nullopt;
  const std::string digits = stem.substr(marker + sizeof kMarker - 1);
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  unsigned long long id = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    id = id * 10 + static_cast<unsigned long long>(c - '0');
  }
  if (id == 0 || id > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<unsigned long>(id);
}

}  // namespace vistrel
