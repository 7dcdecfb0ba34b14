#pragma once
// Folders the program writes into: its own (page pictures, diagnostic files)
// and the user's temporary folder (pictures on their way into an archive or a mail).
#include <windows.h>

#include <string>

namespace vistrel {

// The folder of the running program, without a trailing backslash.
inline std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

// The user's temporary folder, ending in a backslash (the current folder when
// the system names none).
inline std::string UserTempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  std::string folder = length > 0 && length < sizeof buffer ? std::string(buffer, length) : ".\\";
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace vistrel
