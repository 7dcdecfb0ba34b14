#include "partial_file_name.h"

#include <cctype>

namespace vistrel {

namespace {

constexpr char kMarker[] = ".vistrel-";
constexpr char kEnd[] = ".part";

// "name.part.1a2b3c4d" (the archive library's temporary file) without its tail.
std::string WithoutLibraryTail(const std::string& fileName) {
  constexpr size_t kTail = 9;  // "." and eight hex digits
  if (fileName.size() <= kTail || fileName[fileName.size() - kTail] != '.') return fileName;
  for (size_t i = fileName.size() - kTail + 1; i < fileName.size(); ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(fileName[i]))) return fileName;
  }
  return fileName.substr(0, fileName.size() - kTail);
}

}  // namespace

std::string PartialFileName(const std::string& path, unsigned long processId) {
  return path + kMarker + std::to_string(processId) + kEnd;
}

std::optional<unsigned long> PartialFileOwner(const std::string& givenName) {
  const std::string fileName = WithoutLibraryTail(givenName);
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
