#pragma once
// The system's own description of an error code, as messages show it.
#include <windows.h>

#include <string>

namespace vistrel {

// Without the line break and blanks the system ends it with; empty when the
// system has no text for the code.
inline std::string SystemText(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

// The description, or `fallback` followed by the code's number and `end`.
inline std::string SystemText(DWORD code, const std::string& fallback, const char* end = ".") {
  const std::string text = SystemText(code);
  return text.empty() ? fallback + std::to_string(code) + end : text;
}

}  // namespace vistrel
