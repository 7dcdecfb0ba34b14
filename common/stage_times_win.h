#pragma once
// Time stamps along the way from the capture command to the written file, for
// whoever wants to see where the time goes. Off unless the environment
// variable VISTREL_STAGE_TIMES names a file; then each stage appends one line
// "<stage> <milliseconds>" to it, the milliseconds read from the performance
// counter, so that the program's and the conversion component's lines (two
// modules, one process) share one clock.
#include <windows.h>

#include <cstdio>

namespace vistrel {

inline void StageTime(const char* stage) {
  // Read once per module: the variable is set before the program starts.
  static char path[MAX_PATH] = {};
  static const bool on = [] {
    const DWORD length = GetEnvironmentVariableA("VISTREL_STAGE_TIMES", path, MAX_PATH);
    return length > 0 && length < MAX_PATH;
  }();
  if (!on) return;
  LARGE_INTEGER count{}, frequency{};
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  if (frequency.QuadPart <= 0) return;
  const double milliseconds = static_cast<double>(count.QuadPart) * 1000.0 / frequency.QuadPart;
  char line[128];
  const int length = std::snprintf(line, sizeof line, "%s %.3f\r\n", stage, milliseconds);
  if (length <= 0 || length >= static_cast<int>(sizeof line)) return;
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

}  // namespace vistrel
