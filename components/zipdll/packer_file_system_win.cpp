#include "packer_file_system_win.h"

#include <windows.h>

#include "partial_file_name.h"

namespace zipdll {
namespace {

// 100-ns steps between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 116444736000000000LL;

std::time_t ToTime(const FILETIME& ft) {
  const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<std::time_t>((ticks - kEpochDifference) / 10000000LL);
}

FILETIME ToFileTime(std::time_t when) {
  const int64_t ticks = static_cast<int64_t>(when) * 10000000LL + kEpochDifference;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}

}  // namespace

std::optional<std::vector<DirItem>> WinPackerFileSystem::List(const std::string& folder) {
  std::string pattern = folder.empty() ? "*" : folder;
  if (!folder.empty()) {
    const char last = folder.back();
    pattern += (last == '\\' || last == '/' || last == ':') ? "*" : "\\*";
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<DirItem>{};
    return std::nullopt;
  }
  std::vector<DirItem> items;
  do {
    DirItem item;
    item.name = data.cFileName;
    item.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    item.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    item.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    item.modified = ToTime(data.ftLastWriteTime);
    items.push_back(std::move(item));
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return items;
}

bool WinPackerFileSystem::Remove(const std::string& path) {
  return DeleteFileA(path.c_str()) != FALSE;
}

bool WinPackerFileSystem::SetModified(const std::string& path, std::time_t when) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME ft = ToFileTime(when);
  const bool ok = SetFileTime(file, nullptr, nullptr, &ft) != FALSE;
  CloseHandle(file);
  return ok;
}

zip_source_t* WinPackerFileSystem::ArchiveSource(const std::string& path, zip_error_t* error) {
  // Paths come in the ANSI code page.
  return zip_source_win32a_create(path.c_str(), 0, -1, error);
}

std::string WinPackerFileSystem::WorkingName(const std::string& archive) {
  return vistrel::PartialFileName(archive, GetCurrentProcessId());
}

bool WinPackerFileSystem::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WinPackerFileSystem::Copy(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool WinPackerFileSystem::MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace zipdll
