#include "file_writer_win.h"

#include <windows.h>

#include <algorithm>

#include "result_codes.h"

namespace tiffdll {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    bool ok = true;
    if (Valid()) ok = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

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
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

int32_t WriteFileReplacing(const std::string& path, const Bytes& bytes) {
  // GetTempFileName creates the file, which also proves the folder is writable.
  char temp[MAX_PATH];
  if (GetTempFileNameA(FolderOf(path).c_str(), "tdl", 0, temp) == 0) return kCannotWrite;
  bool ok = false;
  {
    FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file.Valid() && WriteAll(file.Get(), bytes);
    ok = file.Close() && ok;
  }
  ok = ok && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileA(temp);
    return kCannotWrite;
  }
  return kSuccess;
}

}  // namespace tiffdll
