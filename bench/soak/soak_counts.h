#pragma once
// What soak_count.dll hands back to soak_probe.
#include <windows.h>

inline constexpr wchar_t kSoakCountsName[] = L"Local\\VistrelSoakCounts";

struct SoakCounts {
  LONG done;
  DWORD gdi;
  DWORD user;
  // Busy blocks and their bytes in every heap of the process.
  DWORD heapBlocks;
  DWORD heapBytes;
  // Committed private memory as the process sees it (heaps, VirtualAlloc, stacks).
  DWORD committed;
  // Where to list every busy heap block (empty: no list).
  wchar_t blockList[MAX_PATH];
};
