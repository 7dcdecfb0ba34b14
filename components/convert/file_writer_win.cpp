#include "file_writer_win.h"

#include <windows.h>

#include <algorithm>

#include "file_handle_win.h"
#include "result_codes.h"

namespace tiffdll {
namespace {

using vistrel::FileHandle;

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);  // a root
  return path.substr(0, slash);
}

bool WriteAll(HANDLE file, const Bytes& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);  // nothing taken and no reason given
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

int32_t WriteFileReplacing(const std::string& path, const Bytes& bytes) {
  // GetTempFileName creates the file, which also proves the folder is writable.
  char temp[MAX_PATH];
  if (GetTempFileNameA(FolderOf(path).c_str(), "tdl", 0, temp) == 0) {
    // The system says only "invalid directory" of a folder that is not there.
    const DWORD cause = GetLastError();
    const DWORD folder = GetFileAttributesA(FolderOf(path).c_str());
    const bool noFolder = folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY);
    SetLastError(noFolder ? ERROR_PATH_NOT_FOUND : cause);
    return kCannotWrite;
  }
  bool ok = false;
  {
    FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file.Valid() && WriteAll(file.Get(), bytes);
    const DWORD cause = GetLastError();
    ok = file.Close() && ok;
    if (!ok) SetLastError(cause);
  }
  ok = ok && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    const DWORD cause = GetLastError();
    DeleteFileA(temp);
    SetLastError(cause);
    return kCannotWrite;
  }
  return kSuccess;
}

}  // namespace tiffdll
