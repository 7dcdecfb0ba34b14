// What every path that the self-extractor creates must be: relative, below the
// target folder, and a name Windows creates as written.
#pragma once
#include <string>

#include "sfx_extract.h"

namespace vistrel_fuzz {

// Every name Windows opens as a device, whatever extension follows: also the
// ports numbered with the ANSI code page's superscript digits, and the console's.
inline bool IsDevice(std::string part) {
  const size_t dot = part.find('.');
  if (dot != std::string::npos) part.resize(dot);
  while (!part.empty() && part.back() == ' ') part.pop_back();
  for (char& c : part) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* name : kNames)
    if (part == name) return true;
  if (part.size() != 4 || (part.rfind("COM", 0) != 0 && part.rfind("LPT", 0) != 0)) return false;
  const unsigned char digit = static_cast<unsigned char>(part[3]);
  return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// A path that stays below the target folder and that Windows would create as named.
inline bool SafeRelative(const std::string& path) {
  if (path.empty()) return true;
  if (path.size() >= SFX_PATH_MAX) return false;
  if (path[0] == '\\' || path[0] == '/' || path.find(':') != std::string::npos) return false;
  if (path.find('/') != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('\\', start);
    const std::string part = path.substr(start, end == std::string::npos ? end : end - start);
    if (part.find_first_not_of(". ") == std::string::npos || IsDevice(part)) return false;
    for (const char c : part)
      if (static_cast<unsigned char>(c) < 0x20 || std::string("<>\"|?*").find(c) != std::string::npos)
        return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace vistrel_fuzz
