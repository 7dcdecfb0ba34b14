#include "zip_system_win.h"

#include <algorithm>
#include <utility>

#include "fault_guard_win.h"
#include "zip_message_win.h"

namespace vistlib::zip {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Reset(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Reset() {
    bool ok = true;
    if (Valid()) ok = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(HANDLE handle) : file_(handle) {}
  bool Valid() const { return file_.Valid(); }
  int64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(file_.Get(), &size) ? size.QuadPart : -1;
  }
  bool Seek(int64_t position) override {
    if (position < 0 || position > Size()) return false;
    LARGE_INTEGER to;
    to.QuadPart = position;
    return SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) != FALSE;
  }
  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t total = 0;
    while (total < count) {
      DWORD got = 0;
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 30));
      if (!ReadFile(file_.Get(), static_cast<char*>(buffer) + total, ask, &got, nullptr) || got == 0) {
        break;
      }
      total += got;
    }
    return total;
  }

 private:
  FileHandle file_;
};

class FileSink : public ByteSink {
 public:
  explicit FileSink(HANDLE handle) : file_(handle) {}
  bool Valid() const { return file_.Valid(); }
  bool Write(const void* buffer, std::size_t count) override {
    DWORD written = 0;
    return WriteFile(file_.Get(), buffer, static_cast<DWORD>(count), &written, nullptr) &&
           written == count;
  }
  bool Close() override {
    const bool flushed = FlushFileBuffers(file_.Get()) != FALSE;
    return file_.Reset() && flushed;
  }

 private:
  FileHandle file_;
};

struct ExecCall {
  ZipDllExecFn exec;
  ParamBlock* block;
  int32_t result;
};

void RunExec(void* context) {
  auto* call = static_cast<ExecCall*>(context);
  call->result = call->exec(call->block);
}

class WinPackerModule : public PackerModule {
 public:
  explicit WinPackerModule(HMODULE module)
      : module_(module),
        exec_(reinterpret_cast<ZipDllExecFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "ZipDllExec")))),
        hasVersion_(GetProcAddress(module, "GetZipDllVersion") != nullptr) {}
  ~WinPackerModule() override { FreeLibrary(module_); }
  WinPackerModule(const WinPackerModule&) = delete;
  WinPackerModule& operator=(const WinPackerModule&) = delete;

  bool HasExec() const override { return exec_ != nullptr; }
  bool HasVersion() const override { return hasVersion_; }
  std::optional<int32_t> Exec(ParamBlock* block) override {
    if (exec_ == nullptr) return std::nullopt;
    ExecCall call{exec_, block, 0};
    if (!CallGuarded(&RunExec, &call)) return std::nullopt;
    return call.result;
  }

 private:
  HMODULE module_;
  ZipDllExecFn exec_;
  bool hasVersion_;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

template <typename Fn>
std::string ReadWindowsString(Fn fn) {
  char buffer[MAX_PATH + 1] = {};
  const UINT n = fn(buffer, MAX_PATH + 1);
  return (n == 0 || n > MAX_PATH) ? std::string() : std::string(buffer, n);
}

}  // namespace

void WinZipSystem::ShowMessage(const std::string& text) { ShowZipMessage(owner_, text); }

bool WinZipSystem::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t WinZipSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::unique_ptr<ByteSource> WinZipSystem::OpenRead(const std::string& path) {
  auto file = std::make_unique<FileSource>(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                       nullptr, OPEN_EXISTING,
                                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file->Valid()) return nullptr;
  return file;
}

std::unique_ptr<ByteSink> WinZipSystem::Create(const std::string& path) {
  auto file = std::make_unique<FileSink>(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file->Valid()) return nullptr;
  return file;
}

bool WinZipSystem::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool WinZipSystem::MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
}

std::unique_ptr<PackerModule> WinZipSystem::LoadPacker(const std::string& path) {
  // A missing or broken packer is reported by us, not by a system box.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
                                     SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path.c_str());
  SetErrorMode(previous);
  if (reinterpret_cast<uintptr_t>(module) < 33) return nullptr;
  return std::make_unique<WinPackerModule>(module);
}

std::string WinZipSystem::CurrentDirectory() {
  return ReadWindowsString([](char* b, UINT n) { return GetCurrentDirectoryA(n, b); });
}

std::string WinZipSystem::HostProgramDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return "";
  return FolderOf(std::string(buffer, n));
}

std::string WinZipSystem::SystemDirectory() {
  return ReadWindowsString([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
}

std::string WinZipSystem::WindowsDirectory() {
  return ReadWindowsString([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

void WinZipSystem::ShowHourglass() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }

void WinZipSystem::RestoreCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }

void WinZipSystem::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the program's own loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace vistlib::zip
