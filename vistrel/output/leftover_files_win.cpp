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
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::optional<unsigned long> owner = PartialFileOwner(found.cFileName);
      if (!owner || *owner == self || ProcessRuns(*owner)) continue;
      DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
}

}  // namespace vistrel
