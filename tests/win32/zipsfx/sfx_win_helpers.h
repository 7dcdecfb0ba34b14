// Making self-extracting executables from the built stub and running them.
#pragma once

#include <windows.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "sfx_test_zip.h"

namespace sfx_win {

inline std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void Write(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The stub as the build leaves it beside the test programs.
inline std::string Stub() { return Read("ZIPSFX.BIN"); }

// stub + 256-byte header + archive, as the packer writes them.
inline std::string MakeSfx(const std::string& path, const std::string& zip, uint8_t flags = 0,
                           const std::string& caption = "", const std::string& folder = "",
                           const std::string& command = "") {
  Write(path, Stub() + sfx_test::SfxHeaderBytes(flags, caption, folder, command) + zip);
  return path;
}

// A fresh folder under the temporary folder, removed with its contents at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& name) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    path_ = std::string(tmp) + "sfxtest_" + name + "_" + std::to_string(GetCurrentProcessId());
    Remove(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempDir() { Remove(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "\\" + rel; }

  static void Remove(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(full);
        } else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }

  // Names of what is directly in a folder, each followed by ';'.
  static std::string Listing(const std::string& dir) {
    std::string out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
      std::string name = fd.cFileName;
      if (name != "." && name != "..") out += name + ";";
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
  }

 private:
  std::string path_;
};

struct RunResult {
  DWORD exitCode = 0xdead;
  std::string output;
};

// Runs a program with its standard output on a pipe, waiting at most `timeout`.
inline RunResult Run(const std::string& commandLine, DWORD timeoutMs = 60000) {
  RunResult r;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return r;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  BOOL started =
      CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (started) {
    // Read on a thread so a hung child ends at the deadline instead of blocking the read.
    std::thread reader([&] {
      char buf[4096];
      DWORD got = 0;
      while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0)
        r.output.append(buf, got);
    });
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, &r.exitCode);
    else
      TerminateProcess(pi.hProcess, 99);
    reader.join();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(readEnd);
  return r;
}

inline std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// Polls until `condition` holds or the deadline passes.
template <typename F>
bool WaitUntil(F condition, int timeoutMs = 20000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace sfx_win
