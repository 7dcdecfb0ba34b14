#include "leftover_files_win.h"

#include <windows.h>

#include "partial_file_name.h"

namespace vistrel {

namespace {

// A writer that still runs (another copy of the program) owns its file.
bool ProcessRuns(unsigned long id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

// A killed run's own temporary folder holds only files of its own.
void RemoveFolderOfFiles(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

}  // namespace

void RemoveLeftoverPartials(const std::vector<std::string>& folders) {
  const unsigned long self = GetCurrentProcessId();
  for (const std::string& given : folders) {
    if (given.empty()) continue;
    std::string folder = WithoutTrailingSlash(given);
    if (folder.back() != '\\') folder += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + kPartialFilePattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      const std::optional<unsigned long> owner = PartialFileOwner(found.cFileName);
      if (!owner || *owner == self || ProcessRuns(*owner)) continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolderOfFiles(folder + found.cFileName);
      } else {
        DeleteFileA((folder + found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
}

}  // namespace vistrel
