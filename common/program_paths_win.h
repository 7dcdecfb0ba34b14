#pragma once
// Folders the program writes into: its own (page pictures, diagnostic files)
// and the user's temporary folder (pictures on their way into an archive or a mail).
#include <windows.h>

#include <string>

#include "partial_file_name.h"

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

// This run's own folder inside the temporary folder, without a trailing
// backslash: its name carries our process id, so that the next start can
// remove what a killed run left in it, and nothing of anyone else's.
inline std::string OwnTempFolderPath() {
  return PartialFileName(UserTempFolder() + "Vistrel", GetCurrentProcessId());
}

// Where pictures on their way into an archive or a mail are written, ending in
// a backslash: this run's own folder, made when first asked for (the
// temporary folder itself when it cannot be made there).
inline std::string OwnTempFolder() {
  const std::string own = OwnTempFolderPath();
  if (CreateDirectoryA(own.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    return own + '\\';
  }
  return UserTempFolder();
}

// Removes this run's own temporary folder when nothing is left in it.
inline void ReleaseOwnTempFolder() { RemoveDirectoryA(OwnTempFolderPath().c_str()); }

// A file of this run's own temporary folder that the user is told about moves
// to the temporary folder itself, which no start clears, under its own name or,
// when that is taken, "name (2).ext" and so on; its path then (the given one
// when it cannot move).
inline std::string MovedOutOfOwnTempFolder(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos || path.substr(0, slash) != OwnTempFolderPath()) return path;
  const std::string name = path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  for (int n = 1; n <= 99; ++n) {
    const std::string kept =
        UserTempFolder() + (n == 1 ? name : stem + " (" + std::to_string(n) + ")" + extension);
    if (MoveFileExA(path.c_str(), kept.c_str(), MOVEFILE_COPY_ALLOWED)) {
      ReleaseOwnTempFolder();
      return kept;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return path;
}

}  // namespace vistrel
