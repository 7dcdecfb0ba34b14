#include "recent_captures_win.h"

#include <windows.h>

#include <cstdio>

#include "program_settings_win.h"
#include "recent_captures.h"

namespace vistrel {

void RecordSavedCapture(const std::string& path) {
  // The list keeps full paths only: a relative one would open another file
  // once the current folder changed.
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char time[32];
  std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute);
  RecordRecentCapture(ProgramSettings(), full, time);
}

}  // namespace vistrel
