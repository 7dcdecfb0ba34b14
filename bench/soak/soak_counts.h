#pragma once
// What soak_count.dll hands back to soak_probe.
#include <windows.h>

inline constexpr wchar_t kSoakCountsName[] = L"Local\\VistrelSoakCounts";

struct SoakCounts {
  LONG done;
  DWORD gdi;
  DWORD user;
};
